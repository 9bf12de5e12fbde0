#pragma once

#include <QTableView>

namespace kodexa {

class TDataSource;

// DBGrid1: a read-only grid over a data source. The selected row is the table's current row in
// both directions; a double-click anywhere on the grid acts on the current row.
class TDBGrid final : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    void setDataSource(TDataSource* source);
    TDataSource* dataSource() const { return source_; }

signals:
    void gridDoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void followCursor(int row);
    void showFromRow(int row);
    void reportShownRows();
    void moveCursorToSelection(const QModelIndex& current);

    TDataSource* source_ = nullptr;
    bool following_ = false;
};

} // namespace kodexa
