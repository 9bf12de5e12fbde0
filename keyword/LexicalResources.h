#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// General knowledge of words that the code list does not hold: German synonyms from OpenThesaurus
// and English translations from the German–English dictionary of TU Chemnitz (Debian's
// openthesaurus-de-text and trans-de-en). Both are read from their installed files when first
// needed; a missing file leaves its stage without answers. Knows no toolkit and no index.
namespace kodexa::keyword {

// A word's expansions: each the folded keys of a phrase ("tragbarer", "computer").
using Expansions = std::vector<std::vector<std::string>>;

class LexicalResources {
public:
    // The installed files, or those KODEXA_OPENTHESAURUS and KODEXA_DE_EN name; read on first use.
    static const LexicalResources& installed();

    // From the files' texts: OpenThesaurus' text format (one set of synonyms a line, separated by
    // ';') and the dictionary's (German :: English, alternatives by ';', forms by '|').
    LexicalResources(std::string thesaurusText, std::string dictionaryText);

    // The synonyms of a folded word, the word itself left out.
    Expansions synonymsOf(std::string_view key) const;
    // The English phrases a folded German word translates to, the dictionary's first first.
    Expansions englishOf(std::string_view key) const;

    bool hasThesaurus() const { return !setsByWord_.empty(); }
    bool hasDictionary() const { return !entriesByWord_.empty(); }

    // Bounds that keep a word's expansions few and near its meaning.
    static constexpr std::size_t MaxSetsPerWord = 6;
    static constexpr std::size_t MaxTranslations = 6;
    static constexpr std::size_t MaxPhraseWords = 3;

private:
    // The files are kept as read; only where a word's lines begin is indexed up front, and a line
    // is read when a word of it is looked up, so that the first use costs a scan, not a parse.
    std::string thesaurus_;
    std::string dictionary_;
    std::unordered_map<std::string, std::vector<std::uint32_t>> setsByWord_;    // line starts
    std::unordered_map<std::string, std::vector<std::uint32_t>> entriesByWord_; // line starts
};

} // namespace kodexa::keyword
