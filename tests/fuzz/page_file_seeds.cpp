// Writes page files at each limit and just past it into the folder given, as seeds for the page
// file fuzzer: so that mutations start on both sides of every bound, which a fuzzer seldom reaches
// by itself in files of a megabyte. Built from the limits themselves, they follow any change to
// them; the files at a limit come from the writer, those past it from a plain encoder.
#include "PageFile.h"

#include <bit>
#include <fstream>
#include <functional>
#include <iostream>

namespace {

using namespace kodexa::report;

constexpr double A4Width = 8.267716535433072;
constexpr double A4Height = 11.692913385826772;

// Every character of Windows-1252 but the controls, in UTF-8; the first 95 are ASCII.
const char* const EveryCharacter =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
    "\xE2\x82\xAC\xC2\x81\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\xA0\xE2\x80\xA1\xCB\x86"
    "\xE2\x80\xB0\xC5\xA0\xE2\x80\xB9\xC5\x92\xC2\x8D\xC5\xBD\xC2\x8F\xC2\x90\xE2\x80\x98\xE2\x80\x99"
    "\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x93\xE2\x80\x94\xCB\x9C\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA"
    "\xC5\x93\xC2\x9D\xC5\xBE\xC5\xB8\xC2\xA0\xC2\xA1\xC2\xA2\xC2\xA3\xC2\xA4\xC2\xA5\xC2\xA6\xC2\xA7"
    "\xC2\xA8\xC2\xA9\xC2\xAA\xC2\xAB\xC2\xAC\xC2\xAD\xC2\xAE\xC2\xAF\xC2\xB0\xC2\xB1\xC2\xB2\xC2\xB3"
    "\xC2\xB4\xC2\xB5\xC2\xB6\xC2\xB7\xC2\xB8\xC2\xB9\xC2\xBA\xC2\xBB\xC2\xBC\xC2\xBD\xC2\xBE\xC2\xBF"
    "\xC3\x80\xC3\x81\xC3\x82\xC3\x83\xC3\x84\xC3\x85\xC3\x86\xC3\x87\xC3\x88\xC3\x89\xC3\x8A\xC3\x8B"
    "\xC3\x8C\xC3\x8D\xC3\x8E\xC3\x8F\xC3\x90\xC3\x91\xC3\x92\xC3\x93\xC3\x94\xC3\x95\xC3\x96\xC3\x97"
    "\xC3\x98\xC3\x99\xC3\x9A\xC3\x9B\xC3\x9C\xC3\x9D\xC3\x9E\xC3\x9F\xC3\xA0\xC3\xA1\xC3\xA2\xC3\xA3"
    "\xC3\xA4\xC3\xA5\xC3\xA6\xC3\xA7\xC3\xA8\xC3\xA9\xC3\xAA\xC3\xAB\xC3\xAC\xC3\xAD\xC3\xAE\xC3\xAF"
    "\xC3\xB0\xC3\xB1\xC3\xB2\xC3\xB3\xC3\xB4\xC3\xB5\xC3\xB6\xC3\xB7\xC3\xB8\xC3\xB9\xC3\xBA\xC3\xBB"
    "\xC3\xBC\xC3\xBD\xC3\xBE\xC3\xBF";

// The layout of PageFile.h, without any of the writer's checks.
class PlainEncoder {
public:
    std::string encode(const PageStore& pages) {
        out_.assign("KXPAGES\x1A", 8);
        u16(1);
        string(pages.title());
        u32(static_cast<std::uint32_t>(pages.fonts().size()));
        for (const FontSpec& font : pages.fonts()) {
            string(font.name);
            f64(font.pointSize);
            u8(static_cast<std::uint8_t>(font.bold | font.italic << 1 | font.underline << 2 |
                                         font.strikeOut << 3));
            u32(static_cast<std::uint32_t>(font.charset));
            u32(font.color);
        }
        u32(static_cast<std::uint32_t>(pages.pageCount()));
        for (std::size_t index = 0; index < pages.pageCount(); ++index) {
            const Page& page = pages.page(index);
            f64(page.width);
            f64(page.height);
            u32(static_cast<std::uint32_t>(page.items.size()));
            for (const PageItem& item : page.items)
                encode(item);
        }
        return std::move(out_);
    }

private:
    void encode(const PageItem& item) {
        if (const auto* text = std::get_if<PageText>(&item)) {
            u8(1);
            f64(text->x);
            f64(text->baseline);
            u32(text->font);
            string(text->text);
            return;
        }
        const auto& line = std::get<PageLine>(item);
        u8(2);
        for (const double value : {line.x1, line.y1, line.x2, line.y2, line.width})
            f64(value);
        u32(line.color);
    }
    void little(std::uint64_t value, int count) {
        for (int i = 0; i < count; ++i)
            out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    void u8(std::uint8_t value) { little(value, 1); }
    void u16(std::uint16_t value) { little(value, 2); }
    void u32(std::uint32_t value) { little(value, 4); }
    void f64(double value) { little(std::bit_cast<std::uint64_t>(value), 8); }
    void string(const std::string& text) {
        u32(static_cast<std::uint32_t>(text.size()));
        out_ += text;
    }

    std::string out_;
};

// pages pages of count texts each, of the given length, in one font of the given size; then one
// more text of extra bytes when extra is not 0.
PageStore texts(std::size_t pages, std::size_t count, std::size_t length, double pointSize,
                std::size_t extra = 0) {
    PageStore store;
    const std::uint32_t font = store.addFont({"Arial", pointSize});
    for (std::size_t index = 0; index < pages; ++index) {
        Page& page = store.addPage(A4Width, A4Height);
        for (std::size_t item = 0; item < count; ++item)
            page.items.emplace_back(PageText{1, 1, font, std::string(length, 'x')});
        if (extra > 0 && index + 1 == pages)
            page.items.emplace_back(PageText{1, 2, font, std::string(extra, 'y')});
    }
    return store;
}

// The longest title and the most fonts with the longest names, in every style, each used once,
// and every character.
PageStore fonts(std::size_t count, std::size_t nameBytes) {
    PageStore store;
    store.setTitle(std::string(MaxTitleBytes, 't'));
    Page& page = store.addPage(MaxPageInches, MaxPageInches);
    for (std::uint32_t index = 0; index < count; ++index) {
        std::string name = "Font " + std::to_string(index) + ' ';
        name.resize(nameBytes, 'n');
        const std::uint32_t font =
            store.addFont({name, index == 0 ? MaxPointSize : 1.0 + index, (index & 1) != 0, (index & 2) != 0,
                           (index & 4) != 0, (index & 8) != 0, static_cast<int>(index), index * 0x010203});
        page.items.emplace_back(PageText{-MaxCoordinateInches, MaxCoordinateInches, font, "F"});
    }
    page.items.emplace_back(PageText{1, 1, 1, EveryCharacter});
    return store;
}

// count items on a page, texts and lines of the widest width in turn.
PageStore crowdedPage(std::size_t count) {
    PageStore store;
    const std::uint32_t font = store.addFont({});
    Page& page = store.addPage(A4Width, A4Height);
    for (std::uint32_t index = 0; index < count; ++index) {
        if (index % 2 == 0)
            page.items.emplace_back(PageText{0.5, 0.005 * index, font, std::string(EveryCharacter, 60)});
        else
            page.items.emplace_back(
                PageLine{0, 0.005 * index, A4Width, 0.005 * index, MaxLineWidthInches, index});
    }
    return store;
}

struct Seed {
    const char* name;
    std::function<PageStore(bool past)> build;
};

const Seed Seeds[] = {
    {"fonts", [](bool past) { return fonts(MaxFonts + past, MaxFontNameBytes); }},
    {"font-name", [](bool past) { return fonts(2, MaxFontNameBytes + past); }},
    {"items-on-a-page", [](bool past) { return crowdedPage(MaxItemsPerPage + past); }},
    {"pages", [](bool past) { return texts(MaxPages + past, 0, 0, 10); }},
    {"items", [](bool past) { return texts(MaxItems / 2000, 2000, 0, 10, past); }},
    {"a-text", [](bool past) { return texts(1, 1, MaxTextBytes + past, 10); }},
    {"text-on-a-page",
     [](bool past) { return texts(1, MaxPageTextBytes / MaxTextBytes, MaxTextBytes, 10, past); }},
    {"text", [](bool past) { return texts(MaxAllTextBytes / 28000, 7, 4000, 10, past); }},
    // At 72 points a byte counts one square inch.
    {"text-area",
     [](bool past) { return texts(1, 2, static_cast<std::size_t>(MaxPageTextArea) / 2, 72, 2 * past); }},
};

bool write(const std::string& fileName, const std::string& bytes) {
    std::ofstream file(fileName, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: page_file_seeds FOLDER\n";
        return 64;
    }
    const std::string folder = std::string(argv[1]) + '/';
    for (const Seed& seed : Seeds) {
        const std::string atLimit = writePageFile(seed.build(false));
        const std::string past = PlainEncoder().encode(seed.build(true));
        if (!write(folder + seed.name + ".ndr", atLimit) || !write(folder + seed.name + "-past.ndr", past)) {
            std::cerr << "page_file_seeds: cannot write into " << folder << '\n';
            return 1;
        }
    }
    return 0;
}
