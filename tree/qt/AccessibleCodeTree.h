#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QString>

class QTreeWidgetItem;

namespace kodexa::tree {

class CodeTreeView;

// How assistive technology sees a CodeTreeView: a tree (QAccessible::Tree) whose children are the
// nodes the view shows, in display order, one child per node (QAccessible::TreeItem); the header
// is not among them. A node's name is its text; its description gives its level (the top-level
// node is level 1) and its position among its siblings, "Ebene 3, 2 von 5", which the toolkit
// has no other way to tell. A node is expandable only when it has children, and only then
// expanded or collapsed. A node keeps its interface as long as it lives, unless it is reported
// anew (renewNode).
class AccessibleCodeTree final : public QAccessibleWidget {
public:
    explicit AccessibleCodeTree(CodeTreeView* view);
    ~AccessibleCodeTree() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    // The current node while the view has the focus.
    QAccessibleInterface* focusChild() const override;

    // The interface of a node of the view.
    QAccessibleInterface* node(QTreeWidgetItem* item) const;
    // Replaces the node's interface with a new one and returns it.
    QAccessibleInterface* renewNode(QTreeWidgetItem* item);

    // Installs the factory that gives every CodeTreeView this interface; once is enough.
    static void installFactory();

private:
    CodeTreeView* view() const;

    mutable QHash<const QTreeWidgetItem*, QAccessible::Id> nodeIds_;
};

// The level and position of a node as its description tells them: "Ebene 3, 2 von 5".
QString nodePlaceText(const QTreeWidgetItem& item);

} // namespace kodexa::tree
