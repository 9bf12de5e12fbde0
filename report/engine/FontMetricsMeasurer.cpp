#include "FontMetricsMeasurer.h"

#include "ReportFonts.h"

#include <QString>

#include <cmath>

namespace kodexa::report {

namespace {

// 100 device pixels to the point.
constexpr double MeasuringDpi = 7200;

// Characters whose advance is the same alone and in a run: Latin and the punctuation, currency and
// letter-like signs of the single-byte code pages. Anything else (combining marks, scripts that
// need shaping, surrogates) is measured as a whole run.
constexpr char16_t CachedBelow = 0x0300;
bool isCachedOutsideLatin(char16_t c) {
    return c >= 0x2000 && c < 0x2150;
}

} // namespace

struct FontMetricsMeasurer::MeasuredFont {
    MeasuredFont(const FontSpec& fontSpec, const QImage& device)
        : fontSpec(fontSpec), metrics(toolkitFont(fontSpec), &device) {
        latin.fill(-1);
        signs.fill(-1);
    }

    double advance(char16_t c) {
        double& slot = c < CachedBelow ? latin[c] : signs[c - 0x2000];
        if (slot < 0)
            slot = metrics.horizontalAdvance(QChar(c));
        return slot;
    }

    FontSpec fontSpec;
    QFontMetricsF metrics;
    std::array<double, CachedBelow> latin;
    std::array<double, 0x150> signs;
};

FontMetricsMeasurer::FontMetricsMeasurer() : device_(1, 1, QImage::Format_ARGB32_Premultiplied) {
    const int dotsPerMeter = static_cast<int>(std::lround(MeasuringDpi / 0.0254));
    device_.setDotsPerMeterX(dotsPerMeter);
    device_.setDotsPerMeterY(dotsPerMeter);
}

FontMetricsMeasurer::~FontMetricsMeasurer() = default;

FontMetricsMeasurer::MeasuredFont& FontMetricsMeasurer::fontFor(const FontSpec& font) {
    if (last_ && last_->fontSpec == font)
        return *last_;
    for (const std::unique_ptr<MeasuredFont>& known : fonts_) {
        if (known->fontSpec == font) {
            last_ = known.get();
            return *last_;
        }
    }
    fonts_.push_back(std::make_unique<MeasuredFont>(font, device_));
    last_ = fonts_.back().get();
    return *last_;
}

FontMetrics FontMetricsMeasurer::metrics(const FontSpec& font) {
    const QFontMetricsF& metrics = fontFor(font).metrics;
    return {metrics.ascent() / MeasuringDpi, metrics.descent() / MeasuringDpi,
            metrics.leading() / MeasuringDpi};
}

double FontMetricsMeasurer::width(const FontSpec& font, QStringView text) {
    MeasuredFont& measured = fontFor(font);
    double total = 0;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= CachedBelow && !isCachedOutsideLatin(code))
            return measured.metrics.horizontalAdvance(text.toString()) / MeasuringDpi;
        total += measured.advance(code);
    }
    return total / MeasuringDpi;
}

} // namespace kodexa::report
