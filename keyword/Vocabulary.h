#pragma once

#include <string>
#include <string_view>
#include <vector>

// The everyday vocabulary: words buyers type where the list has its official term ("laptop" for
// "Tragbare Computer"). A line of its file is `buyer words<TAB>list words[;list words...]`: a
// code matches the buyer's words when its term holds every word of one alternative. Lines that
// begin with '#' and blank lines are comments.
namespace kodexa::keyword {

struct VocabularyEntry {
    std::string buyerWords;                             // folded keys, joined by single blanks
    std::vector<std::vector<std::string>> alternatives; // each: the folded keys of its words
};

class Vocabulary {
public:
    // Throws std::runtime_error naming the line for a line without its tab or with a side that
    // holds no word.
    static Vocabulary parse(std::string_view utf8);

    // The vocabulary as keys already folded, sorted and merged, one entry a line
    // (`keys<TAB>keys;keys`): what the build makes from the file, so that the program's start only
    // splits it. Throws std::runtime_error for text that is not in that form.
    std::string canonicalText() const;
    static Vocabulary fromCanonical(std::string_view text);

    const std::vector<VocabularyEntry>& entries() const { return entries_; }
    // The entry for a phrase of folded keys joined by blanks, or null.
    const VocabularyEntry* find(std::string_view buyerWords) const;

private:
    std::vector<VocabularyEntry> entries_; // sorted by buyerWords
};

} // namespace kodexa::keyword
