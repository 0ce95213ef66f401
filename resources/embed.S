/* The classification document and the table of dated records as read-only blobs; their paths
   come from the build. */
    .section .rodata
    .balign 16
    .global mkb_blob_MKBDATA_begin
    .global mkb_blob_MKBDATA_end
mkb_blob_MKBDATA_begin:
    .incbin MKBDATA_PATH
mkb_blob_MKBDATA_end:
    .byte 0
    .balign 16
    .global mkb_blob_MKBDATES_begin
    .global mkb_blob_MKBDATES_end
mkb_blob_MKBDATES_begin:
    .incbin MKBDATES_PATH
mkb_blob_MKBDATES_end:
    .byte 0
    .section .note.GNU-stack,"",@progbits
