#include "CodeTreeView.h"

#include "AccessibleCodeTree.h"

#include <QAccessible>
#include <QTreeWidgetItem>

namespace kodexa::tree {

CodeTreeView::CodeTreeView(QWidget* parent) : QTreeWidget(parent) {
    AccessibleCodeTree::installFactory();
    connect(this, &QTreeView::expanded, this, &CodeTreeView::expandedOrCollapsed);
    connect(this, &QTreeView::collapsed, this, &CodeTreeView::expandedOrCollapsed);
    // Any change of the nodes can change which are shown; they are collected again when asked for.
    const QAbstractItemModel* nodes = model();
    const auto forget = [this] { forgetShownNodes(); };
    connect(nodes, &QAbstractItemModel::rowsInserted, this, forget);
    connect(nodes, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(nodes, &QAbstractItemModel::rowsMoved, this, forget);
    connect(nodes, &QAbstractItemModel::modelReset, this, forget);
    connect(nodes, &QAbstractItemModel::layoutChanged, this, forget);
}

void CodeTreeView::doItemsLayout() {
    forgetShownNodes();
    QTreeWidget::doItemsLayout();
}

const std::vector<QTreeWidgetItem*>& CodeTreeView::shownNodes() const {
    if (!shownValid_)
        collectShownNodes();
    return shown_;
}

int CodeTreeView::shownRow(const QTreeWidgetItem* node) const {
    if (!shownValid_)
        collectShownNodes();
    return shownRows_.value(node, -1);
}

void CodeTreeView::collectShownNodes() const {
    shown_.clear();
    shownRows_.clear();
    // Depth first, children in order: the order in which the view lays out its rows.
    std::vector<std::pair<const QTreeWidgetItem*, int>> open{{invisibleRootItem(), 0}};
    while (!open.empty()) {
        auto& [parent, next] = open.back();
        if (next == parent->childCount()) {
            open.pop_back();
            continue;
        }
        QTreeWidgetItem* node = parent->child(next++);
        if (node->isHidden())
            continue;
        shownRows_.insert(node, static_cast<int>(shown_.size()));
        shown_.push_back(node);
        if (node->isExpanded() && node->childCount() > 0)
            open.emplace_back(node, 0);
    }
    shownValid_ = true;
}

void CodeTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The tree view's own version adds to this only its report by row and the focus of all
    // columns, which this view does not show.
    QAbstractItemView::currentChanged(current, previous);
    if (!QAccessible::isActive() || !hasFocus())
        return;
    auto* tree = dynamic_cast<AccessibleCodeTree*>(QAccessible::queryAccessibleInterface(this));
    QAccessibleInterface* node = tree != nullptr ? tree->node(itemFromIndex(current)) : nullptr;
    if (node == nullptr)
        return;
    QAccessibleEvent focus(node, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

void CodeTreeView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    // The tree view's own version adds to this only its report by row.
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive())
        return;
    auto* tree = dynamic_cast<AccessibleCodeTree*>(QAccessible::queryAccessibleInterface(this));
    if (tree == nullptr)
        return;
    const auto report = [this, tree](const QItemSelection& nodes, QAccessible::Event type) {
        if (nodes.isEmpty())
            return;
        if (QAccessibleInterface* node = tree->node(itemFromIndex(nodes.indexes().value(0)))) {
            QAccessibleEvent event(node, type);
            QAccessible::updateAccessibility(&event);
        }
    };
    report(selected, QAccessible::SelectionAdd);
    report(deselected, QAccessible::SelectionRemove);
}

void CodeTreeView::expandedOrCollapsed(const QModelIndex& index) {
    forgetShownNodes();
    QTreeWidgetItem* item = itemFromIndex(index);
    if (!QAccessible::isActive() || item == nullptr || item->childCount() == 0)
        return;
    auto* tree = dynamic_cast<AccessibleCodeTree*>(QAccessible::queryAccessibleInterface(this));
    if (tree == nullptr)
        return;
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    QAccessibleStateChangeEvent stateChange(tree->node(item), changed);
    QAccessible::updateAccessibility(&stateChange);
    if (item != currentItem() || !hasFocus())
        return;
    QAccessibleEvent focus(tree->renewNode(item), QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

} // namespace kodexa::tree
