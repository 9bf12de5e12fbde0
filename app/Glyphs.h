#pragma once

#include <QPixmap>

namespace kodexa {

// The button pictures, drawn once in the program's own hand.
QPixmap binocularsGlyph(); // 18 x 17, for "&Suchen"
QPixmap printerGlyph();    // 19 x 17, for "D&rucken"

} // namespace kodexa
