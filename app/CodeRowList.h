#pragma once

#include <QString>
#include <QTreeWidget>

namespace kodexa {

// The flat lists of code rows on the keyword page and the Merkliste, as a keyboard and a screen
// reader use them:
// - a row is reported as focused only while the list has the keyboard, so that refreshing it
//   while the user types elsewhere (or adds to a hidden page's list) leaves the reader where the
//   user is; on taking the focus the list tells its current row, or its empty text;
// - each row tells a reader its place with its first cell ("45233140-2, 3 von 12");
// - the current row is framed while the list has the focus, and the selection is shown paler
//   without it; an empty list shows what to do instead, framed while focused.
class CodeRowList final : public QTreeWidget {
public:
    explicit CodeRowList(QWidget* parent = nullptr);

    // Shown (and told to a reader that enters the list) while the list has no rows.
    void setEmptyText(const QString& text);
    QString emptyText() const { return emptyText_; }
    // After the rows were added: what a reader hears of each and the full text of cut cells.
    void describeRows();
    // Takes the focus without telling the current row or the empty text: the caller tells what
    // just happened to the list instead, which the list's own words would cut off.
    void takeFocusQuietly();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void tellCurrentRow();
    QRect rowRect(const QModelIndex& index) const;

    QString emptyText_;
    bool quietEntry_ = false;
};

} // namespace kodexa
