#include "Folding.h"

#include "Cp1252.h"

#include <utility>

namespace kodexa::keyword {
namespace {

enum class Kind { Letters, Joiner, Separator };

struct Folded {
    Kind kind;
    std::string_view letters;
};

// One character's share of a key. Characters of the Latin-1 and Latin Extended-A ranges that
// the list and a German or English keyboard produce fold to their base letters.
Folded foldCharacter(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        static const std::string ascii = "abcdefghijklmnopqrstuvwxyz0123456789";
        auto index = c <= '9' ? 26 + (c - '0') : c - 'a';
        return {Kind::Letters, std::string_view(ascii).substr(index, 1)};
    }
    if (c >= 'A' && c <= 'Z')
        return foldCharacter(c - 'A' + 'a');
    // A combining accent, as text pasted from some PDFs and Macs writes "ö" (o and U+0308): it
    // belongs to the letter before it, whose accent the key drops anyway.
    if (c >= 0x300 && c <= 0x36F)
        return {Kind::Letters, {}};
    switch (c) {
    case '-':
    case 0x2010:
    case 0x2011:
    case 0x2013:
    case '\'':
    case 0x2019:
    case 0x2018:
    case '`':
    case 0xB4:
        return {Kind::Joiner, {}};
    case 0xDF:
        return {Kind::Letters, "ss"};
    case 0xC6:
    case 0xE6:
        return {Kind::Letters, "ae"};
    case 0x152:
    case 0x153:
        return {Kind::Letters, "oe"};
    default:
        break;
    }
    struct Range {
        char32_t from, to;
        char base;
    };
    // Upper and lower case of the accented letters, each run with one base letter.
    static constexpr Range accented[] = {
        {0xC0, 0xC5, 'a'},   {0xE0, 0xE5, 'a'},   {0xC7, 0xC7, 'c'},   {0xE7, 0xE7, 'c'},
        {0xC8, 0xCB, 'e'},   {0xE8, 0xEB, 'e'},   {0xCC, 0xCF, 'i'},   {0xEC, 0xEF, 'i'},
        {0xD1, 0xD1, 'n'},   {0xF1, 0xF1, 'n'},   {0xD2, 0xD6, 'o'},   {0xF2, 0xF6, 'o'},
        {0xD8, 0xD8, 'o'},   {0xF8, 0xF8, 'o'},   {0xD9, 0xDC, 'u'},   {0xF9, 0xFC, 'u'},
        {0xDD, 0xDD, 'y'},   {0xFD, 0xFD, 'y'},   {0xFF, 0xFF, 'y'},   {0x178, 0x178, 'y'},
        {0x160, 0x161, 's'}, {0x17D, 0x17E, 'z'}, {0x100, 0x105, 'a'}, {0x106, 0x10D, 'c'},
        {0x112, 0x11B, 'e'}, {0x141, 0x142, 'l'}, {0x143, 0x148, 'n'}, {0x15A, 0x15F, 's'},
        {0x16A, 0x173, 'u'}, {0x179, 0x17C, 'z'},
    };
    for (const Range& range : accented)
        if (c >= range.from && c <= range.to)
            return foldCharacter(static_cast<char32_t>(range.base));
    return {Kind::Separator, {}};
}

// ae, oe and ue become a, o and u: the umlaut's two spellings and the dropped dots meet.
std::string plainVowels(std::string key) {
    std::string out;
    out.reserve(key.size());
    for (std::size_t i = 0; i < key.size(); ++i) {
        out += key[i];
        bool vowel = key[i] == 'a' || key[i] == 'o' || key[i] == 'u';
        if (vowel && i + 1 < key.size() && key[i + 1] == 'e')
            ++i;
    }
    return out;
}

class WordCollector {
public:
    void add(char32_t c) {
        Folded folded = foldCharacter(c);
        switch (folded.kind) {
        case Kind::Letters:
            part_ += folded.letters;
            break;
        case Kind::Joiner:
            endPart();
            break;
        case Kind::Separator:
            endWord();
            break;
        }
    }

    std::vector<FoldedWord> finish() {
        endWord();
        return std::move(words_);
    }

private:
    void endPart() {
        if (part_.empty())
            return;
        parts_.push_back(std::move(part_));
        part_.clear();
    }

    void endWord() {
        endPart();
        if (!parts_.empty()) {
            // The vowels are made plain over the whole word and over each part, so that a word
            // typed without its hyphen gets the key of the joined word.
            FoldedWord word;
            for (const std::string& part : parts_)
                word.key += part;
            word.key = plainVowels(std::move(word.key));
            if (parts_.size() > 1)
                for (std::string& part : parts_)
                    word.parts.push_back(plainVowels(std::move(part)));
            words_.push_back(std::move(word));
        }
        parts_.clear();
    }

    std::string part_;
    std::vector<std::string> parts_;
    std::vector<FoldedWord> words_;
};

} // namespace

std::vector<FoldedWord> foldUtf8(std::string_view utf8) {
    WordCollector words;
    // A malformed sequence (MalformedUtf8) ends a word, as any character the search does not know.
    for (std::size_t i = 0; i < utf8.size();)
        words.add(cp1252::decodeUtf8(utf8, i));
    return words.finish();
}

std::vector<FoldedWord> foldCp1252(std::string_view text) {
    WordCollector words;
    for (char c : text)
        words.add(cp1252::toCodePoint(c));
    return words.finish();
}

std::string foldKey(std::string_view utf8Word) {
    auto words = foldUtf8(utf8Word);
    return words.empty() ? std::string() : words.front().key;
}

bool withinOneEdit(std::string_view a, std::string_view b) {
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1)
        return false;
    std::size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (i == a.size())
        return true;
    if (a.size() < b.size())
        return a.substr(i) == b.substr(i + 1);
    if (a.substr(i + 1) == b.substr(i + 1))
        return true;
    return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.substr(i + 2) == b.substr(i + 2);
}

} // namespace kodexa::keyword
