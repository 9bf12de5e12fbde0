#include "CodeRowList.h"

#include "AccessibleAnnouncement.h"
#include "ColourContrast.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMetaObject>
#include <QPainter>

#include <utility>

namespace kodexa {

CodeRowList::CodeRowList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Without the focus the current row is shown in a pale grey, not as if the keys went there.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Midlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::Text));
    setPalette(colours);
}

void CodeRowList::setEmptyText(const QString& text) {
    emptyText_ = text;
    viewport()->update();
}

void CodeRowList::describeRows() {
    // A reader speaks the row's cells in turn; the first tells the place as well.
    const int rows = topLevelItemCount();
    for (int row = 0; row < rows; ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        for (int column = 1; column < columnCount(); ++column)
            item->setToolTip(column, item->text(column));
        item->setData(0, Qt::AccessibleTextRole,
                      QStringLiteral("%1, %2 von %3").arg(item->text(0)).arg(row + 1).arg(rows));
    }
}

void CodeRowList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The tree view's own version reports the new current row as focused whether or not the list
    // has the keyboard; without it, only the rows are painted anew.
    if (hasFocus()) {
        QTreeWidget::currentChanged(current, previous);
        return;
    }
    QAbstractItemView::currentChanged(current, previous);
    viewport()->update();
}

void CodeRowList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (hasFocus())
        QTreeWidget::selectionChanged(selected, deselected);
    else
        QAbstractItemView::selectionChanged(selected, deselected); // no selection events for a reader
}

void CodeRowList::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    viewport()->update();
    // The toolkit tells of the list itself after this handler; its row follows from the event loop.
    QMetaObject::invokeMethod(this, &CodeRowList::tellCurrentRow, Qt::QueuedConnection);
}

void CodeRowList::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    viewport()->update();
}

void CodeRowList::takeFocusQuietly() {
    quietEntry_ = !hasFocus(); // only an entry to come is told
    setFocus(Qt::OtherFocusReason);
}

void CodeRowList::tellCurrentRow() {
    const bool quiet = std::exchange(quietEntry_, false);
    if (quiet || !hasFocus() || !QAccessible::isActive())
        return;
    if (topLevelItemCount() == 0) {
        if (!emptyText_.isEmpty())
            announceToAssistiveTechnology(*window(), emptyText_);
        return;
    }
    const QModelIndex current = currentIndex();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* table = list != nullptr ? list->tableInterface() : nullptr;
    if (QAccessibleInterface* cell =
            table != nullptr && current.isValid() ? table->cellAt(current.row(), 0) : nullptr) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

QRect CodeRowList::rowRect(const QModelIndex& index) const {
    if (!index.isValid())
        return {};
    const QRect row = visualRect(index);
    return {0, row.top(), viewport()->width(), row.height()};
}

void CodeRowList::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    QPainter painter(viewport());
    if (topLevelItemCount() == 0) {
        const QRect area = viewport()->rect().adjusted(12, 12, -12, -12);
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(area, Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, emptyText_);
        if (hasFocus()) {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawRect(viewport()->rect().adjusted(2, 2, -3, -3));
        }
        return;
    }
    const QRect frame = rowRect(currentIndex());
    if (!hasFocus() || frame.isEmpty())
        return;
    const bool selected = selectionModel()->isSelected(currentIndex());
    const QColor under = palette().color(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base);
    painter.setPen(blackOrWhiteAgainst(under));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

} // namespace kodexa
