#pragma once

#include <QColor>

namespace kodexa {

// Contrast as the accessibility guidelines measure it (WCAG 2.1): a colour's relative luminance
// from its linearised sRGB channels, 0 for black and 1 for white, and the ratio of two colours'
// luminances, each plus 0.05: from 1 (the same) to 21 (black on white). A focus indicator needs
// at least 3 against what surrounds it.
double relativeLuminance(const QColor& colour);
double contrastRatio(const QColor& first, const QColor& second);

// Black or white, whichever stands out more against the background.
QColor blackOrWhiteAgainst(const QColor& background);

} // namespace kodexa
