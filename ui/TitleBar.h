#pragma once

class QWidget;

namespace kodexa {

// Keeps a window's title bar, with its caption, free of buttons under X11 window managers: no
// window menu, no minimise, maximise or close button, and none of those functions behind keys or
// menus of the window manager either; the window can only be moved.
//
// A window manager learns what a window wants from its Motif hints, and many read only part of
// them. For a title bar without buttons Qt writes the functions alone (move and resize), which
// metacity honours but xfwm4 answers with a window-menu button, icewm with a close button and
// openbox with all four buttons. This writes both halves: the decorations border and title, and
// the function move. Openbox reads no buttons from the hints at all; under it the window takes the
// toolbar type, which leaves a close button only (see TitleBar.cpp). Qt writes the hints again
// whenever it makes the native window, so they are written each time the window is about to be
// shown, before it is mapped. Elsewhere than on X11 this does nothing.
void keepTitleBarWithoutButtons(QWidget& window);

} // namespace kodexa
