#pragma once

// A measurer for layout rules: every character is a tenth of an inch wide, whatever the font.
#include "TextMeasurer.h"

namespace kodexa::testsupport {

class FixedWidthMeasurer final : public report::TextMeasurer {
public:
    static constexpr double CharWidth = 0.1;

    report::FontMetrics metrics(const report::FontSpec&) override { return {0.1, 0.03, 0.02}; }
    double width(const report::FontSpec&, QStringView text) override {
        ++measurements;
        return static_cast<double>(text.size()) * CharWidth;
    }
    int measurements = 0;
};

} // namespace kodexa::testsupport
