#include "ImmediatePaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace kodexa {
namespace {

// Longest wait for the window system to expose a window that was just shown.
constexpr int kExposeTimeoutMs = 1000;

bool isOnScreen(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return window.isVisible() && handle && handle->isExposed();
}

} // namespace

ImmediatePaint::ImmediatePaint(QWidget& window) : window_(window), wasOnScreen_(isOnScreen(window)) {
    (void)window_.winId(); // the native window, to watch before it is shown
    handle_ = window_.windowHandle();
    if (handle_)
        handle_->installEventFilter(this);
}

ImmediatePaint::~ImmediatePaint() {
    if (handle_)
        handle_->removeEventFilter(this);
}

bool ImmediatePaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == handle_ && event->type() == QEvent::Expose && handle_->isExposed())
        exposedSince_ = true;
    return false;
}

void ImmediatePaint::paint() {
    // A window that stayed on the screen gets no new exposure.
    const bool mustWait = !(wasOnScreen_ && isOnScreen(window_));
    if (mustWait && window_.isVisible() && !exposedSince_) {
        // The timer only wakes the wait when the window system never answers.
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.start(kExposeTimeoutMs);
        while (!exposedSince_ && deadline.isActive() && window_.isVisible())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
    }
    window_.repaint();
}

} // namespace kodexa
