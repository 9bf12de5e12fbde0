#pragma once

#include "QueryAnalysis.h"
#include "Vocabulary.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The ranked keyword search over the code list: a buyer's words, in any order, against the German
// and English terms of every code and the everyday vocabulary. Knows no toolkit.
namespace kodexa::keyword {

struct KeywordHit {
    std::string code;
    std::string description; // the German term, Windows-1252 as everywhere in the code list
    double score;
};

struct CodeTerms {
    std::string code;    // eight digits
    std::string german;  // Windows-1252
    std::string english; // UTF-8
};

// The codes of the list's source (code TAB German term, UTF-8) with their English terms (code TAB
// English term), each file with its header line. Throws std::runtime_error for a malformed line.
std::vector<CodeTerms> codeTermsFromSources(std::string_view germanTsv, std::string_view englishTsv);

class KeywordIndex {
public:
    // Builds the index; codes keep the given order where everything else ties.
    KeywordIndex(const std::vector<CodeTerms>& codes, Vocabulary vocabulary);
    // An index from its bytes (image()), which must outlive it. Throws std::runtime_error for
    // bytes that do not hold a whole index.
    KeywordIndex(std::span<const std::byte> image, Vocabulary vocabulary);

    // The index over the carried list, its English terms and vocabulary: made when the program is
    // built and carried in it, so it is ready at once.
    static const KeywordIndex& carried();

    // The best `limit` codes for the query, best first: codes that meet every word before those
    // that meet some, then by how well and how specifically they meet them. Empty when nothing
    // meets the query well enough (a nonsense word finds nothing rather than noise). found, when
    // given, learns how many codes meet it in all, the limit aside.
    std::vector<KeywordHit> search(std::string_view utf8Query, std::size_t limit,
                                   std::size_t* found = nullptr, const SearchOptions& options = {}) const;

    // The index as bytes, as the program carries it.
    std::span<const std::byte> image() const { return image_; }
    std::size_t codeCount() const { return codes_.size(); }
    std::size_t keyCount() const { return keyStart_.size(); }
    std::string_view codeAt(std::size_t index) const {
        return {codes_[index].code, sizeof codes_[index].code};
    }

    // Lengths above these are cut: the first MaxWords subject words of a longer input are searched
    // (a pasted description of 2,000 characters holds fewer).
    static constexpr std::size_t MaxWords = 200;
    static constexpr std::size_t MaxWordLength = 64;
    // One typo is read into a word only in inputs of this many subject words or fewer: in a title
    // an unknown word is a name or a place, not a slip.
    static constexpr std::size_t TypoWords = 6;

    // One code as the image holds it.
    struct PackedCode {
        char code[8];
        std::uint32_t termOffset;
        std::uint16_t termLength;
        std::uint16_t letters; // of the German term's words, without filler words
        std::uint8_t depth;    // digits before the trailing zeros
        std::uint8_t unused;
        std::uint16_t englishLetters; // of the English term's words, likewise
    };

private:
    // One word of the query (or a phrase of the vocabulary, or a compound's part): how well each
    // code meets it.
    struct QueryUnit {
        std::vector<float> quality;
        std::size_t letters; // of the words as typed, or of the shortest alternative of a phrase
    };
    struct Candidate {
        std::uint32_t code;
        std::uint32_t met; // units met
        bool kindFits;     // of the kind of contract the input says, or it says none
        float score;
    };
    static std::vector<std::string> subjectKeys(AnalyzedQuery& query);
    bool isEnglishPhrase(const std::vector<std::string>& keys) const;
    // tails: an unknown word is read by its compound tail even in a title.
    std::vector<QueryUnit> unitsOf(const std::vector<std::string>& keys, bool allowTypo, bool tails,
                                   const SearchOptions& options) const;
    // Adds the parts of a compound as units; false when it cannot be read by parts.
    bool addCompoundParts(const std::string& key, const std::vector<float>& whole,
                          const SearchOptions& options, std::vector<QueryUnit>& units) const;
    std::vector<Candidate> candidatesOf(const std::vector<QueryUnit>& units, ContractKind kind,
                                        bool englishPhrase, const std::vector<std::uint32_t>& coded) const;
    bool better(const Candidate& a, const Candidate& b) const;

    void attach(std::span<const std::byte> image);
    void prepareVocabulary();
    std::string_view key(std::size_t index) const;
    std::pair<std::size_t, std::size_t> prefixRange(std::string_view prefix) const;
    // The index of the key that is exactly this one, if the list has it.
    std::optional<std::size_t> exactKey(std::string_view key) const;
    // The language in which the list has a word: 0 not at all, 1 German, 2 English (nearly only).
    int languageOf(std::string_view key) const;
    void addToken(std::size_t key, float value, std::vector<float>& quality) const;
    // Each raises the quality of every code it meets; true when it met any.
    // Inner fragments count for keys of innerFrom letters or more; compound heads always do.
    static constexpr std::size_t DefaultInnerFrom = 4;
    bool matchKey(std::string_view key, bool allowTypo, std::vector<float>& quality,
                  std::size_t innerFrom = DefaultInnerFrom) const;
    bool matchStart(std::string_view key, std::vector<float>& quality) const;
    void matchCompoundTail(std::string_view key, std::vector<float>& quality) const;
    void matchFragments(std::string_view key, std::string_view stem, bool inner, std::vector<float>& quality,
                        bool& found) const;
    void matchAcrossWords(std::string_view key, std::vector<float>& quality) const;
    void matchVocabulary(const VocabularyEntry& entry, std::vector<float>& quality) const;
    // The synonyms of a word the list does not know well.
    void matchExpansions(std::string_view key, const SearchOptions& options,
                         std::vector<float>& quality) const;
    // How well each code meets every one of the words: the least of their qualities.
    void matchEveryWord(std::span<const std::string> words, bool allowTypo, std::size_t innerFrom,
                        std::vector<float>& quality) const;
    const VocabularyEntry* vocabularyEntry(const std::string& phrase) const;
    // A compound the list does not have whole, as the fewest and longest words it does have
    // ("glasfaser", "ausbau"), linking letters dropped; empty when it cannot be read so.
    std::vector<std::string> decompose(std::string_view key) const;
    bool isKnownPart(std::string_view part) const;
    // The best code's group and division among a title's hits.
    // Returns the codes it offered.
    std::vector<std::uint32_t> offerBroaderCodes(std::uint32_t best, std::vector<KeywordHit>& hits,
                                                 std::size_t limit) const;
    KeywordHit hitOf(std::uint32_t index, float score) const;
    // The codes that begin with one of the prefixes, in code order.
    std::vector<std::uint32_t> codesBeginning(const std::vector<std::string>& prefixes) const;

    std::vector<std::byte> built_; // the image when built here; empty when carried
    std::span<const std::byte> image_;
    Vocabulary vocabulary_;
    std::unordered_map<std::string, std::size_t> vocabularyByStem_; // phrase, last word stemmed

    std::span<const PackedCode> codes_;
    std::string_view terms_;                      // the German terms, one after the other
    std::string_view blob_;                       // '\n' + every key + '\n', keys sorted, each once
    std::span<const std::uint32_t> keyStart_;     // where each key begins in blob_
    std::span<const std::uint32_t> postingStart_; // keyCount() + 1 offsets into postings_
    std::span<const std::uint32_t> postings_;     // code index * 2 + (0 German, 1 English)
    std::span<const std::uint32_t> fragments_;    // the positions inside keys, sorted by what follows
};

} // namespace kodexa::keyword
