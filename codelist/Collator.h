#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kodexa {

// How the table compares text: for an order by a field and for the filter's comparison signs.
// Text is Windows-1252. A sort key compares bytewise (memcmp) exactly as compare() does, so a table
// can compute one key per row once and compare keys from then on.
class Collator {
public:
    virtual ~Collator() = default;
    virtual int compare(std::string_view left, std::string_view right) const = 0;
    virtual std::string sortKey(std::string_view text) const = 0;
    // True when texts made only of characters like this one's compare among themselves exactly as
    // their bytes do; lets a table order such values (the codes: digits) without building keys.
    virtual bool ordersLikeBytes(std::string_view text) const = 0;
};

// Byte order; the order of a table before a locale collation is chosen.
class BinaryCollator final : public Collator {
public:
    int compare(std::string_view left, std::string_view right) const override {
        const int order = left.compare(right);
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    std::string sortKey(std::string_view text) const override { return std::string(text); }
    bool ordersLikeBytes(std::string_view) const override { return true; }
};

} // namespace kodexa
