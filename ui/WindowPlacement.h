#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace kodexa {

// The top-left corner that centres a window of the given outer size (frame included) on the
// primary screen, kept inside the desktop's left and top edges so that the title bar of a window
// larger than the screen stays reachable.
QPoint screenCentredTopLeft(QSize outerSize);

// Moves a top-level window there for its current size. The frame counts as far as the window
// system has told Qt about it; before a window's first showing that may be nothing yet.
void centreOnScreen(QWidget& window);

} // namespace kodexa
