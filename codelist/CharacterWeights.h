#pragma once

#include <unicode/ucol.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kodexa {

// Windows-1252 text as UTF-16, the form in which ICU takes it (the code page lies in the BMP).
std::u16string utf16FromCodePage(std::string_view text);

// The collation elements of every Windows-1252 character under one ICU collator, with each level's
// weights replaced by their rank among the weights that the code page uses (one byte each).
//
// A sort key built from the table is the primary ranks, 0x01, the secondary ranks, 0x01, the
// tertiary ranks; compared bytewise it orders exactly as the collator compares, because the
// collator compares the same weight sequences level by level. Building it costs one table look-up
// per character instead of ICU's general sort-key machinery, which makes the first sort of the
// list by description several times faster.
class CharacterWeights {
public:
    // Derives the table from the collator's collation elements. Returns nullopt when the collator
    // uses anything the table cannot express (a French secondary order, shifted or case-first
    // handling, reordered scripts, contractions longer than two characters...) or when the table
    // does not order the code page's characters as the collator does; the caller then asks ICU.
    static std::optional<CharacterWeights> derive(const UCollator* collator);

    std::string sortKey(std::string_view text) const;

private:
    static constexpr std::size_t LevelCount = 3;
    static constexpr std::size_t MaxWeightsPerLevel = 4; // per character (or contracted pair)

    // The ranks of one character on each level; a level without weight holds no rank.
    struct Weights {
        std::array<std::uint8_t, LevelCount> count{};
        bool startsContraction = false;
        std::array<std::array<std::uint8_t, MaxWeightsPerLevel>, LevelCount> rank{};
    };
    // Two characters that the collator weighs as one (such as "l" and the middle dot).
    struct Contraction {
        std::uint8_t second = 0;
        Weights weights;
    };

    CharacterWeights() = default;
    // Writes each level's ranks from its start in out; returns where each level ends.
    std::array<std::uint8_t*, LevelCount> writeLevels(std::string_view text,
                                                      std::array<std::uint8_t*, LevelCount> out) const;

    std::array<Weights, 256> single_{};
    std::array<std::vector<Contraction>, 256> contractions_{}; // by first character
};

} // namespace kodexa
