#include "Evaluation.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace kodexa::keyword {

namespace {

// The data lines of a tab-separated file with one header line, each cut into its columns.
template <typename OnLine> void forEachDataLine(std::string_view utf8, OnLine onLine) {
    std::size_t lineNumber = 0;
    while (!utf8.empty()) {
        std::size_t end = utf8.find('\n');
        std::string_view line = utf8.substr(0, end);
        utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (++lineNumber == 1 || line.empty())
            continue;
        std::vector<std::string_view> columns;
        for (std::size_t from = 0;;) {
            std::size_t tab = line.find('\t', from);
            columns.push_back(line.substr(from, tab == std::string_view::npos ? tab : tab - from));
            if (tab == std::string_view::npos)
                break;
            from = tab + 1;
        }
        onLine(lineNumber, columns);
    }
}

std::vector<std::string> codesOf(std::string_view list) {
    std::vector<std::string> codes;
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        std::string_view code = list.substr(0, comma);
        while (!code.empty() && code.front() == ' ')
            code.remove_prefix(1);
        while (!code.empty() && code.back() == ' ')
            code.remove_suffix(1);
        if (!code.empty())
            codes.emplace_back(code.substr(0, 8)); // a published check digit is not part of the code
        list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
    return codes;
}

// The code one level up: the longest shorter beginning the list has, padded with zeros.
std::string parentOf(const std::string& code, const std::unordered_set<std::string>& listed) {
    std::size_t depth = code.find_last_not_of('0') + 1;
    for (std::size_t length = depth - 1; length >= 2 && depth != 0; --length) {
        std::string parent = code.substr(0, length) + std::string(8 - length, '0');
        if (listed.count(parent))
            return parent;
    }
    return {};
}

} // namespace

std::vector<BuyerQuery> parseBuyerQueries(std::string_view utf8) {
    std::vector<BuyerQuery> queries;
    forEachDataLine(utf8, [&](std::size_t lineNumber, const std::vector<std::string_view>& columns) {
        if (columns.size() < 3)
            throw std::runtime_error("query line " + std::to_string(lineNumber) + ": three columns expected");
        queries.push_back({std::string(columns[0]), codesOf(columns[1]), std::string(columns[2])});
    });
    return queries;
}

bool isNoticeTitleFile(std::string_view utf8) {
    return utf8.starts_with("title\tdescription\t");
}

std::vector<NoticeTitle> parseNoticeTitles(std::string_view utf8) {
    std::vector<NoticeTitle> titles;
    forEachDataLine(utf8, [&](std::size_t lineNumber, const std::vector<std::string_view>& columns) {
        if (columns.size() < 4 || codesOf(columns[2]).size() != 1)
            throw std::runtime_error("title line " + std::to_string(lineNumber) +
                                     ": title, description, one main code and further codes expected");
        titles.push_back({std::string(columns[0]), std::string(columns[1]), codesOf(columns[2]).front(),
                          codesOf(columns[3])});
    });
    return titles;
}

TitleEvaluation evaluateTitles(const KeywordIndex& index, const std::vector<NoticeTitle>& titles,
                               const SearchOptions& options) {
    std::unordered_set<std::string> listed;
    for (std::size_t c = 0; c < index.codeCount(); ++c)
        listed.emplace(index.codeAt(c));
    TitleEvaluation evaluation;
    for (const NoticeTitle& title : titles) {
        auto hits = index.search(title.title, 10, nullptr, options);
        const std::string parent = parentOf(title.mainCode, listed);
        bool main = false, any = false, near = false;
        for (const KeywordHit& hit : hits) {
            main = main || hit.code == title.mainCode;
            any = any || hit.code == title.mainCode ||
                  std::find(title.additionalCodes.begin(), title.additionalCodes.end(), hit.code) !=
                      title.additionalCodes.end();
            near = near || hit.code == title.mainCode || hit.code == parent ||
                   parentOf(hit.code, listed) == title.mainCode;
        }
        TitleMeasures& measures = evaluation.all;
        ++measures.titles;
        measures.mainAt10 += main;
        measures.anyAt10 += any;
        measures.nearAt10 += near;
        measures.divisionAt1 += !hits.empty() && hits.front().code.compare(0, 2, title.mainCode, 0, 2) == 0;
        measures.empty += hits.empty();
        if (!near)
            evaluation.misses.push_back({&title, std::move(hits)});
    }
    return evaluation;
}

Evaluation evaluate(const KeywordIndex& index, const std::vector<BuyerQuery>& queries,
                    const SearchOptions& options) {
    Evaluation evaluation;
    for (const BuyerQuery& query : queries) {
        auto hits = index.search(query.query, 10, nullptr, options);
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
            evaluation.misses.push_back(
                {&query, target == hits.end() ? 0 : target - hits.begin() + 1, std::move(hits)});
    }
    return evaluation;
}

} // namespace kodexa::keyword
