#pragma once

#include <cstddef>
#include <string_view>

namespace kodexa::tree {

// Names one node of a tree without owning it (the tree owns its nodes); a default-made NodeRef names
// no node. Each TreeNodes implementation decides what the pointer stands for.
class NodeRef {
public:
    constexpr NodeRef() = default;
    constexpr explicit NodeRef(void* node) : node_(node) {}

    void* get() const { return node_; }
    explicit operator bool() const { return node_ != nullptr; }
    friend bool operator==(NodeRef, NodeRef) = default;

private:
    void* node_ = nullptr;
};

// The few operations of a tree view's nodes that the code tree builds on, so that the building and
// the locating run over the toolkit's tree as well as over a tree in memory. Node texts are
// Windows-1252.
class TreeNodes {
public:
    virtual ~TreeNodes() = default;

    // All nodes of the tree, at every level. Cheap: the tree page asks it on every showing.
    virtual std::size_t count() const = 0;

    // Appends a node with the given text as the last child of parent, or as the last top-level node
    // when parent is null, and returns it.
    virtual NodeRef addChild(NodeRef parent, std::string_view text) = 0;

    // The children of node in the order of insertion; for a null node, the top-level nodes.
    virtual std::size_t childCount(NodeRef node) const = 0;
    // The child at index, 0 <= index < childCount(node).
    virtual NodeRef child(NodeRef node, std::size_t index) const = 0;

    // Whether the first n characters of the node's text (all of it when it is shorter) are exactly
    // `taken`: same length, same characters.
    virtual bool leadingTextEquals(NodeRef node, std::size_t n, std::string_view taken) const = 0;

    // Expands the node one level; its children keep their own state.
    virtual void expand(NodeRef node) = 0;
    // Makes the node the tree's selected node.
    virtual void select(NodeRef node) = 0;
};

// The comparison of leadingTextEquals on text held as Windows-1252 bytes.
inline bool leadingTextEquals(std::string_view text, std::size_t n, std::string_view taken) {
    return text.substr(0, n) == taken;
}

} // namespace kodexa::tree
