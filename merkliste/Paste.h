#pragma once

#include "Merkliste.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Codes pasted into the Merkliste as a buyer copies them: from a notice's CPV section, a portal, a
// spreadsheet column or a tender text, with or without check digit and terms.
namespace kodexa::merkliste {

// Beyond this much text a paste is refused whole, so that it stays quick and nothing is taken from
// a text that was not meant (a whole document, a file copied by mistake).
constexpr std::size_t MaxPastedBytes = 4 * 1024 * 1024;

struct PastedCodes {
    enum class Refusal { WrongCheckDigit, Unknown };
    struct Refused {
        std::string written; // as it stood: "45233140-9", "99999999"
        Refusal why;
    };
    std::vector<std::string> codes; // of the list, in the order found, none twice
    std::vector<Refused> refused;   // in the order found, each once
    std::size_t linesWithoutCode = 0;
    bool tooLarge = false; // nothing read
};

// The codes of a UTF-8 text that the list has. A code needs its eight digits standing apart; a
// spreadsheet cell of seven digits alone is a code that lost its leading zero. A code written with
// a check digit that is not the published one is refused, as is one the list does not have.
PastedCodes readPastedCodes(std::string_view utf8, const CodeTerms& terms);

struct PasteOutcome {
    PastedCodes read;
    std::size_t added = 0;
    std::size_t alreadyThere = 0;
};

// Adds the codes read from the text at the list's end, with their terms.
PasteOutcome pasteCodes(Merkliste& list, std::string_view utf8, const CodeTerms& terms);

// The outcome in one short German line (UTF-8): "3 Codes hinzugefügt; nicht übernommen:
// 45233140-9 (Prüfziffer), 99999999 (unbekannt)".
std::string pasteSummary(const PasteOutcome& outcome);

} // namespace kodexa::merkliste
