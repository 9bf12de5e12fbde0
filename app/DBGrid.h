#pragma once

#include <QTableView>

namespace kodexa {

class TDataSource;

// DBGrid1: a read-only grid over a data source. The selected row is the table's current row in
// both directions; a double-click anywhere on the grid acts on the current row. While the grid
// has the focus, a frame in black or white, whichever stands out more against the selection,
// runs around the current row; without the focus the row stays highlighted, without the frame.
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
    void paintEvent(QPaintEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followCursor(int row);
    void showFromRow(int row);
    void reportShownRows();
    void moveCursorToSelection(const QModelIndex& current);
    // The current row's cells in the viewport, the lines between them included.
    QRect rowRect(int row) const;

    TDataSource* source_ = nullptr;
    bool following_ = false;
};

} // namespace kodexa
