#pragma once

#include <QString>

class QWidget;

namespace kodexa {

// Announces a message to assistive technology (announceToAssistiveTechnology) once the window is
// the active window again and has reported its focus, from the event loop.
//
// An operation that shows the status window hands the activation to it; when it is hidden again
// the window manager gives the activation back to the window afterwards, and a screen reader then
// reads the window and its focus anew, which would cut short a message sent meanwhile. So the
// message waits for the activation (a window that kept it announces at the next turn of the event
// loop). Only the newest message waits: a newer one replaces it.
void announceWhenActive(QWidget& window, const QString& message);

} // namespace kodexa
