#include "ViewportFocusRing.h"

#include "ColourContrast.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <initializer_list>

namespace kodexa::report {

namespace {

constexpr double MinimumContrast = 3;

} // namespace

QColor ViewportFocusRing::colorFor(const QPalette& palette, QColor contentColor) {
    const std::initializer_list<QColor> beside{contentColor, palette.color(QPalette::Dark),
                                               palette.color(QPalette::Window)};
    const auto weakestContrast = [&](QColor color) {
        double weakest = 21;
        for (const QColor& neighbour : beside)
            weakest = std::min(weakest, contrastRatio(color, neighbour));
        return weakest;
    };
    // The highlight as little changed as will do: darker steps first (light palettes), then
    // lighter ones (dark palettes); where no step stands out from all three, the one that stands
    // out most.
    const QColor highlight = palette.color(QPalette::Highlight);
    QColor best = highlight;
    for (const bool darken : {true, false}) {
        QColor color = highlight;
        for (int step = 0; step <= 40; ++step) {
            if (weakestContrast(color) >= MinimumContrast)
                return color;
            if (weakestContrast(color) > weakestContrast(best))
                best = color;
            color = darken ? color.darker(110) : color.lighter(110);
        }
    }
    return best;
}

ViewportFocusRing::ViewportFocusRing(QAbstractScrollArea& area, QColor contentColor)
    : QWidget(&area), area_(area), contentColor_(contentColor),
      color_(colorFor(area.palette(), contentColor)) {
    setObjectName(QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    area_.installEventFilter(this);
    area_.viewport()->installEventFilter(this);
    follow();
}

bool ViewportFocusRing::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::Show:
        follow();
        break;
    case QEvent::PaletteChange:
        if (watched == &area_) {
            color_ = colorFor(area_.palette(), contentColor_);
            update();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Lies over the viewport, above it, while the area has the focus.
void ViewportFocusRing::follow() {
    setGeometry(area_.viewport()->geometry());
    raise();
    setVisible(area_.hasFocus());
}

void ViewportFocusRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect inside = rect();
    const int w = std::min({Width, inside.width() / 2, inside.height() / 2});
    if (w <= 0)
        return;
    painter.fillRect(QRect(inside.left(), inside.top(), inside.width(), w), color_);
    painter.fillRect(QRect(inside.left(), inside.bottom() - w + 1, inside.width(), w), color_);
    painter.fillRect(QRect(inside.left(), inside.top() + w, w, inside.height() - 2 * w), color_);
    painter.fillRect(QRect(inside.right() - w + 1, inside.top() + w, w, inside.height() - 2 * w), color_);
}

} // namespace kodexa::report
