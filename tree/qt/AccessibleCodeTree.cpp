#include "AccessibleCodeTree.h"

#include "CodeTreeView.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidgetItem>
#include <QWidget>
#include <QWindow>

namespace kodexa::tree {
namespace {

// One node as assistive technology sees it. It holds the node's place in the model, not the
// item, so that it turns invalid instead of dangling when the node goes.
class AccessibleCodeNode final : public QAccessibleInterface {
public:
    AccessibleCodeNode(CodeTreeView* view, QTreeWidgetItem* item)
        : view_(view), index_(view->indexFromItem(item)) {}

    QTreeWidgetItem* item() const { return isValid() ? view_->itemFromIndex(index_) : nullptr; }

    bool isValid() const override { return view_ != nullptr && index_.isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ != nullptr ? view_->window()->windowHandle() : nullptr; }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QAccessible::Role role() const override { return QAccessible::TreeItem; }

    QString text(QAccessible::Text kind) const override {
        const QTreeWidgetItem* node = item();
        if (node == nullptr)
            return {};
        if (kind == QAccessible::Name)
            return node->text(0);
        if (kind == QAccessible::Description)
            return nodePlaceText(*node);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        const QTreeWidgetItem* node = item();
        if (node == nullptr || view_->shownRow(node) < 0)
            return {};
        const QRect area = view_->visualItemRect(node);
        return QRect(view_->viewport()->mapToGlobal(area.topLeft()), area.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        const QTreeWidgetItem* node = item();
        if (node == nullptr) {
            state.invalid = true;
            return state;
        }
        state.invisible = !view_->isVisible() || view_->shownRow(node) < 0 ||
                          !view_->visualItemRect(node).intersects(view_->viewport()->rect());
        state.selectable = (node->flags() & Qt::ItemIsSelectable) != 0;
        state.focusable = state.selectable;
        state.selected = node->isSelected();
        state.focused = view_->hasFocus() && view_->currentItem() == node;
        state.disabled = (node->flags() & Qt::ItemIsEnabled) == 0;
        // A node without children has nothing to expand, whatever the view recorded for it.
        if (node->childCount() > 0) {
            state.expandable = true;
            state.expanded = node->isExpanded();
            state.collapsed = !node->isExpanded();
        }
        return state;
    }

private:
    QPointer<CodeTreeView> view_;
    QPersistentModelIndex index_;
};

QAccessibleInterface* codeTreeFactory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<CodeTreeView*>(object))
        return new AccessibleCodeTree(view);
    return nullptr;
}

} // namespace

AccessibleCodeTree::AccessibleCodeTree(CodeTreeView* view) : QAccessibleWidget(view, QAccessible::Tree) {}

AccessibleCodeTree::~AccessibleCodeTree() {
    for (const QAccessible::Id id : std::as_const(nodeIds_))
        QAccessible::deleteAccessibleInterface(id);
}

CodeTreeView* AccessibleCodeTree::view() const {
    return static_cast<CodeTreeView*>(widget());
}

int AccessibleCodeTree::childCount() const {
    return static_cast<int>(view()->shownNodes().size());
}

QAccessibleInterface* AccessibleCodeTree::child(int index) const {
    const std::vector<QTreeWidgetItem*>& shown = view()->shownNodes();
    if (index < 0 || static_cast<std::size_t>(index) >= shown.size())
        return nullptr;
    return node(shown[static_cast<std::size_t>(index)]);
}

int AccessibleCodeTree::indexOfChild(const QAccessibleInterface* child) const {
    const auto* codeNode = dynamic_cast<const AccessibleCodeNode*>(child);
    if (codeNode == nullptr || codeNode->parent() != this)
        return -1;
    return view()->shownRow(codeNode->item());
}

QAccessibleInterface* AccessibleCodeTree::childAt(int x, int y) const {
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!view()->viewport()->rect().contains(at))
        return nullptr;
    QTreeWidgetItem* item = view()->itemAt(at);
    return item != nullptr ? node(item) : nullptr;
}

QAccessibleInterface* AccessibleCodeTree::focusChild() const {
    QTreeWidgetItem* current = view()->currentItem();
    if (view()->hasFocus() && current != nullptr && view()->shownRow(current) >= 0)
        return node(current);
    return QAccessibleWidget::focusChild();
}

QAccessibleInterface* AccessibleCodeTree::node(QTreeWidgetItem* item) const {
    if (item == nullptr || item->treeWidget() != view())
        return nullptr;
    if (const auto known = nodeIds_.constFind(item); known != nodeIds_.constEnd()) {
        // An item made where a deleted one stood finds that one's interface, now invalid.
        auto* cached = static_cast<AccessibleCodeNode*>(QAccessible::accessibleInterface(*known));
        if (cached != nullptr && cached->item() == item)
            return cached;
        QAccessible::deleteAccessibleInterface(*known);
        nodeIds_.erase(known);
    }
    auto* created = new AccessibleCodeNode(view(), item);
    nodeIds_.insert(item, QAccessible::registerAccessibleInterface(created));
    return created;
}

QAccessibleInterface* AccessibleCodeTree::renewNode(QTreeWidgetItem* item) {
    if (const auto known = nodeIds_.constFind(item); known != nodeIds_.constEnd()) {
        QAccessible::deleteAccessibleInterface(*known);
        nodeIds_.erase(known);
    }
    return node(item);
}

void AccessibleCodeTree::installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(codeTreeFactory);
        return true;
    }();
    (void)installed;
}

QString nodePlaceText(const QTreeWidgetItem& item) {
    int level = 1;
    for (const QTreeWidgetItem* up = item.parent(); up != nullptr; up = up->parent())
        ++level;
    // The toolkit's look-ups take a changeable item, though they change nothing.
    auto* self = const_cast<QTreeWidgetItem*>(&item);
    int position = 0;
    int siblings = 1;
    if (const QTreeWidgetItem* parent = item.parent()) {
        position = parent->indexOfChild(self);
        siblings = parent->childCount();
    } else if (const QTreeWidget* tree = item.treeWidget()) {
        position = tree->indexOfTopLevelItem(self);
        siblings = tree->topLevelItemCount();
    }
    return QStringLiteral("Ebene %1, %2 von %3").arg(level).arg(position + 1).arg(siblings);
}

} // namespace kodexa::tree
