// The codes and terms of the list's sources in data/, for making the index.
#include "KeywordIndex.h"

#include "CodeList.h"

#include <stdexcept>
#include <unordered_map>

namespace kodexa::keyword {

std::vector<CodeTerms> codeTermsFromSources(std::string_view germanTsv, std::string_view englishTsv) {
    RowStore rows = codelist::rowsFromTsv(germanTsv);
    std::unordered_map<std::string_view, std::string_view> englishByCode;
    englishTsv.remove_prefix(std::min(englishTsv.size(), englishTsv.find('\n') + 1)); // the header
    for (std::size_t lineNumber = 2; !englishTsv.empty(); ++lineNumber) {
        std::size_t end = englishTsv.find('\n');
        std::string_view line = englishTsv.substr(0, end);
        englishTsv.remove_prefix(end == std::string_view::npos ? englishTsv.size() : end + 1);
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            throw std::runtime_error("English terms, line " + std::to_string(lineNumber) + ": no tab");
        englishByCode.emplace(line.substr(0, tab), line.substr(tab + 1));
    }
    std::vector<CodeTerms> codes;
    codes.reserve(rows.rowCount());
    for (std::size_t row = 0; row < rows.rowCount(); ++row) {
        std::string code(rows.value(row, 0).value_or(""));
        auto english = englishByCode.find(code);
        codes.push_back({code, std::string(rows.value(row, 1).value_or("")),
                         english == englishByCode.end() ? std::string() : std::string(english->second)});
    }
    return codes;
}

} // namespace kodexa::keyword
