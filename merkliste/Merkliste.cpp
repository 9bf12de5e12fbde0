#include "Merkliste.h"

#include "CheckDigits.h"
#include "Cp1252.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace kodexa::merkliste {
namespace {

constexpr std::string_view FileHeader = "Code\tBezeichnung\tRolle";
constexpr std::string_view CsvHeader = "Code;Bezeichnung;Art;Rolle";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool isCode(std::string_view text) {
    return text.size() == 8 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A field of the export, quoted where a spreadsheet would otherwise split or misread it.
std::string csvField(std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::vector<std::string_view> split(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t at = line.find(separator);
        fields.push_back(line.substr(0, at));
        if (at == std::string_view::npos)
            return fields;
        line.remove_prefix(at + 1);
    }
}

} // namespace

ContractKind kindOf(std::string_view code) {
    if (code.size() < 2 || code[0] < '0' || code[0] > '9' || code[1] < '0' || code[1] > '9')
        return ContractKind::None;
    const int division = (code[0] - '0') * 10 + (code[1] - '0');
    if (division == 45)
        return ContractKind::Works;
    if ((division >= 3 && division <= 44) || division == 48)
        return ContractKind::Supplies;
    if (division >= 50 && division <= 98)
        return ContractKind::Services;
    return ContractKind::None;
}

std::string_view kindName(ContractKind kind) {
    switch (kind) {
    case ContractKind::Supplies:
        return "Lieferung";
    case ContractKind::Works:
        return "Bauleistung";
    case ContractKind::Services:
        return "Dienstleistung";
    case ContractKind::None:
        break;
    }
    return {};
}

std::string_view roleName(Role role) {
    return role == Role::Main ? "Hauptgegenstand" : "Zusatz";
}

const std::string* CodeTerms::termOf(std::string_view code) const {
    const auto found = terms_.find(std::string(code));
    return found != terms_.end() ? &found->second : nullptr;
}

Merkliste::Added Merkliste::add(std::string code, std::string term) {
    if (!codes_.insert(code).second)
        return Added::AlreadyThere;
    if (entries_.empty())
        mainCode_ = code;
    entries_.push_back({std::move(code), std::move(term)});
    return Added::Added;
}

void Merkliste::remove(std::size_t index) {
    if (index >= entries_.size())
        throw std::out_of_range("Merkliste: kein Eintrag an dieser Stelle");
    const bool wasMain = entries_[index].code == mainCode_;
    codes_.erase(entries_[index].code);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    // Without its main code the list takes its first code as the main one.
    if (wasMain)
        mainCode_ = entries_.empty() ? std::string() : entries_.front().code;
}

std::size_t Merkliste::move(std::size_t index, int by) {
    if (index >= entries_.size())
        throw std::out_of_range("Merkliste: kein Eintrag an dieser Stelle");
    const auto target = static_cast<std::ptrdiff_t>(index) + by;
    if (target < 0 || target >= static_cast<std::ptrdiff_t>(entries_.size()))
        return index;
    std::swap(entries_[index], entries_[static_cast<std::size_t>(target)]);
    return static_cast<std::size_t>(target);
}

void Merkliste::makeMain(std::size_t index) {
    if (index >= entries_.size())
        throw std::out_of_range("Merkliste: kein Eintrag an dieser Stelle");
    mainCode_ = entries_[index].code;
}

Role Merkliste::roleOf(std::size_t index) const {
    return index < entries_.size() && entries_[index].code == mainCode_ ? Role::Main : Role::Additional;
}

std::optional<std::size_t> Merkliste::mainIndex() const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].code == mainCode_)
            return i;
    return std::nullopt;
}

bool Merkliste::mixesKinds() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return kindOf(e.code) != kindOf(entries_.front().code); });
}

bool Merkliste::sameCodesAs(const Merkliste& other) const {
    return mainCode_ == other.mainCode_ &&
           std::equal(entries_.begin(), entries_.end(), other.entries_.begin(), other.entries_.end(),
                      [](const Entry& a, const Entry& b) { return a.code == b.code; });
}

std::string Merkliste::copyText() const {
    std::string text;
    const auto line = [&](const Entry& e) { text += codelist::publishedCode(e.code) + ' ' + e.term + '\n'; };
    const std::optional<std::size_t> main = mainIndex();
    if (main)
        line(entries_[*main]);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (i != main)
            line(entries_[i]);
    return text;
}

std::string Merkliste::fileText() const {
    std::string text(FileHeader);
    text += '\n';
    for (std::size_t i = 0; i < entries_.size(); ++i)
        text += entries_[i].code + '\t' + cp1252::toUtf8(entries_[i].term) + '\t' +
                std::string(roleName(roleOf(i))) + '\n';
    return text;
}

std::string Merkliste::csvText() const {
    std::string text(ByteOrderMark);
    text += CsvHeader;
    text += "\r\n";
    for (std::size_t i = 0; i < entries_.size(); ++i)
        text += codelist::publishedCode(entries_[i].code) + ';' + csvField(cp1252::toUtf8(entries_[i].term)) +
                ';' + std::string(kindName(kindOf(entries_[i].code))) + ';' +
                std::string(roleName(roleOf(i))) + "\r\n";
    return text;
}

ReadList readFileText(std::string_view utf8, const CodeTerms& terms) {
    ReadList read;
    if (utf8.starts_with(ByteOrderMark))
        utf8.remove_prefix(ByteOrderMark.size());
    std::vector<std::string_view> lines = split(utf8, '\n');
    if (!lines.empty() && lines.back().empty())
        lines.pop_back(); // the last line's end
    if (lines.empty()) {
        read.damaged = !utf8.empty();
        return read;
    }
    std::size_t first = 0;
    std::string_view header = lines.front();
    if (header.ends_with('\r'))
        header.remove_suffix(1);
    if (header == FileHeader)
        first = 1;
    else
        read.damaged = read.headerMissing = true; // each line is still tried as a code line
    std::string main;
    for (std::size_t i = first; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        // A blank line, as editors leave at the end, holds no code to lose.
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        const std::vector<std::string_view> fields = split(line, '\t');
        const std::string* term = fields.empty() ? nullptr : terms.termOf(fields[0]);
        const bool roleKnown = fields.size() == 3 &&
                               (fields[2] == roleName(Role::Main) || fields[2] == roleName(Role::Additional));
        if (!isCode(fields[0]) || term == nullptr || !roleKnown ||
            read.list.add(std::string(fields[0]), *term) == Merkliste::Added::AlreadyThere) {
            ++read.unreadLines;
            continue;
        }
        if (fields[2] == roleName(Role::Main) && main.empty())
            main = std::string(fields[0]);
    }
    if (read.unreadLines > 0)
        read.damaged = true;
    for (std::size_t i = 0; i < read.list.size(); ++i)
        if (read.list.entries()[i].code == main)
            read.list.makeMain(i);
    return read;
}

Merkliste mergeChanges(const Merkliste& base, const Merkliste& ours, const Merkliste& theirs) {
    auto codesOf = [](const Merkliste& list) {
        std::unordered_set<std::string> codes;
        for (const Entry& entry : list.entries())
            codes.insert(entry.code);
        return codes;
    };
    const auto inBase = codesOf(base), inOurs = codesOf(ours), inTheirs = codesOf(theirs);
    // The codes of base a side kept, in that side's order.
    auto keptInOrder = [&](const Merkliste& side, const std::unordered_set<std::string>& others) {
        std::vector<std::string> codes;
        for (const Entry& entry : side.entries())
            if (inBase.count(entry.code) && others.count(entry.code))
                codes.push_back(entry.code);
        return codes;
    };
    const bool weReordered = keptInOrder(ours, inOurs) != keptInOrder(base, inOurs);
    const Merkliste& leading = weReordered ? ours : theirs;
    const Merkliste& following = weReordered ? theirs : ours;
    const auto& inFollowing = weReordered ? inTheirs : inOurs;
    Merkliste merged;
    for (const Entry& entry : leading.entries())
        if (!inBase.count(entry.code) || inFollowing.count(entry.code))
            merged.add(entry.code, entry.term);
    for (const Entry& entry : following.entries())
        if (!inBase.count(entry.code))
            merged.add(entry.code, entry.term);
    auto mainOf = [](const Merkliste& list) {
        const std::optional<std::size_t> main = list.mainIndex();
        return main ? list.entries()[*main].code : std::string();
    };
    const std::string baseMain = mainOf(base), ourMain = mainOf(ours), theirMain = mainOf(theirs);
    // A list both began from nothing keeps the file's main code: its first code came first.
    const std::string& main = baseMain.empty()        ? (theirMain.empty() ? ourMain : theirMain)
                              : ourMain != baseMain   ? ourMain
                              : theirMain != baseMain ? theirMain
                                                      : baseMain;
    for (std::size_t i = 0; i < merged.size(); ++i)
        if (merged.entries()[i].code == main)
            merged.makeMain(i);
    return merged;
}

} // namespace kodexa::merkliste
