#include "TreeTestSupport.h"

#include "DatabaseError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace kodexa;
using namespace kodexa::tree;
using namespace kodexa::tree::testing;

namespace {

// A tree whose node operations fail on request, to see what the build leaves behind.
class FailingTreeNodes : public TreeNodes {
public:
    std::size_t count() const override { return inner.count(); }
    NodeRef addChild(NodeRef parent, std::string_view text) override {
        if (++appends == failAtAppend)
            throw std::runtime_error("Knoten kann nicht angelegt werden");
        return inner.addChild(parent, text);
    }
    std::size_t childCount(NodeRef node) const override { return inner.childCount(node); }
    NodeRef child(NodeRef node, std::size_t index) const override { return inner.child(node, index); }
    bool leadingTextEquals(NodeRef node, std::size_t n, std::string_view taken) const override {
        return inner.leadingTextEquals(node, n, taken);
    }
    void expand(NodeRef node) override {
        if (failExpand)
            throw std::runtime_error("Knoten kann nicht aufgeklappt werden");
        inner.expand(node);
    }
    void select(NodeRef node) override { inner.select(node); }

    MemoryTreeNodes inner;
    std::size_t appends = 0;
    std::size_t failAtAppend = 0; // counted from 1; 0 never fails
    bool failExpand = false;
};

struct FailingBuild {
    FailingTreeNodes nodes;
    RecordingProgress progress;
    NodeRef rootNode;
    std::string currentCode;
    std::string currentDesc;

    void build(TClientDataSet& table) {
        BuildCodeTree(table, nodes, progress, rootNode, currentCode, currentDesc);
    }
};

// The number of digits up to the last non-zero one, at least 2.
std::size_t significantDigits(std::string_view code) {
    std::size_t digits = code.size();
    while (digits > 2 && code[digits - 1] == '0')
        --digits;
    return digits;
}

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no failure)";
}

class BuiltInTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        queryCPVTree = carriedTable("QueryCPVTree").release();
        built = new BuiltTree;
        built->build(*queryCPVTree);
    }
    static void TearDownTestSuite() {
        delete built;
        delete queryCPVTree;
    }

    static inline TClientDataSet* queryCPVTree = nullptr;
    static inline BuiltTree* built = nullptr;
};

} // namespace

TEST_F(BuiltInTree, HoldsOneNodePerCodeBelowOneRoot) {
    const MemoryTreeNodes& nodes = built->nodes;
    EXPECT_EQ(nodes.count(), 9455U);
    ASSERT_EQ(nodes.childCount(NodeRef()), 1U);
    EXPECT_EQ(nodes.child(NodeRef(), 0), built->rootNode);
    EXPECT_EQ(nodes.text(built->rootNode), "CPV-Codes");

    std::vector<std::size_t> perLevel(9, 0);
    std::size_t widestBelowRoot = 0;
    nodes.forEachNode([&](NodeRef node, std::size_t depth) {
        ++perLevel.at(depth);
        if (depth > 0)
            widestBelowRoot = std::max(widestBelowRoot, nodes.childCount(node));
    });
    EXPECT_EQ(perLevel, (std::vector<std::size_t>{1, 45, 272, 1004, 2384, 3136, 1809, 804, 0}));
    EXPECT_EQ(nodes.childCount(built->rootNode), 45U);
    EXPECT_LE(widestBelowRoot, 9U);
}

TEST_F(BuiltInTree, NodeTextsAreCodeColonDescriptionNeitherPaddedNorCut) {
    const std::map<std::string, NodeRef> byCode = nodesByCode(built->nodes);
    ASSERT_EQ(byCode.size(), 9454U);
    EXPECT_EQ(built->nodes.text(byCode.at("03111000")), "03111000: Saatgut");

    const auto rows = carriedTable("ClientDataSet1");
    for (rows->first(); !rows->eof(); rows->next()) {
        const std::string code = rows->fieldAsString("CPV_ID");
        ASSERT_EQ(built->nodes.text(byCode.at(code)), code + ": " + rows->fieldAsString("CPV_DESC"));
    }
    EXPECT_EQ(built->nodes.text(byCode.at("66519000")).size(), 8U + 2U + 161U);
}

// What the copy commands read from a node: every node of the list gives back its record's code
// and description; the root and texts without the separator give nothing.
TEST_F(BuiltInTree, EveryCodeNodeSplitsBackIntoItsCodeAndDescription) {
    const std::map<std::string, NodeRef> byCode = nodesByCode(built->nodes);
    const auto rows = carriedTable("ClientDataSet1");
    for (rows->first(); !rows->eof(); rows->next()) {
        const std::string code = rows->fieldAsString("CPV_ID");
        const auto parts = splitCodeNodeText(built->nodes.text(byCode.at(code)));
        ASSERT_TRUE(parts.has_value()) << code;
        ASSERT_EQ(parts->code, code);
        ASSERT_EQ(parts->description, rows->fieldAsString("CPV_DESC"));
    }
    EXPECT_FALSE(splitCodeNodeText(built->nodes.text(built->rootNode)).has_value());
}

TEST(CodeNodeText, SplitsAtTheFirstSeparatorOnly) {
    const auto parts = splitCodeNodeText("12345678: Teil: Rest: ");
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->code, "12345678");
    EXPECT_EQ(parts->description, "Teil: Rest: ");
    const auto empty = splitCodeNodeText("12345678: ");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->description, "");
    for (std::string_view text : {"", "12345678", "12345678:Saatgut", "12345678 :Saatgut"})
        EXPECT_FALSE(splitCodeNodeText(text).has_value()) << text;
}

TEST_F(BuiltInTree, CodesWithAnAbsentParentHangWhereThePrefixRuleLeadsThem) {
    const MemoryTreeNodes& nodes = built->nodes;
    const std::map<std::string, NodeRef> byCode = nodesByCode(nodes);
    const auto parentCode = [&](const char* code) { return codeOf(nodes, nodes.parent(byCode.at(code))); };

    EXPECT_EQ(parentCode("34511100"), "34510000");
    EXPECT_EQ(parentCode("30192121"), "30192100");
    for (const char* code : {"30192122", "30192123", "30192124", "30192125", "30192126", "30192127"})
        EXPECT_EQ(parentCode(code), "30192121") << code;
    // The shifted subtree: Wanduhren and Glas für Uhren end below Wecker, not beside it.
    EXPECT_EQ(parentCode("39254000"), "39200000");
    EXPECT_EQ(parentCode("39254100"), "39254000");
    EXPECT_EQ(parentCode("39254110"), "39254100");
    EXPECT_EQ(parentCode("39254120"), "39254110");
    EXPECT_EQ(parentCode("39254130"), "39254110");

    std::size_t offLevel = 0;
    for (const auto& [code, node] : byCode)
        offLevel += nodes.depth(node) != significantDigits(code) - 1;
    EXPECT_EQ(offLevel, 13U);
}

TEST_F(BuiltInTree, EndsWithRootExpandedDivisionsCollapsedBarHiddenAndTableClosed) {
    const MemoryTreeNodes& nodes = built->nodes;
    EXPECT_TRUE(nodes.isExpanded(built->rootNode));
    std::size_t expandedBelowRoot = 0;
    nodes.forEachNode(
        [&](NodeRef node, std::size_t depth) { expandedBelowRoot += depth > 0 && nodes.isExpanded(node); });
    EXPECT_EQ(expandedBelowRoot, 0U);

    const RecordingProgress& progress = built->progress;
    EXPECT_EQ(progress.minimum, 0U);
    EXPECT_EQ(progress.maximum, 9454U);
    EXPECT_EQ(progress.steps, 9454U);
    EXPECT_EQ(progress.position, progress.maximum);
    EXPECT_EQ(progress.stepsWhileHidden, 0U);
    EXPECT_GE(progress.repaintsWhileVisible, 1);
    EXPECT_FALSE(progress.visible);

    EXPECT_FALSE(queryCPVTree->active());
    EXPECT_FALSE(queryCPVTree->savedPacket().empty()); // closing keeps the rows
    EXPECT_EQ(built->currentCode, "98910000");
}

TEST(CodeTreeBuild, StartsAtTheTablesCurrentRow) {
    SmallTable rows("03000000\tA\n03100000\tB\n09000000\tC\n");
    rows.table.next();
    BuiltTree tree;
    tree.build(rows.table);
    EXPECT_EQ(tree.nodes.count(), 3U);
    EXPECT_EQ(tree.nodes.text(tree.nodes.child(tree.rootNode, 0)), "03100000: B");
    EXPECT_EQ(tree.progress.maximum, 3U); // the range is the record count, wherever the walk starts
    EXPECT_EQ(tree.progress.steps, 2U);
}

TEST(CodeTreeBuild, EmptyTableGivesTheRootAloneExpanded) {
    SmallTable rows("");
    BuiltTree tree;
    tree.build(rows.table);
    ASSERT_EQ(tree.nodes.count(), 1U);
    EXPECT_EQ(tree.nodes.text(tree.rootNode), "CPV-Codes");
    EXPECT_TRUE(tree.nodes.isExpanded(tree.rootNode));
    EXPECT_EQ(tree.progress.minimum, 0U);
    EXPECT_EQ(tree.progress.maximum, 0U);
    EXPECT_FALSE(tree.progress.visible);
    EXPECT_FALSE(rows.table.active());
}

TEST(CodeTreeBuild, PrefixesShorterThanTheComparedLengthAreTakenWhole) {
    // "12" matches "12: a" on two characters; one level down it is compared whole against "123"
    // and differs in length, so it becomes a sibling of "123: b". "1" differs from "12" at once.
    SmallTable rows("12\ta\n123\tb\n12\tc\n1\td\n", "QueryCPVTree", SmallTable::Key::None);
    BuiltTree tree;
    tree.build(rows.table);
    const MemoryTreeNodes& nodes = tree.nodes;
    ASSERT_EQ(nodes.childCount(tree.rootNode), 2U);
    const NodeRef first = nodes.child(tree.rootNode, 0);
    EXPECT_EQ(nodes.text(first), "12: a");
    EXPECT_EQ(nodes.text(nodes.child(tree.rootNode, 1)), "1: d");
    ASSERT_EQ(nodes.childCount(first), 2U);
    EXPECT_EQ(nodes.text(nodes.child(first, 0)), "123: b");
    EXPECT_EQ(nodes.text(nodes.child(first, 1)), "12: c");
}

TEST(CodeTreeBuildFailure, FailureWhilePlacingKeepsThePartialTreeAfterTheCleanUp) {
    auto table = carriedTable("QueryCPVTree");
    FailingBuild tree;
    tree.nodes.failAtAppend = 5001; // the root and 4,999 records are in
    EXPECT_EQ(messageOf([&] { tree.build(*table); }), "Knoten kann nicht angelegt werden");

    // The tree page builds only into a tree without nodes, so these stay as they are.
    EXPECT_EQ(tree.nodes.count(), 5000U);
    ASSERT_TRUE(tree.rootNode);
    EXPECT_TRUE(tree.nodes.inner.isExpanded(tree.rootNode));
    EXPECT_FALSE(tree.progress.visible);
    EXPECT_EQ(tree.progress.steps, 4999U);
    EXPECT_FALSE(table->active());
}

TEST(CodeTreeBuildFailure, FailureOfTheRootLeavesNoNodesSoTheNextShowingBuildsAgain) {
    auto table = carriedTable("QueryCPVTree");
    FailingBuild tree;
    tree.nodes.failAtAppend = 1;
    EXPECT_THROW(tree.build(*table), std::runtime_error);
    EXPECT_EQ(tree.nodes.count(), 0U);
    EXPECT_FALSE(tree.rootNode);
    EXPECT_FALSE(tree.progress.visible);
    EXPECT_FALSE(table->active());

    // The next try opens the closed table again from its saved rows, at its first row.
    tree.nodes.failAtAppend = 0;
    tree.build(*table);
    EXPECT_EQ(tree.nodes.count(), 9455U);
    EXPECT_TRUE(tree.nodes.inner.isExpanded(tree.rootNode));
    EXPECT_EQ(tree.nodes.inner.text(tree.nodes.child(tree.rootNode, 0)).substr(0, 8), "03000000");
}

TEST(CodeTreeBuildFailure, TableThatCannotOpenLeavesTreeAndBarUntouched) {
    TClientDataSet table("QueryCPVTree"); // no packet at all
    BuiltTree tree;
    EXPECT_EQ(messageOf([&] { tree.build(table); }),
              "QueryCPVTree: Fehlender Daten-Provider oder Datenpaket");
    EXPECT_EQ(tree.nodes.count(), 0U);
    EXPECT_EQ(tree.progress.visibilityChanges, 0);
}

TEST(CodeTreeBuildFailure, CleanUpRunsToTheEndAndTheFirstCauseIsReported) {
    SmallTable rows("03000000\tA\n03100000\tB\n");
    FailingBuild expandFails;
    expandFails.nodes.failExpand = true;
    EXPECT_EQ(messageOf([&] { expandFails.build(rows.table); }), "Knoten kann nicht aufgeklappt werden");
    EXPECT_FALSE(expandFails.progress.visible);
    EXPECT_FALSE(rows.table.active());
    EXPECT_EQ(expandFails.nodes.count(), 3U);

    // When placing failed already, that failure is the one that comes out.
    SmallTable more("03000000\tA\n03100000\tB\n");
    FailingBuild bothFail;
    bothFail.nodes.failExpand = true;
    bothFail.nodes.failAtAppend = 3;
    EXPECT_EQ(messageOf([&] { bothFail.build(more.table); }), "Knoten kann nicht angelegt werden");
    EXPECT_FALSE(bothFail.progress.visible);
    EXPECT_FALSE(more.table.active());
}
