/* The code list block, embedded as it is in data/codelist.packet, the published check digits
   of its codes as data/cpv2007-check-digits.tsv has them, and the block's rows in the order of
   their descriptions under the German collation (32-bit row numbers, made by descriptionordergen
   when the program is built). */
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
    .balign 4
    .global kodexa_description_order
    .global kodexa_description_order_end
kodexa_description_order:
    .incbin KODEXA_DESCRIPTION_ORDER
kodexa_description_order_end:
    .section .note.GNU-stack,"",@progbits
