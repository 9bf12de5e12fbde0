#include "CharacterWeights.h"

#include "Cp1252.h"

#include <unicode/ucoleitr.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>

namespace kodexa {
namespace {

// One collation element with its whole weights: the 32-bit primary, the 16-bit secondary and the
// tertiary without its case bits (with no case-first option the collator compares exactly these).
struct Element {
    std::uint32_t primary = 0;
    std::uint32_t secondary = 0;
    std::uint32_t tertiary = 0;
};
using Elements = std::vector<Element>;

// ICU's iterator hands out elements in the old 32-bit form: the low half of a long primary and the
// low bytes of the secondary and tertiary follow in a continuation element, marked by 0xC0.
bool isContinuation(std::uint32_t element) {
    return (element & 0xC0U) == 0xC0U;
}

Element joinHalves(std::uint32_t first, std::uint32_t continuation) {
    return {(first & 0xFFFF0000U) | (continuation >> 16), (first & 0xFF00U) | ((continuation >> 8) & 0xFFU),
            ((first & 0x3FU) << 8) | (continuation & 0x3FU)};
}

std::optional<Elements> elementsOf(const UCollator* collator, std::u16string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollationElements, decltype(&ucol_closeElements)> iterator(
        ucol_openElements(collator, text.data(), static_cast<int32_t>(text.size()), &status),
        ucol_closeElements);
    if (U_FAILURE(status))
        return std::nullopt;
    std::vector<std::uint32_t> raw;
    for (;;) {
        const std::int32_t element = ucol_next(iterator.get(), &status);
        if (U_FAILURE(status))
            return std::nullopt;
        if (element == UCOL_NULLORDER)
            break;
        raw.push_back(static_cast<std::uint32_t>(element));
    }
    Elements elements;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (isContinuation(raw[i]))
            return std::nullopt; // a continuation without the element it continues
        const std::uint32_t first = raw[i];
        const std::uint32_t continuation = i + 1 < raw.size() && isContinuation(raw[i + 1]) ? raw[++i] : 0;
        const Element element = joinHalves(first, continuation);
        if (element.primary != 0 || element.secondary != 0 || element.tertiary != 0)
            elements.push_back(element);
    }
    return elements;
}

// The table covers plain three-level comparison; every option that changes how weights are
// compared or which weights a character gets leaves the keys to ICU.
bool comparesPlainLevels(const UCollator* collator) {
    UErrorCode status = U_ZERO_ERROR;
    const auto is = [&](UColAttribute attribute, UColAttributeValue expected) {
        return ucol_getAttribute(collator, attribute, &status) == expected;
    };
    const bool plain = is(UCOL_STRENGTH, UCOL_TERTIARY) && is(UCOL_FRENCH_COLLATION, UCOL_OFF) &&
                       is(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE) && is(UCOL_CASE_FIRST, UCOL_OFF) &&
                       is(UCOL_CASE_LEVEL, UCOL_OFF) && is(UCOL_NORMALIZATION_MODE, UCOL_OFF) &&
                       is(UCOL_NUMERIC_COLLATION, UCOL_OFF);
    UErrorCode reorderStatus = U_ZERO_ERROR;
    const std::int32_t reorderCodes = ucol_getReorderCodes(collator, nullptr, 0, &reorderStatus);
    return plain && U_SUCCESS(status) && reorderCodes == 0;
}

std::optional<std::uint8_t> codePageByte(char32_t codePoint) {
    for (int byte = 0; byte < 256; ++byte) {
        if (cp1252::toCodePoint(static_cast<char>(byte)) == codePoint)
            return static_cast<std::uint8_t>(byte);
    }
    return std::nullopt;
}

using BytePair = std::pair<std::uint8_t, std::uint8_t>;

// The runs of code-page characters that the collator weighs together. nullopt when a run is
// longer than two characters: the table handles pairs only.
std::optional<std::vector<BytePair>> contractedPairs(const UCollator* collator) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<USet, decltype(&uset_close)> contractions(uset_openEmpty(), uset_close);
    ucol_getContractionsAndExpansions(collator, contractions.get(), nullptr, true, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    std::vector<BytePair> pairs;
    const std::int32_t items = uset_getItemCount(contractions.get());
    for (std::int32_t i = 0; i < items; ++i) {
        UChar32 start = 0;
        UChar32 end = 0;
        std::array<char16_t, 64> text{};
        UErrorCode itemStatus = U_ZERO_ERROR;
        const std::int32_t length = uset_getItem(contractions.get(), i, &start, &end, text.data(),
                                                 static_cast<std::int32_t>(text.size()), &itemStatus);
        if (itemStatus == U_BUFFER_OVERFLOW_ERROR)
            return std::nullopt;
        if (U_FAILURE(itemStatus) || length == 0)
            continue; // a range of single characters
        std::vector<std::uint8_t> bytes;
        for (std::int32_t k = 0; k < length; ++k) {
            if (const std::optional<std::uint8_t> byte = codePageByte(text[k]))
                bytes.push_back(*byte);
        }
        if (static_cast<std::int32_t>(bytes.size()) != length)
            continue; // never occurs in code-page text
        if (length != 2)
            return std::nullopt;
        pairs.emplace_back(bytes[0], bytes[1]);
    }
    return pairs;
}

// Distinct weights of one level, ascending; a weight's rank is its index plus 2, so that ranks
// stay above the level separator 0x01.
class LevelRanks {
public:
    void add(std::uint32_t weight) {
        if (weight != 0)
            weights_.push_back(weight);
    }
    bool finish() {
        std::sort(weights_.begin(), weights_.end());
        weights_.erase(std::unique(weights_.begin(), weights_.end()), weights_.end());
        return weights_.size() <= 254;
    }
    std::uint8_t rankOf(std::uint32_t weight) const {
        const auto found = std::lower_bound(weights_.begin(), weights_.end(), weight);
        return static_cast<std::uint8_t>(found - weights_.begin() + 2);
    }

private:
    std::vector<std::uint32_t> weights_;
};

int sign(int order) {
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Sorts sample texts by the collator and checks that neighbours compare alike by the keys: then
// the keys order the whole sample exactly as the collator does.
bool ordersLikeCollator(const CharacterWeights& weights, const UCollator* collator,
                        const std::vector<BytePair>& pairs) {
    std::vector<std::string> samples;
    for (int byte = 0; byte < 256; ++byte) {
        samples.emplace_back(1, static_cast<char>(byte));
        samples.push_back(std::string(1, static_cast<char>(byte)) + "b");
    }
    for (const BytePair& pair : pairs)
        samples.push_back({static_cast<char>(pair.first), static_cast<char>(pair.second)});
    std::vector<std::u16string> utf16;
    for (const std::string& sample : samples)
        utf16.push_back(utf16FromCodePage(sample));
    const auto icuOrder = [&](std::size_t left, std::size_t right) {
        return ucol_strcoll(collator, utf16[left].data(), static_cast<int32_t>(utf16[left].size()),
                            utf16[right].data(), static_cast<int32_t>(utf16[right].size()));
    };
    std::vector<std::size_t> order(samples.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t left, std::size_t right) { return icuOrder(left, right) == UCOL_LESS; });
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        const int byKeys =
            sign(weights.sortKey(samples[order[i]]).compare(weights.sortKey(samples[order[i + 1]])));
        if (byKeys != icuOrder(order[i], order[i + 1]))
            return false;
    }
    return true;
}

} // namespace

std::u16string utf16FromCodePage(std::string_view text) {
    std::u16string utf16;
    utf16.reserve(text.size());
    for (char c : text)
        utf16 += static_cast<char16_t>(cp1252::toCodePoint(c));
    return utf16;
}

std::optional<CharacterWeights> CharacterWeights::derive(const UCollator* collator) {
    if (!comparesPlainLevels(collator))
        return std::nullopt;
    const std::optional<std::vector<BytePair>> pairs = contractedPairs(collator);
    if (!pairs)
        return std::nullopt;

    std::array<Elements, 256> singleElements;
    for (int byte = 0; byte < 256; ++byte) {
        std::optional<Elements> elements =
            elementsOf(collator, utf16FromCodePage(std::string(1, static_cast<char>(byte))));
        if (!elements)
            return std::nullopt;
        singleElements[byte] = std::move(*elements);
    }
    std::vector<Elements> pairElements;
    for (const BytePair& pair : *pairs) {
        const std::string text{static_cast<char>(pair.first), static_cast<char>(pair.second)};
        std::optional<Elements> elements = elementsOf(collator, utf16FromCodePage(text));
        if (!elements)
            return std::nullopt;
        pairElements.push_back(std::move(*elements));
    }

    std::array<LevelRanks, LevelCount> ranks;
    const auto addAll = [&](const Elements& elements) {
        for (const Element& element : elements) {
            ranks[0].add(element.primary);
            ranks[1].add(element.secondary);
            ranks[2].add(element.tertiary);
        }
    };
    std::for_each(singleElements.begin(), singleElements.end(), addAll);
    std::for_each(pairElements.begin(), pairElements.end(), addAll);
    for (LevelRanks& level : ranks) {
        if (!level.finish())
            return std::nullopt;
    }
    const auto weightsOf = [&](const Elements& elements) -> std::optional<Weights> {
        Weights weights;
        for (const Element& element : elements) {
            const std::array<std::uint32_t, LevelCount> levels = {element.primary, element.secondary,
                                                                  element.tertiary};
            for (std::size_t level = 0; level < LevelCount; ++level) {
                if (levels[level] == 0)
                    continue;
                if (weights.count[level] == MaxWeightsPerLevel)
                    return std::nullopt;
                weights.rank[level][weights.count[level]++] = ranks[level].rankOf(levels[level]);
            }
        }
        return weights;
    };

    CharacterWeights table;
    for (int byte = 0; byte < 256; ++byte) {
        const std::optional<Weights> weights = weightsOf(singleElements[byte]);
        if (!weights)
            return std::nullopt;
        table.single_[byte] = *weights;
    }
    for (std::size_t i = 0; i < pairs->size(); ++i) {
        const std::optional<Weights> weights = weightsOf(pairElements[i]);
        if (!weights)
            return std::nullopt;
        table.contractions_[(*pairs)[i].first].push_back({(*pairs)[i].second, *weights});
        table.single_[(*pairs)[i].first].startsContraction = true;
    }
    if (!ordersLikeCollator(table, collator, *pairs))
        return std::nullopt;
    return table;
}

std::array<std::uint8_t*, CharacterWeights::LevelCount>
CharacterWeights::writeLevels(std::string_view text, std::array<std::uint8_t*, LevelCount> out) const {
    // Cursors and weights live in locals: a store through a byte pointer may alias anything, and
    // values kept in memory would be reloaded after every store.
    std::uint8_t* primary = out[0];
    std::uint8_t* secondary = out[1];
    std::uint8_t* tertiary = out[2];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        const Weights* weights = &single_[byte];
        if (weights->startsContraction && i + 1 < text.size()) {
            const auto next = static_cast<std::uint8_t>(text[i + 1]);
            for (const Contraction& contraction : contractions_[byte]) {
                if (contraction.second == next) {
                    weights = &contraction.weights;
                    ++i;
                    break;
                }
            }
        }
        // All slots are copied and the cursors advance by the used ones: no branch per weight.
        // The buffers have room for MaxWeightsPerLevel more bytes than any text can use.
        std::array<std::uint32_t, LevelCount> ranks{};
        static_assert(sizeof(ranks[0]) == MaxWeightsPerLevel);
        for (std::size_t level = 0; level < LevelCount; ++level)
            std::memcpy(&ranks[level], weights->rank[level].data(), MaxWeightsPerLevel);
        const std::array<std::uint8_t, LevelCount> counts = weights->count;
        std::memcpy(primary, &ranks[0], MaxWeightsPerLevel);
        std::memcpy(secondary, &ranks[1], MaxWeightsPerLevel);
        std::memcpy(tertiary, &ranks[2], MaxWeightsPerLevel);
        primary += counts[0];
        secondary += counts[1];
        tertiary += counts[2];
    }
    return {primary, secondary, tertiary};
}

std::string CharacterWeights::sortKey(std::string_view text) const {
    constexpr std::size_t StackCharacters = 256;
    constexpr std::size_t StackLevelSize = (StackCharacters + 1) * MaxWeightsPerLevel;
    std::array<std::uint8_t, LevelCount * StackLevelSize> stackBuffer;
    std::vector<std::uint8_t> heapBuffer;
    std::size_t levelSize = StackLevelSize;
    std::uint8_t* buffer = stackBuffer.data();
    if (text.size() > StackCharacters) {
        levelSize = (text.size() + 1) * MaxWeightsPerLevel;
        heapBuffer.resize(LevelCount * levelSize);
        buffer = heapBuffer.data();
    }
    const std::array<std::uint8_t*, LevelCount> levels = {buffer, buffer + levelSize, buffer + 2 * levelSize};
    const std::array<std::uint8_t*, LevelCount> ends = writeLevels(text, levels);

    std::array<std::size_t, LevelCount> lengths{};
    for (std::size_t level = 0; level < LevelCount; ++level)
        lengths[level] = static_cast<std::size_t>(ends[level] - levels[level]);
    std::string key(lengths[0] + lengths[1] + lengths[2] + LevelCount - 1, '\x01');
    char* out = key.data();
    for (std::size_t level = 0; level < LevelCount; ++level) {
        std::memcpy(out, levels[level], lengths[level]);
        out += lengths[level] + 1; // past the separator
    }
    return key;
}

} // namespace kodexa
