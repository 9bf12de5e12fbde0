#pragma once

#include <string>
#include <string_view>
#include <vector>

// The first stages of the keyword search, before the list is asked: the input cut into words and
// folded, the codes written into it, and procurement's own words set aside (a tender's title says
// "Rahmenvertrag zur Lieferung von …" before it names its subject), with what they tell about the
// kind of contract. Knows no toolkit and no index.
namespace kodexa::keyword {

// Every stage of the search can be switched off, so that what each one brings can be measured.
struct SearchOptions {
    bool codesInInput = true;     // "45233140-2" or "45.23" shows that code or the codes it begins
    bool procurementWords = true; // Lieferung, Rahmenvertrag, Los 2, Jahreszahlen … name no subject
    bool contractKind = true;     // Lieferung → supplies, …arbeiten → works, Wartung → services
    bool decompounding = true;    // "Glasfaserausbau" as Glasfaser and Ausbau
    bool vocabulary = true;       // the hand-written words of the trades
    bool thesaurus = true;        // OpenThesaurus' German synonyms
    bool typos = true;            // one typo in a word that meets nothing as typed
    bool broaderCodes = true;     // a title's best code brings its group and division
};

enum class ContractKind { Unknown, Supplies, Works, Services };

// The kind of contract a code belongs to: works for division 45, services from 50, supplies below.
ContractKind contractKindOf(std::string_view code);

struct AnalyzedQuery {
    // Codes written into the input, as digits: whole codes, or the beginnings a short input is.
    std::vector<std::string> codePrefixes;
    // The words that may name the subject, folded, each once, in the order typed.
    std::vector<std::string> words;
    // The parts a hyphen joined, for each word that had them (same order as words).
    std::vector<std::vector<std::string>> parts;
    ContractKind kind = ContractKind::Unknown;
    // Whether procurement's words were set aside (the input was more than them).
    bool setAside = false;
    // Whether the input was nothing but them: searched as typed then, but never as a typo ("zwölf"
    // is no misspelt "Wolfram").
    bool onlyProcurementWords = false;
};

AnalyzedQuery analyzeQuery(std::string_view utf8, const SearchOptions& options);

// Whether a folded word is one of procurement's own that names no subject.
bool isProcurementWord(std::string_view key);
// What a folded word says about the kind of contract, alone or as a compound's head.
ContractKind contractKindSaid(std::string_view key);
// A compound's head that only says "work of this kind" ("leistungen", "arbeiten"), whose
// modifier names the subject: "dolmetscherleistungen" is about Dolmetscher.
bool isGenericHead(std::string_view key);

} // namespace kodexa::keyword
