#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

namespace kodexa {

// Puts a window that is being shown on the screen at once, for a caller that then keeps the event
// loop blocked (the status window during a search, the splash during its wait). Made before the
// window is shown; paint() after showing it.
//
// Painting alone is not enough: a window system such as X11 puts a window on the screen only once
// it has mapped and exposed it, and whatever is drawn before that is lost, also when a window is
// hidden and shown again without the event loop running in between. So paint() lets the window
// system's events through, user input excepted, until the window has been exposed since this
// object was made (at most a second), then paints and flushes the window.
class ImmediatePaint final : public QObject {
public:
    explicit ImmediatePaint(QWidget& window);
    ~ImmediatePaint() override;
    ImmediatePaint(const ImmediatePaint&) = delete;
    ImmediatePaint& operator=(const ImmediatePaint&) = delete;

    void paint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QPointer<QWindow> handle_;
    bool wasOnScreen_;
    bool exposedSince_ = false;
};

} // namespace kodexa
