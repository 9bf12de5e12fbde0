// Feeds arbitrary bytes to the page file reader. Whatever it accepts must lie within every limit,
// checked here once more on its own, and must survive a write and a second read unchanged, byte for
// byte.
#include "PageFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

using namespace kodexa::report;

// Decodes UTF-8 that the reader accepted; false for a character outside Windows-1252.
bool isWindows1252(std::string_view text) {
    static constexpr std::array<char32_t, 27> Special{0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018,
                                                      0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
                                                      0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (i + length > text.size())
            return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        const bool undefinedByte =
            code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
        if (!(code < 0x80 || (code >= 0xA0 && code <= 0xFF) || undefinedByte ||
              std::find(Special.begin(), Special.end(), code) != Special.end()))
            return false;
        i += length;
    }
    return true;
}

bool isCoordinate(double value) {
    return std::isfinite(value) && std::abs(value) <= MaxCoordinateInches;
}

bool fontsWithinLimits(const PageStore& pages) {
    const std::vector<FontSpec>& fonts = pages.fonts();
    if (fonts.size() > MaxFonts)
        return false;
    for (std::size_t index = 0; index < fonts.size(); ++index) {
        const FontSpec& font = fonts[index];
        if (font.name.size() > MaxFontNameBytes || !(font.pointSize > 0 && font.pointSize <= MaxPointSize))
            return false;
        if (std::find(fonts.begin(), fonts.begin() + static_cast<std::ptrdiff_t>(index), font) !=
            fonts.begin() + static_cast<std::ptrdiff_t>(index))
            return false;
    }
    return true;
}

bool pageWithinLimits(const PageStore& pages, const Page& page, std::size_t& allTextBytes) {
    if (!(page.width >= MinPageInches && page.width <= MaxPageInches && page.height >= MinPageInches &&
          page.height <= MaxPageInches))
        return false;
    if (page.items.size() > MaxItemsPerPage)
        return false;
    std::size_t textBytes = 0;
    double textArea = 0;
    for (const PageItem& item : page.items) {
        if (const auto* text = std::get_if<PageText>(&item)) {
            if (text->font >= pages.fonts().size() || !isCoordinate(text->x) ||
                !isCoordinate(text->baseline) || text->text.size() > MaxTextBytes ||
                !isWindows1252(text->text))
                return false;
            const double em = pages.fonts()[text->font].pointSize / 72;
            textBytes += text->text.size();
            textArea += static_cast<double>(text->text.size()) * em * em;
            continue;
        }
        const auto& line = std::get<PageLine>(item);
        if (!isCoordinate(line.x1) || !isCoordinate(line.y1) || !isCoordinate(line.x2) ||
            !isCoordinate(line.y2) || !(line.width >= 0 && line.width <= MaxLineWidthInches))
            return false;
    }
    allTextBytes += textBytes;
    return textBytes <= MaxPageTextBytes && textArea <= MaxPageTextArea;
}

bool withinLimits(const PageStore& pages, std::size_t size) {
    if (size > MaxPageFileBytes || pages.title().size() > MaxTitleBytes || !fontsWithinLimits(pages))
        return false;
    if (pages.pageCount() == 0 || pages.pageCount() > MaxPages)
        return false;
    std::size_t items = 0;
    std::size_t textBytes = 0;
    for (std::size_t index = 0; index < pages.pageCount(); ++index) {
        if (!pageWithinLimits(pages, pages.page(index), textBytes))
            return false;
        items += pages.page(index).items.size();
    }
    return items <= MaxItems && textBytes <= MaxAllTextBytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    PageStore pages;
    try {
        pages = readPageFile(bytes);
    } catch (const PageFileError&) {
        return 0; // refused with a reason: what we want for damaged input
    }
    if (!withinLimits(pages, size))
        std::abort();
    const std::string written = writePageFile(pages);
    if (written != bytes || !(readPageFile(written) == pages))
        std::abort();
    return 0;
}
