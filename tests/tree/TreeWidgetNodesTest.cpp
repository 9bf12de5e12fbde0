#include "TreeTestSupport.h"

#include "CodeLocator.h"
#include "Cp1252.h"
#include "ProgressBarIndicator.h"
#include "TreeWidgetNodes.h"

#include <QApplication>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <utility>
#include <vector>

using namespace kodexa;
using namespace kodexa::tree;
using namespace kodexa::tree::testing;

namespace {

struct WithApplication {
    WithApplication() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tree_widgets_tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: at exit it would outlive Qt's own globals.
        static const QApplication* application = new QApplication(argc, argv);
        (void)application;
    }
};

class PaintCountingBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;
    int paints = 0;
    int narrowPaints = 0; // painted before the layout gave the bar its width

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        narrowPaints += width() < 600;
        QProgressBar::paintEvent(event);
    }
};

// A clock that moves on by a fixed step each time it is read.
struct SteppingClock {
    std::chrono::milliseconds step;
    std::shared_ptr<std::chrono::steady_clock::time_point> now =
        std::make_shared<std::chrono::steady_clock::time_point>();
    std::chrono::steady_clock::time_point operator()() const { return *now += step; }
};

// The tree page as the main window lays it out, shown: the tree, and the bar below it, hidden.
class TreePage : public ::testing::Test, private WithApplication {
protected:
    TreePage() {
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(tree);
        layout->addWidget(bar);
        bar->setFixedHeight(16);
        bar->hide();
        configureCodeTreeView(tree);
        page.resize(679, 547);
        page.show();
        QApplication::processEvents();
    }

    void build(TClientDataSet& table) {
        BuildCodeTree(table, nodes, *progress, rootNode, currentCode, currentDesc);
    }

    QWidget page;
    QTreeWidget* tree = new QTreeWidget(&page);
    PaintCountingBar* bar = new PaintCountingBar(&page);
    TreeWidgetNodes nodes{tree};
    std::unique_ptr<ProgressBarIndicator> progress = std::make_unique<ProgressBarIndicator>(bar);
    NodeRef rootNode;
    std::string currentCode;
    std::string currentDesc;
};

using Outline = std::vector<std::pair<std::size_t, std::string>>;

Outline outlineOf(const QTreeWidgetItem* item, std::size_t depth, Outline outline = {}) {
    outline.emplace_back(depth, item->text(0).toStdString());
    for (int i = 0; i < item->childCount(); ++i)
        outline = outlineOf(item->child(i), depth + 1, std::move(outline));
    return outline;
}

} // namespace

TEST_F(TreePage, BuildGivesTheSameTreeAsInMemory) {
    const auto table = carriedTable("QueryCPVTree");
    build(*table);

    BuiltTree expected;
    expected.build(*carriedTable("QueryCPVTree"));
    Outline expectedOutline;
    expected.nodes.forEachNode([&](NodeRef node, std::size_t depth) {
        expectedOutline.emplace_back(depth, cp1252::toUtf8(expected.nodes.text(node)));
    });

    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(TreeWidgetNodes::item(rootNode), tree->topLevelItem(0));
    EXPECT_EQ(outlineOf(tree->topLevelItem(0), 0), expectedOutline);
    EXPECT_EQ(nodes.count(), 9455U);

    const QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_TRUE(root->isExpanded());
    for (int i = 0; i < root->childCount(); ++i)
        EXPECT_FALSE(root->child(i)->isExpanded());
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(bar->maximum(), 9454);
    EXPECT_EQ(bar->value(), 9454);
    EXPECT_FALSE(table->active());
}

// No event is processed during the build, so every paint counted there was done at once.
TEST_F(TreePage, BarIsPaintedWhileTheBuildBlocksAtMostOncePerFrame) {
    progress = std::make_unique<ProgressBarIndicator>(bar, SteppingClock{std::chrono::milliseconds(1)});
    const auto table = carriedTable("QueryCPVTree");
    ASSERT_EQ(bar->paints, 0);
    build(*table);
    EXPECT_GE(bar->paints, 20);
    EXPECT_LE(bar->paints, 9454 / 16 + 2);
    EXPECT_EQ(bar->narrowPaints, 0);
    EXPECT_EQ(bar->value(), 9454);
}

TEST_F(TreePage, BarIsPaintedEmptyAndFullEvenWhenNoFramePasses) {
    progress = std::make_unique<ProgressBarIndicator>(bar, SteppingClock{std::chrono::milliseconds(0)});
    const auto table = carriedTable("QueryCPVTree");
    build(*table);
    EXPECT_EQ(bar->paints, 2);
    EXPECT_EQ(bar->value(), 9454);
    EXPECT_EQ(progress->position(), 9454U);
}

TEST_F(TreePage, EmptyTableLeavesTheRootAloneAndAnEmptyRange) {
    SmallTable rows("");
    build(rows.table);
    EXPECT_EQ(nodes.count(), 1U);
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_TRUE(bar->isHidden());
}

TEST_F(TreePage, DoubleClickSelectsAndExpandsInTheWidget) {
    const auto clientDataSet1 = carriedTable("ClientDataSet1");
    const auto queryCPVTree = carriedTable("QueryCPVTree");
    while (clientDataSet1->fieldAsString("CPV_ID") != "39254000")
        clientDataSet1->next();

    const NodeRef selected = locateCurrentCode(*clientDataSet1, nodes, rootNode, [&] {
        if (nodes.count() == 0)
            build(*queryCPVTree);
    });
    QTreeWidgetItem* item = TreeWidgetNodes::item(selected);
    EXPECT_EQ(item->text(0), QString("39254100: Uhren"));
    EXPECT_EQ(tree->currentItem(), item);
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{item});
    for (QTreeWidgetItem* up = item; up != nullptr; up = up->parent())
        EXPECT_TRUE(up->isExpanded()) << up->text(0).toStdString();
}

TEST_F(TreePage, LeadingTextComparesCharactersOfTheCodePage) {
    const std::string text = cp1252::fromUtf8("92700000: Dienstleistungen von Internet-Cafés");
    const NodeRef node = nodes.addChild(NodeRef(), text);
    EXPECT_EQ(TreeWidgetNodes::item(node)->text(0), QString("92700000: Dienstleistungen von Internet-Cafés"));

    EXPECT_TRUE(nodes.leadingTextEquals(node, 500, text));
    EXPECT_FALSE(nodes.leadingTextEquals(node, 500, text.substr(0, text.size() - 1) + "e"));
    EXPECT_TRUE(nodes.leadingTextEquals(node, 3, "927"));
    EXPECT_FALSE(nodes.leadingTextEquals(node, 3, "92")); // a shorter code is taken whole
    EXPECT_FALSE(nodes.leadingTextEquals(node, 3, "928"));
}

TEST_F(TreePage, LeadingTextFollowsTheItemsTextWhateverChangedIt) {
    const NodeRef node = nodes.addChild(NodeRef(), "03000000: A");
    TreeWidgetNodes::item(node)->setText(0, "45000000: B");
    EXPECT_TRUE(nodes.leadingTextEquals(node, 2, "45"));
    EXPECT_FALSE(nodes.leadingTextEquals(node, 2, "03"));

    // Items that the code tree did not make itself: a clone, and one added by hand.
    QTreeWidgetItem* copy = TreeWidgetNodes::item(node)->clone();
    tree->addTopLevelItem(copy);
    copy->setText(0, "77000000: C");
    EXPECT_TRUE(nodes.leadingTextEquals(NodeRef(copy), 2, "77"));
    auto* plain = new QTreeWidgetItem(QStringList("98000000: D"));
    tree->addTopLevelItem(plain);
    EXPECT_TRUE(nodes.leadingTextEquals(NodeRef(plain), 3, "980"));
}

TEST_F(TreePage, CountFollowsTheWidget) {
    EXPECT_EQ(nodes.count(), 0U);
    const NodeRef root = nodes.addChild(NodeRef(), RootText);
    nodes.addChild(root, "03000000: A");
    EXPECT_EQ(nodes.count(), 2U);
    tree->clear();
    EXPECT_EQ(nodes.count(), 0U);
    const NodeRef again = nodes.addChild(NodeRef(), RootText);
    EXPECT_EQ(nodes.count(), 1U);
    ASSERT_EQ(nodes.childCount(NodeRef()), 1U);
    EXPECT_EQ(nodes.child(NodeRef(), 0), again);
}
