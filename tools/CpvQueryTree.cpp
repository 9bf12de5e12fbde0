// cpvquery --tree and --locate: the code tree as the tree page builds it, and the double-click walk.
#include "CpvQuery.h"

#include "ClientDataSet.h"
#include "CodeList.h"
#include "CodeLocator.h"
#include "CodeTree.h"
#include "Cp1252.h"
#include "MemoryTreeNodes.h"
#include "ProgressIndicator.h"

#include <ostream>
#include <string>

namespace kodexa::cpvquery {

namespace {

// The tree page of the main window: its own table QueryCPVTree, and a tree built from it on the
// first showing.
class TreePage {
public:
    TreePage() : queryCPVTree_("QueryCPVTree") { codelist::loadCarried(queryCPVTree_); }

    void show() {
        if (nodes_.count() == 0)
            tree::BuildCodeTree(queryCPVTree_, nodes_, progress_, rootNode_, currentCode_, currentDesc_);
    }

    const tree::MemoryTreeNodes& nodes() const { return nodes_; }
    tree::MemoryTreeNodes& nodes() { return nodes_; }
    const tree::NodeRef& rootNode() const { return rootNode_; }

private:
    TClientDataSet queryCPVTree_;
    tree::MemoryTreeNodes nodes_;
    tree::NoProgress progress_;
    tree::NodeRef rootNode_;
    std::string currentCode_;
    std::string currentDesc_;
};

} // namespace

int printTree(std::ostream& out, bool checkDigits) {
    TreePage page;
    page.show();
    std::string text;
    page.nodes().forEachNode([&](tree::NodeRef node, std::size_t depth) {
        text += std::to_string(depth);
        text += '\t';
        text += cp1252::toUtf8(listedNodeText(page.nodes().text(node), checkDigits));
        text += '\n';
    });
    out << text;
    return 0;
}

int printLocate(TClientDataSet& table, std::ostream& out, bool checkDigits) {
    TreePage page;
    std::string text;
    for (table.first(); !table.eof(); table.next()) {
        const tree::NodeRef selected =
            tree::locateCurrentCode(table, page.nodes(), page.rootNode(), [&page] { page.show(); });
        text += cp1252::toUtf8(listedCode(table.fieldAsString(codelist::CodeField), checkDigits));
        text += '\t';
        if (selected)
            text += cp1252::toUtf8(listedNodeText(page.nodes().text(selected), checkDigits));
        text += '\n';
    }
    out << text;
    return 0;
}

} // namespace kodexa::cpvquery
