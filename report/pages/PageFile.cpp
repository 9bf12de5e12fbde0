#include "PageFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

namespace kodexa::report {

namespace {

constexpr std::string_view Magic("KXPAGES\x1A", 8);

enum ItemKind : std::uint8_t { TextItem = 1, LineItem = 2 };
enum StyleBit : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
constexpr std::uint8_t AllStyleBits = Bold | Italic | Underline | StrikeOut;

// The fewest bytes each record takes, so that a count can be checked against what is left before
// anything is reserved for it.
constexpr std::size_t MinFontBytes = 4 + 8 + 1 + 4 + 4;
constexpr std::size_t MinPageBytes = 8 + 8 + 4;
constexpr std::size_t MinItemBytes = 1 + 8 + 8 + 4 + 4;

[[noreturn]] void damaged(const std::string& what) {
    throw PageFileError("the file is damaged: " + what);
}

struct Utf8Lead {
    std::size_t length;  // bytes of the sequence
    std::uint32_t bits;  // the code point's bits in the lead byte
    std::uint32_t least; // the smallest code point that needs this length
};

std::optional<Utf8Lead> utf8LeadOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return Utf8Lead{2, lead & 0x1Fu, 0x80};
    if (lead >= 0xE0 && lead <= 0xEF)
        return Utf8Lead{3, lead & 0x0Fu, 0x800};
    if (lead >= 0xF0 && lead <= 0xF4)
        return Utf8Lead{4, lead & 0x07u, 0x10000};
    return std::nullopt;
}

// Calls accept with each code point of well-formed UTF-8 (no stray or missing continuation bytes,
// no overlong forms, no surrogates, nothing above U+10FFFF); false when the text is not UTF-8 or
// accept refused a code point.
template <typename Accept> bool eachCodePoint(std::string_view text, Accept accept) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto first = static_cast<unsigned char>(text[i]);
        if (first < 0x80) {
            if (!accept(first))
                return false;
            ++i;
            continue;
        }
        const std::optional<Utf8Lead> lead = utf8LeadOf(first);
        if (!lead || text.size() - i < lead->length)
            return false;
        std::uint32_t code = lead->bits;
        for (std::size_t k = 1; k < lead->length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < lead->least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || !accept(code))
            return false;
        i += lead->length;
    }
    return true;
}

bool isUtf8(std::string_view text) {
    return eachCodePoint(text, [](std::uint32_t) { return true; });
}

// 0x80 to 0x9F of Windows-1252; the rest of the code page is Latin-1. The five bytes the code page
// leaves undefined stand for themselves, as the engine reads them.
constexpr std::array<std::uint16_t, 32> Windows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isWindows1252(std::uint32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return true;
    return std::find(Windows1252High.begin(), Windows1252High.end(), code) != Windows1252High.end();
}

bool isCoordinate(double value) {
    return std::isfinite(value) && std::abs(value) <= MaxCoordinateInches;
}

// Why a page of this size cannot be drawn, or nullptr.
const char* pageSizeFault(double width, double height) {
    for (const double extent : {width, height}) {
        if (!std::isfinite(extent) || extent <= 0 || extent > MaxPageInches)
            return "a page size is out of range";
    }
    if (width < MinPageInches || height < MinPageInches)
        return "a page is smaller than 1/72 inch";
    return nullptr;
}

bool isLineWidth(double value) {
    return std::isfinite(value) && value >= 0 && value <= MaxLineWidthInches;
}

bool isPointSize(double value) {
    return std::isfinite(value) && value > 0 && value <= MaxPointSize;
}

// What a page file can carry; the writer refuses what the reader would refuse, so a saved file
// always opens again.
const char* faultOf(const FontSpec& font) {
    if (font.name.size() > MaxFontNameBytes)
        return "a font name is too long";
    if (!isUtf8(font.name))
        return "a font name is not UTF-8";
    if (!isPointSize(font.pointSize))
        return "a font size is out of range";
    return nullptr;
}

const char* faultOf(const PageText& text, std::size_t fontCount) {
    if (!isCoordinate(text.x) || !isCoordinate(text.baseline))
        return "a text lies out of range";
    if (text.font >= fontCount)
        return "a text names a font that does not exist";
    if (text.text.size() > MaxTextBytes)
        return "a text is too long";
    if (!isUtf8(text.text))
        return "a text is not UTF-8";
    // The engine's texts are Windows-1252, which every report font holds; other scripts would send
    // the painter looking for fallback fonts, font by font, which costs seconds.
    if (!eachCodePoint(text.text, isWindows1252))
        return "a text holds a character outside Windows-1252";
    return nullptr;
}

const char* faultOf(const PageLine& line) {
    if (!isCoordinate(line.x1) || !isCoordinate(line.y1) || !isCoordinate(line.x2) || !isCoordinate(line.y2))
        return "a line lies out of range";
    if (!isLineWidth(line.width))
        return "a line width is out of range";
    return nullptr;
}

// The limits on what pages hold together, counted item by item as they are read or written.
class Tally {
public:
    const char* page(std::size_t items) {
        if (items > MaxItemsPerPage)
            return "a page holds too many items";
        items_ += items;
        if (items_ > MaxItems)
            return "the pages hold too many items";
        pageTextBytes_ = 0;
        pageTextArea_ = 0;
        return nullptr;
    }

    // A text that faultOf() passed, in a font of the store.
    const char* text(const PageText& text, const FontSpec& font) {
        pageTextBytes_ += text.text.size();
        if (pageTextBytes_ > MaxPageTextBytes)
            return "a page holds too much text";
        allTextBytes_ += text.text.size();
        if (allTextBytes_ > MaxAllTextBytes)
            return "the pages hold too much text";
        const double em = font.pointSize / 72;
        pageTextArea_ += static_cast<double>(text.text.size()) * em * em;
        if (pageTextArea_ > MaxPageTextArea)
            return "the text on a page is too large in all";
        return nullptr;
    }

private:
    std::size_t items_ = 0;
    std::size_t allTextBytes_ = 0;
    std::size_t pageTextBytes_ = 0;
    double pageTextArea_ = 0;
};

// ---- writing -------------------------------------------------------------------------------------

class ByteWriter {
public:
    void bytes(std::string_view data) { out_.append(data); }
    void u8(std::uint8_t value) { out_.push_back(static_cast<char>(value)); }
    void u16(std::uint16_t value) { little(value, 2); }
    void u32(std::uint32_t value) { little(value, 4); }
    void i32(std::int32_t value) { little(static_cast<std::uint32_t>(value), 4); }
    void f64(double value) { little(std::bit_cast<std::uint64_t>(value), 8); }
    void string(std::string_view text) {
        if (text.size() > std::numeric_limits<std::uint32_t>::max())
            throw PageFileError("the pages cannot be kept in a page file: a text is too long");
        u32(static_cast<std::uint32_t>(text.size()));
        out_.append(text);
    }
    std::string take() { return std::move(out_); }

private:
    void little(std::uint64_t value, int count) {
        for (int i = 0; i < count; ++i)
            out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }

    std::string out_;
};

void refuseToWrite(const char* fault) {
    throw PageFileError(std::string("the pages cannot be kept in a page file: ") + fault);
}

std::uint8_t styleOf(const FontSpec& font) {
    return static_cast<std::uint8_t>((font.bold ? Bold : 0) | (font.italic ? Italic : 0) |
                                     (font.underline ? Underline : 0) | (font.strikeOut ? StrikeOut : 0));
}

void writeItem(ByteWriter& out, const PageItem& item, const std::vector<FontSpec>& fonts, Tally& tally) {
    if (const auto* text = std::get_if<PageText>(&item)) {
        if (const char* fault = faultOf(*text, fonts.size()))
            refuseToWrite(fault);
        if (const char* fault = tally.text(*text, fonts[text->font]))
            refuseToWrite(fault);
        out.u8(TextItem);
        out.f64(text->x);
        out.f64(text->baseline);
        out.u32(text->font);
        out.string(text->text);
        return;
    }
    const auto& line = std::get<PageLine>(item);
    if (const char* fault = faultOf(line))
        refuseToWrite(fault);
    out.u8(LineItem);
    out.f64(line.x1);
    out.f64(line.y1);
    out.f64(line.x2);
    out.f64(line.y2);
    out.f64(line.width);
    out.u32(line.color);
}

// ---- reading -------------------------------------------------------------------------------------

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t left() const { return bytes_.size() - position_; }

    std::string_view bytes(std::size_t count) {
        if (count > left())
            damaged("it ends too early");
        const std::string_view taken = bytes_.substr(position_, count);
        position_ += count;
        return taken;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(little(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(little(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(little(4)); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    double f64() { return std::bit_cast<double>(little(8)); }
    // A string of at most maxBytes, refused before its bytes are taken when it says it is longer.
    std::string string(const char* what, std::size_t maxBytes) {
        const std::uint32_t length = u32();
        if (length > maxBytes)
            damaged(std::string(what) + " is too long");
        std::string text(bytes(length));
        if (!isUtf8(text))
            damaged(std::string(what) + " is not UTF-8");
        return text;
    }
    // A count of records that each take at least recordBytes: more than the rest of the file can
    // hold means the count is damaged, and nothing is reserved for it.
    std::uint32_t count(std::size_t recordBytes, const char* what) {
        const std::uint32_t value = u32();
        if (value > left() / recordBytes)
            damaged(std::string("the number of ") + what + " does not match its length");
        return value;
    }

private:
    std::uint64_t little(int count) {
        const std::string_view raw = bytes(static_cast<std::size_t>(count));
        std::uint64_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(raw[static_cast<std::size_t>(i)]);
        return value;
    }

    std::string_view bytes_;
    std::size_t position_ = 0;
};

void readHeader(ByteReader& in) {
    if (in.left() < Magic.size() || in.bytes(Magic.size()) != Magic)
        throw PageFileError("it is not a page file of this program");
    const std::uint16_t version = in.u16();
    if (version > PageFileVersion)
        throw PageFileError("it was saved by a newer version of the program, as page file version " +
                            std::to_string(version));
    if (version == 0)
        damaged("version 0");
}

void readFonts(ByteReader& in, PageStore& pages) {
    const std::uint32_t count = in.count(MinFontBytes, "fonts");
    if (count > MaxFonts)
        damaged("it lists too many fonts");
    for (std::uint32_t index = 0; index < count; ++index) {
        FontSpec font;
        font.name = in.string("a font name", MaxFontNameBytes);
        font.pointSize = in.f64();
        const std::uint8_t style = in.u8();
        if ((style & ~AllStyleBits) != 0)
            damaged("unknown font style");
        font.bold = (style & Bold) != 0;
        font.italic = (style & Italic) != 0;
        font.underline = (style & Underline) != 0;
        font.strikeOut = (style & StrikeOut) != 0;
        font.charset = in.i32();
        font.color = in.u32();
        if (const char* fault = faultOf(font))
            damaged(fault);
        // The writer never repeats a font; a repeated one would renumber the texts that follow.
        if (pages.addFont(font) != index)
            damaged("a font is listed twice");
    }
}

PageItem readItem(ByteReader& in, const std::vector<FontSpec>& fonts, Tally& tally) {
    const std::uint8_t kind = in.u8();
    if (kind == TextItem) {
        PageText text;
        text.x = in.f64();
        text.baseline = in.f64();
        text.font = in.u32();
        text.text = in.string("a text", MaxTextBytes);
        if (const char* fault = faultOf(text, fonts.size()))
            damaged(fault);
        if (const char* fault = tally.text(text, fonts[text.font]))
            damaged(fault);
        return text;
    }
    if (kind == LineItem) {
        PageLine line;
        line.x1 = in.f64();
        line.y1 = in.f64();
        line.x2 = in.f64();
        line.y2 = in.f64();
        line.width = in.f64();
        line.color = in.u32();
        if (const char* fault = faultOf(line))
            damaged(fault);
        return line;
    }
    damaged("unknown item kind " + std::to_string(kind));
}

void readPages(ByteReader& in, PageStore& pages) {
    const std::uint32_t count = in.count(MinPageBytes, "pages");
    if (count == 0)
        damaged("it holds no pages");
    if (count > MaxPages)
        damaged("it holds too many pages");
    Tally tally;
    for (std::uint32_t index = 0; index < count; ++index) {
        const double width = in.f64();
        const double height = in.f64();
        if (const char* fault = pageSizeFault(width, height))
            damaged(fault);
        const std::uint32_t items = in.count(MinItemBytes, "items");
        if (const char* fault = tally.page(items))
            damaged(fault);
        Page& page = pages.addPage(width, height);
        page.items.reserve(items);
        for (std::uint32_t item = 0; item < items; ++item)
            page.items.push_back(readItem(in, pages.fonts(), tally));
    }
}

} // namespace

std::string writePageFile(const PageStore& pages) {
    if (pages.title().size() > MaxTitleBytes)
        refuseToWrite("the title is too long");
    if (!isUtf8(pages.title()))
        refuseToWrite("the title is not UTF-8");
    if (pages.fonts().size() > MaxFonts)
        refuseToWrite("there are too many fonts");
    if (pages.pageCount() == 0)
        refuseToWrite("there are no pages");
    if (pages.pageCount() > MaxPages)
        refuseToWrite("there are too many pages");
    ByteWriter out;
    out.bytes(Magic);
    out.u16(PageFileVersion);
    out.string(pages.title());
    out.u32(static_cast<std::uint32_t>(pages.fonts().size()));
    for (const FontSpec& font : pages.fonts()) {
        if (const char* fault = faultOf(font))
            refuseToWrite(fault);
        out.string(font.name);
        out.f64(font.pointSize);
        out.u8(styleOf(font));
        out.i32(font.charset);
        out.u32(font.color);
    }
    out.u32(static_cast<std::uint32_t>(pages.pageCount()));
    Tally tally;
    for (std::size_t index = 0; index < pages.pageCount(); ++index) {
        const Page& page = pages.page(index);
        if (const char* fault = pageSizeFault(page.width, page.height))
            refuseToWrite(fault);
        if (const char* fault = tally.page(page.items.size()))
            refuseToWrite(fault);
        out.f64(page.width);
        out.f64(page.height);
        out.u32(static_cast<std::uint32_t>(page.items.size()));
        for (const PageItem& item : page.items)
            writeItem(out, item, pages.fonts(), tally);
    }
    return out.take();
}

PageStore readPageFile(std::string_view bytes) {
    ByteReader in(bytes);
    readHeader(in);
    PageStore pages;
    pages.setTitle(in.string("the title", MaxTitleBytes));
    readFonts(in, pages);
    readPages(in, pages);
    if (in.left() != 0)
        damaged("bytes follow the last page");
    return pages;
}

} // namespace kodexa::report
