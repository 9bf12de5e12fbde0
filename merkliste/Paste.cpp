#include "Paste.h"

#include "CheckDigits.h"
#include "WrittenCodes.h"

#include <algorithm>
#include <unordered_set>

namespace kodexa::merkliste {
namespace {

// The refused codes the summary names; the rest it counts.
constexpr std::size_t NamedRefusals = 5;

std::string_view trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t\r\v\f");
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\v\f") - begin + 1);
}

bool isSevenDigits(std::string_view text) {
    return text.size() == 7 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 9454 as "9.454".
std::string germanCount(std::size_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, '.');
    return digits;
}

class Reader {
public:
    explicit Reader(const CodeTerms& terms) : terms_(terms) {}

    // One line: its cells (tab-separated, as spreadsheets copy them) read in order.
    void readLine(std::string_view line) {
        if (trimmed(line).empty())
            return;
        const std::size_t before = found();
        for (std::size_t begin = 0;;) {
            const std::size_t tab = line.find('\t', begin);
            readCell(
                line.substr(begin, tab == std::string_view::npos ? std::string_view::npos : tab - begin));
            if (tab == std::string_view::npos)
                break;
            begin = tab + 1;
        }
        if (found() == before)
            ++read_.linesWithoutCode;
    }

    PastedCodes take() { return std::move(read_); }

private:
    std::size_t found() const { return read_.codes.size() + read_.refused.size() + repeated_; }

    void readCell(std::string_view cell) {
        if (const std::string_view alone = trimmed(cell); isSevenDigits(alone)) {
            take(codelist::WrittenCode{'0' + std::string(alone), std::nullopt, std::string(alone)});
            return;
        }
        for (codelist::WrittenCode& code : codelist::writtenCodes(cell))
            take(std::move(code));
    }

    void take(codelist::WrittenCode code) {
        std::optional<PastedCodes::Refusal> why;
        if (terms_.termOf(code.code) == nullptr)
            why = PastedCodes::Refusal::Unknown;
        else if (code.checkDigit && codelist::checkDigitOf(code.code) != code.checkDigit)
            why = PastedCodes::Refusal::WrongCheckDigit;
        if (!why) {
            if (seen_.insert(code.code).second)
                read_.codes.push_back(std::move(code.code));
            else
                ++repeated_;
        } else if (refusedSeen_.insert(code.written).second) {
            read_.refused.push_back({std::move(code.written), *why});
        } else {
            ++repeated_;
        }
    }

    const CodeTerms& terms_;
    PastedCodes read_;
    std::unordered_set<std::string> seen_;
    std::unordered_set<std::string> refusedSeen_;
    std::size_t repeated_ = 0; // found again: the line had a code all the same
};

} // namespace

PastedCodes readPastedCodes(std::string_view utf8, const CodeTerms& terms) {
    if (utf8.size() > MaxPastedBytes) {
        PastedCodes refused;
        refused.tooLarge = true;
        return refused;
    }
    Reader reader(terms);
    for (std::size_t begin = 0; begin < utf8.size();) {
        std::size_t end = utf8.find_first_of("\n\r", begin);
        if (end == std::string_view::npos)
            end = utf8.size();
        reader.readLine(utf8.substr(begin, end - begin));
        begin = end + 1;
    }
    return reader.take();
}

PasteOutcome pasteCodes(Merkliste& list, std::string_view utf8, const CodeTerms& terms) {
    PasteOutcome outcome;
    outcome.read = readPastedCodes(utf8, terms);
    for (const std::string& code : outcome.read.codes) {
        if (list.add(code, *terms.termOf(code)) == Merkliste::Added::Added)
            ++outcome.added;
        else
            ++outcome.alreadyThere;
    }
    return outcome;
}

std::string pasteSummary(const PasteOutcome& outcome) {
    const PastedCodes& read = outcome.read;
    if (read.tooLarge)
        return "Der Text ist zu groß zum Einfügen (mehr als " + germanCount(MaxPastedBytes / (1024 * 1024)) +
               " MB); die Merkliste bleibt, wie sie war.";
    if (read.codes.empty() && read.refused.empty())
        return "Kein Code gefunden; die Merkliste bleibt, wie sie war.";
    std::string summary = outcome.added == 0   ? std::string("Kein Code hinzugefügt")
                          : outcome.added == 1 ? std::string("1 Code hinzugefügt")
                                               : germanCount(outcome.added) + " Codes hinzugefügt";
    if (outcome.alreadyThere > 0)
        summary += "; " + germanCount(outcome.alreadyThere) + " schon auf der Merkliste";
    if (!read.refused.empty()) {
        summary += "; nicht übernommen: ";
        const std::size_t named = std::min(read.refused.size(), NamedRefusals);
        for (std::size_t i = 0; i < named; ++i) {
            const PastedCodes::Refused& refused = read.refused[i];
            summary +=
                (i > 0 ? ", " : "") + refused.written +
                (refused.why == PastedCodes::Refusal::WrongCheckDigit ? " (Prüfziffer)" : " (unbekannt)");
        }
        if (read.refused.size() > named)
            summary += " und " + germanCount(read.refused.size() - named) + " weitere";
    }
    if (read.linesWithoutCode > 0)
        summary += "; " + germanCount(read.linesWithoutCode) +
                   (read.linesWithoutCode == 1 ? " Zeile ohne Code" : " Zeilen ohne Code");
    return summary;
}

} // namespace kodexa::merkliste
