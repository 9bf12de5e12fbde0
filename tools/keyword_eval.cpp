// keyword_eval FILE [--misses] [--without STAGE]...: measures the keyword search on a file of buyer
// queries (query, targets, kind: hit@1, hit@10 and MRR per kind) or of real tender titles (title,
// description, main code, further codes: main@10, any@10, near@10, division@1 and the empty share).
// --misses lists what was missed with the first results; --without switches a stage of the search
// off (codes, procurement, kind, decompounding, vocabulary, thesaurus, typos, broader).
#include "Cp1252.h"
#include "Evaluation.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string_view>

using namespace kodexa::keyword;

namespace {

void printRow(const std::string& kind, const Measures& measures) {
    std::printf("%-12s %4d %7.1f %% %7.1f %% %7.1f %%\n", kind.c_str(), measures.queries,
                100 * measures.hitAt1(), 100 * measures.hitAt10(), 100 * measures.meanReciprocalRank());
}

void printHits(const std::vector<KeywordHit>& hits, std::size_t count) {
    for (std::size_t i = 0; i < hits.size() && i < count; ++i)
        std::printf(" %s %s;", hits[i].code.c_str(), kodexa::cp1252::toUtf8(hits[i].description).c_str());
}

bool switchOff(std::string_view stage, SearchOptions& options) {
    const std::map<std::string_view, bool SearchOptions::*> stages = {
        {"codes", &SearchOptions::codesInInput},    {"procurement", &SearchOptions::procurementWords},
        {"kind", &SearchOptions::contractKind},     {"decompounding", &SearchOptions::decompounding},
        {"vocabulary", &SearchOptions::vocabulary}, {"thesaurus", &SearchOptions::thesaurus},
        {"typos", &SearchOptions::typos},           {"broader", &SearchOptions::broaderCodes}};
    auto found = stages.find(stage);
    if (found == stages.end())
        return false;
    options.*(found->second) = false;
    return true;
}

void measureQueries(const std::string& text, const SearchOptions& options, bool showMisses) {
    auto queries = parseBuyerQueries(text);
    Evaluation evaluation = evaluate(KeywordIndex::carried(), queries, options);
    std::printf("%-12s %4s %9s %9s %9s\n", "kind", "n", "hit@1", "hit@10", "MRR");
    for (const auto& [kind, measures] : evaluation.byKind)
        printRow(kind, measures);
    printRow("all", evaluation.all);
    if (!showMisses)
        return;
    for (const auto& [query, rank, hits] : evaluation.misses) {
        std::printf("\n%s (%s, target at %ld) ->", query->query.c_str(), query->kind.c_str(), rank);
        printHits(hits, 3);
    }
    std::printf("\n");
}

void measureTitles(const std::string& text, const SearchOptions& options, bool showMisses) {
    auto titles = parseNoticeTitles(text);
    TitleEvaluation evaluation = evaluateTitles(KeywordIndex::carried(), titles, options);
    const TitleMeasures& m = evaluation.all;
    std::printf("%-8s %4s %9s %9s %9s %11s %9s\n", "titles", "n", "main@10", "any@10", "near@10",
                "division@1", "empty");
    std::printf("%-8s %4d %7.1f %% %7.1f %% %7.1f %% %9.1f %% %7.1f %%\n", "all", m.titles,
                100 * m.share(m.mainAt10), 100 * m.share(m.anyAt10), 100 * m.share(m.nearAt10),
                100 * m.share(m.divisionAt1), 100 * m.share(m.empty));
    if (!showMisses)
        return;
    for (const auto& [title, hits] : evaluation.misses) {
        std::printf("\n%s (main %s) ->", title->title.c_str(), title->mainCode.c_str());
        printHits(hits, 3);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    bool showMisses = false;
    SearchOptions options;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "--misses")
            showMisses = true;
        else if (argument == "--without" && i + 1 < argc && switchOff(argv[i + 1], options))
            ++i;
        else if (!argument.starts_with("--") && path == nullptr)
            path = argv[i];
        else
            path = nullptr, i = argc;
    }
    if (path == nullptr) {
        std::cerr << "usage: keyword_eval FILE [--misses] [--without STAGE]...\n";
        return 2;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << "keyword_eval: cannot read " << path << "\n";
        return 1;
    }
    std::stringstream text;
    text << file.rdbuf();
    try {
        if (isNoticeTitleFile(text.str()))
            measureTitles(text.str(), options, showMisses);
        else
            measureQueries(text.str(), options, showMisses);
    } catch (const std::exception& error) {
        std::cerr << "keyword_eval: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
