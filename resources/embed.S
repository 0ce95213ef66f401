/* The blobs of the resource table (table.cpp), read-only. The paths of the document and of the
   table of dated records come from the build; on Windows the pictures come too, found by name on
   the assembler's include path (-Wa,-I<pictures folder>) and listed once in the generated
   embedded_pictures.inc. The same source assembles for ELF (Linux) and PE/COFF (MinGW-w64),
   whose read-only section is .rdata. */
#if defined(__ELF__)
    .section .rodata
#else
    .section .rdata,"dr"
#endif

.macro mkb_blob name, file
    .balign 16
    .global mkb_blob_\name\()_begin
    .global mkb_blob_\name\()_end
mkb_blob_\name\()_begin:
    .incbin "\file"
mkb_blob_\name\()_end:
    .byte 0
.endm

    mkb_blob MKBDATA, MKBDATA_PATH
    mkb_blob MKBDATES, MKBDATES_PATH

#if defined(MKB_EMBED_PICTURES)
#define MKB_PICTURE(symbol, file) mkb_blob symbol, file
#include "embedded_pictures.inc"
#endif

#if defined(__ELF__)
    .section .note.GNU-stack,"",@progbits
#endif
