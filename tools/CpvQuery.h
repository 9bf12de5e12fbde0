#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kodexa {
class TClientDataSet;
}

namespace kodexa::cpvquery {

// Exit statuses, as GNU programs use them. A rejected search exits with WrongUse as well, and so
// does a page file that is refused (scripts test for that status).
enum ExitStatus : int { Success = 0, Failure = 1, WrongUse = 2 };

struct Options {
    bool sortByDescription = false;
    std::string codeText;        // Windows-1252, as typed input would be
    std::string descriptionText; // Windows-1252
    // Windows-1252; set as the table's filter expression in place of the search
    std::optional<std::string> filterExpression;
    bool printFilter = false;
    bool tree = false;
    bool locate = false;
    bool reportSummary = false;
    bool checkDigits = false; // every code listed as published, "45233140-2"
    std::optional<std::string> pdfFile;
    std::optional<std::string> pageFile; // alone or with pdfFile; no table, no search
    std::optional<std::string> words;    // UTF-8: the keyword search in place of the table
    std::optional<std::size_t> limit;    // with words; DefaultLimit when not given
    static constexpr std::size_t DefaultLimit = 20;
    static constexpr std::size_t MaxLimit = 9454; // every code of the list

    // The modes that need the toolkit and the report engine (the report program runs them).
    bool reportMode() const { return reportSummary || pdfFile || pageFile; }
};

struct CommandLine {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;
    Options options;
};

// A call that the program does not understand; the message names the argument ("unknown option
// '--bogus'"). The program says it, points to --help and exits with WrongUse.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A --code or --desc value that the code list cannot hold; refused with WrongUse, without a hint.
class OptionValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments in order. --help and --version act where they stand: what comes after them
// is not looked at. Options with a value take it as the next argument or after '='
// ("--code=03"); "--" ends the options, and as the program takes no other arguments, anything
// after it is refused too. Throws UsageError or OptionValueError.
CommandLine parseCommandLine(int argc, const char* const* argv);

// A --filter expression that the table's reader rejects. The message is the error report's text,
// told on standard error like a rejected search's; unlike the search, no rows follow (WrongUse).
class RejectedFilterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text of --help (the usage and one line for each option) and of --version.
std::string helpText();
std::string versionText();

// An argument as an error message shows it: control characters and bytes that are not UTF-8
// written as \xNN, so that a hostile argument cannot drive the terminal. Every message that may
// carry outside text (a file name, a token of an expression) goes through it as a whole.
std::string shownArgument(std::string_view argument);

// The whole program, for both executables: parses, runs and returns the exit status. Output that
// cannot be written fails the run.
int runProgram(int argc, char** argv);

// The report modes (Options::reportMode). cpvquery hands the whole call to the report program
// (CpvQueryReportHelper.cpp), which links the toolkit; the report program runs them itself.
int runReportModes(const Options& options, char** argv);

// Loads the carried list as the main window's table, sets the order and runs the search as the
// "&Suchen" button does, or sets the --filter expression as the table's filter; prints the filter
// first when asked. A rejected search is told on err and gives WrongUse; the table then shows every
// row, as the window does. A rejected filter expression throws RejectedFilterError.
int searchTable(TClientDataSet& table, const Options& options, std::ostream& out, std::ostream& err);

// Fonts need a QGuiApplication; a command-line tool must not need a display for it. One is made,
// always on the offscreen platform, for as long as the session lives.
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
int printTree(std::ostream& out, bool checkDigits = false);
// The keyword search's codes for options.words, best first: code, TAB, description.
int printKeywordHits(const Options& options, std::ostream& out);
int printLocate(TClientDataSet& table, std::ostream& out, bool checkDigits = false);
// A code as a listing writes it: the eight digits, or as published with --check-digit.
std::string listedCode(std::string_view code, bool checkDigits);
// A node text ("45233140: Straßenarbeiten") with its code as published.
std::string listedNodeText(std::string_view text, bool checkDigits);
int printReportSummary(TClientDataSet& table, std::ostream& out);
int writePdf(TClientDataSet& table, const std::string& file, std::ostream& err);
// Opens a saved page file as the preview's Open does. Without pdfFile it prints "pages", TAB and the
// page count; with it, writes the pages as PDF through the preview's paint routine. A file that is
// refused is told on err, with status 2.
int runPageFile(const std::string& file, const std::optional<std::string>& pdfFile, std::ostream& out,
                std::ostream& err);

} // namespace kodexa::cpvquery
