#pragma once

#include <QFont>
#include <QString>

namespace kodexa::report {

// A font of the Windows desktop by name and pixel height. The fonts that fontconfig does not know
// ("System", "MS Sans Serif", "Tahoma") are loaded from Wine's font folder on first use; without
// them the font is a sans-serif of the same pixel height.
QFont windowsFont(const QString& family, int pixelSize, bool bold = false);

} // namespace kodexa::report
