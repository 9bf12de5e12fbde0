#pragma once

// Driving modal windows from a test: a zero-interval timer fires whenever the code under test lets
// events through (in a modal window's own loop, or once per generated page).
#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kodexa::testsupport {

template <typename Window> Window* visibleWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

// Calls step whenever events are processed while it lives.
class WindowDriver {
public:
    explicit WindowDriver(std::function<void()> step) {
        QObject::connect(&timer_, &QTimer::timeout, std::move(step));
        timer_.start(0);
    }

private:
    QTimer timer_;
};

} // namespace kodexa::testsupport
