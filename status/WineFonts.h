#pragma once

#include <QFont>
#include <QString>

namespace kodexa {

// Registers Tahoma and MS Sans Serif from Debian's fonts-wine (/usr/share/wine/fonts) with the
// application when fontconfig does not list them. Needs the application object; only the first
// call does the work, and missing files are skipped (classicFont then falls back).
void loadWineFontsOnce();

// The font a classic form asks for: a family at a character height in pixels (the em height:
// 8 pt at 96 dpi is 11 px, 10 pt is 13 px, 12 pt is 16 px). When the family is missing or cannot
// be drawn at that height and weight, a sans-serif of the same pixel height takes its place, so
// the text keeps its size.
QFont classicFont(const QString& family, int characterHeight, QFont::Weight weight = QFont::Normal);

} // namespace kodexa
