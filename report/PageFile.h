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
namespace kodexa::report {

// Why bytes are not a page file, or why a store cannot be written as one. The message says what
// is wrong without naming the file; the caller adds the name.
class PageFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::uint16_t PageFileVersion = 1;

// Limits far above any report the engine lays out; they keep a hostile file from costing more
// than its size. A page file holds at least one page.
inline constexpr double MaxPageInches = 100;
inline constexpr double MaxCoordinateInches = 1000;
inline constexpr double MaxPointSize = 1000;
inline constexpr std::uint32_t MaxItemsPerPage = 65536;

// Throws PageFileError when the store holds something a page file cannot carry back (a size or
// position out of the limits above, a font index without a font, text that is not UTF-8).
std::string writePageFile(const PageStore& pages);

// Trusts nothing: throws PageFileError for anything that is not a whole, well-formed page file
// within the limits, and never reads outside bytes.
PageStore readPageFile(std::string_view bytes);

} // namespace kodexa::report
