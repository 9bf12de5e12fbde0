#pragma once

#include "KeywordIndex.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// Measuring the keyword search on buyer queries: a file of `query<TAB>targets<TAB>kind` lines
// (targets separated by commas, one header line), and for each kind the share of queries whose
// first result is a target (hit@1), that have a target among the first ten (hit@10), and the mean
// of 1/rank of the first target among the ten (MRR).
namespace kodexa::keyword {

struct BuyerQuery {
    std::string query;
    std::vector<std::string> targets;
    std::string kind;
};

// Throws std::runtime_error naming the line for a line without its three columns.
std::vector<BuyerQuery> parseBuyerQueries(std::string_view utf8);

struct Measures {
    int queries = 0;
    int hitsAt1 = 0;
    int hitsAt10 = 0;
    double reciprocalRanks = 0.0;

    double hitAt1() const { return queries ? double(hitsAt1) / queries : 0.0; }
    double hitAt10() const { return queries ? double(hitsAt10) / queries : 0.0; }
    double meanReciprocalRank() const { return queries ? reciprocalRanks / queries : 0.0; }
};

struct Evaluation {
    std::map<std::string, Measures> byKind;
    Measures all;
    // The queries whose first result is not a target: the rank of the first target (0 when none
    // is among the ten) and the ten results.
    struct Miss {
        const BuyerQuery* query;
        long rank;
        std::vector<KeywordHit> hits;
    };
    std::vector<Miss> misses;
};

Evaluation evaluate(const KeywordIndex& index, const std::vector<BuyerQuery>& queries);

} // namespace kodexa::keyword
