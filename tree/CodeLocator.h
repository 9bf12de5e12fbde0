#pragma once

#include "TreeNodes.h"

#include <cstddef>
#include <functional>
#include <string_view>

namespace kodexa {
class TClientDataSet;
}

namespace kodexa::tree {

// The walk compares at most this many leading characters, whatever the length of the code.
constexpr std::size_t LastPrefixLength = 8;

// Opens the tree at a code: from root, for prefix lengths 2 to 8, expands the current node one level
// and moves on to its first child that matches the code on that many characters (the comparison of
// the build, so the walk retraces the path along which the code was placed); where none matches,
// the node stays. Selects the node reached and returns it. Nothing is ever collapsed. Without a root
// (a build that failed before creating it) nothing happens and the result is null.
NodeRef locateCode(TreeNodes& nodes, NodeRef root, std::string_view code);

// The double-click on the grid. Reads the code of the table's current row; an empty view has none,
// and then nothing happens at all (the result is null). Otherwise calls showTreePage, which makes
// the tree page the active page (building the tree on its first showing, so rootNode is read only
// afterwards) and repaints it, then runs locateCode for the code.
NodeRef locateCurrentCode(const TClientDataSet& table, TreeNodes& nodes, const NodeRef& rootNode,
                          const std::function<void()>& showTreePage);

} // namespace kodexa::tree
