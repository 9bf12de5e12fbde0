#pragma once

#include "TreeNodes.h"

#include <cstddef>
#include <string_view>

class QTreeWidget;
class QTreeWidgetItem;

namespace kodexa::tree {

// The nodes of a QTreeWidget (one column) as the code tree builds on them. A NodeRef stands for a
// QTreeWidgetItem*; the widget owns the items. Texts are shown as their Windows-1252 characters.
class TreeWidgetNodes final : public TreeNodes {
public:
    explicit TreeWidgetNodes(QTreeWidget* tree) : tree_(tree) {}

    // Counts the nodes appended through this object: the code tree is filled only here and never
    // loses a node. A widget cleared behind its back counts as empty again.
    std::size_t count() const override;
    NodeRef addChild(NodeRef parent, std::string_view text) override;
    std::size_t childCount(NodeRef node) const override;
    NodeRef child(NodeRef node, std::size_t index) const override;
    bool leadingTextEquals(NodeRef node, std::size_t n, std::string_view taken) const override;
    void expand(NodeRef node) override;
    // Selects the item and makes it the current item, which scrolls it into view.
    void select(NodeRef node) override;

    static QTreeWidgetItem* item(NodeRef node) { return static_cast<QTreeWidgetItem*>(node.get()); }

private:
    // The item itself, or for a null node the widget's invisible item above the top-level ones.
    QTreeWidgetItem* itemOrTop(NodeRef node) const;

    QTreeWidget* tree_;
    std::size_t appended_ = 0;
};

// The settings of the code tree's view: read only, no header, indentation 19 pixels, expand
// buttons also at the root, rows of one height (which keeps laying out thousands of rows cheap).
void configureCodeTreeView(QTreeWidget* tree);

} // namespace kodexa::tree
