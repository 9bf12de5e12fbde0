#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Code list text is Windows-1252 bytes everywhere inside the program; these helpers are the only
// places where it meets UTF-8 (the source list, command-line input and output, widgets).
namespace kodexa::cp1252 {

// Characters outside the code page become '?', as typed input would. Malformed UTF-8 (a stray or
// missing continuation byte, an overlong form, a surrogate, a value beyond U+10FFFF) becomes '?'
// too, once for each longest beginning of a sequence that could still have been well formed.
std::string fromUtf8(std::string_view utf8);

// The strict reading, for text from outside that must not change on its way in (command-line
// arguments): the text when it is well-formed UTF-8 and the code page holds every character of
// it, otherwise the first problem found.
struct StrictConversion {
    enum class Problem { None, MalformedUtf8, OutsideCodePage };
    std::string text; // Windows-1252; only meaningful without a problem
    Problem problem = Problem::None;
    char32_t character = 0; // with OutsideCodePage: the character the code page lacks
};
StrictConversion fromUtf8Strict(std::string_view utf8);

std::string toUtf8(std::string_view text);

// What decodeUtf8 gives for a malformed sequence; no code point has this value.
constexpr char32_t MalformedUtf8 = 0xFFFFFFFF;

// Decodes one UTF-8 sequence at text[pos] (pos < text.size()) and advances pos past it. Overlong
// forms, surrogates and values beyond U+10FFFF are malformed like stray or missing continuation
// bytes: MalformedUtf8, with pos past the longest beginning that could still have been well formed.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

// The code page's single-byte upper case: a-z and the accented small letters become capitals;
// characters without a capital in the code page (among them the sharp s) stay as they are.
char toUpper(char c);
std::string toUpper(std::string_view text);
void toUpperInPlace(std::string& text);

// The Unicode code point of one Windows-1252 byte (undefined bytes map to themselves, as
// Windows does for 0x81, 0x8D, 0x8F, 0x90 and 0x9D).
char32_t toCodePoint(char c);

} // namespace kodexa::cp1252
