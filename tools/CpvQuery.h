#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace kodexa {
class TClientDataSet;
}

namespace kodexa::cpvquery {

struct Options {
    bool sortByDescription = false;
    std::string codeText;        // Windows-1252, as typed input would be
    std::string descriptionText; // Windows-1252
    bool printFilter = false;
    bool tree = false;
    bool locate = false;
    bool reportSummary = false;
    std::optional<std::string> pdfFile;
};

// Each mode prints to out and returns the exit status. The table arrives loaded as the main
// window's table, sorted and searched as the options say.
int printTree(std::ostream& out);
int printLocate(TClientDataSet& table, std::ostream& out);
int printReportSummary(TClientDataSet& table, std::ostream& out);
int writePdf(TClientDataSet& table, const std::string& file, std::ostream& err);

} // namespace kodexa::cpvquery
