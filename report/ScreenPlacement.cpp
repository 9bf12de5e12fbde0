#include "ScreenPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace kodexa::report {

ScreenPlacement::ScreenPlacement(QWidget& window, QSize outerSize)
    : QObject(&window), window_(window), outerSize_(outerSize) {
    window.installEventFilter(this);
}

QPoint ScreenPlacement::centredTopLeft(QRect area, QSize outerSize) {
    return {area.left() + (area.width() - outerSize.width()) / 2,
            area.top() + (area.height() - outerSize.height()) / 2};
}

bool ScreenPlacement::frameKnown() const {
    return window_.frameGeometry().size() != window_.size();
}

void ScreenPlacement::place() {
    if (window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    if (outerSize_.isValid()) {
        const QSize frame = window_.frameGeometry().size() - window_.size();
        window_.resize((outerSize_ - frame).expandedTo(window_.minimumSize()));
    }
    if (const QScreen* screen = window_.screen())
        window_.move(centredTopLeft(screen->availableGeometry(), window_.frameGeometry().size()));
}

bool ScreenPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        place();
        framePlaced_ = frameKnown();
        // Some window systems tell the frame only once the event loop has run.
        QTimer::singleShot(0, this, [this] {
            if (!framePlaced_ && frameKnown() && window_.isVisible()) {
                framePlaced_ = true;
                place();
            }
        });
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (!framePlaced_ && window_.isVisible() && frameKnown()) {
            framePlaced_ = true;
            place();
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace kodexa::report
