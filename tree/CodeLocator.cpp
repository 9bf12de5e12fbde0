#include "CodeLocator.h"

#include "ClientDataSet.h"
#include "CodeList.h"
#include "CodeTree.h"

#include <array>
#include <optional>
#include <string>

namespace kodexa::tree {

NodeRef locateCode(TreeNodes& nodes, NodeRef root, std::string_view code) {
    if (!root)
        return NodeRef();
    // The nodes that are current at the start of a step, each once: the ones the walk expands.
    std::array<NodeRef, LastPrefixLength - FirstPrefixLength + 1> path;
    std::size_t pathLength = 0;
    NodeRef current = root;
    for (std::size_t n = FirstPrefixLength; n <= LastPrefixLength; ++n) {
        if (pathLength == 0 || path[pathLength - 1] != current)
            path[pathLength++] = current;
        if (const NodeRef child = firstMatchingChild(nodes, current, n, code))
            current = child;
    }
    // Expanding does not change what matches, so the walk expands its path once it has found it,
    // from the deepest node up: a tree view only records the expansion of a node below a collapsed
    // one, and so lays out the newly opened branch once instead of once per level.
    while (pathLength > 0)
        nodes.expand(path[--pathLength]);
    nodes.select(current);
    return current;
}

NodeRef locateCurrentCode(const TClientDataSet& table, TreeNodes& nodes, const NodeRef& rootNode,
                          const std::function<void()>& showTreePage) {
    const std::optional<std::string> code = table.fieldValue(codelist::CodeField);
    if (!code)
        return NodeRef();
    showTreePage();
    return locateCode(nodes, rootNode, *code);
}

} // namespace kodexa::tree
