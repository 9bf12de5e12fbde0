// The index the program carries, made from data/ when it is built (tools/keywordgen.cpp), and the
// vocabulary it is searched with, folded then.
#include "KeywordIndex.h"

extern "C" {
extern const std::byte kodexa_keyword_index[];
extern const std::byte kodexa_keyword_index_end[];
extern const char kodexa_keyword_vocabulary[];
extern const char kodexa_keyword_vocabulary_end[];
}

namespace kodexa::keyword {

const KeywordIndex& KeywordIndex::carried() {
    static const KeywordIndex index(
        std::span<const std::byte>(kodexa_keyword_index,
                                   static_cast<std::size_t>(kodexa_keyword_index_end - kodexa_keyword_index)),
        Vocabulary::fromCanonical(std::string_view(
            kodexa_keyword_vocabulary,
            static_cast<std::size_t>(kodexa_keyword_vocabulary_end - kodexa_keyword_vocabulary))));
    return index;
}

} // namespace kodexa::keyword
