#include "Evaluation.h"

#include <algorithm>
#include <stdexcept>

namespace kodexa::keyword {

std::vector<BuyerQuery> parseBuyerQueries(std::string_view utf8) {
    std::vector<BuyerQuery> queries;
    std::size_t lineNumber = 0;
    while (!utf8.empty()) {
        std::size_t end = utf8.find('\n');
        std::string_view line = utf8.substr(0, end);
        utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
        if (++lineNumber == 1 || line.empty())
            continue; // the header
        std::size_t first = line.find('\t');
        std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
        if (second == std::string_view::npos)
            throw std::runtime_error("query line " + std::to_string(lineNumber) + ": three columns expected");
        BuyerQuery query{std::string(line.substr(0, first)), {}, std::string(line.substr(second + 1))};
        std::string_view targets = line.substr(first + 1, second - first - 1);
        while (!targets.empty()) {
            std::size_t comma = targets.find(',');
            std::string_view target = targets.substr(0, comma);
            while (!target.empty() && target.front() == ' ')
                target.remove_prefix(1);
            if (!target.empty())
                query.targets.emplace_back(target);
            targets.remove_prefix(comma == std::string_view::npos ? targets.size() : comma + 1);
        }
        queries.push_back(std::move(query));
    }
    return queries;
}

Evaluation evaluate(const KeywordIndex& index, const std::vector<BuyerQuery>& queries) {
    Evaluation evaluation;
    for (const BuyerQuery& query : queries) {
        auto hits = index.search(query.query, 10);
        auto target = std::find_if(hits.begin(), hits.end(), [&](const KeywordHit& hit) {
            return std::find(query.targets.begin(), query.targets.end(), hit.code) != query.targets.end();
        });
        for (Measures* measures : {&evaluation.byKind[query.kind], &evaluation.all}) {
            ++measures->queries;
            if (target == hits.end())
                continue;
            auto rank = target - hits.begin() + 1;
            measures->hitsAt1 += rank == 1;
            ++measures->hitsAt10;
            measures->reciprocalRanks += 1.0 / static_cast<double>(rank);
        }
        if (target != hits.begin() || hits.empty())
            evaluation.misses.push_back({&query, target == hits.end() ? 0 : target - hits.begin() + 1, std::move(hits)});
    }
    return evaluation;
}

} // namespace kodexa::keyword
