// keyword_eval QUERIES.tsv [--misses]: hit@1, hit@10 and MRR of the keyword search per kind of
// query, for a file of buyer queries (query, targets, kind); with --misses, each query whose first
// result is not a target, the rank of its first target (0: not among the ten) and the first three
// codes it found.
#include "Cp1252.h"
#include "Evaluation.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

using namespace kodexa::keyword;

namespace {

void printRow(const std::string& kind, const Measures& measures) {
    std::printf("%-12s %4d %7.1f %% %7.1f %% %7.1f %%\n", kind.c_str(), measures.queries, 100 * measures.hitAt1(),
                100 * measures.hitAt10(), 100 * measures.meanReciprocalRank());
}

} // namespace

int main(int argc, char** argv) {
    bool showMisses = argc == 3 && std::string_view(argv[2]) == "--misses";
    if (argc < 2 || (argc == 3 && !showMisses) || argc > 3) {
        std::cerr << "usage: keyword_eval QUERIES.tsv [--misses]\n";
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::cerr << "keyword_eval: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::stringstream text;
    text << file.rdbuf();
    try {
        auto queries = parseBuyerQueries(text.str());
        Evaluation evaluation = evaluate(KeywordIndex::carried(), queries);
        std::printf("%-12s %4s %9s %9s %9s\n", "kind", "n", "hit@1", "hit@10", "MRR");
        for (const auto& [kind, measures] : evaluation.byKind)
            printRow(kind, measures);
        printRow("all", evaluation.all);
        if (showMisses) {
            for (const auto& [query, rank, hits] : evaluation.misses) {
                std::printf("\n%s (%s, target at %ld) ->", query->query.c_str(), query->kind.c_str(), rank);
                for (std::size_t i = 0; i < hits.size() && i < 3; ++i)
                    std::printf(" %s %s;", hits[i].code.c_str(), kodexa::cp1252::toUtf8(hits[i].description).c_str());
            }
            std::printf("\n");
        }
    } catch (const std::exception& error) {
        std::cerr << "keyword_eval: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
