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

Evaluation evaluate(const KeywordIndex& index, const std::vector<BuyerQuery>& queries,
                    const SearchOptions& options = {});

// Real tender titles: a file of `title<TAB>description<TAB>main_cpv<TAB>additional_cpv<TAB>...` lines
// (one header line), the buyer's own title as the query and the buyer's own codes as what it should
// find.
struct NoticeTitle {
    std::string title;
    std::string description;
    std::string mainCode;
    std::vector<std::string> additionalCodes;
};

// Throws std::runtime_error naming the line for a line without its first four columns.
std::vector<NoticeTitle> parseNoticeTitles(std::string_view utf8);
// Whether a file's header line is the one of tender titles rather than of buyer queries.
bool isNoticeTitleFile(std::string_view utf8);

struct TitleMeasures {
    int titles = 0;
    int mainAt10 = 0;    // the main code among the first ten
    int anyAt10 = 0;     // the main or an additional code among them
    int nearAt10 = 0;    // a first-ten code that is the main code, its parent or one of its children
    int divisionAt1 = 0; // the first result in the main code's division
    int empty = 0;       // no result at all

    double share(int count) const { return titles ? double(count) / titles : 0.0; }
};

struct TitleEvaluation {
    TitleMeasures all;
    struct Miss {
        const NoticeTitle* title;
        std::vector<KeywordHit> hits;
    };
    std::vector<Miss> misses; // the titles whose first ten hold no near code
};

TitleEvaluation evaluateTitles(const KeywordIndex& index, const std::vector<NoticeTitle>& titles,
                               const SearchOptions& options = {});

} // namespace kodexa::keyword
