#pragma once

#include <QFont>
#include <QString>

namespace kodexa {

// The fonts that the windows and the reports ask for by their Windows names come from Debian's
// packages: Tahoma, MS Sans Serif and System from fonts-wine (/usr/share/wine/fonts), and Liberation
// Sans, Serif and Mono, the metric twins of Arial, Times New Roman and Courier New, from
// fonts-liberation. Where fontconfig does not list such a family (fonts-wine is never listed; an
// empty or broken font configuration, a container without one), its files are registered with the
// application on first use, so that windows and reports look and measure the same on every machine
// with the packages. Needs the application object: without one nothing is registered and a later
// call tries again. Families of other names, and files that are missing, are left alone.
void makeFontFamilyAvailable(const QString& family);

// The font a classic form asks for: a family at a character height in pixels (the em height:
// 8 pt at 96 dpi is 11 px, 10 pt is 13 px, 12 pt is 16 px). When the family is missing or cannot
// be drawn at that height and weight, Liberation Sans of the same pixel height takes its place, so
// the text keeps its size.
QFont classicFont(const QString& family, int characterHeight, QFont::Weight weight = QFont::Normal);

// A font of the Windows desktop by name at a pixel size, as the report windows ask for it; a missing
// family becomes a sans-serif of the same pixel size.
QFont windowsFont(const QString& family, int pixelSize, bool bold = false);

} // namespace kodexa
