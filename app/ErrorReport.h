#pragma once

#include <QString>

#include <exception>
#include <utility>

class QWidget;

namespace kodexa {

// The application's default error report: a message box with the error icon and OK, captioned
// with the application's title, the message with the full-stop rule; the program goes on.
void showErrorReport(QWidget* parent, const QString& message);

// Qt must never see an exception leave a slot: every handler is entered through this.
template <typename Handler> void guarded(QWidget* parent, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        showErrorReport(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        showErrorReport(parent, QStringLiteral("Unbekannter Fehler"));
    }
}

} // namespace kodexa
