#pragma once

#include "TextMeasurer.h"

#include <QFontMetricsF>
#include <QImage>

#include <array>
#include <memory>
#include <vector>

namespace kodexa::report {

// Measures with the toolkit's font metrics at a fixed resolution of its own, so fine that the
// toolkit's rounding to device pixels vanishes: the numbers are the font's design metrics, the same
// on every screen, printer and PDF. Report text is set without kerning or ligatures (as the
// report engines of Windows set it), so a run is as wide as its characters' advances, which are
// measured once per font and character. Needs a QGuiApplication.
class FontMetricsMeasurer final : public TextMeasurer {
public:
    FontMetricsMeasurer();
    ~FontMetricsMeasurer() override;

    FontMetrics metrics(const FontSpec& font) override;
    double width(const FontSpec& font, QStringView text) override;

private:
    struct MeasuredFont;
    MeasuredFont& fontFor(const FontSpec& font);

    QImage device_;
    std::vector<std::unique_ptr<MeasuredFont>> fonts_; // a report uses a handful
    MeasuredFont* last_ = nullptr;
};

} // namespace kodexa::report
