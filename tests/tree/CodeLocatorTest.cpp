#include "TreeTestSupport.h"

#include "CodeLocator.h"

#include <gtest/gtest.h>

using namespace kodexa;
using namespace kodexa::tree;
using namespace kodexa::tree::testing;

namespace {

// The main window's pair of tables and its tree; a double-click shows the tree page, which builds
// the tree when it has no nodes.
class DoubleClick : public ::testing::Test {
protected:
    NodeRef doubleClick() {
        return locateCurrentCode(*clientDataSet1, tree.nodes, tree.rootNode, [this] {
            ++pageShowings;
            if (tree.nodes.count() == 0)
                tree.build(*queryCPVTree);
        });
    }
    void selectRow(std::string_view code) {
        for (clientDataSet1->first(); !clientDataSet1->eof(); clientDataSet1->next()) {
            if (clientDataSet1->fieldAsString("CPV_ID") == code)
                return;
        }
        FAIL() << "no row " << code;
    }
    std::string selectedCode() const { return codeOf(tree.nodes, tree.nodes.selected()); }
    bool pathExpanded(NodeRef node) const {
        for (NodeRef up = tree.nodes.parent(node); up; up = tree.nodes.parent(up)) {
            if (!tree.nodes.isExpanded(up))
                return false;
        }
        return true;
    }

    std::unique_ptr<TClientDataSet> clientDataSet1 = carriedTable("ClientDataSet1");
    std::unique_ptr<TClientDataSet> queryCPVTree = carriedTable("QueryCPVTree");
    BuiltTree tree;
    int pageShowings = 0;
};

} // namespace

TEST_F(DoubleClick, EveryCodeButTwoSelectsItsOwnNode) {
    std::vector<std::size_t> reachedAt(LastPrefixLength + 1, 0);
    std::vector<std::string> elsewhere;
    std::size_t leavesLeftCollapsed = 0;
    for (clientDataSet1->first(); !clientDataSet1->eof(); clientDataSet1->next()) {
        const std::string code = clientDataSet1->fieldAsString("CPV_ID");
        const NodeRef selected = doubleClick();
        ASSERT_EQ(selected, tree.nodes.selected());
        if (selectedCode() != code)
            elsewhere.push_back(code + " -> " + selectedCode());
        // Each step of the walk goes one level down, so the depth tells the length it matched on.
        const std::size_t length = tree.nodes.depth(selected) + 1;
        ++reachedAt.at(length);
        if (length == LastPrefixLength)
            leavesLeftCollapsed += !tree.nodes.isExpanded(selected);
        else
            EXPECT_TRUE(tree.nodes.isExpanded(selected)) << code;
    }
    EXPECT_EQ(elsewhere, (std::vector<std::string>{"39254000 -> 39254100", "39254100 -> 39254110"}));
    EXPECT_EQ(reachedAt, (std::vector<std::size_t>{0, 0, 45, 272, 1003, 2384, 3137, 1809, 804}));
    EXPECT_EQ(leavesLeftCollapsed, 804U);
    EXPECT_EQ(tree.nodes.count(), 9455U); // built once, by the first double-click
    EXPECT_EQ(tree.progress.steps, 9454U);
}

TEST_F(DoubleClick, DivisionIsFoundOnTwoCharactersAndShowsItsGroups) {
    selectRow("03000000");
    const NodeRef selected = doubleClick();
    EXPECT_EQ(tree.nodes.text(selected).substr(0, 10), "03000000: ");
    EXPECT_EQ(tree.nodes.depth(selected), 1U);
    EXPECT_TRUE(tree.nodes.isExpanded(selected)); // no group matches on three characters; it stays
    EXPECT_FALSE(tree.nodes.isExpanded(tree.nodes.child(selected, 0)));
}

TEST_F(DoubleClick, EmptyViewDoesNothingAndBuildsNoTree) {
    SmallTable empty("", "ClientDataSet1");
    const NodeRef selected =
        locateCurrentCode(empty.table, tree.nodes, tree.rootNode, [this] { ++pageShowings; });
    EXPECT_FALSE(selected);
    EXPECT_EQ(pageShowings, 0);
    EXPECT_EQ(tree.nodes.count(), 0U);
    EXPECT_TRUE(queryCPVTree->active());
}

TEST_F(DoubleClick, SeveralDoubleClicksLeaveAllTheirPathsExpanded) {
    std::vector<NodeRef> located;
    for (const char* code : {"30192127", "03111000", "98910000", "39254130"}) {
        selectRow(code);
        located.push_back(doubleClick());
        EXPECT_EQ(selectedCode(), code);
    }
    EXPECT_EQ(pageShowings, 4);
    for (NodeRef node : located)
        EXPECT_TRUE(pathExpanded(node)) << tree.nodes.text(node);
}

TEST(LocateCode, WithoutARootNothingHappens) {
    MemoryTreeNodes nodes;
    EXPECT_FALSE(locateCode(nodes, NodeRef(), "03000000"));
    EXPECT_FALSE(nodes.selected());
}

TEST(LocateCode, UnknownCodeSelectsTheDeepestNodeReachedOrTheRoot) {
    MemoryTreeNodes nodes;
    const NodeRef root = nodes.addChild(NodeRef(), RootText);
    const NodeRef division = nodes.addChild(root, "03000000: A");
    nodes.addChild(division, "03100000: B");

    EXPECT_EQ(locateCode(nodes, root, "03900000"), division);
    EXPECT_EQ(locateCode(nodes, root, "77000000"), root);
    EXPECT_EQ(nodes.selected(), root);
}

TEST(LocateCode, ComparesAtMostEightCharacters) {
    // A chain where each node extends its parent by one character: the walk stops at the node it
    // reaches on eight characters, although the code and the next node share nine.
    MemoryTreeNodes nodes;
    NodeRef node = nodes.addChild(NodeRef(), RootText);
    const NodeRef root = node;
    for (std::size_t length = 2; length <= 9; ++length)
        node = nodes.addChild(node, std::string(length, '1') + ": x");
    const NodeRef reached = locateCode(nodes, root, "1111111111");
    EXPECT_EQ(nodes.text(reached), "11111111: x");
    EXPECT_EQ(nodes.childCount(reached), 1U);
}
