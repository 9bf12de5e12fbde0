#include "DBGrid.h"

#include "DataSource.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

namespace kodexa {
namespace {

constexpr int IndicatorWidth = 11;
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
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette().color(QPalette::WindowText));
        const QPointF centre = QRectF(rect).center();
        const QPolygonF arrow({centre + QPointF(-2, -4), centre + QPointF(2, 0), centre + QPointF(-2, 4)});
        painter->drawPolygon(arrow);
        painter->restore();
    }
    QSize sectionSizeFromContents(int) const override { return {IndicatorWidth, RowHeight}; }
};

} // namespace

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent) {
    setVerticalHeader(new RowIndicator(this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    verticalHeader()->setMinimumSectionSize(RowHeight);
    verticalHeader()->setFixedWidth(IndicatorWidth);
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
    connect(source, &TDataSource::currentRowChanged, this, &TDBGrid::followCursor);
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        setColumnWidth(0, CodeColumnWidth);
        setColumnWidth(1, DescriptionColumnWidth);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { moveCursorToSelection(current); });
    followCursor(source->currentRow());
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
    // The first click of the pair has already made the clicked row current; a double-click on
    // the empty area acts on whatever row is current.
    event->accept();
    emit gridDoubleClicked();
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == horizontalHeader()->viewport() || watched == verticalHeader()->viewport())) {
        emit gridDoubleClicked();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace kodexa
