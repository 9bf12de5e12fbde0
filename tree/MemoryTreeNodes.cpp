#include "MemoryTreeNodes.h"

#include <utility>

namespace kodexa::tree {

const std::vector<MemoryTreeNodes::Node*>& MemoryTreeNodes::childrenOf(NodeRef node) const {
    return node ? nodeAt(node).children : topLevel_;
}

NodeRef MemoryTreeNodes::addChild(NodeRef parent, std::string_view text) {
    Node* parentNode = parent ? &nodeAt(parent) : nullptr;
    std::vector<Node*>& siblings = parentNode ? parentNode->children : topLevel_;
    siblings.reserve(siblings.size() + 1); // may throw; nothing is added then
    Node& node = nodes_.emplace_back(Node{std::string(text), parentNode, {}, false});
    siblings.push_back(&node);
    return NodeRef(&node);
}

NodeRef MemoryTreeNodes::child(NodeRef node, std::size_t index) const {
    return NodeRef(childrenOf(node).at(index));
}

bool MemoryTreeNodes::leadingTextEquals(NodeRef node, std::size_t n, std::string_view taken) const {
    return tree::leadingTextEquals(nodeAt(node).text, n, taken);
}

std::size_t MemoryTreeNodes::depth(NodeRef node) const {
    std::size_t levels = 0;
    for (const Node* up = nodeAt(node).parent; up != nullptr; up = up->parent)
        ++levels;
    return levels;
}

void MemoryTreeNodes::forEachNode(const std::function<void(NodeRef, std::size_t)>& visit) const {
    // An explicit stack: a tree of any depth is walked without deep recursion.
    std::vector<std::pair<Node*, std::size_t>> pending;
    for (auto node = topLevel_.rbegin(); node != topLevel_.rend(); ++node)
        pending.emplace_back(*node, 0);
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        visit(NodeRef(node), depth);
        for (auto child = node->children.rbegin(); child != node->children.rend(); ++child)
            pending.emplace_back(*child, depth + 1);
    }
}

} // namespace kodexa::tree
