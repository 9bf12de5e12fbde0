#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kodexa::report {

// A font as a report names it: the definition's elements and the page store's texts. It knows no
// toolkit, so that stored pages can be read and written without one.
struct FontSpec {
    std::string name = "Arial"; // UTF-8
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1;
    std::uint32_t color = 0; // 0x00BBGGRR, as Windows stores a colour

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// Equal fonts hash alike (0 and -0 points too), so that fonts can be kept in a hash table.
struct FontSpecHash {
    std::size_t operator()(const FontSpec& font) const noexcept;
};

} // namespace kodexa::report
