// cpvquery: the headless front end over the code list, for scripts, benchmarks and checks.
//
//   cpvquery [--sort code|desc] [--code TEXT] [--desc TEXT] [--print-filter]
//            [--tree | --locate | --report-summary | --pdf FILE]
//   cpvquery --page-file FILE [--pdf FILE]
//
// It loads the carried list as the main window's table, sets the order, runs the search exactly as
// the "&Suchen" button does and prints the resulting view, one row a line (code TAB description,
// UTF-8). A rejected search prints the error report's text on standard error, then the view that
// remains, and exits with status 2, as does a --code or --desc value that is not UTF-8 or has a
// character that the code list cannot hold. Output that cannot be written fails the run (status 1).
// --page-file opens a saved page file instead (CpvQueryPageFile.cpp).
#include "CpvQuery.h"

#include "ClientDataSet.h"
#include "CodeList.h"
#include "Cp1252.h"
#include "DatabaseError.h"
#include "ErrorText.h"
#include "Search.h"
#include "StandardOutput.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

using kodexa::cpvquery::Options;

constexpr std::string_view Usage =
    "usage: cpvquery [--sort code|desc] [--code TEXT] [--desc TEXT] [--print-filter]\n"
    "                [--tree | --locate | --report-summary | --pdf FILE]\n"
    "       cpvquery --page-file FILE [--pdf FILE]\n";

// A value that the program refuses rather than change.
class OptionValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text option's value as the code list holds text. The command line is taken strictly: a
// malformed sequence must not become a character (the overlong "\xC0\xA7" a quote), nor a character
// outside the code page the "?" that the search fields make of typed input.
std::string textValue(std::string_view option, std::string_view value) {
    const kodexa::cp1252::StrictConversion text = kodexa::cp1252::fromUtf8Strict(value);
    const std::string prefix = "option '" + std::string(option) + "': the value ";
    switch (text.problem) {
    case kodexa::cp1252::StrictConversion::Problem::None:
        return text.text;
    case kodexa::cp1252::StrictConversion::Problem::MalformedUtf8:
        throw OptionValueError(prefix + "is not valid UTF-8");
    case kodexa::cp1252::StrictConversion::Problem::OutsideCodePage: {
        char codePoint[16];
        std::snprintf(codePoint, sizeof codePoint, "U+%04X", static_cast<unsigned>(text.character));
        throw OptionValueError(prefix + "has a character that the code list cannot hold: " + codePoint);
    }
    }
    throw OptionValueError(prefix + "cannot be read");
}

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    bool searchGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        searchGiven |= arg == "--sort" || arg == "--code" || arg == "--desc" || arg == "--print-filter";
        if (arg == "--sort" && hasValue) {
            const std::string_view order = argv[++i];
            if (order != "code" && order != "desc")
                return std::nullopt;
            options.sortByDescription = order == "desc";
        } else if (arg == "--code" && hasValue) {
            options.codeText = textValue(arg, argv[++i]);
        } else if (arg == "--desc" && hasValue) {
            options.descriptionText = textValue(arg, argv[++i]);
        } else if (arg == "--pdf" && hasValue) {
            options.pdfFile = argv[++i];
        } else if (arg == "--page-file" && hasValue) {
            options.pageFile = argv[++i];
        } else if (arg == "--print-filter") {
            options.printFilter = true;
        } else if (arg == "--tree") {
            options.tree = true;
        } else if (arg == "--locate") {
            options.locate = true;
        } else if (arg == "--report-summary") {
            options.reportSummary = true;
        } else {
            return std::nullopt;
        }
    }
    const int modes = options.tree + options.locate + options.reportSummary + options.pdfFile.has_value();
    if (modes > 1)
        return std::nullopt;
    if (options.pageFile && (searchGiven || options.tree || options.locate || options.reportSummary))
        return std::nullopt;
    return options;
}

void printView(kodexa::TClientDataSet& table, std::ostream& out) {
    std::string text;
    for (table.first(); !table.eof(); table.next()) {
        text += kodexa::cp1252::toUtf8(table.fieldAsString(kodexa::codelist::CodeField));
        text += '\t';
        text += kodexa::cp1252::toUtf8(table.fieldAsString(kodexa::codelist::DescriptionField));
        text += '\n';
    }
    out << text;
}

int run(const Options& options) {
    using namespace kodexa;
    if (options.pageFile)
        return cpvquery::runPageFile(*options.pageFile, options.pdfFile, std::cout, std::cerr);
    if (options.tree)
        return cpvquery::printTree(std::cout);

    TClientDataSet table("ClientDataSet1");
    codelist::loadCarried(table);
    if (options.sortByDescription)
        table.setIndexFieldNames(codelist::DescriptionField);

    int status = 0;
    try {
        applySearch(table, options.codeText, options.descriptionText);
    } catch (const DatabaseError& error) {
        std::cerr << errorReportText(error.what()) << '\n';
        status = 2;
    }
    if (options.printFilter)
        std::cout << "FILTER[" << cp1252::toUtf8(table.filter()) << "]\n";

    int modeStatus = 0;
    if (options.locate)
        modeStatus = cpvquery::printLocate(table, std::cout);
    else if (options.reportSummary)
        modeStatus = cpvquery::printReportSummary(table, std::cout);
    else if (options.pdfFile)
        modeStatus = cpvquery::writePdf(table, *options.pdfFile, std::cerr);
    else
        printView(table, std::cout);
    return status != 0 ? status : modeStatus;
}

int runCommandLine(int argc, char** argv) {
    try {
        const std::optional<Options> options = parseOptions(argc, argv);
        if (!options) {
            std::cerr << Usage;
            return 64;
        }
        return run(*options);
    } catch (const OptionValueError& error) {
        std::cerr << "cpvquery: " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "cpvquery: " << error.what() << '\n';
        return 1;
    } catch (...) {
        std::cerr << "cpvquery: stopped on an unknown error\n";
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    kodexa::cpvquery::StandardOutput output;
    const int status = runCommandLine(argc, argv);
    if (!output.finish())
        return 1;
    return status;
}
