#pragma once

#include "ProgressIndicator.h"
#include "TreeNodes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kodexa {
class TClientDataSet;
}

// The code tree: every code record a node below one root, placed by the leading characters of its
// code. The tree view owns the nodes; the main window keeps the root and the record being placed as
// its members RootNode, CurrentCode and CurrentDesc, which these functions take by reference.
namespace kodexa::tree {

constexpr std::string_view RootText = "CPV-Codes";
// Children of the root are compared on this many leading characters, each level below on one more.
constexpr std::size_t FirstPrefixLength = 2;

// The text of a code's node: the code, ": " and the description, nothing padded or cut.
std::string codeNodeText(std::string_view code, std::string_view description);

// A code node's text taken apart again: the node carries nothing but its text.
struct CodeNodeParts {
    std::string_view code;
    std::string_view description;
};
// Splits at the first ": " (a code holds none; a description may). Null for a text without one,
// such as the root's.
std::optional<CodeNodeParts> splitCodeNodeText(std::string_view text);

// The first child of node whose first n characters are exactly the first n characters of code
// (either string taken whole where it is shorter); null when none is.
NodeRef firstMatchingChild(const TreeNodes& nodes, NodeRef node, std::size_t n, std::string_view code);

// Places the record currentCode/currentDesc below node: it descends into the first child that
// matches on n characters, comparing one character more at each level, and becomes the last child
// of the first node none of whose children matches. Appends exactly one node; returns true.
bool InsertCodeNode(TreeNodes& nodes, NodeRef node, std::size_t n, std::string_view currentCode,
                    std::string_view currentDesc);

// Fills the tree from the table's current row to its end: a root "CPV-Codes" as the last top-level
// node, stored in rootNode, then every record placed by InsertCodeNode, with the progress indicator
// at 0 to the record count, shown and advanced once per record. Whatever happens once the bar is
// shown, the build closes the table, expands the root one level (when there is one) and hides the
// bar before it returns or lets a failure through; the nodes placed so far stay. A failure before
// the root exists (opening the table, the range, appending the root) leaves the tree without nodes,
// so that the next showing of the tree page builds again.
void BuildCodeTree(TClientDataSet& table, TreeNodes& nodes, ProgressIndicator& progress, NodeRef& rootNode,
                   std::string& currentCode, std::string& currentDesc);

} // namespace kodexa::tree
