#include "ScreenPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace kodexa::report {

namespace {

QSize marginsSize(QMargins margins) {
    return {margins.left() + margins.right(), margins.top() + margins.bottom()};
}

} // namespace

ScreenPlacement::ScreenPlacement(QWidget& window, QSize outerSize)
    : QObject(&window), window_(window), outerSize_(outerSize) {
    window.installEventFilter(this);
}

QPoint ScreenPlacement::centredTopLeft(QRect area, QSize outerSize) {
    return {area.left() + (area.width() - outerSize.width()) / 2,
            area.top() + (area.height() - outerSize.height()) / 2};
}

// The frame as the window system reports it now. The widget's own frame geometry is no help
// here: it keeps the frame it first saw until the window system next moves the window.
QMargins ScreenPlacement::frame() const {
    const QWindow* handle = window_.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

void ScreenPlacement::place() {
    if (window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    const QSize frameSize = marginsSize(frame());
    if (outerSize_.isValid())
        window_.resize((outerSize_ - frameSize).expandedTo(window_.minimumSize()));
    const QScreen* screen = window_.screen();
    if (screen == nullptr)
        return;
    const QPoint topLeft = centredTopLeft(screen->availableGeometry(), window_.size() + frameSize);
    // Before the window is mapped the widget places it; once mapped, the widget's idea of the frame
    // may be stale, and the native window is placed by its frame directly.
    QWindow* handle = window_.windowHandle();
    if (framePlaced_ && handle != nullptr)
        handle->setFramePosition(topLeft);
    else
        window_.move(topLeft);
}

void ScreenPlacement::placeOnceFrameKnown() {
    if (framePlaced_ || !window_.isVisible() || frame().isNull())
        return;
    framePlaced_ = true;
    place();
}

bool ScreenPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Show) {
        // The native window exists now; a window manager frames it once it is mapped, before it
        // is first exposed.
        if (QWindow* handle = window_.windowHandle(); handle != nullptr && handle != watchedHandle_) {
            handle->installEventFilter(this);
            watchedHandle_ = handle;
        }
        framePlaced_ = false;
        place();
        framePlaced_ = !frame().isNull();
        QTimer::singleShot(0, this, [this] { placeOnceFrameKnown(); });
        return false;
    }
    if (watched == watchedHandle_ && event->type() == QEvent::Expose)
        placeOnceFrameKnown();
    return false;
}

} // namespace kodexa::report
