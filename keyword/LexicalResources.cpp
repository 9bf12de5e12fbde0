#include "LexicalResources.h"

#include "Folding.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace kodexa::keyword {
namespace {

// Words of a phrase that carry nothing of its meaning: articles, and the stand-ins for whoever does
// something ("jemandem").
constexpr std::string_view Unmeaning[] = {
    "a",    "an",     "and",      "das",      "dem", "den",   "der",  "des", "die", "ein",
    "eine", "einen",  "einer",    "eines",    "etw", "etwas", "for",  "fur", "jdm", "jdn",
    "jds",  "jemand", "jemandem", "jemanden", "mit", "of",    "oder", "or",  "sb",  "sich",
    "sth",  "the",    "to",       "und",      "von", "zu",    "zum",  "zur"};

// A phrase's text without what the resources write in brackets: genders {m}, fields [comp.],
// registers (ugs.) and explanations.
std::string withoutBrackets(std::string_view text) {
    std::string plain;
    int depth = 0;
    for (char c : text) {
        if (c == '(' || c == '[' || c == '{' || c == '<')
            ++depth;
        else if ((c == ')' || c == ']' || c == '}' || c == '>') && depth > 0)
            --depth;
        else if (depth == 0)
            plain += c;
    }
    return plain;
}

// The folded keys of a phrase, its unmeaning words left out; empty when it has more than MaxWords.
std::vector<std::string> phraseKeys(std::string_view text, std::size_t maxWords) {
    std::vector<std::string> keys;
    // "computer/PC": the first of the slashed forms.
    std::string plain = withoutBrackets(text);
    for (std::size_t slash; (slash = plain.find('/')) != std::string::npos;) {
        std::size_t end = plain.find(' ', slash);
        plain.erase(slash, end == std::string::npos ? std::string::npos : end - slash);
    }
    for (FoldedWord& word : foldUtf8(plain)) {
        if (word.key.size() < 2 ||
            std::find(std::begin(Unmeaning), std::end(Unmeaning), word.key) != std::end(Unmeaning))
            continue;
        keys.push_back(std::move(word.key));
    }
    if (keys.size() > maxWords)
        keys.clear();
    return keys;
}

std::vector<std::string_view> split(std::string_view text, std::string_view by) {
    std::vector<std::string_view> pieces;
    for (std::size_t from = 0;;) {
        std::size_t at = text.find(by, from);
        pieces.push_back(text.substr(from, at == std::string_view::npos ? at : at - from));
        if (at == std::string_view::npos)
            return pieces;
        from = at + by.size();
    }
}

// Calls onLine with each line that is not a comment and where it begins.
template <typename OnLine> void forEachLine(std::string_view text, OnLine onLine) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.front() != '#')
            onLine(line, static_cast<std::uint32_t>(at));
        at = end + 1;
    }
}

std::string_view lineAt(std::string_view text, std::uint32_t start) {
    std::string_view line = text.substr(start);
    return line.substr(0, line.find('\n'));
}

// The key of an alternative that is one word ("Notebook {n}"), else empty.
std::string singleWordKey(std::string_view alternative) {
    std::string plain = withoutBrackets(alternative);
    std::size_t first = plain.find_first_not_of(' ');
    std::size_t last = plain.find_last_not_of(' ');
    if (first == std::string::npos || plain.find(' ', first) < last)
        return {};
    return foldKey(std::string_view(plain).substr(first, last - first + 1));
}

void addLine(std::unordered_map<std::string, std::vector<std::uint32_t>>& index, std::string key,
             std::uint32_t start, std::size_t most) {
    if (key.size() < 3)
        return;
    auto& lines = index[std::move(key)];
    if (lines.size() < most && (lines.empty() || lines.back() != start))
        lines.push_back(start);
}

std::string fileText(const char* variable, const char* installedPath) {
    const char* chosen = std::getenv(variable);
    std::ifstream file(chosen != nullptr && *chosen != '\0' ? chosen : installedPath, std::ios::binary);
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return std::move(text).str();
}

} // namespace

const LexicalResources& LexicalResources::installed() {
    static const LexicalResources resources(
        fileText("KODEXA_OPENTHESAURUS", "/usr/share/openthesaurus-de/openthesaurus.txt"));
    return resources;
}

LexicalResources::LexicalResources(std::string thesaurusText) : thesaurus_(std::move(thesaurusText)) {
    setsByWord_.reserve(100000);
    forEachLine(thesaurus_, [this](std::string_view line, std::uint32_t start) {
        for (std::string_view term : split(line, ";"))
            addLine(setsByWord_, singleWordKey(term), start, MaxSetsPerWord);
    });
}

Expansions LexicalResources::synonymsOf(std::string_view key) const {
    Expansions synonyms;
    auto found = setsByWord_.find(std::string(key));
    if (found == setsByWord_.end())
        return synonyms;
    for (std::uint32_t start : found->second)
        for (std::string_view term : split(lineAt(thesaurus_, start), ";"))
            if (std::vector<std::string> keys = phraseKeys(term, MaxPhraseWords);
                !keys.empty() && !(keys.size() == 1 && keys.front() == key) &&
                std::find(synonyms.begin(), synonyms.end(), keys) == synonyms.end())
                synonyms.push_back(std::move(keys));
    return synonyms;
}

} // namespace kodexa::keyword
