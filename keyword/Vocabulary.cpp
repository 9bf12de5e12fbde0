#include "Vocabulary.h"

#include "Folding.h"

#include <algorithm>
#include <stdexcept>

namespace kodexa::keyword {
namespace {

// Most of the file is small ASCII letters between blanks, which folding leaves as they are unless
// an ae, oe or ue is made plain: those words are split here, the rest go through the folding. The
// program reads the vocabulary at every start.
bool isPlain(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != ' ' && (c < 'a' || c > 'z'))
            return false;
        if (c == 'e' && i > 0 && (text[i - 1] == 'a' || text[i - 1] == 'o' || text[i - 1] == 'u'))
            return false;
    }
    return true;
}

std::vector<std::string> keysOf(std::string_view utf8) {
    std::vector<std::string> keys;
    if (isPlain(utf8)) {
        for (std::size_t at = 0; at < utf8.size();) {
            const std::size_t end = std::min(utf8.find(' ', at), utf8.size());
            if (end > at)
                keys.emplace_back(utf8.substr(at, end - at));
            at = end + 1;
        }
        return keys;
    }
    for (FoldedWord& word : foldUtf8(utf8))
        keys.push_back(std::move(word.key));
    return keys;
}

std::string joinedKeys(std::string_view utf8) {
    std::string joined;
    for (const std::string& key : keysOf(utf8)) {
        if (!joined.empty())
            joined += ' ';
        joined += key;
    }
    return joined;
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

std::string Vocabulary::canonicalText() const {
    std::string text;
    for (const VocabularyEntry& entry : entries_) {
        text += entry.buyerWords;
        text += '\t';
        for (std::size_t a = 0; a < entry.alternatives.size(); ++a) {
            if (a > 0)
                text += ';';
            for (std::size_t w = 0; w < entry.alternatives[a].size(); ++w) {
                if (w > 0)
                    text += ' ';
                text += entry.alternatives[a][w];
            }
        }
        text += '\n';
    }
    return text;
}

Vocabulary Vocabulary::fromCanonical(std::string_view text) {
    auto split = [](std::string_view words, char by) {
        std::vector<std::string> pieces;
        for (std::size_t at = 0; at <= words.size();) {
            const std::size_t end = std::min(words.find(by, at), words.size());
            pieces.emplace_back(words.substr(at, end - at));
            at = end + 1;
        }
        return pieces;
    };
    Vocabulary vocabulary;
    for (std::size_t lineNumber = 1; !text.empty(); ++lineNumber) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0 || tab + 1 == line.size())
            refuse(lineNumber, "not a folded entry");
        VocabularyEntry entry{std::string(line.substr(0, tab)), {}};
        for (const std::string& alternative : split(line.substr(tab + 1), ';'))
            entry.alternatives.push_back(split(alternative, ' '));
        if (!vocabulary.entries_.empty() && !(vocabulary.entries_.back().buyerWords < entry.buyerWords))
            refuse(lineNumber, "entries not sorted");
        vocabulary.entries_.push_back(std::move(entry));
    }
    return vocabulary;
}

const VocabularyEntry* Vocabulary::find(std::string_view buyerWords) const {
    auto it = std::lower_bound(
        entries_.begin(), entries_.end(), buyerWords,
        [](const VocabularyEntry& entry, std::string_view key) { return entry.buyerWords < key; });
    return it != entries_.end() && it->buyerWords == buyerWords ? &*it : nullptr;
}

} // namespace kodexa::keyword
