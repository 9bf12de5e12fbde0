#pragma once

#include "TextMeasurer.h"

#include <QString>

#include <vector>

namespace kodexa::report {

// Breaks text into lines no wider than width: at spaces, and inside a word only when the word
// alone is wider than a line. CR, LF and CR LF always end a line. Spaces at a soft break belong
// to neither line. Empty text gives no line.
std::vector<QString> wrapText(TextMeasurer& measurer, const FontSpec& font, const QString& text,
                              double width);

// The longest beginning of text, in whole characters, that is no wider than width.
QString truncateText(TextMeasurer& measurer, const FontSpec& font, const QString& text, double width);

} // namespace kodexa::report
