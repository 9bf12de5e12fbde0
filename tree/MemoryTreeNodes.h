#pragma once

#include "TreeNodes.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kodexa::tree {

// A tree held in memory, for the command-line tool and for checking the tree without a window.
// It keeps what a tree view keeps: texts, children in insertion order, expanded states and one
// selected node.
class MemoryTreeNodes final : public TreeNodes {
public:
    std::size_t count() const override { return nodes_.size(); }
    NodeRef addChild(NodeRef parent, std::string_view text) override;
    std::size_t childCount(NodeRef node) const override { return childrenOf(node).size(); }
    NodeRef child(NodeRef node, std::size_t index) const override;
    bool leadingTextEquals(NodeRef node, std::size_t n, std::string_view taken) const override;
    void expand(NodeRef node) override { nodeAt(node).expanded = true; }
    void select(NodeRef node) override { selected_ = &nodeAt(node); }

    const std::string& text(NodeRef node) const { return nodeAt(node).text; }
    NodeRef parent(NodeRef node) const { return NodeRef(nodeAt(node).parent); }
    // Top-level nodes have depth 0.
    std::size_t depth(NodeRef node) const;
    bool isExpanded(NodeRef node) const { return nodeAt(node).expanded; }
    NodeRef selected() const { return NodeRef(selected_); }

    // Visits every node in pre-order (a node, then its children's subtrees in order) with its depth.
    void forEachNode(const std::function<void(NodeRef node, std::size_t depth)>& visit) const;

private:
    struct Node {
        std::string text;
        Node* parent = nullptr;
        std::vector<Node*> children;
        bool expanded = false;
    };

    static Node& nodeAt(NodeRef node) { return *static_cast<Node*>(node.get()); }
    const std::vector<Node*>& childrenOf(NodeRef node) const;

    std::deque<Node> nodes_; // a deque keeps the nodes where they are as it grows
    std::vector<Node*> topLevel_;
    Node* selected_ = nullptr;
};

} // namespace kodexa::tree
