#include "DataSource.h"

#include "QtText.h"

#include <QIcon>

namespace kodexa {

TDataSource::TDataSource(TClientDataSet& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    readColumns();
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

void TDataSource::dataSetChanged(const TClientDataSet&) {
    beginResetModel();
    readColumns();
    endResetModel();
    emit currentRowChanged(currentRow());
}

void TDataSource::recordChanged(const TClientDataSet&) {
    emit currentRowChanged(currentRow());
}

} // namespace kodexa
