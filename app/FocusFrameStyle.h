#pragma once

#include <QProxyStyle>

namespace kodexa {

// Draws the keyboard focus of the push buttons and tab strips it is set on as a solid one-pixel
// frame in the widget's text colour: around the caption inside a button, around the current tab's
// caption on a tab strip. It shows whenever the widget has the focus; the application's style shows
// only a faint focus (1.14:1 on a tab), only once a key has moved the focus, and on a default
// button none that differs from the frame the button always has. Everything else is drawn by the
// application's style.
class FocusFrameStyle : public QProxyStyle {
public:
    FocusFrameStyle() = default;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

} // namespace kodexa
