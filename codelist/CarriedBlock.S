/* The code list block, embedded as it is in data/codelist.packet. */
    .section .rodata
    .balign 16
    .global kodexa_codelist_block
    .global kodexa_codelist_block_end
kodexa_codelist_block:
    .incbin KODEXA_CODELIST_PACKET
kodexa_codelist_block_end:
    .section .note.GNU-stack,"",@progbits
