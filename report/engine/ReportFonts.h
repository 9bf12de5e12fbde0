#pragma once

#include "FontSpec.h"

#include <QFont>

namespace kodexa::report {

// The toolkit font for a report font, the same for measuring and for drawing: unhinted outlines,
// so that advances scale with the size and do not depend on the device, and no kerning or
// ligatures, so that a run is as wide as the advances of its characters. Fonts of Windows reports
// fall back to their metric-compatible free twins (Arial to Liberation Sans), which are loaded from
// fonts-liberation's files where fontconfig does not know them.
QFont toolkitFont(const FontSpec& fontSpec);

} // namespace kodexa::report
