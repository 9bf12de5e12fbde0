#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWindow>

class QWidget;

namespace kodexa::report {

// Places a top-level window of the engine by its outer size, frame included, centred on the
// available area of its screen. The window system reports a window's frame only after it has
// shown the window, so the placement is made when the window is shown and made once more when the
// frame becomes known; a move by the user after that is left alone. Lives as the window's child.
class ScreenPlacement final : public QObject {
public:
    // outerSize: the window's size with its frame; an invalid size keeps the window's own size.
    explicit ScreenPlacement(QWidget& window, QSize outerSize = {});

    // The top-left corner, frame included, that centres a window of that outer size on the area.
    static QPoint centredTopLeft(QRect area, QSize outerSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    void placeOnceFrameKnown();
    QMargins frame() const;

    QWidget& window_;
    QSize outerSize_;
    QPointer<QWindow> watchedHandle_;
    bool framePlaced_ = false;
};

} // namespace kodexa::report
