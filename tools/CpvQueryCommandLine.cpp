// cpvquery's command line: the options, their help, and the refusal of a call that is wrong.
#include "CpvQuery.h"

#include "Cp1252.h"
#include "KodexaVersion.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kodexa::cpvquery {
namespace {

// What an option does to the run; options of different kinds may only go together as
// compatible() allows. View options (order, the filter printed) go with either way of selecting
// rows: the search's two texts or a filter expression of one's own.
enum class Kind {
    View,
    Search,
    Filter,
    Tree,
    Locate,
    Summary,
    Pdf,
    PageFile,
    Words,
    Limit,
    CheckDigit,
    Help,
    Version
};

struct KnownOption {
    std::string_view name;
    Kind kind;
    std::string_view value; // what --help calls the value; empty for an option without one
    std::string_view description;
};

constexpr KnownOption KnownOptions[] = {
    {"--sort", Kind::View, "code|desc", "order the list by code (the default) or by description"},
    {"--code", Kind::Search, "TEXT", "keep the codes that begin with TEXT"},
    {"--desc", Kind::Search, "TEXT", "keep the rows whose description contains TEXT, in any case"},
    {"--filter", Kind::Filter, "EXPR", "keep the rows for which the filter expression EXPR holds"},
    {"--print-filter", Kind::View, "", "print the table's filter expression first, as FILTER[...]"},
    {"--tree", Kind::Tree, "", "print the code tree instead: depth, TAB, node text"},
    {"--locate", Kind::Locate, "", "print each row's code, TAB, the tree node a double-click opens"},
    {"--report-summary", Kind::Summary, "", "print the print run's pages: rows and first..last code"},
    {"--pdf", Kind::Pdf, "FILE", "write the print run (or the page file) as PDF to FILE"},
    {"--page-file", Kind::PageFile, "FILE", "open a saved page file (*.ndr) and print its page count"},
    {"--words", Kind::Words, "TEXT", "print the codes that best meet the keywords TEXT, best first"},
    {"--limit", Kind::Limit, "N", "with --words: print at most N codes (1 to 9454; 20 if not given)"},
    {"--check-digit", Kind::CheckDigit, "", "write each code listed as published: 45233140-2"},
    {"--help", Kind::Help, "", "print this help and exit"},
    {"--version", Kind::Version, "", "print the version and exit"},
};

constexpr std::string_view Usage =
    "Usage: cpvquery [--sort code|desc] [--code TEXT] [--desc TEXT] [--print-filter]\n"
    "                [--tree | --locate | --report-summary | --pdf FILE] [--check-digit]\n"
    "  or:  cpvquery [--sort code|desc] --filter EXPR [--print-filter]\n"
    "                [--locate | --report-summary | --pdf FILE] [--check-digit]\n"
    "  or:  cpvquery --page-file FILE [--pdf FILE]\n"
    "  or:  cpvquery --words TEXT [--limit N] [--check-digit]\n";

constexpr std::string_view Description =
    "Prints the built-in CPV 2007 code list, one row a line (code, TAB, description; UTF-8),\n"
    "searched and sorted as the program's search does.\n";

constexpr std::string_view FilterExpressionHelp =
    "EXPR is the table's filter language: the fields CPV_ID and CPV_DESC, texts in single\n"
    "quotes, = <> < <= > >= (in the collation's order), [NOT] LIKE ('%' any run, '_' one\n"
    "character), UPPER(...), IS [NOT] NULL, NOT, AND, OR and parentheses. For example:\n"
    "  cpvquery --filter \"CPV_ID LIKE '03%' OR CPV_ID LIKE '09%'\"\n";

constexpr std::string_view KeywordHelp =
    "--words is the ranked keyword search: every word counts, in any order, inside compounds\n"
    "and across the words of a term, inflected, with one typo in a longer word, with the\n"
    "everyday words buyers use and the English terms. It prints nothing when nothing meets\n"
    "the words well enough. For example:\n"
    "  cpvquery --words \"reinigung büro\" --limit 5\n";

constexpr std::string_view CheckDigitHelp =
    "A code given with its check digit (--code 45233140-2) searches its eight digits; a digit\n"
    "that is not the published one is told on standard error, and the rows follow as ever.\n"
    "--check-digit writes every code listed in its published form, 45233140-2: the rows, the\n"
    "keyword search's codes, the tree's node texts and the located nodes.\n";

constexpr std::string_view Epilogue =
    "Exit status: 0 on success, 1 on a failure (output that cannot be written, a PDF that\n"
    "cannot be made), 2 on a wrong call, a rejected search or filter expression or a refused\n"
    "page file.\n";

const KnownOption* findOption(std::string_view name) {
    const auto found = std::find_if(std::begin(KnownOptions), std::end(KnownOptions),
                                    [&](const KnownOption& known) { return known.name == name; });
    return found == std::end(KnownOptions) ? nullptr : found;
}

// The options that select and order rows go with a mode that shows the table; the search and a
// filter expression are two ways of selecting them, of which one is taken. A page file is the whole
// input and goes only with the PDF it becomes; the tree is built from its own table.
bool compatible(Kind first, Kind second) {
    if (first == second)
        return true;
    const auto pair = [&](Kind a, Kind b) {
        return (first == a && second == b) || (first == b && second == a);
    };
    for (Kind rows : {Kind::View, Kind::Search, Kind::Filter}) {
        if (pair(rows, Kind::Locate) || pair(rows, Kind::Summary) || pair(rows, Kind::Pdf))
            return true;
    }
    // The published form goes wherever codes are listed; the printed list keeps its own.
    if (first == Kind::CheckDigit || second == Kind::CheckDigit) {
        const Kind other = first == Kind::CheckDigit ? second : first;
        return other != Kind::Summary && other != Kind::Pdf && other != Kind::PageFile;
    }
    return pair(Kind::View, Kind::Search) || pair(Kind::View, Kind::Filter) ||
           pair(Kind::Pdf, Kind::PageFile) || pair(Kind::Words, Kind::Limit);
}

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

std::size_t limitValue(std::string_view value) {
    // The value counts, not how it is written: leading zeros are read past.
    std::string_view number = value.substr(std::min(value.find_first_not_of('0'), value.size()));
    const bool digits = !value.empty() && number.size() <= 5 &&
                        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    const std::size_t limit = digits && !number.empty() ? std::stoul(std::string(number)) : 0;
    if (limit < 1 || limit > Options::MaxLimit)
        throw UsageError("option '--limit' takes a whole number from 1 to " +
                         std::to_string(Options::MaxLimit) + ", not '" + shownArgument(value) + "'");
    return limit;
}

std::string fileValue(std::string_view option, std::string_view value) {
    if (value.empty())
        throw UsageError("option '" + std::string(option) + "' takes a file name, not ''");
    return std::string(value);
}

void setValue(Options& options, std::string_view name, std::string_view value) {
    if (name == "--sort") {
        if (value != "code" && value != "desc")
            throw UsageError("option '--sort' takes 'code' or 'desc', not '" + shownArgument(value) + "'");
        options.sortByDescription = value == "desc";
    } else if (name == "--code") {
        options.codeText = textValue(name, value);
    } else if (name == "--desc") {
        options.descriptionText = textValue(name, value);
    } else if (name == "--filter") {
        options.filterExpression = textValue(name, value);
    } else if (name == "--pdf") {
        options.pdfFile = fileValue(name, value);
    } else if (name == "--page-file") {
        options.pageFile = fileValue(name, value);
    } else if (name == "--words") {
        // The keyword search folds any character itself; only malformed UTF-8 is refused.
        if (kodexa::cp1252::fromUtf8Strict(value).problem ==
            kodexa::cp1252::StrictConversion::Problem::MalformedUtf8)
            throw OptionValueError("option '--words': the value is not valid UTF-8");
        options.words = std::string(value);
    } else if (name == "--limit") {
        options.limit = limitValue(value);
    }
}

void setFlag(Options& options, std::string_view name) {
    options.printFilter |= name == "--print-filter";
    options.tree |= name == "--tree";
    options.locate |= name == "--locate";
    options.reportSummary |= name == "--report-summary";
    options.checkDigits |= name == "--check-digit";
}

// Read in the order given, the first option that cannot go with one before it, and that one.
void refuseConflicts(const std::vector<const KnownOption*>& given) {
    for (std::size_t later = 1; later < given.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            if (!compatible(given[earlier]->kind, given[later]->kind))
                throw UsageError("options '" + std::string(given[earlier]->name) + "' and '" +
                                 std::string(given[later]->name) + "' cannot be combined");
        }
    }
}

// The length of the well-formed UTF-8 sequence that text begins with (its first byte 0x80 or
// above), or 0: no overlong form, no surrogate, nothing beyond U+10FFFF.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80; // the second byte's range
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

std::string shownArgument(std::string_view argument) {
    std::string shown;
    const auto escape = [&](std::string_view bytes) {
        for (char byte : bytes) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(byte));
            shown += escaped;
        }
    };
    for (std::size_t i = 0; i < argument.size();) {
        const auto byte = static_cast<unsigned char>(argument[i]);
        const std::size_t length = byte < 0x80 ? 1 : utf8SequenceLength(argument.substr(i));
        const std::string_view sequence = argument.substr(i, std::max<std::size_t>(length, 1));
        // Control characters, C1 ones included (U+009B opens a terminal command as ESC [ does).
        const bool control = byte < 0x20 || byte == 0x7F ||
                             (byte == 0xC2 && length == 2 && static_cast<unsigned char>(sequence[1]) < 0xA0);
        if (length == 0 || control)
            escape(sequence);
        else
            shown += sequence;
        i += sequence.size();
    }
    return shown;
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    std::vector<const KnownOption*> given; // first use of each, in order
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            if (i + 1 < argc)
                throw UsageError("unexpected argument '" + shownArgument(argv[i + 1]) + "'");
            break;
        }
        if (argument.size() < 2 || argument[0] != '-')
            throw UsageError("unexpected argument '" + shownArgument(argument) + "'");
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const KnownOption* known = name.starts_with("--") ? findOption(name) : nullptr;
        if (known == nullptr)
            throw UsageError("unknown option '" + shownArgument(argument) + "'");
        if (known->value.empty() && equals != std::string_view::npos)
            throw UsageError("option '" + std::string(known->name) + "' takes no value");
        if (known->kind == Kind::Help || known->kind == Kind::Version) {
            line.action =
                known->kind == Kind::Help ? CommandLine::Action::Help : CommandLine::Action::Version;
            return line;
        }
        // A value given twice is a mistake in a script (which one was meant?); a flag given twice
        // means what it means once.
        if (std::find(given.begin(), given.end(), known) == given.end())
            given.push_back(known);
        else if (!known->value.empty())
            throw UsageError("option '" + std::string(known->name) + "' may be given only once");
        if (known->value.empty()) {
            setFlag(line.options, known->name);
        } else if (equals != std::string_view::npos) {
            setValue(line.options, known->name, argument.substr(equals + 1));
        } else {
            if (i + 1 >= argc)
                throw UsageError("option '" + std::string(known->name) + "' needs a value");
            setValue(line.options, known->name, argv[++i]); // taken as it is, even when it begins with '-'
        }
    }
    refuseConflicts(given);
    if (line.options.limit && !line.options.words)
        throw UsageError("option '--limit' goes only with '--words'");
    return line;
}

std::string helpText() {
    std::string text(Usage);
    text += '\n';
    text += Description;
    text += "\nOptions:\n";
    for (const KnownOption& known : KnownOptions) {
        std::string left = "  " + std::string(known.name);
        if (!known.value.empty())
            left += " " + std::string(known.value);
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += left;
        text += known.description;
        text += '\n';
    }
    text += "\nA value may also follow its option after '=' (--code=03); \"--\" ends the options. An option\n"
            "with a value may be given once.\n\n";
    text += FilterExpressionHelp;
    text += '\n';
    text += KeywordHelp;
    text += '\n';
    text += CheckDigitHelp;
    text += '\n';
    text += Epilogue;
    return text;
}

std::string versionText() {
    return "cpvquery (Kodexa) " KODEXA_VERSION "\n";
}

} // namespace kodexa::cpvquery
