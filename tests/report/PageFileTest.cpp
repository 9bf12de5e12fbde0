// The page file: what is written reads back the same, and whatever else is offered is refused
// with a reason, without reading past the bytes or reserving memory for counts it cannot hold.
#include "PageFile.h"

#include <gtest/gtest.h>

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
                                      "e \xE2\x80\x93 \xF0\x9F\x98\x80"});
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
    EXPECT_EQ(refusalOf(title.bytes()), "the file is damaged: it ends too early");

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
