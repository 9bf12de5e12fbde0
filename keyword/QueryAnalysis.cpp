#include "QueryAnalysis.h"

#include "Folding.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace kodexa::keyword {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Procurement's own words and a notice's frame: who buys, for how long, in which lot, under which
// procedure. Folded keys. Of the words that say the kind of contract (contractKindSaid), those that
// name no subject of their own are here as well. Ordinals stay: "erste Hilfe" is a subject.
constexpr std::string_view ProcurementWords[] = {"acht",
                                                 "ag",
                                                 "ankauf",
                                                 "anmietung",
                                                 "auftrag",
                                                 "auftrage",
                                                 "auftraggeber",
                                                 "ausschreibung",
                                                 "bedarf",
                                                 "bedarfs",
                                                 "beim",
                                                 "bereich",
                                                 "bereiche",
                                                 "beschaffung",
                                                 "beschaffungen",
                                                 "betreffend",
                                                 "bezirk",
                                                 "bis",
                                                 "bund",
                                                 "bzw",
                                                 "ca",
                                                 "dauer",
                                                 "diverse",
                                                 "drei",
                                                 "durchfuhrung",
                                                 "ebenda",
                                                 "eg",
                                                 "einschliesslich",
                                                 "einschl",
                                                 "elf",
                                                 "erbringung",
                                                 "etc",
                                                 "eu",
                                                 "europaweit",
                                                 "europaweite",
                                                 "fur",
                                                 "funf",
                                                 "gemass",
                                                 "gemeinde",
                                                 "gmbh",
                                                 "hinsichtlich",
                                                 "inkl",
                                                 "insbesondere",
                                                 "jahr",
                                                 "jahre",
                                                 "jahren",
                                                 "jahrlich",
                                                 "kauf",
                                                 "kreis",
                                                 "kreises",
                                                 "landeshauptstadt",
                                                 "landkreis",
                                                 "landkreises",
                                                 "laufzeit",
                                                 "leistung",
                                                 "leistungen",
                                                 "lieferung",
                                                 "lieferungen",
                                                 "liefern",
                                                 "los",
                                                 "lose",
                                                 "losen",
                                                 "lot",
                                                 "mehrere",
                                                 "monate",
                                                 "monaten",
                                                 "nach",
                                                 "neun",
                                                 "offene",
                                                 "offenes",
                                                 "offentliche",
                                                 "offentlichen",
                                                 "option",
                                                 "optional",
                                                 "rahmen",
                                                 "rahmenvereinbarung",
                                                 "rahmenvereinbarungen",
                                                 "rahmenvertrag",
                                                 "rahmenvertrage",
                                                 "rahmenvertrages",
                                                 "rahmenvertrags",
                                                 "samtliche",
                                                 "sechs",
                                                 "sieben",
                                                 "stadt",
                                                 "stadtverwaltung",
                                                 "teil",
                                                 "teile",
                                                 "teilleistungen",
                                                 "teillos",
                                                 "teillose",
                                                 "uber",
                                                 "uvgo",
                                                 "verfahren",
                                                 "vergabe",
                                                 "vergabeverfahren",
                                                 "verlangerung",
                                                 "verlangerungsoption",
                                                 "verschiedene",
                                                 "verschiedener",
                                                 "vertrag",
                                                 "vertrages",
                                                 "vertragslaufzeit",
                                                 "vgv",
                                                 "vier",
                                                 "vob",
                                                 "vol",
                                                 "vom",
                                                 "wahrend",
                                                 "zehn",
                                                 "zeitraum",
                                                 "zur",
                                                 "zwei",
                                                 "zwolf",
                                                 "zzgl"};

// Words that say the kind of contract, and the compound heads that say it ("…arbeiten").
struct KindWord {
    std::string_view key;
    ContractKind kind;
};
constexpr KindWord KindWords[] = {
    {"ankauf", ContractKind::Supplies},
    {"kauf", ContractKind::Supplies},
    {"lieferung", ContractKind::Supplies},
    {"lieferungen", ContractKind::Supplies},
    {"liefern", ContractKind::Supplies},
    {"anmietung", ContractKind::Supplies},
    {"beschaffung", ContractKind::Supplies},
    {"leasing", ContractKind::Supplies},
    {"miete", ContractKind::Supplies},
    {"mietkauf", ContractKind::Supplies},
    {"bauleistungen", ContractKind::Works},
    {"baumassnahme", ContractKind::Works},
    {"neubau", ContractKind::Works},
    {"umbau", ContractKind::Works},
    {"anbau", ContractKind::Works},
    {"rohbau", ContractKind::Works},
    {"abbruch", ContractKind::Works},
    {"ruckbau", ContractKind::Works},
    {"abriss", ContractKind::Works},
    {"bauvorhaben", ContractKind::Works},
    {"sanierung", ContractKind::Works},
    {"erweiterungsbau", ContractKind::Works},
    {"dienstleistung", ContractKind::Services},
    {"dienstleistungen", ContractKind::Services},
};
// Heads of compounds ("Ökostromlieferung", "Objektplanungen"); a head of services also says it as
// the compound's first word ("Wartungsvertrag").
constexpr KindWord KindHeads[] = {
    {"arbeiten", ContractKind::Works},
    {"bauarbeiten", ContractKind::Works},
    {"baumassnahmen", ContractKind::Works},
    {"bauleistungen", ContractKind::Works},
    {"lieferung", ContractKind::Supplies},
    {"leasing", ContractKind::Supplies},
    {"ausstattung", ContractKind::Supplies},
    {"fahrzeuge", ContractKind::Supplies},
    {"wartung", ContractKind::Services},
    {"betreuung", ContractKind::Services},
    {"beratung", ContractKind::Services},
    {"reinigung", ContractKind::Services},
    {"dienste", ContractKind::Services},
    {"dienstleistungen", ContractKind::Services},
    {"instandhaltung", ContractKind::Services},
    {"entsorgung", ContractKind::Services},
    {"planung", ContractKind::Services},
    {"planungen", ContractKind::Services},
    {"pflege", ContractKind::Services},
    {"beforderung", ContractKind::Services},
    {"verwertung", ContractKind::Services},
    {"uberwachung", ContractKind::Services},
    {"projektsteuerung", ContractKind::Services},
    {"studie", ContractKind::Services},
    {"gutachten", ContractKind::Services},
    {"konzept", ContractKind::Services},
    {"konzepte", ContractKind::Services},
    {"schulung", ContractKind::Services},
    {"untersuchung", ContractKind::Services},
    {"untersuchungen", ContractKind::Services},
    {"verkehr", ContractKind::Services},
    {"fahrten", ContractKind::Services},
    {"leistungen", ContractKind::Services},
};

constexpr std::string_view GenericHeads[] = {"arbeiten", "dienste",    "dienstleistung", "dienstleistungen",
                                             "leistung", "leistungen", "massnahme",      "massnahmen"};

// A code written as the table's code field reads it: digits, perhaps grouped by blanks or dots
// ("4523 3140", "45.23"), with the published check digit after eight of them. Only such a whole
// input may be a code's beginning; inside longer text only eight digits are one, since "30 Stück"
// or "2024" are no codes.
std::string wholeInputCode(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c))
            digits += c;
        else if (c == '-' && digits.size() == 8 && i + 2 == text.size() && isDigit(text.back()))
            break; // the check digit
        else if ((c != ' ' && c != '.') || i == 0 || !isDigit(text[i - 1]))
            return {};
    }
    return digits.size() >= 2 && digits.size() <= 8 ? digits : std::string();
}

std::vector<std::string> codesInText(std::string_view text) {
    std::vector<std::string> codes;
    for (std::size_t i = 0; i + 8 <= text.size(); ++i) {
        if (!isDigit(text[i]) ||
            (i > 0 && (isDigit(text[i - 1]) || std::isalpha(static_cast<unsigned char>(text[i - 1])))))
            continue;
        std::size_t end = i;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        const bool letterAfter = end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]));
        if (end - i == 8 && !letterAfter)
            codes.emplace_back(text.substr(i, 8));
        i = end;
    }
    return codes;
}

// Words after which a notice names a place or a body ("Stadt Rosenheim", "Landkreis Stendal"): the
// name is no subject, however much it looks like one ("Essen", "Weingarten").
constexpr std::string_view PlaceMarkers[] = {
    "bezirk",           "freistaat",        "gemeinde",  "hansestadt", "kreis",
    "kreisstadt",       "landeshauptstadt", "landkreis", "markt",      "ortsgemeinde",
    "region",           "samtgemeinde",     "stadt",     "stadtwerke", "universitat",
    "verbandsgemeinde", "zweckverband",     "klinikum",  "bundesland", "land"};

bool startsWithCapital(std::string_view token) {
    if (token.empty())
        return false;
    const auto first = static_cast<unsigned char>(token[0]);
    if (first >= 'A' && first <= 'Z')
        return true;
    // Ä, Ö, Ü in UTF-8.
    return first == 0xC3 && token.size() > 1 &&
           (static_cast<unsigned char>(token[1]) == 0x84 || static_cast<unsigned char>(token[1]) == 0x96 ||
            static_cast<unsigned char>(token[1]) == 0x9C);
}

// The input's words, each with whether it names a place: up to two capitalised words after a marker.
std::vector<std::pair<FoldedWord, bool>> wordsWithPlaces(std::string_view utf8) {
    std::vector<std::pair<FoldedWord, bool>> words;
    int placeWordsLeft = 0;
    while (!utf8.empty()) {
        std::size_t start = utf8.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos)
            break;
        utf8.remove_prefix(start);
        std::size_t end = std::min(utf8.find_first_of(" \t\r\n"), utf8.size());
        std::string_view token = utf8.substr(0, end);
        utf8.remove_prefix(end);
        const bool place = placeWordsLeft > 0 && startsWithCapital(token);
        placeWordsLeft = place ? placeWordsLeft - 1 : 0;
        for (FoldedWord& word : foldUtf8(token)) {
            const bool marker = std::find(std::begin(PlaceMarkers), std::end(PlaceMarkers), word.key) !=
                                std::end(PlaceMarkers);
            if (marker)
                placeWordsLeft = 2;
            words.emplace_back(std::move(word), place);
        }
    }
    return words;
}

template <std::size_t N> ContractKind kindIn(const KindWord (&words)[N], std::string_view key) {
    for (const KindWord& word : words)
        if (word.key == key)
            return word.kind;
    return ContractKind::Unknown;
}

} // namespace

ContractKind contractKindOf(std::string_view code) {
    if (code.size() < 2 || !isDigit(code[0]) || !isDigit(code[1]))
        return ContractKind::Unknown;
    const int division = (code[0] - '0') * 10 + (code[1] - '0');
    return division == 45   ? ContractKind::Works
           : division >= 50 ? ContractKind::Services
                            : ContractKind::Supplies;
}

bool isProcurementWord(std::string_view key) {
    return std::find(std::begin(ProcurementWords), std::end(ProcurementWords), key) !=
               std::end(ProcurementWords) ||
           std::any_of(key.begin(), key.end(), isDigit);
}

bool isGenericHead(std::string_view key) {
    return std::find(std::begin(GenericHeads), std::end(GenericHeads), key) != std::end(GenericHeads);
}

ContractKind contractKindSaid(std::string_view key) {
    if (ContractKind kind = kindIn(KindWords, key); kind != ContractKind::Unknown)
        return kind;
    // The modifier says it for the generic heads: "Bauleistungen" are works, other "…leistungen"
    // services.
    if (key.starts_with("bau") && (key.ends_with("leistungen") || key.ends_with("massnahme")))
        return ContractKind::Works;
    for (const KindWord& head : KindHeads)
        if (key.ends_with(head.key) ||
            (head.kind == ContractKind::Services && head.key.size() >= 6 && key.starts_with(head.key)))
            return head.kind;
    return ContractKind::Unknown;
}

AnalyzedQuery analyzeQuery(std::string_view utf8, const SearchOptions& options) {
    AnalyzedQuery query;
    if (options.codesInInput) {
        if (std::string code = wholeInputCode(utf8); !code.empty())
            query.codePrefixes.push_back(code);
        else
            query.codePrefixes = codesInText(utf8);
    }
    // A code typed alone is all the input says.
    if (query.codePrefixes.size() == 1 && query.codePrefixes.front() == wholeInputCode(utf8))
        return query;
    std::vector<FoldedWord> folded;
    // The kind the input says most often decides; a tie says nothing.
    int votes[4] = {};
    std::vector<FoldedWord> subjects;
    for (auto& [word, place] : wordsWithPlaces(utf8)) {
        if (options.contractKind)
            ++votes[static_cast<int>(contractKindSaid(word.key))];
        if (!options.procurementWords || (!place && !isProcurementWord(word.key)))
            subjects.push_back(word);
        folded.push_back(std::move(word));
    }
    // An input of nothing but procurement's words is searched as typed: "Lieferung" alone is a word
    // the list has.
    query.setAside = !subjects.empty() && subjects.size() < folded.size();
    query.onlyProcurementWords = subjects.empty() && !folded.empty();
    std::vector<FoldedWord>& kept = subjects.empty() ? folded : subjects;
    for (FoldedWord& word : kept) {
        if (word.key.empty() ||
            std::find(query.words.begin(), query.words.end(), word.key) != query.words.end())
            continue;
        query.words.push_back(std::move(word.key));
        query.parts.push_back(std::move(word.parts));
    }
    const int supplies = votes[1], works = votes[2], services = votes[3];
    const int most = std::max({supplies, works, services});
    if (most > 0 && (supplies == most) + (works == most) + (services == most) == 1)
        query.kind = supplies == most ? ContractKind::Supplies
                     : works == most  ? ContractKind::Works
                                      : ContractKind::Services;
    return query;
}

} // namespace kodexa::keyword
