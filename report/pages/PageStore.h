#pragma once

#include "FontSpec.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

// Generated pages, kept as display lists: what to draw where, in inches from the top-left corner
// of the sheet. Laid out once; the preview, the printer and the PDF writer all draw from it. The
// store knows no toolkit (texts are UTF-8), so page files are read without one.
namespace kodexa::report {

// A run of text set on one baseline, starting at x.
struct PageText {
    double x = 0;
    double baseline = 0;
    std::uint32_t font = 0; // index into the store's fonts
    std::string text;       // UTF-8

    friend bool operator==(const PageText&, const PageText&) = default;
};

struct PageLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    double width = 0;        // inches
    std::uint32_t color = 0; // 0x00BBGGRR

    friend bool operator==(const PageLine&, const PageLine&) = default;
};

using PageItem = std::variant<PageText, PageLine>;

struct Page {
    double width = 0;
    double height = 0;
    std::vector<PageItem> items; // in drawing order

    friend bool operator==(const Page&, const Page&) = default;
};

class PageStore {
public:
    // The document name of a print job of these pages.
    const std::string& title() const { return title_; } // UTF-8
    void setTitle(std::string title) { title_ = std::move(title); }

    const std::vector<FontSpec>& fonts() const { return fonts_; }
    // The index of the font, added when not yet known. Found by hash, so that a store of many
    // fonts is built in linear time.
    std::uint32_t addFont(const FontSpec& font);

    std::size_t pageCount() const { return pages_.size(); }
    const Page& page(std::size_t index) const { return pages_[index]; }
    Page& addPage(double width, double height);

    friend bool operator==(const PageStore& a, const PageStore& b) {
        return a.title_ == b.title_ && a.fonts_ == b.fonts_ && a.pages_ == b.pages_;
    }

private:
    std::string title_;
    std::vector<FontSpec> fonts_;
    std::unordered_map<FontSpec, std::uint32_t, FontSpecHash> fontIndex_; // fonts_, by font
    std::vector<Page> pages_;
};

} // namespace kodexa::report
