#pragma once

#include <QHash>
#include <QTreeWidget>

#include <vector>

class QTreeWidgetItem;

namespace kodexa::tree {

// TreeView1: the view of the code tree (configureCodeTreeView sets it up). What it adds is for
// assistive technology, which sees it as a tree of the nodes it shows (see AccessibleCodeTree.h):
// - the hidden header is no part of it;
// - a node tells its level and its position among its siblings;
// - only a node with children is expandable, so a leaf that the locator "expanded" is not reported
//   as expanded;
// - expanding or collapsing a node with children is reported as a change of its state; when it is
//   the current node and the view has the focus (the user pressed a key on it), the node is also
//   reported as focused anew, as a new object, since the desktop's bridge in Qt 6.4 passes no
//   expanded state change on to screen readers, which read a newly focused node whole;
// - the current node is reported as focused when it changes while the view has the focus.
class CodeTreeView final : public QTreeWidget {
    Q_OBJECT
public:
    explicit CodeTreeView(QWidget* parent = nullptr);

    // The nodes the view shows, in display order: every top-level node and, below a node that is
    // expanded, its children. Hidden nodes are left out (once the view has laid out its rows
    // after hiding them).
    const std::vector<QTreeWidgetItem*>& shownNodes() const;
    // The node's place in shownNodes(), -1 when it is not shown.
    int shownRow(const QTreeWidgetItem* node) const;

    // The view lays out its rows again after any change of what it shows, hidden rows too.
    void doItemsLayout() override;

protected:
    // The view's own reports of focus and selection name items by a row count that includes the
    // hidden header; these report the nodes themselves.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void expandedOrCollapsed(const QModelIndex& index);
    void forgetShownNodes() { shownValid_ = false; }
    void collectShownNodes() const;

    mutable std::vector<QTreeWidgetItem*> shown_;
    mutable QHash<const QTreeWidgetItem*, int> shownRows_;
    mutable bool shownValid_ = false;
};

} // namespace kodexa::tree
