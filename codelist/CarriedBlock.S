/* The code list block, embedded as it is in data/codelist.packet, and the published check digits
   of its codes as data/cpv2007-check-digits.tsv has them. */
    .section .rodata
    .balign 16
    .global kodexa_codelist_block
    .global kodexa_codelist_block_end
kodexa_codelist_block:
    .incbin KODEXA_CODELIST_PACKET
kodexa_codelist_block_end:
    .global kodexa_check_digits
    .global kodexa_check_digits_end
kodexa_check_digits:
    .incbin KODEXA_CHECK_DIGITS
kodexa_check_digits_end:
    .section .note.GNU-stack,"",@progbits
