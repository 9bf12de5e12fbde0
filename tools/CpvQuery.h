#pragma once

#include <iosfwd>
#include <memory>
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
    std::optional<std::string> pageFile; // alone or with pdfFile; no table, no search
};

// Fonts need a QGuiApplication; a command-line tool must not need a display for it. One is made,
// offscreen unless a platform is set, for as long as the session lives.
class GuiSession {
public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

private:
    struct Application;
    std::unique_ptr<Application> application_;
};

// Each mode prints to out and returns the exit status. The table arrives loaded as the main
// window's table, sorted and searched as the options say.
int printTree(std::ostream& out);
int printLocate(TClientDataSet& table, std::ostream& out);
int printReportSummary(TClientDataSet& table, std::ostream& out);
int writePdf(TClientDataSet& table, const std::string& file, std::ostream& err);
// Opens a saved page file as the preview's Open does. Without pdfFile it prints "pages", TAB and the
// page count; with it, writes the pages as PDF through the preview's paint routine. A file that is
// refused is told on err, with status 2.
int runPageFile(const std::string& file, const std::optional<std::string>& pdfFile, std::ostream& out,
                std::ostream& err);

} // namespace kodexa::cpvquery
