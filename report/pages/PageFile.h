#pragma once

#include "PageStore.h"

#include <stdexcept>
#include <string>
#include <string_view>

// The page file ("Rave Snapshot Files", *.ndr): a page store as bytes, so that a preview can be
// saved and shown again. It knows no toolkit, so that the fuzzing build can exercise the reader.
//
// Layout, all numbers little-endian:
//   magic    8 bytes "KXPAGES" 0x1A
//   version  u16 (1)
//   title    string
//   fonts    u32 count, each: string name, f64 point size, u8 style (1 bold, 2 italic,
//            4 underline, 8 strike-out), i32 character set, u32 colour
//   pages    u32 count, each: f64 width, f64 height (inches), u32 item count, each item:
//            u8 1 = text: f64 x, f64 baseline, u32 font index, string text
//            u8 2 = line: f64 x1, f64 y1, f64 x2, f64 y2, f64 width, u32 colour
// A string is a u32 byte count and that many bytes of UTF-8. Nothing follows the last page.
//
// Limits. Whatever a file says, opening it and painting a page at 100 % take well under a second,
// and converting it to PDF at most half a second of processor time (bench/page_file_speed.sh):
// these bounds cap what reading, painting and PDF output cost.
// The writer refuses a store past them, so a saved file always opens again.
//   title        at most 1,024 bytes
//   fonts        at most 32, none listed twice (a repeat would renumber the texts); a name of at
//                most 32 bytes (a Windows face name has at most 31 characters, and every change
//                of font looks the name up again), a point size above 0 and at most 1,000
//   pages        at least 1 and at most 400; width and height from 1/72 to 100 inches
//   items        at most 2,048 on a page and 40,000 in all
//   texts        only characters of Windows-1252 (the engine's character set, which every report
//                font holds: other scripts send the painter through the system's fallback fonts,
//                font by font); at most 4,096 bytes each, 65,536 on a page and 700,000 in all;
//                the texts of a page cover at most 2,000 square inches, each byte counted as a
//                square of its font's size (large glyphs are drawn as outlines, at their area)
//   coordinates  finite, at most 1,000 inches from the sheet's corner either way
//   line width   0 (the device's thinnest line) to 1 inch
// The whole code list report, the largest the program lays out, uses 186 pages, 106 items on a
// page and 19,674 in all, 112 bytes in a text, 3,051 on a page and 335,510 in all, two fonts of
// 10 and 16 points and lines of 1/72 inch. The totals allow about twice that, no more: the time a
// PDF takes grows with them, and that of the whole list alone is 0.15 s. Each font the PDF embeds
// costs several milliseconds, whatever it draws, so 32 fonts, sixteen times the report's, are the
// most a file may list (64 once, which could take a PDF past half a second). The limits came without
// a new version: files saved before them hold the program's own reports, which lie inside them.
namespace kodexa::report {

// Why bytes are not a page file, or why a store cannot be written as one. The message says what
// is wrong without naming the file; the caller adds the name.
class PageFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::uint16_t PageFileVersion = 1;

// The limits above.
inline constexpr std::size_t MaxTitleBytes = 1024;
inline constexpr std::uint32_t MaxFonts = 32;
inline constexpr std::size_t MaxFontNameBytes = 32;
inline constexpr double MaxPointSize = 1000;
inline constexpr std::uint32_t MaxPages = 400;
inline constexpr double MaxPageInches = 100;
// One point: a smaller page holds nothing, and the PDF writer makes a Letter page of it instead.
inline constexpr double MinPageInches = 1.0 / 72;
inline constexpr std::uint32_t MaxItemsPerPage = 2048;
inline constexpr std::uint32_t MaxItems = 40000;
inline constexpr std::size_t MaxTextBytes = 4096;
inline constexpr std::size_t MaxPageTextBytes = 65536;
inline constexpr std::size_t MaxAllTextBytes = 700000;
inline constexpr double MaxPageTextArea = 2000; // square inches
inline constexpr double MaxCoordinateInches = 1000;
inline constexpr double MaxLineWidthInches = 1;

// No file within the limits is larger (a text item takes fewer bytes than a line, besides its
// text), so a larger one is refused before it is read.
inline constexpr std::size_t MaxPageFileBytes =
    8 + 2 + 4 + MaxTitleBytes + 4 + MaxFonts * (4 + MaxFontNameBytes + 8 + 1 + 4 + 4) + 4 +
    MaxPages * (8 + 8 + 4) + MaxItems * (1 + 5 * 8 + 4) + MaxAllTextBytes;

// Throws PageFileError when the store holds something a page file cannot carry back (anything past
// the limits above, a font index without a font, a text that is not UTF-8 of Windows-1252).
std::string writePageFile(const PageStore& pages);

// Trusts nothing: throws PageFileError for anything that is not a whole, well-formed page file
// within the limits, and never reads outside bytes.
PageStore readPageFile(std::string_view bytes);

} // namespace kodexa::report
