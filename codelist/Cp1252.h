#pragma once

#include <string>
#include <string_view>

// Code list text is Windows-1252 bytes everywhere inside the program; these helpers are the only
// places where it meets UTF-8 (the source list, command-line input and output, widgets).
namespace kodexa::cp1252 {

// Characters outside the code page become '?', as typed input would. Malformed UTF-8 sequences
// count as one character each and become '?' too.
std::string fromUtf8(std::string_view utf8);

std::string toUtf8(std::string_view text);

// The code page's single-byte upper case: a-z and the accented small letters become capitals;
// characters without a capital in the code page (among them the sharp s) stay as they are.
char toUpper(char c);
std::string toUpper(std::string_view text);
void toUpperInPlace(std::string& text);

// The Unicode code point of one Windows-1252 byte (undefined bytes map to themselves, as
// Windows does for 0x81, 0x8D, 0x8F, 0x90 and 0x9D).
char32_t toCodePoint(char c);

} // namespace kodexa::cp1252
