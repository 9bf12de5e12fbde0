#pragma once

#include <QIcon>

namespace kodexa {

// The OK button's glyph, 18 × 18: a green check mark, and for the disabled state a grey check
// mark outlined in white, as classic buttons draw a disabled glyph.
QIcon checkMarkGlyph();

} // namespace kodexa
