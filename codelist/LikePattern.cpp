#include "LikePattern.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kodexa::filter {
namespace {

bool equalsAt(const char* text, std::string_view needle) {
    return text[0] == needle.front() && text[needle.size() - 1] == needle.back() &&
           std::memcmp(text + 1, needle.data() + 1, needle.size() - 2) == 0;
}

// The leftmost place of a needle of two or more bytes in text, looked for from `from` on. Sixteen
// places are tried at once by comparing the needle's first and last byte: descriptions are short,
// and a library search spends most of its time starting up on each of them.
std::size_t findNeedle(std::string_view text, std::string_view needle, std::size_t from) {
    if (text.size() < needle.size() || from > text.size() - needle.size())
        return std::string_view::npos;
    const char* base = text.data();
    const std::size_t lastStart = text.size() - needle.size();
    std::size_t start = from;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    const auto candidates = [&](std::size_t at) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + at));
        const __m128i atLast =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + at + needle.size() - 1));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, atFirst), _mm_cmpeq_epi8(last, atLast))));
    };
    const auto firstMatch = [&](std::size_t at, unsigned mask) {
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t place = at + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(base + place + 1, needle.data() + 1, needle.size() - 2) == 0)
                return place;
        }
        return std::string_view::npos;
    };
    constexpr std::size_t Lanes = 16;
    for (; start + Lanes - 1 <= lastStart; start += Lanes) {
        if (const std::size_t place = firstMatch(start, candidates(start)); place != std::string_view::npos)
            return place;
    }
    // The last places: one more block that ends at the last place, without the places tried.
    if (start <= lastStart && lastStart + 1 >= Lanes) {
        const std::size_t blockStart = lastStart + 1 - Lanes;
        return firstMatch(blockStart, candidates(blockStart) & (~0U << (start - blockStart)));
    }
#endif
    for (; start <= lastStart; ++start) {
        if (equalsAt(base + start, needle))
            return start;
    }
    return std::string_view::npos;
}

} // namespace

LikePattern::LikePattern(std::string_view pattern) {
    pieces_.emplace_back();
    bool afterPercent = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%') {
            if (!afterPercent) // "%%" counts as one
                pieces_.emplace_back();
            afterPercent = true;
            continue;
        }
        afterPercent = false;
        Piece& piece = pieces_.back();
        const bool isWildcard = c == '_';
        // A backslash at the very end has nothing to escape and stands for itself.
        const char literal = c == '\\' && i + 1 < pattern.size() ? pattern[++i] : c;
        piece.bytes += literal;
        piece.wildcard.push_back(isWildcard);
        piece.hasWildcard = piece.hasWildcard || isWildcard;
    }
    isContainment_ = pieces_.size() == 3 && pieces_.front().bytes.empty() && pieces_.back().bytes.empty();
}

bool LikePattern::Piece::matchesAt(std::string_view text, std::size_t position) const {
    if (position + bytes.size() > text.size())
        return false;
    if (bytes.empty()) // also for an empty text, whose data may be null
        return true;
    if (!hasWildcard)
        return std::memcmp(text.data() + position, bytes.data(), bytes.size()) == 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!wildcard[i] && text[position + i] != bytes[i])
            return false;
    }
    return true;
}

std::size_t LikePattern::Piece::findIn(std::string_view text, std::size_t from) const {
    if (!hasWildcard)
        return bytes.size() < 2 ? text.find(bytes, from) : findNeedle(text, bytes, from);
    for (std::size_t position = from; position + bytes.size() <= text.size(); ++position) {
        if (matchesAt(text, position))
            return position;
    }
    return std::string_view::npos;
}

bool LikePattern::matches(std::string_view text) const {
    if (isContainment_) // the search's "%text%"
        return pieces_[1].findIn(text, 0) != std::string_view::npos;
    const Piece& head = pieces_.front();
    if (pieces_.size() == 1)
        return head.bytes.size() == text.size() && head.matchesAt(text, 0);
    const Piece& tail = pieces_.back();
    if (head.bytes.size() + tail.bytes.size() > text.size())
        return false;
    const std::size_t tailStart = text.size() - tail.bytes.size();
    if (!head.matchesAt(text, 0) || !tail.matchesAt(text, tailStart))
        return false;
    // The pieces between may not reach into the tail.
    const std::string_view middle = text.substr(0, tailStart);
    std::size_t position = head.bytes.size();
    for (std::size_t i = 1; i + 1 < pieces_.size(); ++i) {
        const std::size_t found = pieces_[i].findIn(middle, position);
        if (found == std::string_view::npos)
            return false;
        position = found + pieces_[i].bytes.size();
    }
    return true;
}

} // namespace kodexa::filter
