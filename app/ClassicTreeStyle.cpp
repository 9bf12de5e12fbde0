#include "ClassicTreeStyle.h"

#include <QPainter>
#include <QStyleOption>
#include <QTreeView>

namespace kodexa {
namespace {

constexpr int ItemHeight = 16; // even: see drawDottedVertical
static_assert(ItemHeight % 2 == 0);
constexpr int ButtonSize = 9; // the box, border included
constexpr int SignHalfLength = 2;
const QColor LineColour(128, 128, 128);

// Dotted lines have a dot on every other pixel from where they start. A row's pieces start at the
// row's top or its middle, both an even distance apart since rows are 16 pixels high, so the
// pieces of neighbouring rows join into one line, wherever the view is scrolled.
void drawDottedHorizontal(QPainter& painter, int y, int fromX, int toX) {
    for (int x = fromX; x <= toX; x += 2)
        painter.drawPoint(x, y);
}

void drawDottedVertical(QPainter& painter, int x, int fromY, int toY) {
    for (int y = fromY; y <= toY; y += 2)
        painter.drawPoint(x, y);
}

void drawExpandButton(QPainter& painter, QPoint centre, bool open, const QPalette& palette) {
    const QRect box(centre.x() - ButtonSize / 2, centre.y() - ButtonSize / 2, ButtonSize, ButtonSize);
    painter.fillRect(box, palette.color(QPalette::Base));
    painter.setPen(LineColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(palette.color(QPalette::Text));
    painter.drawLine(centre.x() - SignHalfLength, centre.y(), centre.x() + SignHalfLength, centre.y());
    if (!open)
        painter.drawLine(centre.x(), centre.y() - SignHalfLength, centre.x(), centre.y() + SignHalfLength);
}

// The first top-level node has nothing above it to join.
bool isFirstTopLevelNode(const QStyleOption& option, const QWidget* widget) {
    const auto* view = qobject_cast<const QTreeView*>(widget);
    if (view == nullptr)
        return false;
    const QModelIndex index = view->indexAt(option.rect.center());
    return index.isValid() && !index.parent().isValid() && index.row() == 0;
}

// One indentation step of one row: the line from the parent down past this node to its next
// sibling, the branch into the node, and the node's button.
void drawBranch(const QStyleOption& option, QPainter& painter, const QWidget* widget) {
    const QRect& area = option.rect;
    const QPoint centre(area.left() + area.width() / 2, area.top() + area.height() / 2);
    painter.save();
    painter.setPen(LineColour);
    if (option.state & QStyle::State_Item) {
        drawDottedHorizontal(painter, centre.y(), centre.x(), area.right());
        if (!isFirstTopLevelNode(option, widget))
            drawDottedVertical(painter, centre.x(), area.top(), centre.y());
    }
    if (option.state & QStyle::State_Sibling)
        drawDottedVertical(painter, centre.x(), area.top(), area.bottom());
    if (option.state & QStyle::State_Children)
        drawExpandButton(painter, centre, (option.state & QStyle::State_Open) != 0, option.palette);
    painter.restore();
}

} // namespace

ClassicTreeStyle::ClassicTreeStyle(QObject* owner) {
    setParent(owner);
}

void ClassicTreeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
    if (element == PE_IndicatorBranch) {
        drawBranch(*option, *painter, widget);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QSize ClassicTreeStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                         const QWidget* widget) const {
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_ItemViewItem)
        result.setHeight(ItemHeight);
    return result;
}

int ClassicTreeStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                QStyleHintReturn* returnData) const {
    if (hint == SH_ItemView_ShowDecorationSelected)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace kodexa
