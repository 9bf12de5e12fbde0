// The page file: what is written reads back the same, and whatever else is offered is refused
// with a reason, without reading past the bytes or reserving memory for counts it cannot hold.
#include "PageFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>

using namespace kodexa::report;

namespace {

PageStore samplePages() {
    PageStore pages;
    pages.setTitle("Ausdruck CPV-Liste \xC3\xA4"); // "ä"
    const std::uint32_t title = pages.addFont({"Arial", 16, true});
    FontSpec odd{"Liberation Sans", 7.5, true, true, true, true, 0, 0x00336699};
    const std::uint32_t list = pages.addFont(odd);
    Page& first = pages.addPage(8.2677, 11.6929);
    first.items.emplace_back(PageText{2.7, 0.5, title, "Liste der CPV Codes"});
    first.items.emplace_back(PageLine{0.25, 1.04, 7.05, 1.04, 1.0 / 72, 0});
    first.items.emplace_back(PageText{0.24, 1.3, list,
                                      "Gr\xC3\xBC\xC3\x9F"
                                      "e \xE2\x80\x93 \xE2\x82\xAC \xC5\xB8 \xC2\x81"}); // "– € Ÿ", 0x81
    first.items.emplace_back(PageText{-0.5, 0, list, ""});
    Page& second = pages.addPage(11.6929, 8.2677);
    second.items.emplace_back(PageLine{0, 0, 11.6929, 8.2677, 0, 0x00FF0000});
    return pages;
}

// Writes the fields of a page file one by one, so that a test can put anything into them.
class FileBytes {
public:
    FileBytes& raw(std::string_view bytes) {
        out_.append(bytes);
        return *this;
    }
    FileBytes& magic() { return raw(std::string_view("KXPAGES\x1A", 8)); }
    FileBytes& u8(std::uint8_t value) { return little(value, 1); }
    FileBytes& u16(std::uint16_t value) { return little(value, 2); }
    FileBytes& u32(std::uint32_t value) { return little(value, 4); }
    FileBytes& f64(double value) { return little(std::bit_cast<std::uint64_t>(value), 8); }
    FileBytes& str(std::string_view text) { return u32(static_cast<std::uint32_t>(text.size())).raw(text); }
    const std::string& bytes() const { return out_; }

private:
    FileBytes& little(std::uint64_t value, int count) {
        for (int i = 0; i < count; ++i)
            out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        return *this;
    }
    std::string out_;
};

// A one-page file with one text and one line, every field open to change.
struct Sample {
    std::uint16_t version = 1;
    std::uint32_t fontCount = 1; // the same font, repeated
    std::string fontName = "Arial";
    double pointSize = 10;
    std::uint8_t style = 0;
    std::uint32_t pageCount = 1; // one page's fields follow when it is not 0
    double pageWidth = 8.5;
    double pageHeight = 11;
    std::uint8_t textKind = 1;
    double textX = 1;
    std::uint32_t textFont = 0;
    std::string text = "abc";
    double lineY = 2;
    double lineWidth = 0.01;
    std::string trailer;
};

std::string bytesOf(const Sample& sample) {
    FileBytes file;
    file.magic().u16(sample.version).str("Title").u32(sample.fontCount);
    for (std::uint32_t font = 0; font < sample.fontCount; ++font)
        file.str(sample.fontName).f64(sample.pointSize).u8(sample.style).u32(1).u32(0);
    file.u32(sample.pageCount);
    if (sample.pageCount > 0) {
        file.f64(sample.pageWidth).f64(sample.pageHeight).u32(2);
        file.u8(sample.textKind).f64(sample.textX).f64(1).u32(sample.textFont).str(sample.text);
        file.u8(2).f64(0).f64(sample.lineY).f64(8).f64(sample.lineY).f64(sample.lineWidth).u32(0);
    }
    return file.raw(sample.trailer).bytes();
}

// The bytes of a store as the layout above has them, without the writer's checks: what a hostile
// file could say.
std::string rawBytesOf(const PageStore& pages) {
    FileBytes file;
    file.magic().u16(1).str(pages.title()).u32(static_cast<std::uint32_t>(pages.fonts().size()));
    for (const FontSpec& font : pages.fonts()) {
        const auto style = static_cast<std::uint8_t>(font.bold | font.italic << 1 | font.underline << 2 |
                                                     font.strikeOut << 3);
        file.str(font.name).f64(font.pointSize).u8(style).u32(static_cast<std::uint32_t>(font.charset));
        file.u32(font.color);
    }
    file.u32(static_cast<std::uint32_t>(pages.pageCount()));
    for (std::size_t index = 0; index < pages.pageCount(); ++index) {
        const Page& page = pages.page(index);
        file.f64(page.width).f64(page.height).u32(static_cast<std::uint32_t>(page.items.size()));
        for (const PageItem& item : page.items) {
            if (const auto* text = std::get_if<PageText>(&item)) {
                file.u8(1).f64(text->x).f64(text->baseline).u32(text->font).str(text->text);
                continue;
            }
            const auto& line = std::get<PageLine>(item);
            file.u8(2).f64(line.x1).f64(line.y1).f64(line.x2).f64(line.y2).f64(line.width).u32(line.color);
        }
    }
    return file.bytes();
}

std::string refusalToWrite(const PageStore& pages) {
    try {
        writePageFile(pages);
    } catch (const PageFileError& error) {
        return error.what();
    }
    return "written";
}

std::string refusalOf(std::string_view bytes) {
    try {
        readPageFile(bytes);
    } catch (const PageFileError& error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(PageFile, WhatIsWrittenReadsBackUnchangedAndWritesTheSameBytes) {
    const PageStore pages = samplePages();
    const std::string bytes = writePageFile(pages);
    const PageStore again = readPageFile(bytes);
    EXPECT_TRUE(again == pages);
    EXPECT_EQ(writePageFile(again), bytes);
    EXPECT_EQ(refusalOf(bytesOf(Sample{})), "accepted");
}

TEST(PageFile, EveryTruncationAndAnyTrailingByteIsRefused) {
    const std::string bytes = writePageFile(samplePages());
    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_NE(refusalOf(std::string_view(bytes).substr(0, length)), "accepted") << "length " << length;
    EXPECT_EQ(refusalOf(bytes + '\0'), "the file is damaged: bytes follow the last page");
    EXPECT_EQ(refusalOf(bytes.substr(0, bytes.size() - 1)), "the file is damaged: it ends too early");
}

TEST(PageFile, ForeignAndNewerFilesAreNamedAsSuch) {
    const std::string notOurs = "it is not a page file of this program";
    EXPECT_EQ(refusalOf(""), notOurs);
    EXPECT_EQ(refusalOf("KXPAGES"), notOurs);
    EXPECT_EQ(refusalOf("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj"), notOurs);
    EXPECT_EQ(refusalOf(std::string("KXPAGES\n\x01\x00", 10)), notOurs); // mangled by a text transfer

    Sample newer;
    newer.version = 2;
    EXPECT_EQ(refusalOf(bytesOf(newer)),
              "it was saved by a newer version of the program, as page file version 2");
    Sample zero;
    zero.version = 0;
    EXPECT_EQ(refusalOf(bytesOf(zero)), "the file is damaged: version 0");
}

// A count or a length larger than the rest of the file is refused before anything is reserved.
TEST(PageFile, HostileCountsAreRefusedBeforeMemoryIsReserved) {
    const std::uint32_t huge = std::numeric_limits<std::uint32_t>::max();
    FileBytes fonts;
    fonts.magic().u16(1).str("T").u32(huge);
    EXPECT_EQ(refusalOf(fonts.bytes()), "the file is damaged: the number of fonts does not match its length");
    FileBytes pages;
    pages.magic().u16(1).str("T").u32(0).u32(huge);
    EXPECT_EQ(refusalOf(pages.bytes()), "the file is damaged: the number of pages does not match its length");
    FileBytes items;
    items.magic().u16(1).str("T").u32(0).u32(1).f64(8).f64(11).u32(huge);
    EXPECT_EQ(refusalOf(items.bytes()), "the file is damaged: the number of items does not match its length");
    FileBytes title;
    title.magic().u16(1).u32(huge).raw("x");
    EXPECT_EQ(refusalOf(title.bytes()), "the file is damaged: the title is too long");
    FileBytes shortTitle;
    shortTitle.magic().u16(1).u32(MaxTitleBytes).raw("x");
    EXPECT_EQ(refusalOf(shortTitle.bytes()), "the file is damaged: it ends too early");

    FileBytes crowded;
    crowded.magic().u16(1).str("T").u32(0).u32(1).f64(8).f64(11).u32(MaxItemsPerPage + 1);
    for (std::uint32_t item = 0; item <= MaxItemsPerPage; ++item)
        crowded.u8(2).f64(0).f64(0).f64(1).f64(1).f64(0).u32(0);
    EXPECT_EQ(refusalOf(crowded.bytes()), "the file is damaged: a page holds too many items");
}

TEST(PageFile, ValuesThatCannotBeDrawnAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        std::function<void(Sample&)> change;
        std::string refusal;
    };
    const std::vector<Case> cases{
        {"no pages", [](Sample& s) { s.pageCount = 0; }, "it holds no pages"},
        {"zero width", [](Sample& s) { s.pageWidth = 0; }, "a page size is out of range"},
        {"huge height", [&](Sample& s) { s.pageHeight = MaxPageInches + 1; }, "a page size is out of range"},
        {"tiny page", [](Sample& s) { s.pageWidth = s.pageHeight = 1e-9; },
         "a page is smaller than 1/72 inch"},
        {"height below a point", [](Sample& s) { s.pageHeight = MinPageInches * 0.99; },
         "a page is smaller than 1/72 inch"},
        {"infinite width", [&](Sample& s) { s.pageWidth = infinity; }, "a page size is out of range"},
        {"text at NaN", [&](Sample& s) { s.textX = nan; }, "a text lies out of range"},
        {"text far away", [](Sample& s) { s.textX = -MaxCoordinateInches - 1; }, "a text lies out of range"},
        {"line at infinity", [&](Sample& s) { s.lineY = -infinity; }, "a line lies out of range"},
        {"negative line width", [](Sample& s) { s.lineWidth = -0.1; }, "a line width is out of range"},
        {"font beyond the list", [](Sample& s) { s.textFont = 1; },
         "a text names a font that does not exist"},
        {"text without fonts",
         [](Sample& s) {
             s.fontCount = 0;
             s.textFont = 0;
         },
         "a text names a font that does not exist"},
        {"font listed twice", [](Sample& s) { s.fontCount = 2; }, "a font is listed twice"},
        {"font size 0", [](Sample& s) { s.pointSize = 0; }, "a font size is out of range"},
        {"font size NaN", [&](Sample& s) { s.pointSize = nan; }, "a font size is out of range"},
        {"unknown style", [](Sample& s) { s.style = 16; }, "unknown font style"},
        {"unknown item", [](Sample& s) { s.textKind = 3; }, "unknown item kind 3"},
        {"overlong UTF-8", [](Sample& s) { s.text = "\xC0\xAF"; }, "a text is not UTF-8"},
        {"surrogate in UTF-8", [](Sample& s) { s.text = "\xED\xA0\x80"; }, "a text is not UTF-8"},
        {"cut UTF-8", [](Sample& s) { s.text = "ab\xE2\x80"; }, "a text is not UTF-8"},
        {"beyond U+10FFFF", [](Sample& s) { s.text = "\xF4\x90\x80\x80"; }, "a text is not UTF-8"},
        {"Windows-1252 font name",
         [](Sample& s) {
             s.fontName = "Stra\xDF"
                          "e";
         },
         "a font name is not UTF-8"},
    };
    for (const Case& test : cases) {
        Sample sample;
        test.change(sample);
        EXPECT_EQ(refusalOf(bytesOf(sample)), "the file is damaged: " + test.refusal) << test.what;
    }
}

// A saved file must always open again: the writer refuses what the reader would refuse.
TEST(PageFile, TheWriterRefusesPagesThatCouldNotBeReadBack) {
    const auto refusalToWrite = [](const PageStore& pages) -> std::string {
        try {
            writePageFile(pages);
        } catch (const PageFileError& error) {
            return error.what();
        }
        return "written";
    };
    EXPECT_EQ(refusalToWrite(PageStore()), "the pages cannot be kept in a page file: there are no pages");

    PageStore flat;
    flat.addPage(8, 0);
    EXPECT_EQ(refusalToWrite(flat), "the pages cannot be kept in a page file: a page size is out of range");

    PageStore fontless;
    fontless.addPage(8, 11).items.emplace_back(PageText{1, 1, 0, "x"});
    EXPECT_EQ(refusalToWrite(fontless),
              "the pages cannot be kept in a page file: a text names a font that does not exist");

    PageStore ansi;
    const std::uint32_t font = ansi.addFont({});
    ansi.addPage(8, 11).items.emplace_back(PageText{1, 1, font,
                                                    "Gr\xFC\xDF"
                                                    "e"});
    EXPECT_EQ(refusalToWrite(ansi), "the pages cannot be kept in a page file: a text is not UTF-8");

    PageStore lost;
    lost.addPage(8, 11).items.emplace_back(PageLine{0, std::nan(""), 1, 1, 0, 0});
    EXPECT_EQ(refusalToWrite(lost), "the pages cannot be kept in a page file: a line lies out of range");
}

namespace {

// The same store through both doors: the writer and the reader accept it, or both refuse it.
struct LimitCase {
    const char* what;
    std::function<PageStore(bool past)> build; // at the limit, or just past it
    std::string readerRefusal;                 // after "the file is damaged: "
    std::string writerRefusal;                 // after "the pages cannot be kept in a page file: "
};

PageStore withItem(const PageItem& item, double width = 8.5, double height = 11) {
    PageStore pages;
    pages.addFont({});
    Page& page = pages.addPage(width, height);
    if (std::holds_alternative<PageLine>(item) || !std::get<PageText>(item).text.empty())
        page.items.push_back(item);
    return pages;
}

// count texts of the given length in one font of the given size, perPage to a page; then one more
// text when extra is not empty.
PageStore texts(std::size_t count, std::size_t length, double pointSize, std::size_t perPage,
                const std::string& extra = "") {
    PageStore pages;
    const std::uint32_t font = pages.addFont({"Arial", pointSize});
    Page* page = nullptr;
    for (std::size_t index = 0; index < count; ++index) {
        if (index % perPage == 0)
            page = &pages.addPage(8.5, 11);
        page->items.emplace_back(PageText{1, 1, font, std::string(length, 'x')});
    }
    if (!extra.empty())
        page->items.emplace_back(PageText{1, 2, font, extra});
    return pages;
}

PageStore lines(std::size_t count, std::size_t perPage) {
    PageStore pages;
    Page* page = nullptr;
    for (std::size_t index = 0; index < count; ++index) {
        if (index % perPage == 0)
            page = &pages.addPage(8.5, 11);
        page->items.emplace_back(PageLine{0, 1, 8, 1, 0, 0});
    }
    return pages;
}

double justAbove(double value) {
    return std::nextafter(value, 2 * value);
}

} // namespace

TEST(PageFile, EveryLimitAcceptsItsBoundAndRefusesJustPastIt) {
    const std::vector<LimitCase> cases{
        {"title",
         [](bool past) {
             PageStore pages = withItem(PageText{});
             pages.setTitle(std::string(MaxTitleBytes + past, 't'));
             return pages;
         },
         "the title is too long", "the title is too long"},
        {"fonts",
         [](bool past) {
             PageStore pages = withItem(PageText{});
             for (std::uint32_t index = 1; index < MaxFonts + past; ++index)
                 pages.addFont({"Arial", 100.0 + index});
             return pages;
         },
         "it lists too many fonts", "there are too many fonts"},
        {"font name",
         [](bool past) {
             PageStore pages = withItem(PageText{});
             pages.addFont({std::string(MaxFontNameBytes + past, 'n')});
             return pages;
         },
         "a font name is too long", "a font name is too long"},
        {"point size",
         [](bool past) {
             PageStore pages = withItem(PageText{});
             pages.addFont({"Arial", past ? justAbove(MaxPointSize) : MaxPointSize});
             return pages;
         },
         "a font size is out of range", "a font size is out of range"},
        {"pages",
         [](bool past) {
             PageStore pages;
             for (std::uint32_t index = 0; index < MaxPages + past; ++index)
                 pages.addPage(8.5, 11);
             return pages;
         },
         "it holds too many pages", "there are too many pages"},
        {"page size",
         [](bool past) {
             return withItem(PageText{}, MaxPageInches, past ? justAbove(MaxPageInches) : MaxPageInches);
         },
         "a page size is out of range", "a page size is out of range"},
        {"items on a page", [](bool past) { return lines(MaxItemsPerPage + past, MaxItemsPerPage + past); },
         "a page holds too many items", "a page holds too many items"},
        {"items in all", [](bool past) { return lines(MaxItems + past, 2000); },
         "the pages hold too many items", "the pages hold too many items"},
        {"a text", [](bool past) { return texts(1, MaxTextBytes + past, 10, 1); }, "a text is too long",
         "a text is too long"},
        {"text on a page",
         [](bool past) {
             return texts(MaxPageTextBytes / MaxTextBytes, MaxTextBytes, 10, MaxItemsPerPage,
                          past ? "x" : "");
         },
         "a page holds too much text", "a page holds too much text"},
        {"text in all",
         [](bool past) { return texts(MaxAllTextBytes / 4000, 4000, 10, 16, past ? "x" : ""); },
         "the pages hold too much text", "the pages hold too much text"},
        {"text area", // at 72 points each byte counts a square inch
         [](bool past) { return texts(2, static_cast<std::size_t>(MaxPageTextArea) / 2 + past, 72, 2); },
         "the text on a page is too large in all", "the text on a page is too large in all"},
        {"coordinate",
         [](bool past) {
             const double x = past ? justAbove(MaxCoordinateInches) : MaxCoordinateInches;
             return withItem(PageLine{-MaxCoordinateInches, 0, x, 1, 0, 0});
         },
         "a line lies out of range", "a line lies out of range"},
        {"line width",
         [](bool past) {
             return withItem(
                 PageLine{0, 0, 1, 1, past ? justAbove(MaxLineWidthInches) : MaxLineWidthInches, 0});
         },
         "a line width is out of range", "a line width is out of range"},
    };
    for (const LimitCase& test : cases) {
        const PageStore atLimit = test.build(false);
        EXPECT_EQ(refusalToWrite(atLimit), "written") << test.what;
        EXPECT_EQ(refusalOf(rawBytesOf(atLimit)), "accepted") << test.what;
        EXPECT_LE(rawBytesOf(atLimit).size(), MaxPageFileBytes) << test.what;
        const PageStore past = test.build(true);
        EXPECT_EQ(refusalToWrite(past), "the pages cannot be kept in a page file: " + test.writerRefusal)
            << test.what;
        EXPECT_EQ(refusalOf(rawBytesOf(past)), "the file is damaged: " + test.readerRefusal) << test.what;
    }
}

namespace {

// Windows-1252 in UTF-8, as the layout converts its texts.
std::string utf8OfWindows1252(std::string_view ansi) {
    static constexpr char16_t High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string utf8;
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        const char16_t code = byte >= 0x80 && byte < 0xA0 ? High[byte - 0x80] : byte;
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | code >> 6);
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | code >> 12);
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

} // namespace

// Texts are the engine's Windows-1252: every one of its 256 characters, and nothing else.
TEST(PageFile, TextsHoldTheCharactersOfWindows1252AndNoOthers) {
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    const PageStore pages = withItem(PageText{1, 1, 0, utf8OfWindows1252(everyByte)});
    EXPECT_TRUE(readPageFile(writePageFile(pages)) == pages);

    for (const char* outside : {"\xC2\x80",          // U+0080, a C1 control that Windows-1252 lacks
                                "\xCE\xA9",          // Greek Omega
                                "\xD0\x96",          // Cyrillic Zhe
                                "\xE2\x82\xAB",      // the dong sign, next to the euro sign
                                "\xE6\xBC\xA2",      // a CJK ideograph
                                "\xF0\x9F\x98\x80"}) // an emoji
    {
        const std::string text = std::string("ok ") + outside;
        Sample sample;
        sample.text = text;
        EXPECT_EQ(refusalOf(bytesOf(sample)),
                  "the file is damaged: a text holds a character outside Windows-1252")
            << text;
        EXPECT_EQ(refusalToWrite(withItem(PageText{1, 1, 0, text})),
                  "the pages cannot be kept in a page file: a text holds a character outside Windows-1252")
            << text;
    }
}

// A file of 160,000 fonts, which once took half a minute to open, is refused by its count; the fonts
// of a valid file are told apart by hash, and a repeat is still found wherever it stands.
TEST(PageFile, ManyFontsAreRefusedAtOnceAndARepeatedFontStillIs) {
    FileBytes crowded;
    crowded.magic().u16(1).str("T").u32(160000);
    for (std::uint32_t font = 0; font < 160000; ++font)
        crowded.str("F" + std::to_string(font)).f64(10).u8(0).u32(1).u32(0);
    crowded.u32(1).f64(8.5).f64(11).u32(0);
    EXPECT_EQ(refusalOf(crowded.bytes()), "the file is damaged: it lists too many fonts");

    PageStore pages = withItem(PageText{});
    while (pages.fonts().size() < MaxFonts) {
        const auto index = static_cast<std::uint32_t>(pages.fonts().size());
        pages.addFont({"Font " + std::to_string(index % 8), 8.0 + index / 8});
    }
    EXPECT_TRUE(readPageFile(writePageFile(pages)) == pages);
    const auto recordOf = [](const FontSpec& font) {
        return FileBytes().str(font.name).f64(font.pointSize).u8(0).u32(1).u32(0).bytes();
    };
    for (const std::uint32_t repeated : {1u, MaxFonts / 2, MaxFonts - 2}) {
        // The last font is written again in place of another one, of the same length.
        std::string bytes = rawBytesOf(pages);
        const std::string replaced = recordOf(pages.fonts()[repeated]);
        const std::string last = recordOf(pages.fonts().back());
        ASSERT_EQ(replaced.size(), last.size());
        const std::size_t at = bytes.find(replaced);
        ASSERT_NE(at, std::string::npos);
        bytes.replace(at, replaced.size(), last);
        EXPECT_EQ(refusalOf(bytes), "the file is damaged: a font is listed twice") << repeated;
    }
}

// addFont finds fonts by hash; it must answer as a plain search of the list does, for sizes that
// compare in odd ways too.
TEST(PageStore, AddFontAnswersAsALinearSearch) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<FontSpec> offered{
        {"Arial", 10},
        {"Arial", 10, true},
        {"arial", 10},
        {"Arial", 0.0},
        {"Arial", -0.0},
        {"Arial", nan},
        {"Arial", 10, false, true},
        {"Arial", 10, false, false, true},
        {"Arial", 10, false, false, false, true},
        {"Arial", 10, false, false, false, false, 0},
        {"Arial", 10, false, false, false, false, 1, 0xFF},
        {"Tahoma", 8},
    };
    PageStore store;
    std::vector<FontSpec> plain;
    for (int round = 0; round < 3; ++round) {
        for (const FontSpec& font : offered) {
            const auto known = std::find(plain.begin(), plain.end(), font);
            const auto expected = static_cast<std::uint32_t>(known - plain.begin());
            if (known == plain.end())
                plain.push_back(font);
            EXPECT_EQ(store.addFont(font), expected) << round << ' ' << font.name << ' ' << font.pointSize;
        }
    }
    EXPECT_EQ(store.fonts().size(), plain.size());
}

// Files saved before the limits were checked are version 1 as well, laid out as here; the program's
// own pages lie inside the limits and still open, and are written again byte for byte.
TEST(PageFile, AVersionOneFileStillOpens) {
    FileBytes file;
    file.magic().u16(1).str("Ausdruck CPV-Liste");
    file.u32(2).str("Arial").f64(16).u8(1).u32(1).u32(0).str("Arial").f64(10).u8(0).u32(1).u32(0);
    file.u32(1).f64(8.267716535433072).f64(11.692913385826772).u32(3);
    file.u8(1).f64(2.7).f64(0.5).u32(0).str("Liste der CPV Codes");
    file.u8(2).f64(0.24).f64(1.04).f64(7.05).f64(1.04).f64(1.0 / 72).u32(0);
    file.u8(1).f64(0.24).f64(1.3).u32(1).str("Gr\xC3\xBC"
                                             "nes \xE2\x80\x93 \xE2\x82\xAC");
    PageStore expected;
    expected.setTitle("Ausdruck CPV-Liste");
    expected.addFont({"Arial", 16, true});
    expected.addFont({"Arial", 10});
    Page& page = expected.addPage(8.267716535433072, 11.692913385826772);
    page.items.emplace_back(PageText{2.7, 0.5, 0, "Liste der CPV Codes"});
    page.items.emplace_back(PageLine{0.24, 1.04, 7.05, 1.04, 1.0 / 72, 0});
    page.items.emplace_back(PageText{0.24, 1.3, 1, "Gr\xC3\xBCnes \xE2\x80\x93 \xE2\x82\xAC"});
    EXPECT_TRUE(readPageFile(file.bytes()) == expected);
    EXPECT_EQ(writePageFile(expected), file.bytes());
}
