#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kodexa::filter {

// The pattern of the filter language's LIKE: "%" stands for any run of characters (also none),
// "_" for exactly one character, a backslash makes the next character an ordinary one (a backslash
// at the very end, left by a cut constant, stands for itself); every other character must equal
// the text's byte for byte. The pattern must cover the whole text.
//
// The pattern is kept as the pieces between its "%" runs. The first piece must match at the start
// of the text and the last at its end; each piece between is sought at its leftmost place after
// the piece before it. Taking the leftmost place is never wrong, as every piece has a fixed length:
// a later place leaves less room for the pieces still to come. So a failed piece moves on only
// within its own gap, never back into an earlier one, and matching costs at most text length times
// pattern length, whatever the pattern.
class LikePattern {
public:
    explicit LikePattern(std::string_view pattern);

    bool matches(std::string_view text) const;

private:
    // A run of pattern characters without "%"; a wildcard position matches any one character.
    struct Piece {
        std::string bytes;
        std::vector<bool> wildcard; // per position
        bool hasWildcard = false;
        // With wildcards: the longest run of ordinary characters is sought first, the piece's
        // other ordinary characters are then checked at their offsets.
        std::string anchor;
        std::size_t anchorOffset = 0;
        std::vector<std::pair<std::size_t, char>> others;
        void prepareAnchor();
        bool matchesAt(std::string_view text, std::size_t position) const;
        std::size_t findIn(std::string_view text, std::size_t from) const;
    };

    std::vector<Piece> pieces_;  // one more than the pattern has "%" runs
    bool isContainment_ = false; // "%piece%"
};

} // namespace kodexa::filter
