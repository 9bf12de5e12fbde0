#include "Vocabulary.h"

#include "Folding.h"

#include <algorithm>
#include <stdexcept>

namespace kodexa::keyword {
namespace {

std::string joinedKeys(std::string_view utf8) {
    std::string joined;
    for (const FoldedWord& word : foldUtf8(utf8)) {
        if (!joined.empty())
            joined += ' ';
        joined += word.key;
    }
    return joined;
}

std::vector<std::string> keysOf(std::string_view utf8) {
    std::vector<std::string> keys;
    for (FoldedWord& word : foldUtf8(utf8))
        keys.push_back(std::move(word.key));
    return keys;
}

[[noreturn]] void refuse(std::size_t lineNumber, const std::string& what) {
    throw std::runtime_error("vocabulary line " + std::to_string(lineNumber) + ": " + what);
}

} // namespace

Vocabulary Vocabulary::parse(std::string_view utf8) {
    Vocabulary vocabulary;
    std::size_t lineNumber = 0;
    while (!utf8.empty()) {
        ++lineNumber;
        std::size_t end = utf8.find('\n');
        std::string_view line = utf8.substr(0, end);
        utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#')
            continue;
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            refuse(lineNumber, "no tab between the buyer's words and the list's");
        VocabularyEntry entry{joinedKeys(line.substr(0, tab)), {}};
        std::string_view rest = line.substr(tab + 1);
        while (!rest.empty()) {
            std::size_t semicolon = rest.find(';');
            auto keys = keysOf(rest.substr(0, semicolon));
            if (!keys.empty())
                entry.alternatives.push_back(std::move(keys));
            rest.remove_prefix(semicolon == std::string_view::npos ? rest.size() : semicolon + 1);
        }
        if (entry.buyerWords.empty() || entry.alternatives.empty())
            refuse(lineNumber, "a side without words");
        vocabulary.entries_.push_back(std::move(entry));
    }
    // Phrases that fold alike ("büro", "buero") share one entry with the alternatives of both.
    auto& entries = vocabulary.entries_;
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.buyerWords < b.buyerWords; });
    std::vector<VocabularyEntry> merged;
    for (VocabularyEntry& entry : entries) {
        if (!merged.empty() && merged.back().buyerWords == entry.buyerWords) {
            for (auto& alternative : entry.alternatives)
                merged.back().alternatives.push_back(std::move(alternative));
            continue;
        }
        merged.push_back(std::move(entry));
    }
    entries = std::move(merged);
    return vocabulary;
}

const VocabularyEntry* Vocabulary::find(std::string_view buyerWords) const {
    auto it = std::lower_bound(
        entries_.begin(), entries_.end(), buyerWords,
        [](const VocabularyEntry& entry, std::string_view key) { return entry.buyerWords < key; });
    return it != entries_.end() && it->buyerWords == buyerWords ? &*it : nullptr;
}

} // namespace kodexa::keyword
