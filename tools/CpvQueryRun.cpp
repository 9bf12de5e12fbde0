// What both cpvquery executables run: the command line, then the mode it asks for. The list, the
// tree and the located nodes are printed here; the report modes go to runReportModes().
#include "CpvQuery.h"

#include "CheckDigits.h"
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Cp1252.h"
#include "DatabaseError.h"
#include "ErrorText.h"
#include "KeywordIndex.h"
#include "Search.h"
#include "SignalCleanup.h"
#include "StandardDescriptors.h"
#include "StandardOutput.h"

#include <csignal>
#include <exception>
#include <iostream>
#include <new>
#include <string>

#include <unistd.h>

namespace kodexa::cpvquery {
namespace {

constexpr std::string_view Hint = "Try 'cpvquery --help' for more information.\n";

constexpr char OutOfMemory[] = "cpvquery: out of memory\n";

// An exception that nothing catches: Qt lets std::bad_alloc out of code built without unwinding
// (QPainter::end() on a PDF, under "ulimit -v"). Instead of an abort with its core and the
// unfinished files, the files go, the reason is told and the status is a failure's. Nothing here
// may allocate.
[[noreturn]] void endOnUncaughtException() {
    signalcleanup::removeAll();
    bool outOfMemory = false;
    try {
        if (const std::exception_ptr thrown = std::current_exception())
            std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    } catch (...) {
    }
    constexpr char Unknown[] = "cpvquery: stopped on an unexpected error\n";
    [[maybe_unused]] const ssize_t told = outOfMemory
                                              ? ::write(STDERR_FILENO, OutOfMemory, sizeof OutOfMemory - 1)
                                              : ::write(STDERR_FILENO, Unknown, sizeof Unknown - 1);
    ::_exit(Failure);
}

// Appends Windows-1252 text as UTF-8; the list is mostly ASCII, which goes over unchanged.
void appendUtf8(std::string& out, std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
            continue;
        }
        const char32_t point = cp1252::toCodePoint(c); // below U+10000
        if (point < 0x800) {
            out += static_cast<char>(0xC0 | (point >> 6));
        } else {
            out += static_cast<char>(0xE0 | (point >> 12));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// The view, one row a line: code, TAB, description (a null value prints as empty text).
void printView(const TClientDataSet& table, std::ostream& out, bool checkDigits) {
    const std::size_t code = table.fieldByName(codelist::CodeField);
    const std::size_t description = table.fieldByName(codelist::DescriptionField);
    std::string text;
    text.reserve(table.recordCount() * 96);
    for (std::size_t position = 0; position < table.recordCount(); ++position) {
        appendUtf8(text, listedCode(table.valueAt(position, code).value_or(std::string_view()), checkDigits));
        text += '\t';
        appendUtf8(text, table.valueAt(position, description).value_or(std::string_view()));
        text += '\n';
    }
    out << text;
}

// The expression as the table's filter, exactly as given; an empty one, or one of blanks alone,
// keeps every row.
void filterTable(TClientDataSet& table, const std::string& expression) {
    const bool blank = expression.find_first_not_of(" \t\r\n") == std::string::npos;
    table.setFilter(blank ? std::string() : expression);
    try {
        table.setFiltered(true);
    } catch (const DatabaseError& error) {
        throw RejectedFilterError(errorReportText(error.what()));
    }
}

int run(const Options& options, char** argv) {
    if (options.reportMode())
        return runReportModes(options, argv);
    if (options.tree)
        return printTree(std::cout, options.checkDigits);
    if (options.words)
        return printKeywordHits(options, std::cout);
    TClientDataSet table("ClientDataSet1");
    const int status = searchTable(table, options, std::cout, std::cerr);
    const int modeStatus = options.locate ? printLocate(table, std::cout, options.checkDigits)
                                          : (printView(table, std::cout, options.checkDigits), Success);
    return status != Success ? status : modeStatus;
}

int runCommandLine(int argc, char** argv) {
    try {
        const CommandLine line = parseCommandLine(argc, argv);
        switch (line.action) {
        case CommandLine::Action::Help:
            std::cout << helpText();
            return Success;
        case CommandLine::Action::Version:
            std::cout << versionText();
            return Success;
        case CommandLine::Action::Run:
            break;
        }
        return run(line.options, argv);
    } catch (const UsageError& error) {
        std::cerr << "cpvquery: " << error.what() << '\n' << Hint;
        return WrongUse;
    } catch (const OptionValueError& error) {
        std::cerr << "cpvquery: " << error.what() << '\n';
        return WrongUse;
    } catch (const RejectedFilterError& error) {
        std::cerr << shownArgument(error.what()) << '\n';
        return WrongUse;
    } catch (const std::bad_alloc&) {
        std::cerr << OutOfMemory;
        return Failure;
    } catch (const std::exception& error) {
        std::cerr << "cpvquery: " << shownArgument(error.what()) << '\n';
        return Failure;
    } catch (...) {
        std::cerr << "cpvquery: stopped on an unknown error\n";
        return Failure;
    }
}

} // namespace

int searchTable(TClientDataSet& table, const Options& options, std::ostream& out, std::ostream& err) {
    codelist::loadCarried(table);
    if (options.sortByDescription)
        table.setIndexFieldNames(codelist::DescriptionField);
    int status = Success;
    if (options.filterExpression) {
        filterTable(table, *options.filterExpression);
    } else {
        // A mistyped check digit still searches the eight digits, as scripts rely on; it is told.
        if (const std::optional<std::string> published = codelist::wrongCheckDigit(options.codeText))
            err << "cpvquery: the check digit of '" << shownArgument(options.codeText)
                << "' is not the published one: " << *published << '\n';
        try {
            applySearch(table, options.codeText, options.descriptionText);
        } catch (const DatabaseError& error) {
            err << shownArgument(errorReportText(error.what())) << '\n';
            status = WrongUse;
        }
    }
    if (options.printFilter)
        out << "FILTER[" << cp1252::toUtf8(table.filter()) << "]\n";
    return status;
}

int printKeywordHits(const Options& options, std::ostream& out) {
    const auto hits = keyword::KeywordIndex::carried().search(*options.words,
                                                              options.limit.value_or(Options::DefaultLimit));
    std::string text;
    for (const keyword::KeywordHit& hit : hits) {
        text += listedCode(hit.code, options.checkDigits);
        text += '\t';
        appendUtf8(text, hit.description);
        text += '\n';
    }
    out << text;
    return Success;
}

std::string listedCode(std::string_view code, bool checkDigits) {
    return checkDigits ? codelist::publishedCode(code) : std::string(code);
}

std::string listedNodeText(std::string_view text, bool checkDigits) {
    // A code's node begins with its eight digits and a colon; the root is text alone.
    if (!checkDigits || text.size() < 9 || text[8] != ':')
        return std::string(text);
    return codelist::publishedCode(text.substr(0, 8)) + std::string(text.substr(8));
}

int runProgram(int argc, char** argv) {
    // The report program, run in this process's place, finds the descriptors as they were given.
    const unsigned closed = reserveStandardDescriptors();
    // A write past "ulimit -f" fails with EFBIG and is told, instead of the signal ending the
    // program silently with its file unfinished.
    std::signal(SIGXFSZ, SIG_IGN);
    signalcleanup::installHandlers();
    std::set_terminate(endOnUncaughtException);
    StandardOutput output((closed & 2U) != 0);
    const int status = runCommandLine(argc, argv);
    if (!output.finish())
        return Failure;
    return status;
}

} // namespace kodexa::cpvquery
