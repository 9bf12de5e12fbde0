#include "Cp1252.h"

#include <array>
#include <cstdint>

namespace kodexa::cp1252 {
namespace {

// 0x80..0x9F, the part of Windows-1252 that differs from Latin-1.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::array<unsigned char, 256> makeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = static_cast<unsigned char>(c - 'a' + 'A');
    table[0x9A] = 0x8A; // š -> Š
    table[0x9C] = 0x8C; // œ -> Œ
    table[0x9E] = 0x8E; // ž -> Ž
    table[0xFF] = 0x9F; // ÿ -> Ÿ
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7) // the division sign has no capital
            table[c] = static_cast<unsigned char>(c - 0x20);
    }
    // 0xDF (sharp s), 0xB5 (micro sign) and 0xAA/0xBA keep their form: no single-byte capital.
    return table;
}

const std::array<unsigned char, 256> UpperTable = makeUpperTable();

int fromCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < HighControlRange.size(); ++i) {
        if (HighControlRange[i] == cp)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

// Decodes one UTF-8 sequence at text[pos]; returns the code point (U+FFFD when malformed) and
// advances pos past it.
char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

char32_t toCodePoint(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte < 0xA0)
        return HighControlRange[byte - 0x80];
    return byte;
}

std::string fromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const int byte = fromCodePoint(decodeUtf8(utf8, pos));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

std::string toUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text)
        appendUtf8(out, toCodePoint(c));
    return out;
}

char toUpper(char c) {
    return static_cast<char>(UpperTable[static_cast<unsigned char>(c)]);
}

void toUpperInPlace(std::string& text) {
    for (char& c : text)
        c = toUpper(c);
}

std::string toUpper(std::string_view text) {
    std::string out(text);
    toUpperInPlace(out);
    return out;
}

} // namespace kodexa::cp1252
