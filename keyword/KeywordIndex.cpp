#include "KeywordIndex.h"

#include "Folding.h"
#include "LexicalResources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace kodexa::keyword {
namespace {

// How well one query word meets one word of a term. A code's quality for a query word is the best
// over its words; the classes keep whole words and word starts before inner fragments and typos.
constexpr float WholeWord = 1.0f;
constexpr float StemWhole = 0.95f;   // "reinigungen" for "Reinigung"
constexpr float NearlyWhole = 0.95f; // "zaun" for "Zäune": a word start short of an ending
constexpr float WordStart = 0.9f;    // "reinigung" for "Reinigungsdienste"
// "laptop" for "Tragbare Computer": where the vocabulary knows a word, its meaning there is what the
// buyer wants, ahead of a literal match of the word ("monitor" for medical "Monitoren").
constexpr float VocabularyTerm = 1.05f;
// A short word of the vocabulary's wording meets the inside of a compound by chance ("ton" in
// "Beton", "netz" in "Stromnetz"); it counts there only from this length on.
constexpr std::size_t VocabularyInnerFrom = 6;
// Each later alternative of a vocabulary line counts this much less: the first is the main meaning.
constexpr float AlternativeStep = 0.03f;
constexpr float StemStart = 0.85f;     // "büros" for "Bürobedarf"
constexpr float CompoundHead = 0.85f;  // "reinigung" for "Büroreinigung"
constexpr float AcrossWords = 0.8f;    // "büroreinigung" for "Reinigung von Büros"
constexpr float CompoundTail = 0.7f;   // "dienstfahrräder" for "Fahrräder": the head noun alone
constexpr float InnerFragment = 0.65f; // "rohr" for "Abflussrohrleitungen"
constexpr float OneTypoWhole = 0.6f;   // "reinigng" for "Reinigung"
constexpr float OneTypoStart = 0.55f;  // "reinigngs" for "Reinigungsdienste"
constexpr float EnglishWeight = 0.9f;  // the German term wins where both meet a word alike
// Below this a word counts as not met: a code needs at least one met word to be shown at all.
constexpr float MinQuality = 0.5f;
constexpr float StrongQuality = 0.8f;
// A word reached through its synonyms, below what the list or the vocabulary says directly.
constexpr float SynonymWeight = 0.7f;
// Inputs of this many units or more are read as a tender's title.
constexpr std::size_t FamilyUnits = 3;
constexpr std::size_t BroaderCodesAfter = 5;
constexpr std::size_t ExpandedWordsAtMost = 30;
constexpr std::size_t CompoundTailWords = 2;
// How much a term whose letters the query covers gains over a long one that meets the words alike.
constexpr float CoverageWeight = 0.4f;
// Letters a word may run on past a query word and still count as nearly the whole word.
constexpr std::size_t EndingLetters = 2;

// Words that carry no subject, left out of queries and of a term's length. Folded keys, sorted.
constexpr std::array<std::string_view, 60> FillerWords = {
    "a",    "ab",    "alle",   "als",    "am",    "an",     "and",   "auch",  "auf",   "aus",
    "bei",  "by",    "bzw",    "das",    "dem",   "den",    "der",   "deren", "des",   "dessen",
    "die",  "diese", "dieser", "dieses", "ein",   "eine",   "einem", "einen", "einer", "eines",
    "for",  "fur",   "im",     "in",     "ist",   "mit",    "oder",  "of",    "on",    "or",
    "sich", "sind",  "soll",   "sollen", "sowie", "sowohl", "the",   "to",    "u",     "und",
    "vom",  "von",   "werden", "wird",   "with",  "z",      "zu",    "zum",   "zur",   "zwischen"};

bool isFiller(std::string_view key) {
    return std::binary_search(FillerWords.begin(), FillerWords.end(), key);
}

// A German word's stem for matching inflected and derived forms: one common ending off, four
// letters kept ("fällung" meets "Fällen").
std::string_view stemOf(std::string_view key) {
    for (std::string_view ending : {"ungen", "ung", "ern", "en", "er", "es", "e", "n", "s"})
        if (key.size() >= ending.size() + 4 && key.ends_with(ending))
            return key.substr(0, key.size() - ending.size());
    return key;
}

// A phrase of the vocabulary with its last word's stem: "bürostühle" finds "bürostuhl".
std::string stemmedPhrase(std::string_view phrase) {
    const std::size_t lastWord = phrase.rfind(' ') + 1; // 0 when one word
    return std::string(phrase.substr(0, lastWord)) + std::string(stemOf(phrase.substr(lastWord)));
}

// Vectors of one quality a code, kept per thread between searches: a page of text makes a hundred
// units, and fresh memory for each costs more than the search itself.
std::vector<std::vector<float>>& freeVectors() {
    thread_local std::vector<std::vector<float>> pool;
    return pool;
}

std::vector<float> takeVector(std::size_t size) {
    std::vector<float> vector;
    if (auto& pool = freeVectors(); !pool.empty()) {
        vector = std::move(pool.back());
        pool.pop_back();
    }
    vector.assign(size, 0.0f);
    return vector;
}

void giveBack(std::vector<float>&& vector) {
    constexpr std::size_t MaxKept = 256;
    if (auto& pool = freeVectors(); vector.capacity() != 0 && pool.size() < MaxKept)
        pool.push_back(std::move(vector));
}

// A vector from the pool for one function's while.
class Scratch {
public:
    explicit Scratch(std::size_t size) : vector_(takeVector(size)) {}
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() { giveBack(std::move(vector_)); }
    std::vector<float>& operator*() { return vector_; }

private:
    std::vector<float> vector_;
};

std::uint8_t depthOf(std::string_view code) {
    std::size_t digits = code.find_last_not_of('0');
    return static_cast<std::uint8_t>(digits == std::string_view::npos ? 0 : digits + 1);
}

std::string joined(const std::vector<std::string>& keys, std::size_t from, std::size_t count) {
    std::string phrase;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!phrase.empty())
            phrase += ' ';
        phrase += keys[i];
    }
    return phrase;
}

// The image: a header, then the arrays of 32-bit numbers, then the texts.
constexpr char Magic[8] = {'K', 'D', 'X', 'K', 'W', 'I', 'X', '1'};
struct Header {
    char magic[8];
    std::uint32_t codeCount, keyCount, postingCount, fragmentCount, termBytes, blobBytes;
};
static_assert(sizeof(Header) == 32 && sizeof(KeywordIndex::PackedCode) == 20);

template <typename T> void append(std::vector<std::byte>& image, const T* data, std::size_t count) {
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    image.insert(image.end(), bytes, bytes + count * sizeof(T));
}

} // namespace

KeywordIndex::KeywordIndex(const std::vector<CodeTerms>& codes, Vocabulary vocabulary)
    : vocabulary_(std::move(vocabulary)) {
    std::unordered_map<std::string, std::vector<std::uint32_t>> postingsByKey;
    std::vector<PackedCode> packed;
    std::string terms;
    for (std::size_t index = 0; index < codes.size(); ++index) {
        const CodeTerms& code = codes[index];
        std::size_t germanLetters = 0;
        std::size_t englishLetters = 0;
        for (std::uint32_t field = 0; field < 2; ++field) {
            auto post = [&](const std::string& key) {
                auto& list = postingsByKey[key];
                std::uint32_t posting = static_cast<std::uint32_t>(index) * 2 + field;
                if (list.empty() || list.back() != posting)
                    list.push_back(posting);
            };
            for (const FoldedWord& word : field == 0 ? foldCp1252(code.german) : foldUtf8(code.english)) {
                if (isFiller(word.key))
                    continue;
                (field == 0 ? germanLetters : englishLetters) += word.key.size();
                post(word.key);
                for (const std::string& part : word.parts)
                    post(part);
            }
        }
        PackedCode entry{};
        std::memcpy(entry.code, code.code.data(), std::min<std::size_t>(code.code.size(), sizeof entry.code));
        entry.termOffset = static_cast<std::uint32_t>(terms.size());
        entry.termLength = static_cast<std::uint16_t>(std::min<std::size_t>(code.german.size(), 0xFFFF));
        entry.letters = static_cast<std::uint16_t>(std::min<std::size_t>(germanLetters, 0xFFFF));
        entry.englishLetters = static_cast<std::uint16_t>(std::min<std::size_t>(englishLetters, 0xFFFF));
        entry.depth = depthOf(code.code);
        terms.append(code.german, 0, entry.termLength);
        packed.push_back(entry);
    }

    std::vector<std::string> keys;
    keys.reserve(postingsByKey.size());
    for (const auto& entry : postingsByKey)
        keys.push_back(entry.first);
    std::sort(keys.begin(), keys.end());
    std::string blob = "\n";
    std::vector<std::uint32_t> keyStart, postingStart, postings;
    for (const std::string& key : keys) {
        postingStart.push_back(static_cast<std::uint32_t>(postings.size()));
        const auto& list = postingsByKey[key];
        postings.insert(postings.end(), list.begin(), list.end());
        keyStart.push_back(static_cast<std::uint32_t>(blob.size()));
        blob += key;
        blob += '\n';
    }
    postingStart.push_back(static_cast<std::uint32_t>(postings.size()));
    // Every position inside a key (not its start), ordered by the text from there: the fragments
    // a query word may be are found by a binary search.
    std::vector<std::uint32_t> fragments;
    for (std::size_t at = 1; at < blob.size(); ++at)
        if (blob[at] != '\n' && blob[at - 1] != '\n')
            fragments.push_back(static_cast<std::uint32_t>(at));
    std::string_view text(blob);
    std::sort(fragments.begin(), fragments.end(),
              [text](std::uint32_t a, std::uint32_t b) { return text.substr(a) < text.substr(b); });

    Header header{};
    std::memcpy(header.magic, Magic, sizeof Magic);
    header.codeCount = static_cast<std::uint32_t>(packed.size());
    header.keyCount = static_cast<std::uint32_t>(keyStart.size());
    header.postingCount = static_cast<std::uint32_t>(postings.size());
    header.fragmentCount = static_cast<std::uint32_t>(fragments.size());
    header.termBytes = static_cast<std::uint32_t>(terms.size());
    header.blobBytes = static_cast<std::uint32_t>(blob.size());
    append(built_, &header, 1);
    append(built_, packed.data(), packed.size());
    append(built_, keyStart.data(), keyStart.size());
    append(built_, postingStart.data(), postingStart.size());
    append(built_, postings.data(), postings.size());
    append(built_, fragments.data(), fragments.size());
    append(built_, terms.data(), terms.size());
    append(built_, blob.data(), blob.size());
    attach(built_);
    prepareVocabulary();
}

KeywordIndex::KeywordIndex(std::span<const std::byte> image, Vocabulary vocabulary)
    : vocabulary_(std::move(vocabulary)) {
    attach(image);
    prepareVocabulary();
}

void KeywordIndex::prepareVocabulary() {
    // A stem two phrases share ("reis" of "reis" and "reisen") says neither: only the phrase as
    // typed finds them then.
    constexpr std::size_t Ambiguous = SIZE_MAX;
    for (std::size_t i = 0; i < vocabulary_.entries().size(); ++i) {
        auto [at, added] = vocabularyByStem_.emplace(stemmedPhrase(vocabulary_.entries()[i].buyerWords), i);
        if (!added)
            at->second = Ambiguous;
    }
    std::erase_if(vocabularyByStem_, [](const auto& entry) { return entry.second == Ambiguous; });
}

// The image is the program's own (made when it is built, or just now), so its arrays are taken as
// they are; only that they fit in it is checked.
void KeywordIndex::attach(std::span<const std::byte> image) {
    Header header{};
    if (image.size() < sizeof header || reinterpret_cast<std::uintptr_t>(image.data()) % 4 != 0)
        throw std::runtime_error("keyword index: too short or misaligned");
    std::memcpy(&header, image.data(), sizeof header);
    std::size_t numbers = std::size_t{header.keyCount} * 2 + 1 + header.postingCount + header.fragmentCount;
    std::size_t needed = sizeof header + std::size_t{header.codeCount} * sizeof(PackedCode) + numbers * 4 +
                         header.termBytes + header.blobBytes;
    if (std::memcmp(header.magic, Magic, sizeof Magic) != 0 || needed != image.size() ||
        header.blobBytes == 0)
        throw std::runtime_error("keyword index: not a whole index");
    image_ = image;
    const std::byte* at = image.data() + sizeof header;
    auto numbersAt = [&at](std::size_t count) {
        std::span<const std::uint32_t> span(reinterpret_cast<const std::uint32_t*>(at), count);
        at += count * 4;
        return span;
    };
    codes_ = {reinterpret_cast<const PackedCode*>(at), header.codeCount};
    at += std::size_t{header.codeCount} * sizeof(PackedCode);
    keyStart_ = numbersAt(header.keyCount);
    postingStart_ = numbersAt(std::size_t{header.keyCount} + 1);
    postings_ = numbersAt(header.postingCount);
    fragments_ = numbersAt(header.fragmentCount);
    terms_ = {reinterpret_cast<const char*>(at), header.termBytes};
    blob_ = {reinterpret_cast<const char*>(at) + header.termBytes, header.blobBytes};
}

std::string_view KeywordIndex::key(std::size_t index) const {
    std::size_t start = keyStart_[index];
    std::size_t end = index + 1 < keyStart_.size() ? keyStart_[index + 1] - 1 : blob_.size() - 1;
    return blob_.substr(start, end - start);
}

std::pair<std::size_t, std::size_t> KeywordIndex::prefixRange(std::string_view prefix) const {
    std::size_t first = 0, count = keyStart_.size();
    while (count > 0) { // the first key not below the prefix
        std::size_t half = count / 2;
        if (key(first + half) < prefix) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    std::size_t last = first;
    while (last < keyStart_.size() && key(last).starts_with(prefix))
        ++last;
    return {first, last};
}

std::optional<std::size_t> KeywordIndex::exactKey(std::string_view key) const {
    auto [first, last] = prefixRange(key);
    if (first == last || this->key(first) != key)
        return std::nullopt;
    return first;
}

int KeywordIndex::languageOf(std::string_view key) const {
    const std::optional<std::size_t> index = exactKey(key);
    if (!index)
        return 0;
    std::size_t german = 0, english = 0;
    for (std::uint32_t i = postingStart_[*index]; i < postingStart_[*index + 1]; ++i)
        ++((postings_[i] & 1) ? english : german);
    // A German term quoting an English name ("Family Radio Services") leaves the word English.
    return english >= 10 * german ? 2 : 1;
}

void KeywordIndex::addToken(std::size_t key, float value, std::vector<float>& quality) const {
    for (std::uint32_t i = postingStart_[key]; i < postingStart_[key + 1]; ++i) {
        std::uint32_t posting = postings_[i];
        float weighted = (posting & 1) ? value * EnglishWeight : value;
        float& best = quality[posting >> 1];
        best = std::max(best, weighted);
    }
}

bool KeywordIndex::matchStart(std::string_view key, std::vector<float>& quality) const {
    auto [first, last] = prefixRange(key);
    for (std::size_t t = first; t < last; ++t) {
        std::size_t extra = this->key(t).size() - key.size();
        addToken(t, extra == 0 ? WholeWord : extra <= EndingLetters ? NearlyWhole : WordStart, quality);
    }
    return first != last;
}

// Fragments inside keys: the stem's occurrences hold the whole key's.
void KeywordIndex::matchFragments(std::string_view key, std::string_view stem, bool inner,
                                  std::vector<float>& quality, bool& found) const {
    auto from = std::partition_point(fragments_.begin(), fragments_.end(),
                                     [&](std::uint32_t at) { return blob_.substr(at, stem.size()) < stem; });
    for (auto it = from; it != fragments_.end() && blob_.substr(*it, stem.size()) == stem; ++it) {
        std::size_t at = *it;
        bool whole = blob_.substr(at, key.size()) == key;
        std::size_t length = whole ? key.size() : stem.size();
        bool head = blob_[at + length] == '\n';
        if (!head && !inner)
            continue;
        std::size_t t = static_cast<std::size_t>(
            std::upper_bound(keyStart_.begin(), keyStart_.end(), static_cast<std::uint32_t>(at)) -
            keyStart_.begin() - 1);
        float value = head ? CompoundHead : InnerFragment;
        addToken(t, whole ? value : value * StemWhole, quality);
        found = true;
    }
}

bool KeywordIndex::matchKey(std::string_view key, bool allowTypo, std::vector<float>& quality,
                            std::size_t innerFrom) const {
    if (key.size() < 3) {
        const std::optional<std::size_t> whole = exactKey(key);
        if (whole)
            addToken(*whole, WholeWord, quality);
        return whole.has_value();
    }
    bool found = matchStart(key, quality);
    std::string_view stem = stemOf(key);
    if (stem.size() != key.size()) {
        auto [first, last] = prefixRange(stem);
        for (std::size_t t = first; t < last; ++t)
            addToken(t, this->key(t).size() == stem.size() ? StemWhole : StemStart, quality);
        found = found || first != last;
    }
    if (key.size() >= 4)
        matchFragments(key, stem, key.size() >= innerFrom, quality, found);
    if (!allowTypo || found || key.size() < 5)
        return found;
    // Only a word that meets nothing as typed is read as one typo away from a word of the list.
    for (std::size_t t = 0; t < keyStart_.size(); ++t) {
        std::string_view candidate = this->key(t);
        for (std::size_t length = key.size() - 1; length <= key.size() + 1 && length <= candidate.size();
             ++length) {
            if (withinOneEdit(key, candidate.substr(0, length))) {
                addToken(t, length == candidate.size() ? OneTypoWhole : OneTypoStart, quality);
                found = true;
                break;
            }
        }
    }
    return found;
}

void KeywordIndex::matchAcrossWords(std::string_view key, std::vector<float>& quality) const {
    // A compound typed as one word meets a term that writes its parts as separate words or inside
    // other compounds, in any order: "büroreinigung" meets "Reinigung von Büros", "kanalreinigung"
    // "Reinigung von Abwässerkanälen". A linking s between the parts belongs to neither
    // ("reinigungsdienst").
    if (key.size() < 8)
        return;
    Scratch headScratch(codes_.size()), tailScratch(codes_.size());
    std::vector<float>& head = *headScratch;
    std::vector<float>& tail = *tailScratch;
    for (std::size_t split = 4; split + 4 <= key.size(); ++split) {
        std::string_view tailKey = key.substr(split);
        std::optional<bool> tailFound; // the tail is sought once, for the first head that meets
        for (std::string_view headKey : {key.substr(0, split), key.substr(0, split - 1)}) {
            if (headKey.size() < 4 || (headKey.size() < split && key[split - 1] != 's'))
                continue;
            std::fill(head.begin(), head.end(), 0.0f);
            if (!matchKey(headKey, false, head))
                continue;
            if (!tailFound) {
                std::fill(tail.begin(), tail.end(), 0.0f);
                tailFound = matchKey(tailKey, false, tail);
            }
            if (!*tailFound)
                break;
            for (std::size_t c = 0; c < codes_.size(); ++c)
                quality[c] = std::max(quality[c], AcrossWords * std::min(head[c], tail[c]));
        }
    }
}

void KeywordIndex::matchCompoundTail(std::string_view key, std::vector<float>& quality) const {
    // A German compound names its thing last: where the list has no word for "dienstfahrräder" or
    // "klopapier", it has one for "fahrräder" and "papier". The longest tail that the list (or the
    // vocabulary) knows as a word or a word's start stands in for the compound, a step below.
    if (key.size() < 7)
        return;
    Scratch tailScratch(codes_.size());
    std::vector<float>& tail = *tailScratch;
    for (std::size_t split = 3; split + 4 <= key.size(); ++split) {
        const std::string tailKey(key.substr(split));
        std::fill(tail.begin(), tail.end(), 0.0f);
        bool found = matchKey(tailKey, false, tail, SIZE_MAX);
        if (const VocabularyEntry* entry = vocabularyEntry(tailKey)) {
            matchVocabulary(*entry, tail);
            found = true;
        }
        if (!found)
            continue;
        for (std::size_t c = 0; c < codes_.size(); ++c)
            quality[c] = std::max(quality[c], CompoundTail * tail[c]);
        return;
    }
}

KeywordHit KeywordIndex::hitOf(std::uint32_t index, float score) const {
    const PackedCode& code = codes_[index];
    return KeywordHit{std::string(code.code, sizeof code.code),
                      std::string(terms_.substr(code.termOffset, code.termLength)), score};
}

std::vector<std::uint32_t> KeywordIndex::offerBroaderCodes(std::uint32_t best, std::vector<KeywordHit>& hits,
                                                           std::size_t limit) const {
    std::vector<std::uint32_t> offered;
    // A title's buyer often names the contract by a broad code: the best code's group and division
    // follow the first few codes, where they are not among them already.
    const std::string_view code = codeAt(best);
    std::size_t at = std::min(hits.size(), BroaderCodesAfter);
    for (std::size_t digits : {std::size_t{3}, std::size_t{2}}) {
        if (codes_[best].depth <= digits)
            continue;
        const std::string broader = std::string(code.substr(0, digits)) + std::string(8 - digits, '0');
        auto index = codesBeginning({broader});
        if (index.empty() || codeAt(index.front()) != broader ||
            std::any_of(hits.begin(), hits.end(), [&](const KeywordHit& hit) { return hit.code == broader; }))
            continue;
        hits.insert(hits.begin() + static_cast<std::ptrdiff_t>(at++), hitOf(index.front(), 0.0f));
        offered.push_back(index.front());
    }
    if (hits.size() > limit)
        hits.resize(limit);
    return offered;
}

std::vector<std::uint32_t> KeywordIndex::codesBeginning(const std::vector<std::string>& prefixes) const {
    std::vector<std::uint32_t> found;
    std::vector<bool> taken(codes_.size()); // prefixes may overlap ("03", "031"): each code once
    for (const std::string& prefix : prefixes) {
        auto first = std::partition_point(codes_.begin(), codes_.end(), [&](const PackedCode& code) {
            return std::string_view(code.code, sizeof code.code).substr(0, prefix.size()) < prefix;
        });
        for (auto it = first;
             it != codes_.end() && std::string_view(it->code, sizeof it->code).starts_with(prefix); ++it) {
            auto index = static_cast<std::uint32_t>(it - codes_.begin());
            if (!taken[index]) {
                taken[index] = true;
                found.push_back(index);
            }
        }
    }
    return found;
}

bool KeywordIndex::isKnownPart(std::string_view part) const {
    if (part.size() < 3)
        return false;
    if (exactKey(part) || (part.size() >= 5 && exactKey(stemOf(part))))
        return true;
    if (part.size() < 4)
        return false;
    // A word start short of an ending ("schulbus" of "schulbusse") is a word too.
    auto [first, last] = prefixRange(part);
    for (std::size_t t = first; t < last; ++t)
        if (key(t).size() <= part.size() + EndingLetters)
            return true;
    return vocabulary_.find(part) != nullptr;
}

std::vector<std::string> KeywordIndex::decompose(std::string_view word) const {
    // best[i]: the best reading of the first i letters, as (parts, sum of squared part lengths):
    // fewer parts first, then longer ones.
    struct Reading {
        int parts = -1;
        std::size_t weight = 0;
        std::size_t from = 0;    // where its last part begins
        std::size_t partEnd = 0; // where its last part ends (a linking letter may follow)
    };
    const std::size_t n = word.size();
    std::vector<Reading> best(n + 1);
    best[0].parts = 0;
    for (std::size_t from = 0; from < n; ++from) {
        if (best[from].parts < 0)
            continue;
        for (std::size_t to = from + 3; to <= n; ++to) {
            if (!isKnownPart(word.substr(from, to - from)))
                continue;
            const std::size_t length = to - from;
            // A linking s, es, n or en between two parts belongs to neither.
            for (std::string_view link : {"", "s", "es", "n", "en", "e"}) {
                std::size_t next = to + link.size();
                if (next > n || word.substr(to, link.size()) != link || (!link.empty() && next == n))
                    continue;
                Reading candidate{best[from].parts + 1, best[from].weight + length * length, from, to};
                Reading& current = best[next];
                if (current.parts < 0 || candidate.parts < current.parts ||
                    (candidate.parts == current.parts && candidate.weight > current.weight))
                    current = candidate;
            }
        }
    }
    if (best[n].parts < 2)
        return {};
    std::vector<std::string> parts;
    for (std::size_t at = n; at > 0; at = best[at].from)
        parts.emplace(parts.begin(), word.substr(best[at].from, best[at].partEnd - best[at].from));
    return parts;
}

namespace {

bool metAny(const std::vector<float>& quality, float least) {
    return std::any_of(quality.begin(), quality.end(), [least](float q) { return q >= least; });
}

} // namespace

std::vector<std::string> KeywordIndex::subjectKeys(AnalyzedQuery& query) {
    std::vector<std::string> keys;
    for (std::string& word : query.words) {
        if (word.size() > MaxWordLength)
            word.resize(MaxWordLength);
        keys.push_back(std::move(word));
    }
    // Filler words count only in a query made of nothing else.
    std::vector<std::string> subjects;
    std::copy_if(keys.begin(), keys.end(), std::back_inserter(subjects),
                 [](const auto& k) { return !isFiller(k); });
    if (!subjects.empty())
        keys = std::move(subjects);
    if (keys.size() > MaxWords)
        keys.resize(MaxWords);
    return keys;
}

bool KeywordIndex::isEnglishPhrase(const std::vector<std::string>& keys) const {
    // A phrase in the list's English (a word it has in English, none it has in German) is measured
    // against the English terms: "cleaning services" covers all of "Cleaning services". A single
    // English word keeps the German measure, which its vocabulary entry is written for.
    bool englishWord = false;
    for (const std::string& key : keys) {
        const int language = languageOf(key);
        if (language == 1)
            return false;
        englishWord = englishWord || language == 2;
    }
    return englishWord && keys.size() > 1;
}

std::vector<KeywordIndex::QueryUnit> KeywordIndex::unitsOf(const std::vector<std::string>& keys,
                                                           bool allowTypo, bool tails,
                                                           const SearchOptions& options) const {
    // A description of many words names its subject in words the list has: general knowledge is
    // asked for the words of a title, not of a page of text, whose other words bring only noise.
    SearchOptions expansions = options;
    if (keys.size() > ExpandedWordsAtMost)
        expansions.thesaurus = false;
    std::vector<QueryUnit> units;
    for (std::size_t i = 0; i < keys.size();) {
        const VocabularyEntry* entry = nullptr;
        std::size_t words = options.vocabulary ? std::min<std::size_t>(3, keys.size() - i) : 0;
        for (; words > 0 && !entry; --words) {
            entry = vocabularyEntry(joined(keys, i, words));
            if (entry)
                break;
        }
        const std::size_t unitWords = entry ? words : 1;
        std::vector<float> quality = takeVector(codes_.size());
        std::size_t letters = 0;
        for (std::size_t w = i; w < i + unitWords; ++w)
            letters += keys[w].size();
        if (unitWords == 1) {
            const std::string& key = keys[i];
            matchKey(key, allowTypo && !entry, quality);
            // A page of text has its subject's words apart already; reading each of its compounds
            // across the words of a term would cost more than it finds.
            if (keys.size() <= ExpandedWordsAtMost)
                matchAcrossWords(key, quality);
            if (!entry && !metAny(quality, WordStart))
                matchExpansions(key, expansions, quality);
            if (!entry && options.decompounding && !metAny(quality, WordStart) &&
                addCompoundParts(key, quality, expansions, units)) {
                ++i;
                continue;
            }
            // In a title an unknown word that no part of explains is mostly a name ("Osternienburger"),
            // whose tail is chance; a lone word is read by its tail ("dienstfahrräder").
            if (!entry && (tails || keys.size() <= CompoundTailWords) && !metAny(quality, MinQuality))
                matchCompoundTail(key, quality);
        } else {
            // A phrase of several words meets a term as its words do, every one of them.
            matchEveryWord(std::span(keys).subspan(i, unitWords), allowTypo, DefaultInnerFrom, quality);
        }
        if (entry) {
            matchVocabulary(*entry, quality);
            std::size_t shortest = SIZE_MAX;
            for (const auto& alternative : entry->alternatives) {
                std::size_t alternativeLetters = 0;
                for (const std::string& word : alternative)
                    alternativeLetters += word.size();
                shortest = std::min(shortest, alternativeLetters);
            }
            letters = std::max(letters, shortest);
        }
        units.push_back({std::move(quality), letters});
        i += unitWords;
    }
    return units;
}

bool KeywordIndex::addCompoundParts(const std::string& key, const std::vector<float>& whole,
                                    const SearchOptions& options, std::vector<QueryUnit>& units) const {
    // A compound the list has not whole: its parts are the units, a head that only says "work of
    // this kind" left to its modifier ("dolmetscherleistungen"). What meets the whole word meets
    // every part.
    std::vector<std::string> parts = decompose(key);
    std::erase_if(parts,
                  [&](const std::string& part) { return isGenericHead(part) || isProcurementWord(part); });
    for (const std::string& part : parts) {
        std::vector<float> quality = takeVector(codes_.size());
        std::copy(whole.begin(), whole.end(), quality.begin());
        matchKey(part, false, quality);
        if (const VocabularyEntry* entry = options.vocabulary ? vocabularyEntry(part) : nullptr)
            matchVocabulary(*entry, quality);
        else if (!metAny(quality, WordStart))
            matchExpansions(part, options, quality);
        // A part is a word of its own: a fragment of another word is chance.
        for (std::size_t c = 0; c < codes_.size(); ++c)
            if (quality[c] < StrongQuality && quality[c] > whole[c])
                quality[c] = whole[c];
        units.push_back({std::move(quality), part.size()});
    }
    return !parts.empty();
}

std::vector<KeywordIndex::Candidate>
KeywordIndex::candidatesOf(const std::vector<QueryUnit>& units, ContractKind kind, bool englishPhrase,
                           const std::vector<std::uint32_t>& coded) const {
    // A rare word says more about what is wanted than a common one: where codes meet different
    // words of the query, the one that meets the rarer word ranks first.
    std::vector<float> weights;
    float weightSum = 0.0f;
    for (const QueryUnit& unit : units) {
        auto meeting =
            std::count_if(unit.quality.begin(), unit.quality.end(), [](float q) { return q >= MinQuality; });
        weights.push_back(meeting == 0 ? 0.0f
                                       : std::log(1.0f + static_cast<float>(codes_.size()) /
                                                             (1.0f + static_cast<float>(meeting))));
        weightSum += weights.back();
    }
    std::vector<bool> isCoded(codes_.size(), false);
    for (std::uint32_t c : coded)
        isCoded[c] = true;
    // Unit by unit, so that each pass reads one unit's qualities in order.
    std::vector<std::uint32_t> met(codes_.size(), 0);
    std::vector<float> sum(codes_.size(), 0.0f);
    std::vector<std::uint32_t> metLetters(codes_.size(), 0);
    for (std::size_t u = 0; u < units.size(); ++u) {
        const std::vector<float>& quality = units[u].quality;
        const auto letters = static_cast<std::uint32_t>(units[u].letters);
        for (std::size_t c = 0; c < codes_.size(); ++c) {
            if (quality[c] >= MinQuality) {
                ++met[c];
                sum[c] += weights[u] * quality[c];
                metLetters[c] += letters;
            }
        }
    }
    std::vector<Candidate> candidates;
    for (std::size_t c = 0; c < codes_.size() && weightSum > 0.0f; ++c) {
        if (isCoded[c] || met[c] == 0)
            continue;
        // How much of the term the met words cover: a short term they fill beats a long one.
        const std::uint16_t termLetters = englishPhrase ? codes_[c].englishLetters : codes_[c].letters;
        float coverage =
            termLetters == 0
                ? 0.0f
                : std::min(1.0f, static_cast<float>(metLetters[c]) / static_cast<float>(termLetters));
        float score = sum[c] / weightSum + CoverageWeight * coverage;
        const bool kindFits = kind == ContractKind::Unknown || contractKindOf(codeAt(c)) == kind;
        candidates.push_back({static_cast<std::uint32_t>(c), met[c], kindFits, score});
    }
    return candidates;
}

bool KeywordIndex::better(const Candidate& a, const Candidate& b) const {
    // More words met first; among codes that meet as many, those of the kind of contract the
    // input says; then how well and how specifically.
    if (a.met != b.met)
        return a.met > b.met;
    if (a.kindFits != b.kindFits)
        return a.kindFits;
    if (a.score != b.score)
        return a.score > b.score;
    if (codes_[a.code].depth != codes_[b.code].depth)
        return codes_[a.code].depth > codes_[b.code].depth;
    return a.code < b.code;
}

std::vector<KeywordHit> KeywordIndex::search(std::string_view utf8Query, std::size_t limit,
                                             std::size_t* found, const SearchOptions& options) const {
    // The stages: the input read (codes, procurement's words, the kind of contract), its subject
    // words made units (vocabulary, the list's words, compounds, synonyms), the codes ranked, and
    // for a title the best code's broader codes offered.
    AnalyzedQuery query = analyzeQuery(utf8Query, options);
    const std::vector<std::uint32_t> coded = codesBeginning(query.codePrefixes);
    const std::vector<std::string> keys = subjectKeys(query);
    const bool allowTypo = options.typos && keys.size() <= TypoWords && !query.onlyProcurementWords;
    std::vector<QueryUnit> units = unitsOf(keys, allowTypo, false, options);
    std::vector<Candidate> candidates = candidatesOf(units, query.kind, isEnglishPhrase(keys), coded);
    // Nothing but names and unknown compounds: their tails are all there is to go by.
    if (candidates.empty() && keys.size() > CompoundTailWords) {
        for (QueryUnit& unit : units)
            giveBack(std::move(unit.quality));
        units = unitsOf(keys, allowTypo, true, options);
        candidates = candidatesOf(units, query.kind, isEnglishPhrase(keys), coded);
    }
    if (found != nullptr)
        *found = coded.size() + candidates.size();

    std::vector<KeywordHit> hits;
    for (std::size_t i = 0; i < coded.size() && hits.size() < limit; ++i)
        hits.push_back(hitOf(coded[i], 2.0f));
    const std::size_t shown = std::min(limit - hits.size(), candidates.size());
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(shown),
                      candidates.end(),
                      [this](const Candidate& a, const Candidate& b) { return better(a, b); });
    for (std::size_t i = 0; i < shown; ++i)
        hits.push_back(hitOf(candidates[i].code, candidates[i].score));
    // A title: several subject words, or procurement's words around its subject.
    if (options.broaderCodes && (units.size() >= FamilyUnits || query.setAside) && shown > 0) {
        // The broader codes count among those found where no word met them.
        for (std::uint32_t broader : offerBroaderCodes(candidates[0].code, hits, limit))
            if (found != nullptr && std::none_of(candidates.begin(), candidates.end(),
                                                 [broader](const Candidate& c) { return c.code == broader; }))
                ++*found;
    }
    for (QueryUnit& unit : units)
        giveBack(std::move(unit.quality));
    return hits;
}

const VocabularyEntry* KeywordIndex::vocabularyEntry(const std::string& phrase) const {
    if (const VocabularyEntry* entry = vocabulary_.find(phrase))
        return entry;
    auto found = vocabularyByStem_.find(stemmedPhrase(phrase));
    return found == vocabularyByStem_.end() ? nullptr : &vocabulary_.entries()[found->second];
}

void KeywordIndex::matchVocabulary(const VocabularyEntry& entry, std::vector<float>& quality) const {
    // A code meets the buyer's words when its terms meet every word of one alternative.
    Scratch alternativeScratch(codes_.size());
    std::vector<float>& alternative = *alternativeScratch;
    float weight = VocabularyTerm;
    for (const auto& words : entry.alternatives) {
        matchEveryWord(words, false, VocabularyInnerFrom, alternative);
        for (std::size_t c = 0; c < codes_.size(); ++c)
            quality[c] = std::max(quality[c], weight * alternative[c]);
        weight -= AlternativeStep;
    }
}

void KeywordIndex::matchExpansions(std::string_view key, const SearchOptions& options,
                                   std::vector<float>& quality) const {
    if (!options.thesaurus || key.size() < 4 || isFiller(key))
        return;

    const LexicalResources& resources = LexicalResources::installed();
    Scratch phraseScratch(codes_.size());
    std::vector<float>& phrase = *phraseScratch;
    auto meet = [&](const Expansions& expansions, float weight) {
        for (const auto& keys : expansions) {
            matchEveryWord(keys, false, VocabularyInnerFrom, phrase);
            for (std::size_t c = 0; c < codes_.size(); ++c)
                quality[c] = std::max(quality[c], weight * phrase[c]);
        }
    };
    // The word as typed, else its stem: the resources list base forms ("aufzug" for "aufzüge").
    Expansions synonyms = resources.synonymsOf(key);
    if (const std::string_view stem = stemOf(key); synonyms.empty() && stem != key)
        synonyms = resources.synonymsOf(stem);
    if (!synonyms.empty())
        meet(synonyms, SynonymWeight);
}

void KeywordIndex::matchEveryWord(std::span<const std::string> words, bool allowTypo, std::size_t innerFrom,
                                  std::vector<float>& quality) const {
    Scratch wordScratch(codes_.size());
    std::vector<float>& word = *wordScratch;
    for (std::size_t w = 0; w < words.size(); ++w) {
        std::fill(word.begin(), word.end(), 0.0f);
        matchKey(words[w], allowTypo, word, innerFrom);
        for (std::size_t c = 0; c < codes_.size(); ++c)
            quality[c] = w == 0 ? word[c] : std::min(quality[c], word[c]);
    }
}

} // namespace kodexa::keyword
