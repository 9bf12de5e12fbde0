#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// General knowledge of words that the code list does not hold: German synonyms from OpenThesaurus
// (Debian's openthesaurus-de-text), read from its installed file when first needed; a missing file
// leaves the stage without answers. Knows no toolkit and no index.
// (The German–English dictionary of TU Chemnitz, trans-de-en, was measured as a further resource,
// both ways: it moved no query set and cost half a second and 50 MB, so it is not read.)
namespace kodexa::keyword {

// A word's expansions: each the folded keys of a phrase ("tragbarer", "computer").
using Expansions = std::vector<std::vector<std::string>>;

class LexicalResources {
public:
    // The installed file, or the one KODEXA_OPENTHESAURUS names; read on first use.
    static const LexicalResources& installed();

    // From the file's text: OpenThesaurus' text format, one set of synonyms a line, separated by ';'.
    explicit LexicalResources(std::string thesaurusText);

    // The synonyms of a folded word, the word itself left out.
    Expansions synonymsOf(std::string_view key) const;
    bool hasThesaurus() const { return !setsByWord_.empty(); }

    // Bounds that keep a word's expansions few and near its meaning.
    static constexpr std::size_t MaxSetsPerWord = 6;
    static constexpr std::size_t MaxPhraseWords = 3;

private:
    // The file is kept as read; only where a word's lines begin is indexed up front, and a line is
    // read when a word of it is looked up, so that the first use costs a scan, not a parse.
    std::string thesaurus_;
    std::unordered_map<std::string, std::vector<std::uint32_t>> setsByWord_; // line starts
};

} // namespace kodexa::keyword
