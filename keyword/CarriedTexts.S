/* The keyword index made from data/ when the program is built, and the vocabulary folded then. */
    .section .rodata
    .balign 16
    .global kodexa_keyword_index
    .global kodexa_keyword_index_end
    .global kodexa_keyword_vocabulary
    .global kodexa_keyword_vocabulary_end
kodexa_keyword_index:
    .incbin KODEXA_KEYWORD_INDEX
kodexa_keyword_index_end:
kodexa_keyword_vocabulary:
    .incbin KODEXA_KEYWORD_VOCABULARY
kodexa_keyword_vocabulary_end:
    .section .note.GNU-stack,"",@progbits
