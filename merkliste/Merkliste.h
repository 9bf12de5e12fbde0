#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The Merkliste: the codes a buyer collects for one purchase, one of them the main code. Knows no
// toolkit; text is Windows-1252 as everywhere in the code list, the file and the export UTF-8.
namespace kodexa::merkliste {

// The kind of contract a code's division stands for.
enum class ContractKind { Supplies, Works, Services, None };
ContractKind kindOf(std::string_view code);
// "Lieferung", "Bauleistung", "Dienstleistung"; empty for None.
std::string_view kindName(ContractKind kind);

enum class Role { Main, Additional };
// "Hauptgegenstand", "Zusatz".
std::string_view roleName(Role role);

// The codes of the list and their terms, for reading a file: a code the list does not have is
// not read.
class CodeTerms {
public:
    void add(std::string code, std::string term) { terms_.emplace(std::move(code), std::move(term)); }
    const std::string* termOf(std::string_view code) const;

private:
    std::unordered_map<std::string, std::string> terms_;
};

struct Entry {
    std::string code;
    std::string term;
};

class Merkliste {
public:
    enum class Added { Added, AlreadyThere };

    // Adds a code at the end, unless it is there already. The first code becomes the main code.
    Added add(std::string code, std::string term);
    void remove(std::size_t index);
    // Moves the entry at index by one place up (-1) or down (+1); returns its new index.
    std::size_t move(std::size_t index, int by);
    void makeMain(std::size_t index);

    const std::vector<Entry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    Role roleOf(std::size_t index) const;
    std::optional<std::size_t> mainIndex() const;
    // Whether the codes are of more than one kind of contract.
    bool mixesKinds() const;
    // Whether both hold the same codes in the same order with the same main code.
    bool sameCodesAs(const Merkliste& other) const;

    // The whole list as text to paste, main code first, one "45000000-7 Bauarbeiten" a line: the
    // codes as published.
    std::string copyText() const;
    // The file: UTF-8, a header line, then "code<TAB>term<TAB>role" a line in the list's order.
    std::string fileText() const;
    // The export: for German spreadsheet programs (UTF-8 with a byte-order mark, semicolons,
    // CRLF, the header Code;Bezeichnung;Art;Rolle). The codes go as published, "45000000-7",
    // which spreadsheets keep as text with its leading zero.
    std::string csvText() const;

private:
    std::vector<Entry> entries_;
    std::unordered_set<std::string> codes_; // of the entries, so that adding stays constant in cost
    std::string mainCode_;
};

// A file read back: the lines that could be read, and whether any could not (then the file is
// kept aside, never overwritten).
struct ReadList {
    Merkliste list;
    std::size_t unreadLines = 0;
    bool headerMissing = false;
    bool damaged = false;
};
ReadList readFileText(std::string_view utf8, const CodeTerms& terms);

// Two programs' changes to one list: `ours` and `theirs` both grew from `base`. Codes either side
// added are kept, codes either side removed are gone, the order is the one of the side that
// reordered (ours where both did), and a main code either side chose wins (ours where both did;
// theirs, the file's, where both began from an empty list).
Merkliste mergeChanges(const Merkliste& base, const Merkliste& ours, const Merkliste& theirs);

} // namespace kodexa::merkliste
