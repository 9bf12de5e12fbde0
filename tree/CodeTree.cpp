#include "CodeTree.h"

#include "ClientDataSet.h"
#include "CodeList.h"

#include <exception>

namespace kodexa::tree {

std::string codeNodeText(std::string_view code, std::string_view description) {
    std::string text;
    text.reserve(code.size() + 2 + description.size());
    text += code;
    text += ": ";
    text += description;
    return text;
}

std::optional<CodeNodeParts> splitCodeNodeText(std::string_view text) {
    const std::size_t separator = text.find(": ");
    if (separator == std::string_view::npos)
        return std::nullopt;
    return CodeNodeParts{text.substr(0, separator), text.substr(separator + 2)};
}

NodeRef firstMatchingChild(const TreeNodes& nodes, NodeRef node, std::size_t n, std::string_view code) {
    const std::string_view taken = code.substr(0, n);
    const std::size_t children = nodes.childCount(node);
    for (std::size_t index = 0; index < children; ++index) {
        const NodeRef child = nodes.child(node, index);
        if (nodes.leadingTextEquals(child, n, taken))
            return child;
    }
    return NodeRef();
}

bool InsertCodeNode(TreeNodes& nodes, NodeRef node, std::size_t n, std::string_view currentCode,
                    std::string_view currentDesc) {
    // Only the first matching child is tried: the call below always places the record, so the
    // later siblings are never looked at.
    if (const NodeRef child = firstMatchingChild(nodes, node, n, currentCode))
        return InsertCodeNode(nodes, child, n + 1, currentCode, currentDesc);
    nodes.addChild(node, codeNodeText(currentCode, currentDesc));
    return true;
}

namespace {

// The clean-up of the build. Every step runs even when an earlier one fails; the first failure is
// rethrown afterwards.
void finishBuild(TClientDataSet& table, TreeNodes& nodes, ProgressIndicator& progress, NodeRef rootNode) {
    std::exception_ptr failure;
    const auto attempt = [&failure](auto&& step) {
        try {
            step();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    };
    attempt([&] { table.close(); });
    if (rootNode)
        attempt([&] { nodes.expand(rootNode); });
    attempt([&] { progress.setVisible(false); });
    if (failure)
        std::rethrow_exception(failure);
}

void placeRecords(TClientDataSet& table, TreeNodes& nodes, ProgressIndicator& progress, NodeRef rootNode,
                  std::string& currentCode, std::string& currentDesc) {
    while (!table.eof()) {
        currentCode = table.fieldAsString(codelist::CodeField);
        currentDesc = table.fieldAsString(codelist::DescriptionField);
        InsertCodeNode(nodes, rootNode, FirstPrefixLength, currentCode, currentDesc);
        progress.step();
        table.next();
    }
}

} // namespace

void BuildCodeTree(TClientDataSet& table, TreeNodes& nodes, ProgressIndicator& progress, NodeRef& rootNode,
                   std::string& currentCode, std::string& currentDesc) {
    // An open table stays on its current row, so the walk below starts where the table stands.
    table.open();
    progress.setRange(0, table.recordCount());
    progress.setPosition(0);
    progress.setVisible(true);
    try {
        // The build blocks the event loop: the bar must be painted now to be seen at all.
        progress.repaint();
        rootNode = nodes.addChild(NodeRef(), RootText);
        placeRecords(table, nodes, progress, rootNode, currentCode, currentDesc);
    } catch (...) {
        try {
            finishBuild(table, nodes, progress, rootNode);
        } catch (...) {
            // The failure of the build is the cause worth reporting, not a later one of its clean-up.
        }
        throw;
    }
    finishBuild(table, nodes, progress, rootNode);
}

} // namespace kodexa::tree
