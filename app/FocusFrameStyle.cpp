#include "FocusFrameStyle.h"

#include <QPainter>
#include <QStyleOption>
#include <QWidget>

namespace kodexa {
namespace {

void drawFocusFrame(const QRect& area, const QStyleOption& option, QPainter& painter, const QWidget* widget) {
    if (area.width() < 2 || area.height() < 2)
        return;
    const QColor colour = widget != nullptr ? widget->palette().color(widget->foregroundRole())
                                            : option.palette.color(QPalette::WindowText);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.restore();
}

} // namespace

void FocusFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
    // The style's own faint focus gives way to the frame drawn with the control.
    if (element == PE_FrameFocusRect)
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (!(option->state & State_HasFocus))
        return;
    if (element == CE_PushButton) {
        drawFocusFrame(subElementRect(SE_PushButtonFocusRect, option, widget), *option, *painter, widget);
    } else if (element == CE_TabBarTabLabel) {
        // Inside the tab's raised frame, clear of its edges.
        const int inset = pixelMetric(PM_DefaultFrameWidth, option, widget) + 2;
        drawFocusFrame(option->rect.adjusted(inset, inset, -inset, -inset), *option, *painter, widget);
    }
}

} // namespace kodexa
