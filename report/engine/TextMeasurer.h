#pragma once

#include "FontSpec.h"

#include <QStringView>

// How the layout learns the size of text. Lengths are in inches; the same font and text always
// give the same numbers, whatever the screen, so pages come out the same everywhere.
namespace kodexa::report {

struct FontMetrics {
    double ascent = 0;
    double descent = 0;
    double leading = 0;

    double height() const { return ascent + descent; }
    double lineSpacing() const { return ascent + descent + leading; }
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual FontMetrics metrics(const FontSpec& font) = 0;
    // The advance of the text set in one run.
    virtual double width(const FontSpec& font, QStringView text) = 0;
};

} // namespace kodexa::report
