#pragma once

#include <QString>

class QWidget;

namespace kodexa {

// Tells assistive technology something that the window does not show, such as the outcome of a
// search: screen readers speak it, the screen stays as it is.
//
// Each window keeps one invisible accessible object with the notification role. An announcement
// sets the object's name to the message and reports the object as shown (QAccessible::ObjectShow);
// AT-SPI turns that into "object:state-changed:showing", on which screen readers such as Orca speak
// the notification. Its accessible parent is the application, not the window: Orca reads a
// notification's ancestors first, and a window as ancestor made every announcement twice as long
// ("Vorschau dialog Page 2 of 186, notification Page 2 of 186"). The window owns it, so it goes
// with the window. Nothing is sent while no assistive technology listens, apart from handlers that
// tests install.
void announceToAssistiveTechnology(QWidget& window, const QString& message);

// The message last announced for the window (empty if none), for tests and for a reader that
// asks the object again after the event.
QString lastAnnouncement(const QWidget& window);

} // namespace kodexa
