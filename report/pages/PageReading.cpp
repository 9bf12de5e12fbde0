#include "PageReading.h"

#include <algorithm>

namespace kodexa::report {

namespace {

constexpr double PointsPerInch = 72;

bool printsSomething(const PageText& text) {
    return std::any_of(text.text.begin(), text.text.end(),
                       [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; });
}

// A text of the page as the ordering needs it.
struct PlacedText {
    std::size_t item;
    double x;
    double baseline;
    double halfSize; // half the font size, in inches
};

std::vector<PlacedText> printedTexts(const PageStore& store, const Page& page) {
    std::vector<PlacedText> texts;
    for (std::size_t index = 0; index < page.items.size(); ++index) {
        const auto* text = std::get_if<PageText>(&page.items[index]);
        if (!text || text->font >= store.fonts().size() || !printsSomething(*text))
            continue;
        const double size = std::max(0.0, store.fonts()[text->font].pointSize) / PointsPerInch;
        texts.push_back({index, text->x, text->baseline, size / 2});
    }
    return texts;
}

} // namespace

std::vector<ReadingRow> readingRows(const PageStore& store, std::size_t pageIndex) {
    if (pageIndex >= store.pageCount())
        return {};
    std::vector<PlacedText> texts = printedTexts(store, store.page(pageIndex));
    // Stable, so texts printed over each other keep their drawing order.
    std::stable_sort(texts.begin(), texts.end(),
                     [](const PlacedText& a, const PlacedText& b) { return a.baseline < b.baseline; });

    std::vector<ReadingRow> rows;
    auto rowStart = texts.begin();
    while (rowStart != texts.end()) {
        // The row's first text decides what belongs to it, so a row never creeps down the page.
        auto rowEnd = std::find_if(rowStart + 1, texts.end(), [&](const PlacedText& text) {
            const double below = text.baseline - rowStart->baseline;
            return below > 0 && below >= std::min(rowStart->halfSize, text.halfSize);
        });
        std::stable_sort(rowStart, rowEnd,
                         [](const PlacedText& a, const PlacedText& b) { return a.x < b.x; });
        ReadingRow& row = rows.emplace_back();
        for (auto text = rowStart; text != rowEnd; ++text)
            row.items.push_back(text->item);
        rowStart = rowEnd;
    }
    return rows;
}

} // namespace kodexa::report
