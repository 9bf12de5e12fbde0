#pragma once

#include "ClientDataSet.h"

#include <QAbstractTableModel>

#include <vector>

namespace kodexa {

// DataSource1: binds a table to the grid. It reads rows from the table's view (never a copy),
// resets once per "data changed" and reports cursor moves, so the grid follows the table.
class TDataSource final : public QAbstractTableModel, private DataSetObserver {
    Q_OBJECT
public:
    TDataSource(TClientDataSet& table, QObject* parent = nullptr);
    ~TDataSource() override;

    TClientDataSet& dataSet() const { return table_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The view position of the table's cursor, -1 when the view is empty.
    int currentRow() const;

    // The stretch of the view that the grid shows, as the grid reports it: its first whole row
    // and how many whole rows fit. Like the record buffers of a classic grid, it lets a change of
    // the whole view read the rows again around the current record: the record keeps its line
    // when enough rows precede it in the new view, else it moves up (to the top at most); with
    // too few rows after it the grid stays full and it moves down.
    void setShownRows(int topRow, int rowCount);
    int topRow() const { return topRow_; }

signals:
    // The view changed as a whole: the row to show first, then the current row.
    void topRowChanged(int row);
    void currentRowChanged(int row);

private:
    void dataSetChanged(const TClientDataSet& table) override;
    void recordChanged(const TClientDataSet& table) override;
    void readColumns();
    int topRowKeeping(int line) const;

    TClientDataSet& table_;
    std::vector<std::size_t> fields_;
    // The row count the grid was last told of: the table's view may change while its controls are
    // suspended, and the grid must not read rows it has not been told of.
    int rows_ = 0;
    // The current row the grid was last told of, and the stretch it shows.
    int current_ = -1;
    int topRow_ = 0;
    int shownRows_ = 0;
};

} // namespace kodexa
