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

// The bytes allowed after each lead byte follow Unicode's table of well-formed sequences.
char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t cp = 0;
    unsigned char low = 0x80; // the range of the next continuation byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0; // below: overlong
        else if (lead == 0xED)
            high = 0x9F; // above: surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90; // below: overlong
        else if (lead == 0xF4)
            high = 0x8F; // above: beyond U+10FFFF
    } else {
        return MalformedUtf8; // a continuation byte, an overlong lead (C0, C1) or beyond U+10FFFF (F5..FF)
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size())
            return MalformedUtf8;
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < low || byte > high)
            return MalformedUtf8;
        cp = (cp << 6) | (byte & 0x3F);
        ++pos;
        low = 0x80;
        high = 0xBF;
    }
    return cp;
}

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
        const char32_t cp = decodeUtf8(utf8, pos);
        const int byte = cp == MalformedUtf8 ? -1 : fromCodePoint(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

StrictConversion fromUtf8Strict(std::string_view utf8) {
    StrictConversion result;
    result.text.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = decodeUtf8(utf8, pos);
        if (cp == MalformedUtf8) {
            result.problem = StrictConversion::Problem::MalformedUtf8;
            return result;
        }
        const int byte = fromCodePoint(cp);
        if (byte < 0) {
            result.problem = StrictConversion::Problem::OutsideCodePage;
            result.character = cp;
            return result;
        }
        result.text += static_cast<char>(byte);
    }
    return result;
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
