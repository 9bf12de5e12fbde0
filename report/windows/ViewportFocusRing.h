#pragma once

#include <QColor>
#include <QWidget>

class QAbstractScrollArea;
class QPalette;

namespace kodexa::report {

// A ring along the inside of a scroll area's viewport, shown while the area has the keyboard
// focus: a scroll area's frame looks the same focused or not, so without it nothing shows where
// the keys go. The ring is a widget of its own over the viewport, so the viewport's contents are
// drawn as before; it takes no mouse events and no focus, and is hidden while the area has no
// focus, when the window looks exactly as without it.
class ViewportFocusRing final : public QWidget {
    Q_OBJECT

public:
    static constexpr int Width = 2; // pixels

    // contentColor: the main colour the viewport shows besides its background (a page's paper).
    ViewportFocusRing(QAbstractScrollArea& area, QColor contentColor);

    QColor color() const { return color_; }

    // The palette's highlight, darkened (or, in a dark palette, lightened) until it stands out at
    // least 3:1 (WCAG's contrast for what shows a control's state) from each colour beside the
    // ring: the content colour, the palette's dark (a viewport's background) and its window colour
    // (around the area).
    static QColor colorFor(const QPalette& palette, QColor contentColor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    QAbstractScrollArea& area_;
    QColor contentColor_;
    QColor color_;
};

} // namespace kodexa::report
