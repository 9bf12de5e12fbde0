#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kodexa {

QPoint screenCentredTopLeft(QSize outerSize) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect area = screen->geometry();
    const QRect desktop = screen->virtualGeometry();
    const int left = area.left() + (area.width() - outerSize.width()) / 2;
    const int top = area.top() + (area.height() - outerSize.height()) / 2;
    return {std::max(left, desktop.left()), std::max(top, desktop.top())};
}

void centreOnScreen(QWidget& window) {
    window.move(screenCentredTopLeft(window.frameGeometry().size()));
}

} // namespace kodexa
