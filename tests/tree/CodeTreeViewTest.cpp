// The code tree's view as assistive technology sees it, over the whole built-in list.
#include "TreeTestSupport.h"

#include "AccessibilityOn.h"
#include "AccessibleCodeTree.h"
#include "CodeLocator.h"
#include "CodeTreeView.h"
#include "TreeWidgetNodes.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

using namespace kodexa;
using namespace kodexa::tree;
using namespace kodexa::tree::testing;
using kodexa::testing::AccessibleEventLog;

namespace {

struct AccessibleApplication {
    AccessibleApplication() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tree_widgets_tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: at exit it would outlive Qt's own globals.
        static const QApplication* application = [] {
            auto* created = new QApplication(argc, argv);
            kodexa::testing::switchAccessibilityOn();
            return created;
        }();
        (void)application;
    }
};

// The tree page's view, shown and active, with the whole list built into it.
class CodeTreeAccess : public ::testing::Test, private AccessibleApplication {
protected:
    CodeTreeAccess() {
        configureCodeTreeView(&view);
        view.resize(679, 531);
        view.show();
        QApplication::setActiveWindow(&view);
        (void)QTest::qWaitForWindowActive(&view);
        NoProgress progress;
        std::string currentCode;
        std::string currentDesc;
        const auto table = carriedTable("QueryCPVTree");
        BuildCodeTree(*table, nodes, progress, root, currentCode, currentDesc);
    }

    QAccessibleInterface* accessibleView() { return QAccessible::queryAccessibleInterface(&view); }
    QAccessibleInterface* accessibleNode(QTreeWidgetItem* item) {
        return static_cast<AccessibleCodeTree*>(accessibleView())->node(item);
    }
    QTreeWidgetItem* rootItem() { return TreeWidgetNodes::item(root); }
    // The node that the double-click on this code selects, with its path expanded.
    QTreeWidgetItem* locate(std::string_view code) {
        return TreeWidgetNodes::item(locateCode(nodes, root, code));
    }

    // The rows as the view lays them out, read through its own API.
    std::vector<QTreeWidgetItem*> rowsOfTheView() {
        std::vector<QTreeWidgetItem*> rows;
        for (QModelIndex index = view.model()->index(0, 0); index.isValid(); index = view.indexBelow(index))
            rows.push_back(view.itemFromIndex(index));
        return rows;
    }

    CodeTreeView view;
    TreeWidgetNodes nodes{&view};
    NodeRef root;
};

} // namespace

// The view keeps its own list of the shown nodes for assistive technology, so that a child is
// found without walking the tree; it must match the rows the view lays out, whatever was opened
// or closed.
TEST_F(CodeTreeAccess, ShownNodesAreTheRowsOfTheViewInOrder) {
    EXPECT_EQ(view.shownNodes(), rowsOfTheView());
    EXPECT_EQ(view.shownNodes().size(), 46U); // the root and its 45 divisions

    locate("39254130");
    locate("03111100");
    rootItem()->child(1)->setExpanded(true);
    const std::vector<QTreeWidgetItem*> rows = rowsOfTheView();
    EXPECT_EQ(view.shownNodes(), rows);
    for (std::size_t row = 0; row < rows.size(); ++row)
        ASSERT_EQ(view.shownRow(rows[row]), static_cast<int>(row));

    QTreeWidgetItem* soybeans = locate("03111100");
    rootItem()->child(0)->setExpanded(false); // hides the opened path below 03
    EXPECT_EQ(view.shownNodes(), rowsOfTheView());
    EXPECT_EQ(view.shownRow(soybeans), -1);

    // A hidden node is left out once the view has laid out its rows again.
    rootItem()->child(2)->setHidden(true);
    const std::vector<QTreeWidgetItem*> withoutHidden = rowsOfTheView();
    EXPECT_EQ(view.shownNodes(), withoutHidden);
    EXPECT_EQ(view.shownRow(rootItem()->child(2)), -1);
}

TEST_F(CodeTreeAccess, TheTreeHoldsItsNodesAndNotTheHiddenHeader) {
    QAccessibleInterface* tree = accessibleView();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->role(), QAccessible::Tree);
    ASSERT_EQ(tree->childCount(), 46);
    for (int i = 0; i < tree->childCount(); ++i) {
        QAccessibleInterface* child = tree->child(i);
        ASSERT_NE(child, nullptr) << i;
        EXPECT_EQ(child->role(), QAccessible::TreeItem) << i;
        EXPECT_EQ(child->text(QAccessible::Name), view.shownNodes()[std::size_t(i)]->text(0));
        EXPECT_EQ(tree->indexOfChild(child), i);
        EXPECT_EQ(child->parent(), tree);
    }
    EXPECT_EQ(tree->child(0)->text(QAccessible::Name), QStringLiteral("CPV-Codes"));
    EXPECT_EQ(tree->child(-1), nullptr);
    EXPECT_EQ(tree->child(46), nullptr);
    // The header the view hides (it reads "1") is not there.
    EXPECT_TRUE(view.isHeaderHidden());
    for (int i = 0; i < tree->childCount(); ++i)
        EXPECT_NE(tree->child(i)->text(QAccessible::Name), QStringLiteral("1"));

    // A node is found where it is drawn.
    QTreeWidgetItem* division = rootItem()->child(3);
    const QPoint middle = view.viewport()->mapToGlobal(view.visualItemRect(division).center());
    EXPECT_EQ(tree->childAt(middle.x(), middle.y()), accessibleNode(division));
    EXPECT_EQ(accessibleNode(division)->rect().center(), middle);
}

TEST_F(CodeTreeAccess, NodesTellTheirLevelAndPlaceAmongTheirSiblings) {
    EXPECT_EQ(nodePlaceText(*rootItem()), QStringLiteral("Ebene 1, 1 von 1"));
    EXPECT_EQ(nodePlaceText(*rootItem()->child(0)), QStringLiteral("Ebene 2, 1 von 45"));
    EXPECT_EQ(nodePlaceText(*rootItem()->child(44)), QStringLiteral("Ebene 2, 45 von 45"));
    // 39254130 "Glas für Uhren" is the second child of 39254110 "Wecker", which stands one level
    // higher than its digits give.
    QTreeWidgetItem* glass = locate("39254130");
    ASSERT_TRUE(glass->text(0).startsWith(QStringLiteral("39254130: ")));
    EXPECT_EQ(nodePlaceText(*glass), QStringLiteral("Ebene 7, 2 von 2"));
    EXPECT_EQ(accessibleNode(glass)->text(QAccessible::Description), QStringLiteral("Ebene 7, 2 von 2"));

    // A node outside any tree is the only one of its level.
    QTreeWidgetItem loose(QStringList{QStringLiteral("x")});
    EXPECT_EQ(nodePlaceText(loose), QStringLiteral("Ebene 1, 1 von 1"));
}

TEST_F(CodeTreeAccess, OnlyNodesWithChildrenAreExpandable) {
    QTreeWidgetItem* division = rootItem()->child(0);
    QAccessible::State state = accessibleNode(division)->state();
    EXPECT_TRUE(state.expandable);
    EXPECT_TRUE(state.collapsed);
    EXPECT_FALSE(state.expanded);

    // The double-click expands the node it selects unless it reached it on eight characters, leaf
    // or not: 03111100 "Sojabohnen" is found on six.
    QTreeWidgetItem* located = nullptr;
    for (const char* code : {"03111100", "03111200", "03111300", "03111400", "03111500", "03111600"}) {
        QTreeWidgetItem* node = locate(code);
        if (node->childCount() == 0 && node->isExpanded()) {
            located = node;
            break;
        }
    }
    ASSERT_NE(located, nullptr) << "no leaf that the locator expands";
    state = accessibleNode(located)->state();
    EXPECT_FALSE(state.expandable);
    EXPECT_FALSE(state.expanded);
    EXPECT_FALSE(state.collapsed);
    EXPECT_TRUE(state.selected);

    state = accessibleNode(located->parent())->state();
    EXPECT_TRUE(state.expandable);
    EXPECT_TRUE(state.expanded);
    EXPECT_FALSE(state.collapsed);
}

TEST_F(CodeTreeAccess, ExpandingAndCollapsingANodeReportsItsStateChange) {
    QTreeWidgetItem* division = rootItem()->child(2);
    QAccessibleInterface* node = accessibleNode(division);
    AccessibleEventLog log;
    division->setExpanded(true);
    division->setExpanded(false);
    std::vector<const AccessibleEventLog::Entry*> changes;
    for (const AccessibleEventLog::Entry& entry : log.entries())
        if (entry.type == QAccessible::StateChanged)
            changes.push_back(&entry);
    ASSERT_EQ(changes.size(), 2U);
    for (const AccessibleEventLog::Entry* change : changes) {
        EXPECT_EQ(change->name, division->text(0));
        EXPECT_EQ(change->role, QAccessible::TreeItem);
        EXPECT_TRUE(change->changedStates.expanded);
        EXPECT_TRUE(change->changedStates.collapsed);
    }
    // Not the current node, or the view without the focus: the focus stays where it is.
    for (const AccessibleEventLog::Entry& entry : log.entries())
        EXPECT_NE(entry.type, QAccessible::Focus);
    EXPECT_EQ(accessibleNode(division), node);

    // A leaf has no state to change.
    log.clear();
    QTreeWidgetItem* leaf = locate("03111100");
    while (leaf->childCount() > 0)
        leaf = leaf->child(0);
    log.clear();
    leaf->setExpanded(true);
    for (const AccessibleEventLog::Entry& entry : log.entries())
        EXPECT_NE(entry.type, QAccessible::StateChanged);
}

// The desktop's bridge passes on no change of the expanded state, so a key that opens or closes
// the current node also reports it as focused anew, as a new object that a screen reader reads.
TEST_F(CodeTreeAccess, AKeyOnTheCurrentNodeReportsItAnewAsFocused) {
    QTreeWidgetItem* division = rootItem()->child(4);
    view.setFocus();
    ASSERT_TRUE(view.hasFocus());
    view.setCurrentItem(division);
    const QAccessible::Id beforeId = QAccessible::uniqueId(accessibleNode(division));

    AccessibleEventLog log;
    // The scroll bar that an opened node may bring reports itself too; only the node's count here.
    const auto nodeEvents = [&log] {
        std::vector<AccessibleEventLog::Entry> events;
        std::copy_if(
            log.entries().begin(), log.entries().end(), std::back_inserter(events),
            [](const AccessibleEventLog::Entry& entry) { return entry.role == QAccessible::TreeItem; });
        return events;
    };
    QTest::keyClick(&view, Qt::Key_Right);
    ASSERT_TRUE(division->isExpanded());
    std::vector<AccessibleEventLog::Entry> events = nodeEvents();
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].type, QAccessible::StateChanged);
    EXPECT_TRUE(events[0].changedStates.expanded);
    EXPECT_EQ(events[1].type, QAccessible::Focus);
    EXPECT_EQ(events[1].name, division->text(0));
    QAccessibleInterface* after = accessibleNode(division);
    EXPECT_NE(QAccessible::uniqueId(after), beforeId);
    EXPECT_TRUE(after->state().expanded);
    EXPECT_TRUE(after->state().focused);
    EXPECT_EQ(accessibleView()->focusChild(), after);

    log.clear();
    QTest::keyClick(&view, Qt::Key_Left);
    ASSERT_FALSE(division->isExpanded());
    events = nodeEvents();
    ASSERT_EQ(events.size(), 2U);
    EXPECT_TRUE(events[0].changedStates.collapsed);
    EXPECT_EQ(events[1].type, QAccessible::Focus);
    EXPECT_TRUE(accessibleNode(division)->state().collapsed);
}

// The view's own reports count the hidden header as the first row; these must name the node that
// became current or selected, not its neighbour.
TEST_F(CodeTreeAccess, FocusAndSelectionNameTheNodeItself) {
    view.setFocus();
    AccessibleEventLog log;
    QTreeWidgetItem* division = rootItem()->child(6);
    view.setCurrentItem(division);
    QTest::keyClick(&view, Qt::Key_Down);
    QTreeWidgetItem* next = rootItem()->child(7);
    ASSERT_EQ(view.currentItem(), next);

    std::vector<QString> focused;
    std::vector<QString> selected;
    for (const AccessibleEventLog::Entry& entry : log.entries()) {
        if (entry.type == QAccessible::Focus)
            focused.push_back(entry.name);
        if (entry.type == QAccessible::SelectionAdd)
            selected.push_back(entry.name);
    }
    EXPECT_EQ(focused, (std::vector<QString>{division->text(0), next->text(0)}));
    EXPECT_EQ(selected, (std::vector<QString>{division->text(0), next->text(0)}));
    EXPECT_EQ(accessibleView()->focusChild(), accessibleNode(next));

    // Without the focus the current node changes silently.
    view.clearFocus();
    log.clear();
    view.setCurrentItem(rootItem()->child(9));
    for (const AccessibleEventLog::Entry& entry : log.entries())
        EXPECT_NE(entry.type, QAccessible::Focus);
    EXPECT_FALSE(accessibleNode(rootItem()->child(9))->state().focused);
}

TEST_F(CodeTreeAccess, NodesKeepTheirInterfaceAndLoseItWithTheTree) {
    QTreeWidgetItem* division = rootItem()->child(1);
    QAccessibleInterface* node = accessibleNode(division);
    EXPECT_EQ(accessibleNode(division), node);
    EXPECT_EQ(accessibleView()->child(2), node);
    const QAccessible::Id id = QAccessible::uniqueId(node);

    view.clear();
    EXPECT_EQ(accessibleView()->childCount(), 0);
    // The node's interface outlives the item without reading it.
    QAccessibleInterface* stale = QAccessible::accessibleInterface(id);
    ASSERT_NE(stale, nullptr);
    EXPECT_FALSE(stale->isValid());
    EXPECT_EQ(stale->text(QAccessible::Name), QString());
    EXPECT_TRUE(stale->state().invalid);
    EXPECT_EQ(stale->rect(), QRect());
    EXPECT_EQ(accessibleView()->indexOfChild(stale), -1);
}
