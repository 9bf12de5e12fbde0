#include "DataSource.h"

#include "QtText.h"

#include <QIcon>

#include <algorithm>

namespace kodexa {

TDataSource::TDataSource(TClientDataSet& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    readColumns();
    current_ = currentRow();
    table_.addObserver(this);
}

TDataSource::~TDataSource() {
    table_.removeObserver(this);
}

void TDataSource::readColumns() {
    fields_.clear();
    for (std::size_t field = 0; field < table_.schema().columns.size(); ++field)
        fields_.push_back(field);
    rows_ = static_cast<int>(table_.recordCount());
}

int TDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fields_.size());
}

QVariant TDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (row >= table_.recordCount() || column >= fields_.size())
        return {};
    const FieldValue value = table_.valueAt(row, fields_[column]);
    return value ? toQString(*value) : QString();
}

QVariant TDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role != Qt::DisplayRole || section < 0 || section >= static_cast<int>(fields_.size()))
            return {};
        return toQString(table_.schema().columns[fields_[static_cast<std::size_t>(section)]].name);
    }
    return {};
}

Qt::ItemFlags TDataSource::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int TDataSource::currentRow() const {
    const std::optional<std::size_t> position = table_.recNo();
    return position ? static_cast<int>(*position) : -1;
}

void TDataSource::setShownRows(int topRow, int rowCount) {
    topRow_ = std::max(0, topRow);
    shownRows_ = std::max(0, rowCount);
}

// The first row to show so that the current row stands on the given line, as far as the rows
// before it and after it allow.
int TDataSource::topRowKeeping(int line) const {
    if (current_ < 0)
        return 0;
    const int lastTop = std::max(0, rows_ - shownRows_);
    return std::clamp(current_ - line, 0, lastTop);
}

void TDataSource::dataSetChanged(const TClientDataSet&) {
    // The line the current record stood on (a record scrolled out of sight counts as standing on
    // the nearest line).
    const int line = std::clamp(current_ - topRow_, 0, std::max(0, shownRows_ - 1));
    beginResetModel();
    readColumns();
    endResetModel();
    current_ = currentRow();
    topRow_ = topRowKeeping(line);
    emit topRowChanged(topRow_);
    emit currentRowChanged(current_);
}

void TDataSource::recordChanged(const TClientDataSet&) {
    current_ = currentRow();
    emit currentRowChanged(current_);
}

} // namespace kodexa
