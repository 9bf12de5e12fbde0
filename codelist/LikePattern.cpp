#include "LikePattern.h"

#include <array>
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

#if defined(__SSE2__)
constexpr std::size_t Lanes = 16;

// Bit i set: the place at + i holds the needle's first and its last byte. Reads the bytes from at
// to at + Lanes + needle.size() - 2.
unsigned candidatesAt(const char* base, std::size_t at, std::string_view needle) {
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + at));
    const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + at + needle.size() - 1));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, atFirst), _mm_cmpeq_epi8(last, atLast))));
}

// The first of the candidates where the whole needle stands.
std::size_t confirmed(const char* base, std::size_t at, unsigned candidates, std::string_view needle) {
    for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t place = at + static_cast<std::size_t>(__builtin_ctz(candidates));
        if (std::memcmp(base + place + 1, needle.data() + 1, needle.size() - 2) == 0)
            return place;
    }
    return std::string_view::npos;
}
#endif

// The leftmost place of a needle of two or more bytes in text, looked for from `from` on. Sixteen
// places are tried at once by comparing the needle's first and last byte: descriptions are short,
// and a library search spends most of its time starting up on each of them.
std::size_t findNeedle(std::string_view text, std::string_view needle, std::size_t from) {
    if (text.size() < needle.size() || from > text.size() - needle.size())
        return std::string_view::npos;
    const std::size_t lastStart = text.size() - needle.size();
#if defined(__SSE2__)
    if (lastStart + 1 >= Lanes) {
        std::size_t start = from;
        for (; start + Lanes - 1 <= lastStart; start += Lanes) {
            const std::size_t place =
                confirmed(text.data(), start, candidatesAt(text.data(), start, needle), needle);
            if (place != std::string_view::npos)
                return place;
        }
        if (start > lastStart)
            return std::string_view::npos;
        // The last places: one block that ends at the last place, without the places tried.
        const std::size_t blockStart = lastStart + 1 - Lanes;
        const unsigned untried = ~0U << (start - blockStart);
        return confirmed(text.data(), blockStart, candidatesAt(text.data(), blockStart, needle) & untried,
                         needle);
    }
    if (needle.size() <= Lanes) {
        // Fewer places than a block has: one block over a zero-padded copy keeps the reads in bounds.
        std::array<char, 2 * Lanes> padded{};
        std::memcpy(padded.data(), text.data(), text.size());
        const unsigned places = ((1U << (lastStart + 1)) - 1) & ~((1U << from) - 1);
        return confirmed(padded.data(), 0, candidatesAt(padded.data(), 0, needle) & places, needle);
    }
#endif
    for (std::size_t start = from; start <= lastStart; ++start) {
        if (equalsAt(text.data() + start, needle))
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
    for (Piece& piece : pieces_)
        piece.prepareAnchor();
    isContainment_ = pieces_.size() == 3 && pieces_.front().bytes.empty() && pieces_.back().bytes.empty();
}

void LikePattern::Piece::prepareAnchor() {
    if (!hasWildcard)
        return;
    std::size_t bestStart = 0, bestLength = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = 0;
        while (i + run < bytes.size() && !wildcard[i + run])
            ++run;
        if (run > bestLength) {
            bestStart = i;
            bestLength = run;
        }
        i += run + 1;
    }
    anchor = bytes.substr(bestStart, bestLength);
    anchorOffset = bestStart;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!wildcard[i] && (i < bestStart || i >= bestStart + bestLength))
            others.emplace_back(i, bytes[i]);
    }
}

bool LikePattern::Piece::matchesAt(std::string_view text, std::size_t position) const {
    if (position + bytes.size() > text.size())
        return false;
    if (bytes.empty()) // also for an empty text, whose data may be null
        return true;
    if (!hasWildcard)
        return std::memcmp(text.data() + position, bytes.data(), bytes.size()) == 0;
    if (text.compare(position + anchorOffset, anchor.size(), anchor) != 0)
        return false;
    for (const auto& [offset, byte] : others) {
        if (text[position + offset] != byte)
            return false;
    }
    return true;
}

std::size_t LikePattern::Piece::findIn(std::string_view text, std::size_t from) const {
    if (!hasWildcard)
        return bytes.size() < 2 ? text.find(bytes, from) : findNeedle(text, bytes, from);
    if (from + bytes.size() > text.size())
        return std::string_view::npos;
    if (anchor.empty()) // wildcards only: any place with room
        return from;
    // Each place of the anchor proposes the piece's place; the first one whose other characters fit
    // is the leftmost.
    for (std::size_t at = from + anchorOffset;; ++at) {
        at = anchor.size() < 2 ? text.find(anchor, at) : findNeedle(text, anchor, at);
        if (at == std::string_view::npos || at - anchorOffset + bytes.size() > text.size())
            return std::string_view::npos;
        if (matchesAt(text, at - anchorOffset))
            return at - anchorOffset;
    }
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
