/* The classification document as a read-only blob; its path comes from the build. */
    .section .rodata
    .balign 16
    .global mkb_blob_MKBDATA_begin
    .global mkb_blob_MKBDATA_end
mkb_blob_MKBDATA_begin:
    .incbin MKBDATA_PATH
mkb_blob_MKBDATA_end:
    .byte 0
    .section .note.GNU-stack,"",@progbits
