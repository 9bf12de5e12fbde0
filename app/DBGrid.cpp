#include "DBGrid.h"

#include "ColourContrast.h"
#include "DataSource.h"

#include <QAccessible>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace kodexa {
namespace {

constexpr int IndicatorWidth = 11;
constexpr int ArrowWidth = 4;
// A 13-pixel text line plus 3, and the line between rows.
constexpr int RowHeight = 17;
constexpr int CodeColumnWidth = 64; // the default width of a 10-character field in the window font
constexpr int DescriptionColumnWidth = 589;

// The row indicator column: an arrow at the current row, no numbers.
class RowIndicator final : public QHeaderView {
public:
    explicit RowIndicator(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}
    int currentRow = -1;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        if (logicalIndex != currentRow)
            return;
        // The base class leaves the painter clipped to the text area, empty for a section without text.
        painter->save();
        painter->setClipRect(rect);
        painter->setPen(palette().color(QPalette::WindowText));
        // A solid triangle pointing right, 4 pixels wide and 7 high, drawn pixel-exact.
        const int left = rect.left() + (rect.width() - ArrowWidth) / 2;
        const int middle = rect.top() + (rect.height() - 1) / 2;
        for (int column = 0; column < ArrowWidth; ++column) {
            const int reach = ArrowWidth - 1 - column;
            painter->drawLine(left + column, middle - reach, left + column, middle + reach);
        }
        painter->restore();
    }
    QSize sectionSizeFromContents(int) const override { return {IndicatorWidth, RowHeight}; }
};

// Draws the cells without the style's focus rectangle around the current cell, which hardly
// differs from the selection (1.2:1); the grid frames the whole current row instead.
class CellsWithoutFocusRectangle final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

} // namespace

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent) {
    setVerticalHeader(new RowIndicator(this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The minimum first: the default section size is clamped to it, and the style's minimum is
    // taller than a row.
    verticalHeader()->setMinimumSectionSize(RowHeight);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    verticalHeader()->setFixedWidth(IndicatorWidth);
    // The title row is as high as a data row.
    horizontalHeader()->setFixedHeight(RowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false); // Tab moves on to the next control
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setItemDelegate(new CellsWithoutFocusRectangle(this));
    setToolTip(QStringLiteral("Mit einem Doppelklick können Sie den markierten\n"
                              "CPV-Code in der Baumansicht anzeigen lassen."));

    // The selected row stays highlighted when the grid loses focus.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);

    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
}

void TDBGrid::setDataSource(TDataSource* source) {
    source_ = source;
    setModel(source);
    setColumnWidth(0, CodeColumnWidth);
    setColumnWidth(1, DescriptionColumnWidth);
    connect(source, &TDataSource::topRowChanged, this, &TDBGrid::showFromRow);
    connect(source, &TDataSource::currentRowChanged, this, &TDBGrid::followCursor);
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        setColumnWidth(0, CodeColumnWidth);
        setColumnWidth(1, DescriptionColumnWidth);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { moveCursorToSelection(current); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TDBGrid::reportShownRows);
    followCursor(source->currentRow());
    reportShownRows();
}

// The binding decides which row comes first after the view changed; the grid only scrolls there.
void TDBGrid::showFromRow(int row) {
    if (row < 0 || row >= model()->rowCount())
        return;
    updateGeometries(); // the scroll range of the new row count, before scrolling within it
    scrollTo(model()->index(row, 0), QAbstractItemView::PositionAtTop);
    reportShownRows();
}

// Lines are counted from the first whole row: scrolled to the end, the grid shows the last row
// whole at the bottom and the row above the first line cut at the top.
void TDBGrid::reportShownRows() {
    if (source_ == nullptr)
        return;
    int top = rowAt(0);
    if (top < 0)
        top = 0;
    else if (rowViewportPosition(top) < 0)
        ++top;
    source_->setShownRows(top, viewport()->height() / RowHeight);
}

void TDBGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    reportShownRows();
}

void TDBGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid())
        return;
    const QRect frame = rowRect(current.row());
    if (frame.isEmpty())
        return;
    const bool selected = selectionModel()->isRowSelected(current.row(), QModelIndex());
    const QColor under = palette().color(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base);
    QPainter painter(viewport());
    painter.setPen(blackOrWhiteAgainst(under));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The table view's own version adds to this only a report of the new current cell as focused,
    // also when the grid does not have the focus (after a search started from an input, say),
    // which would take a screen reader away from where the user is. It is reported here only
    // while the grid has the focus.
    QAbstractItemView::currentChanged(current, previous);
    // The frame spans the row, the lines between its cells too.
    if (previous.isValid())
        viewport()->update(rowRect(previous.row()));
    if (current.isValid())
        viewport()->update(rowRect(current.row()));
    if (!QAccessible::isActive() || !hasFocus() || !current.isValid())
        return;
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* table = grid != nullptr ? grid->tableInterface() : nullptr;
    if (QAccessibleInterface* cell =
            table != nullptr ? table->cellAt(current.row(), current.column()) : nullptr) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

QRect TDBGrid::rowRect(int row) const {
    if (model() == nullptr || model()->columnCount() == 0 || row < 0 || row >= model()->rowCount())
        return {};
    const QRect first = visualRect(model()->index(row, 0));
    const QRect last = visualRect(model()->index(row, model()->columnCount() - 1));
    return first.united(last);
}

void TDBGrid::followCursor(int row) {
    auto* indicator = static_cast<RowIndicator*>(verticalHeader());
    indicator->currentRow = row;
    indicator->viewport()->update();
    if (row < 0 || row >= model()->rowCount())
        return;
    following_ = true;
    const QModelIndex index = model()->index(row, std::max(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    following_ = false;
}

void TDBGrid::moveCursorToSelection(const QModelIndex& current) {
    if (following_ || !current.isValid() || source_ == nullptr)
        return;
    source_->dataSet().setRecNo(static_cast<std::size_t>(current.row()));
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only the left button double-clicks; a double press of another button is two presses.
    if (event->button() != Qt::LeftButton) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    // The first click of the pair has already made the clicked row current; a double-click on
    // the empty area acts on whatever row is current.
    event->accept();
    emit gridDoubleClicked();
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        (watched == horizontalHeader()->viewport() || watched == verticalHeader()->viewport())) {
        emit gridDoubleClicked();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace kodexa
