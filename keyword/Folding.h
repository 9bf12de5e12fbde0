#pragma once

#include <string>
#include <string_view>
#include <vector>

// How the keyword search sees text: every word reduced to a key of small ASCII letters and digits,
// so that spellings a buyer may type meet the list's own. Case goes, accents go, ä/ö/ü become
// a/o/u and ß becomes ss; then ae/oe/ue become a/o/u as well, so that "büro", "buero" and "buro"
// share one key, and so do the umlaut plurals ("stuhl" is the start of "stühle"). Hyphens and
// apostrophes join what they stand between ("E-Mail" is "email"); every other character ends a word.
namespace kodexa::keyword {

struct FoldedWord {
    std::string key;
    // The parts a hyphen joined ("computer", "bildschirme" of "Computer-Bildschirme"); empty when
    // the word had no hyphen.
    std::vector<std::string> parts;
};

std::vector<FoldedWord> foldUtf8(std::string_view utf8);
std::vector<FoldedWord> foldCp1252(std::string_view text);

// One word's key, as a query word's is made (parts and further words are dropped).
std::string foldKey(std::string_view utf8Word);

// Whether one letter changed, added, dropped, or two neighbours swapped turn a into b (or a is b).
bool withinOneEdit(std::string_view a, std::string_view b);

} // namespace kodexa::keyword
