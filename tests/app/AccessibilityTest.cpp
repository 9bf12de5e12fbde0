// The main window and the about box as assistive technology sees them, through the toolkit's
// accessibility interface: names, roles, relations, states, descriptions and events; the keyboard
// path from the grid to the tree; and the focus indicators, measured in grabs of the real widgets.
#include "AccessibilityOn.h"
#include "CodeCopyCommands.h"
#include "ColourContrast.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DlgAbout.h"
#include "DlgSearch.h"
#include "DlgStatus.h"
#include "KeywordSearchPage.h"
#include "MerklistePage.h"
#include "ProgramStart.h"
#include "SystemClock.h"
#include "TextQueries.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <memory>
#include <vector>

using namespace kodexa;
using kodexa::testing::AccessibleEventLog;

namespace {

class SteppedClock final : public SystemClock {
public:
    std::uint32_t tickCount() override { return ticks; }
    void sleep(std::uint32_t milliseconds) override { ticks += milliseconds; }
    std::uint32_t ticks = 1000;
};

QAccessibleInterface* accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// The objects a relation of the interface points to.
std::vector<QObject*> related(QAccessibleInterface* iface, QAccessible::Relation kind) {
    std::vector<QObject*> objects;
    for (const auto& [other, relation] : iface->relations(kind))
        objects.push_back(other->object());
    return objects;
}

std::vector<QString> focusedNames(const AccessibleEventLog& log) {
    std::vector<QString> names;
    for (const AccessibleEventLog::Entry& entry : log.entries())
        if (entry.type == QAccessible::Focus)
            names.push_back(entry.name);
    return names;
}

// Where a focused grab differs from the unfocused one by at least 3:1, as the guidelines ask of
// a focus indicator against what stood there before.
struct FocusMark {
    QRect bounds;               // of the pixels that changed by 3:1 or more
    int strongPixels = 0;       // pixels that changed by 3:1 or more
    int framePixels = 0;        // of those, the ones on the edge of `bounds`
    double weakestOnFrame = 21; // the least contrast along that edge
};

FocusMark focusMark(const QImage& unfocused, const QImage& focused) {
    FocusMark mark;
    const QImage before = unfocused.convertToFormat(QImage::Format_RGB32);
    const QImage after = focused.convertToFormat(QImage::Format_RGB32);
    std::vector<QPoint> strong;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (contrastRatio(before.pixelColor(x, y), after.pixelColor(x, y)) >= 3.0)
                strong.emplace_back(x, y);
    mark.strongPixels = static_cast<int>(strong.size());
    for (const QPoint& point : strong)
        mark.bounds |= QRect(point, QSize(1, 1));
    // Every pixel on the bounding rectangle's edge: a closed frame has them all.
    for (int x = mark.bounds.left(); x <= mark.bounds.right(); ++x)
        for (int y : {mark.bounds.top(), mark.bounds.bottom()}) {
            const double ratio = contrastRatio(before.pixelColor(x, y), after.pixelColor(x, y));
            mark.weakestOnFrame = std::min(mark.weakestOnFrame, ratio);
            mark.framePixels += ratio >= 3.0;
        }
    for (int y = mark.bounds.top() + 1; y < mark.bounds.bottom(); ++y)
        for (int x : {mark.bounds.left(), mark.bounds.right()}) {
            const double ratio = contrastRatio(before.pixelColor(x, y), after.pixelColor(x, y));
            mark.weakestOnFrame = std::min(mark.weakestOnFrame, ratio);
            mark.framePixels += ratio >= 3.0;
        }
    return mark;
}

int perimeter(const QRect& rect) {
    return 2 * rect.width() + 2 * rect.height() - 4;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SteppedClock> fakeClock;
    std::unique_ptr<TDlgSearchCPV> window;

    // Shortcuts and focus reach the active window only; the offscreen platform activates every
    // window it shows, a search's status window too, for a moment.
    void activate() {
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void focusOn(QWidget* widget, Qt::FocusReason reason = Qt::OtherFocusReason) {
        activate();
        widget->setFocus(reason);
        QCOMPARE(QApplication::focusWidget(), widget);
    }
    void search(const QString& code) {
        window->Edit1->setText(code);
        window->BitBtn1->click();
    }

private slots:
    void initTestCase() {
        QApplication::setApplicationName(QStringLiteral("Kodexa"));
        QVERIFY(installGermanToolkitTexts(*qApp));
        testing::switchAccessibilityOn();
    }
    void init() {
        fakeClock = std::make_unique<SteppedClock>();
        window = std::make_unique<TDlgSearchCPV>(fakeClock.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        activate();
    }
    void cleanup() {
        window.reset();
        fakeClock.reset();
    }

    void contrastIsMeasuredAsTheGuidelinesDo();
    void theInputsAreNamedByTheirLabels();
    void theInputsAnswerEveryTextQuery();
    void thePageControlTellsItsPagesAlone();
    void aSearchAnnouncesHowManyCodesItFound();
    void aSortAnnouncesTheNewOrder();
    void theKeywordSearchAnnouncesWhatItFound();
    void aSortByItsAcceleratorFocusesTheCheckedButton();
    void anAnnouncementFollowsTheWindowsActivation();
    void aRejectedSearchAnnouncesNothing();
    void theGridIsNamedAndDescribesItsWayToTheTree();
    void theGridReportsItsCurrentRowWhenItTakesTheFocus();
    void theGridReportsRowsAsFocusedOnlyWhileItHasTheFocus();
    void ctrlEnterOpensTheCurrentRowsCodeInTheTree();
    void plainEnterInTheGridStillSearches();
    void theContextMenuOpensTheTreeToo();
    void theTreeViewIsNamedAndReportsTheLocatedNode();
    void theTreeReportsItsCurrentNodeWhenItTakesTheFocus();
    void theProgressBarIsNamed();
    void theAboutBoxReadsAsOneDescriptionWithANamedPicture();
    void theStatusWindowIsNamed();
    void theSearchButtonShowsItsFocus();
    void theGridFramesItsCurrentRowWhileFocused();
    void theTabStripShowsItsFocus();
    void theNewPagesListsReportRowsOnlyWithTheKeyboard();
    void enteringAListTellsItsCurrentRowAndPlaceOrWhatToDo();
    void theMerklisteButtonsKeepTheFocusAndSayWhatTheyDid();
    void copiesAndPageSwitchesAreAnnounced();
};

void AccessibilityTest::contrastIsMeasuredAsTheGuidelinesDo() {
    QCOMPARE(contrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(contrastRatio(Qt::white, Qt::black), 21.0);
    QCOMPARE(contrastRatio(QColor(0x30, 0x8c, 0xc6), QColor(0x30, 0x8c, 0xc6)), 1.0);
    // Figures of the published examples: #777 on white is 4.48, Fusion's selection on white 3.69.
    QVERIFY(qAbs(contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white) - 4.48) < 0.01);
    QVERIFY(qAbs(contrastRatio(QColor(0x30, 0x8c, 0xc6), Qt::white) - 3.69) < 0.01);
    QVERIFY(qAbs(relativeLuminance(QColor(0x80, 0x80, 0x80)) - 0.2159) < 0.0001);
    QCOMPARE(blackOrWhiteAgainst(QColor(0x30, 0x8c, 0xc6)), QColor(Qt::black));
    QCOMPARE(blackOrWhiteAgainst(QColor(0x00, 0x00, 0x80)), QColor(Qt::white));
    QCOMPARE(blackOrWhiteAgainst(QColor(0xff, 0xff, 0x00)), QColor(Qt::black));
}

void AccessibilityTest::theInputsAreNamedByTheirLabels() {
    const std::pair<QLineEdit*, QLabel*> pairs[] = {{window->Edit1, window->Label1},
                                                    {window->Edit2, window->Label2}};
    for (const auto& [edit, label] : pairs) {
        QAccessibleInterface* input = accessible(edit);
        QCOMPARE(input->role(), QAccessible::EditableText);
        QCOMPARE(input->text(QAccessible::Name), label->text().trimmed());
        QCOMPARE(label->buddy(), edit);
        QCOMPARE(related(input, QAccessible::Label), std::vector<QObject*>{label});
        QCOMPARE(related(accessible(label), QAccessible::Labelled), std::vector<QObject*>{edit});
    }
    QCOMPARE(accessible(window->Edit1)->text(QAccessible::Name), QStringLiteral("Code beginnend mit"));
    QCOMPARE(accessible(window->Edit2)->text(QAccessible::Name), QStringLiteral("Bezeichnung enthält"));
    // The labels themselves keep the window definition's texts.
    QCOMPARE(window->Label1->text(), QStringLiteral("Code beginnend mit "));
}

// A reader moving by word or line asks at every offset; the answers come at once and are right.
void AccessibilityTest::theInputsAnswerEveryTextQuery() {
    for (QLineEdit* input : {window->Edit1, window->Edit2, window->KeywordPage->WordsEdit})
        QCOMPARE(testing::wrongTextAnswer(*input), QString());
}

// The tab strip has one child a page, named, with its place, the current one selected, each
// pressed to show its page; the stack of pages is a plain container, each page named as its tab;
// the menu is named.
void AccessibilityTest::thePageControlTellsItsPagesAlone() {
    QAccessibleInterface* strip = accessible(window->PageControl1->tabBar());
    QCOMPARE(strip->role(), QAccessible::PageTabList);
    QCOMPARE(strip->childCount(), window->PageControl1->count());
    for (int page = 0; page < strip->childCount(); ++page) {
        QAccessibleInterface* tab = strip->child(page);
        QCOMPARE(tab->role(), QAccessible::PageTab);
        QCOMPARE(tab->text(QAccessible::Name), window->PageControl1->tabText(page));
        QCOMPARE(tab->text(QAccessible::Description),
                 QStringLiteral("Seite %1 von %2").arg(page + 1).arg(strip->childCount()));
        QCOMPARE(tab->state().selected, page == window->PageControl1->currentIndex());
        QCOMPARE(strip->indexOfChild(tab), page);
        QCOMPARE(tab->parent(), strip);
        QCOMPARE(accessible(window->PageControl1->widget(page))->text(QAccessible::Name),
                 window->PageControl1->tabText(page));
    }
    AccessibleEventLog log;
    strip->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
    QVERIFY(strip->child(1)->state().selected);
    // The old tab tells that it is no longer selected, so no reader keeps it selected.
    QStringList unselected;
    for (const auto& entry : log.entries())
        if (entry.type == QAccessible::SelectionRemove)
            unselected << entry.name;
    QCOMPARE(unselected, QStringList{window->PageControl1->tabText(0)});
    QCOMPARE(accessible(window->TabSheet2->parentWidget())->role(), QAccessible::Client);
    QCOMPARE(accessible(window->Datei1)->text(QAccessible::Name), QStringLiteral("Datei"));
}

void AccessibilityTest::aSearchAnnouncesHowManyCodesItFound() {
    struct Case {
        QString code;
        QString announced;
    };
    AccessibleEventLog log;
    search(QStringLiteral("03"));
    const int found = window->DataSource1->rowCount();
    QVERIFY(found > 1 && found < 9454);
    const Case cases[] = {{QString(), QStringLiteral("9454 Codes gefunden")},
                          {QStringLiteral("03111100"), QStringLiteral("1 Code gefunden")},
                          {QStringLiteral("abc"), QStringLiteral("Keine Codes gefunden")},
                          {QStringLiteral("abc"), QStringLiteral("Keine Codes gefunden")}};
    activate(); // as the window manager does once the status window is gone
    QTRY_COMPARE(log.announcements(), std::vector<QString>{QStringLiteral("%1 Codes gefunden").arg(found)});
    for (const Case& next : cases) {
        log.clear();
        search(next.code);
        activate();
        QTRY_COMPARE(log.announcements(), std::vector<QString>{next.announced});
    }
    // Nothing of it shows: the status bar stays empty.
    QCOMPARE(window->StatusBar1->currentMessage(), QString());
    for (const QLabel* label : window->StatusBar1->findChildren<QLabel*>())
        QVERIFY(label->text().isEmpty());
}

void AccessibilityTest::aSortAnnouncesTheNewOrder() {
    AccessibleEventLog log;
    QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
    activate();
    QTRY_COMPARE(log.announcements(), std::vector<QString>{QStringLiteral("Sortiert nach Bezeichnung")});
    QTest::mouseClick(window->RadioButton2, Qt::LeftButton); // already checked: no sort, nothing said
    QTest::mouseClick(window->RadioButton1, Qt::LeftButton);
    activate();
    QTRY_COMPARE(log.announcements(), (std::vector<QString>{QStringLiteral("Sortiert nach Bezeichnung"),
                                                            QStringLiteral("Sortiert nach Code")}));
    QCOMPARE(window->StatusBar1->currentMessage(), QString());
}

// Enter in the keyword input tells the count at once; typing tells it once the typing pauses.
void AccessibilityTest::theKeywordSearchAnnouncesWhatItFound() {
    KeywordSearchPage* page = window->KeywordPage;
    window->PageControl1->setCurrentWidget(page);
    focusOn(page->WordsEdit);
    AccessibleEventLog log;
    page->WordsEdit->setText(QStringLiteral("xqzt"));
    QTest::keyClick(page->WordsEdit, Qt::Key_Return);
    QTRY_COMPARE(log.announcements(), std::vector<QString>{QStringLiteral("Keine Treffer")});
    log.clear();
    page->WordsEdit->setText(QStringLiteral("saatgut"));
    QTRY_COMPARE(log.announcements(), std::vector<QString>{page->CountLabel->text()});
    QVERIFY(page->CountLabel->text().endsWith(QStringLiteral("gefunden")));
    QCOMPARE(accessible(page->WordsEdit)->text(QAccessible::Name), QStringLiteral("Stichwörter"));
    QCOMPARE(accessible(page->Results)->text(QAccessible::Name), QStringLiteral("Treffer"));
}

// Alt+B sorts and takes the focus to the button, which a reader meets checked.
void AccessibilityTest::aSortByItsAcceleratorFocusesTheCheckedButton() {
    focusOn(window->Edit1);
    AccessibleEventLog log;
    QTest::keyClick(window.get(), Qt::Key_B, Qt::AltModifier);
    QVERIFY(window->RadioButton2->isChecked());
    activate();
    QCOMPARE(QApplication::focusWidget(), window->RadioButton2);
    QCOMPARE(window->ClientDataSet1.indexFieldNames(), std::string("CPV_DESC"));
    const auto isOn = [&](QAccessible::Event type) {
        return [&, type](const AccessibleEventLog::Entry& entry) {
            return entry.type == type && entry.object == window->RadioButton2;
        };
    };
    const auto checked =
        std::find_if(log.entries().begin(), log.entries().end(), isOn(QAccessible::StateChanged));
    const auto focused = std::find_if(log.entries().begin(), log.entries().end(), isOn(QAccessible::Focus));
    QVERIFY(checked != log.entries().end());
    QVERIFY(focused != log.entries().end());
    QVERIFY(checked < focused);
}

// Where the status window of a search took the activation (the offscreen platform gives it every
// window it shows), the window reads itself out again when it gets it back, and the outcome is
// announced after that, so that the reading does not cut it short.
void AccessibilityTest::anAnnouncementFollowsTheWindowsActivation() {
    AccessibleEventLog log;
    search(QStringLiteral("0312"));
    QVERIFY(!window->isActiveWindow());
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements(), std::vector<QString>{});

    activate();
    QTRY_COMPARE(log.announcements(), std::vector<QString>{QStringLiteral("5 Codes gefunden")});
    const auto shown = std::find_if(log.entries().begin(), log.entries().end(), [](const auto& entry) {
        return entry.type == QAccessible::ObjectShow && entry.role == QAccessible::Notification;
    });
    const auto focusAgain = std::find_if(log.entries().begin(), log.entries().end(), [](const auto& entry) {
        return entry.type == QAccessible::Focus && entry.object == QApplication::focusWidget();
    });
    QVERIFY(focusAgain < shown);
}

void AccessibilityTest::aRejectedSearchAnnouncesNothing() {
    AccessibleEventLog log;
    QString reported;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&reported] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            reported = box->windowTitle();
            box->reject();
        }
    });
    poll.start(10);
    window->Edit2->setText(QStringLiteral("x' or y"));
    window->BitBtn1->click();
    poll.stop();
    QCOMPARE(reported, QStringLiteral("Kodexa")); // the error report, which speaks for itself
    activate();
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements(), std::vector<QString>{});
}

void AccessibilityTest::theGridIsNamedAndDescribesItsWayToTheTree() {
    QAccessibleInterface* grid = accessible(window->DBGrid1);
    QCOMPARE(grid->role(), QAccessible::Table);
    QCOMPARE(grid->text(QAccessible::Name), QStringLiteral("CPV-Codes"));
    QCOMPARE(grid->text(QAccessible::Description),
             QStringLiteral("Mit einem Doppelklick oder mit Strg+Eingabe können Sie den markierten CPV-Code "
                            "in der Baumansicht anzeigen lassen."));
    // The shortcut the description names is the command's, as the context menu shows it.
    QVERIFY(grid->text(QAccessible::Description)
                .contains(window->GridShowInTree->shortcut().toString(QKeySequence::NativeText)));
    // The tooltip stays the window definition's.
    QCOMPARE(window->DBGrid1->toolTip(), QStringLiteral("Mit einem Doppelklick können Sie den markierten\n"
                                                        "CPV-Code in der Baumansicht anzeigen lassen."));
    QAccessibleTableInterface* table = grid->tableInterface();
    QVERIFY(table != nullptr);
    QCOMPARE(table->rowCount(), 9454);
    QCOMPARE(table->columnDescription(0), QStringLiteral("CPV_ID"));
}

void AccessibilityTest::theGridReportsItsCurrentRowWhenItTakesTheFocus() {
    window->DBGrid1->selectRow(3);
    const QString code = window->DataSource1->index(3, 0).data().toString();
    focusOn(window->PageControl1->tabBar(), Qt::TabFocusReason);
    AccessibleEventLog log;
    QTest::keyClick(window->PageControl1->tabBar(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->DBGrid1);
    // First the grid tells of itself, then, from the event loop, of the row the user is on.
    QTRY_COMPARE(focusedNames(log), (std::vector<QString>{QStringLiteral("CPV-Codes"), code}));
    QCOMPARE(log.entries().back().role, QAccessible::Cell);
    QAccessibleInterface* cell = accessible(window->DBGrid1)->focusChild();
    QCOMPARE(cell->text(QAccessible::Name), code);
    QVERIFY(cell->state().focused);
    QVERIFY(cell->state().selected);

    // Moving on in the grid reports each new row.
    log.clear();
    QTest::keyClick(window->DBGrid1, Qt::Key_Down);
    QCOMPARE(focusedNames(log), std::vector<QString>{window->DataSource1->index(4, 0).data().toString()});

    // An empty grid has no row to report; the grid alone takes the focus.
    search(QStringLiteral("abc"));
    focusOn(window->Edit1);
    log.clear();
    window->DBGrid1->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QCOMPARE(focusedNames(log), std::vector<QString>{QStringLiteral("CPV-Codes")});
}

// The table view reports a new current cell as focused even when the grid does not have the
// focus, which would take a screen reader into the grid in the middle of typing a search.
void AccessibilityTest::theGridReportsRowsAsFocusedOnlyWhileItHasTheFocus() {
    focusOn(window->Edit1);
    AccessibleEventLog log;
    window->DBGrid1->selectRow(8);
    search(QStringLiteral("0311"));
    QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
    QCoreApplication::processEvents();
    for (const AccessibleEventLog::Entry& entry : log.entries())
        QVERIFY2(!(entry.type == QAccessible::Focus && entry.role == QAccessible::Cell),
                 qPrintable(entry.name));
}

void AccessibilityTest::ctrlEnterOpensTheCurrentRowsCodeInTheTree() {
    search(QStringLiteral("3451"));
    focusOn(window->DBGrid1, Qt::TabFocusReason);
    QTest::keyClick(window->DBGrid1, Qt::Key_Down);
    QTest::keyClick(window->DBGrid1, Qt::Key_Down);
    const QString code = window->DataSource1->index(2, 0).data().toString();
    QCOMPARE(window->TreeView1->topLevelItemCount(), 0);

    AccessibleEventLog log;
    QTest::keyClick(window->DBGrid1, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
    QCOMPARE(QApplication::focusWidget(), window->TreeView1);
    QTreeWidgetItem* located = window->TreeView1->currentItem();
    QVERIFY(located != nullptr);
    QVERIFY(located->text(0).startsWith(code + QStringLiteral(": ")));
    QCOMPARE(window->TreeView1->selectedItems(), QList<QTreeWidgetItem*>{located});
    QVERIFY(window->ProgressBar1->isHidden());
    // A screen reader hears the located node.
    QCoreApplication::processEvents();
    QVERIFY(!focusedNames(log).empty());
    QCOMPARE(focusedNames(log).back(), located->text(0));

    // The keypad's Enter does the same.
    window->PageControl1->setCurrentWidget(window->TabSheet1);
    search(QStringLiteral("03221000"));
    focusOn(window->DBGrid1);
    QTest::keyClick(window->DBGrid1, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
    QVERIFY(window->TreeView1->currentItem()->text(0).startsWith(QStringLiteral("03221000: ")));

    // With no row there is nothing to show: the page stays.
    window->PageControl1->setCurrentWidget(window->TabSheet1);
    search(QStringLiteral("abc"));
    focusOn(window->DBGrid1);
    QTest::keyClick(window->DBGrid1, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);

    // Outside the grid Ctrl+Enter does nothing: neither search nor tree.
    search(QStringLiteral("03"));
    const int rows = window->DataSource1->rowCount();
    focusOn(window->Edit1);
    window->Edit1->setText(QStringLiteral("abc"));
    QTest::keyClick(window->Edit1, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
    QCOMPARE(window->DataSource1->rowCount(), rows);
}

void AccessibilityTest::plainEnterInTheGridStillSearches() {
    window->Edit1->setText(QStringLiteral("0312"));
    focusOn(window->DBGrid1);
    QTest::keyClick(window->DBGrid1, Qt::Key_Return);
    QCOMPARE(window->DataSource1->rowCount(), 5);
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
    QCOMPARE(window->TreeView1->topLevelItemCount(), 0);
}

void AccessibilityTest::theContextMenuOpensTheTreeToo() {
    search(QStringLiteral("72000000"));
    focusOn(window->DBGrid1);
    QTest::keyClick(window->DBGrid1, Qt::Key_F10, Qt::ShiftModifier);
    QMenu* menu = window->GridCopy->menu();
    QVERIFY(menu->isVisible());
    QAction* entry = menu->actions().at(3); // after the copy commands and a separator
    QCOMPARE(entry, window->GridShowInTree);
    QCOMPARE(entry->text(), QStringLiteral("In Baumansicht anzeigen"));
    QVERIFY(entry->isEnabled());
    // As a screen reader reads the menu: the entry with its shortcut.
    QAccessibleInterface* menuItem = nullptr;
    QAccessibleInterface* accessibleMenu = accessible(menu);
    for (int i = 0; i < accessibleMenu->childCount(); ++i)
        if (accessibleMenu->child(i)->text(QAccessible::Name) == entry->text())
            menuItem = accessibleMenu->child(i);
    QVERIFY(menuItem != nullptr);
    QCOMPARE(menuItem->role(), QAccessible::MenuItem);
    QCOMPARE(QKeySequence(menuItem->text(QAccessible::Accelerator)), QKeySequence(Qt::CTRL | Qt::Key_Return));
    entry->trigger();
    menu->hide();
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
    QVERIFY(window->TreeView1->currentItem()->text(0).startsWith(QStringLiteral("72000000: ")));

    // On an empty grid the entry is there but disabled.
    window->PageControl1->setCurrentWidget(window->TabSheet1);
    search(QStringLiteral("abc"));
    focusOn(window->DBGrid1);
    QTest::keyClick(window->DBGrid1, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(menu->isVisible());
    QVERIFY(!window->GridShowInTree->isEnabled());
    menu->hide();
    QVERIFY(window->GridShowInTree->isEnabled()); // the shortcut stays live
}

void AccessibilityTest::theTreeViewIsNamedAndReportsTheLocatedNode() {
    QAccessibleInterface* tree = accessible(window->TreeView1);
    QCOMPARE(tree->role(), QAccessible::Tree);
    QCOMPARE(tree->text(QAccessible::Name), QStringLiteral("CPV-Codes"));
    QCOMPARE(tree->childCount(), 0); // not built yet

    search(QStringLiteral("39254000"));
    focusOn(window->DBGrid1);
    QTest::keyClick(window->DBGrid1, Qt::Key_Return, Qt::ControlModifier);
    // The double-click's rule: 39254000 selects its first child, 39254100 "Uhren".
    QAccessibleInterface* node = tree->focusChild();
    QVERIFY(node != nullptr && node != tree);
    QCOMPARE(node->role(), QAccessible::TreeItem);
    QCOMPARE(node->text(QAccessible::Name), QStringLiteral("39254100: Uhren"));
    QCOMPARE(node->text(QAccessible::Description), QStringLiteral("Ebene 5, 1 von 1"));
    const QAccessible::State state = node->state();
    QVERIFY(state.focused && state.selected && state.expandable && state.expanded);
    QCOMPARE(tree->child(0)->text(QAccessible::Name), QStringLiteral("CPV-Codes"));
    QVERIFY(tree->indexOfChild(node) > 0);
    QCOMPARE(tree->child(tree->indexOfChild(node)), node);
}

void AccessibilityTest::theTreeReportsItsCurrentNodeWhenItTakesTheFocus() {
    window->PageControl1->setCurrentWidget(window->TabSheet2);
    QTreeWidgetItem* division = window->TreeView1->topLevelItem(0)->child(5);
    window->TreeView1->setCurrentItem(division);
    focusOn(window->PageControl1->tabBar(), Qt::TabFocusReason);
    AccessibleEventLog log;
    QTest::keyClick(window->PageControl1->tabBar(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->TreeView1);
    QTRY_COMPARE(focusedNames(log), (std::vector<QString>{QStringLiteral("CPV-Codes"), division->text(0)}));
}

void AccessibilityTest::theProgressBarIsNamed() {
    QAccessibleInterface* bar = accessible(window->ProgressBar1);
    QCOMPARE(bar->role(), QAccessible::ProgressBar);
    QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Aufbau des Baums"));
}

void AccessibilityTest::theAboutBoxReadsAsOneDescriptionWithANamedPicture() {
    TDlgAbout box(window.get());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QAccessibleInterface* dialog = accessible(&box);
    QCOMPARE(dialog->role(), QAccessible::Dialog);
    QCOMPARE(dialog->text(QAccessible::Name), QStringLiteral("Über"));
    const QString description = dialog->text(QAccessible::Description);
    // Every line of the maker's details, in order: maker, address, telephone, fax, mail, web.
    qsizetype from = 0;
    for (const TPictureLabel* label :
         {box.Label1, box.Label2, box.Label3, box.Label4, box.Label5, box.Label6, box.Label7, box.Label8}) {
        const qsizetype at = description.indexOf(label->text(), from);
        QVERIFY2(at >= 0, qPrintable(label->text()));
        from = at + label->text().size();
    }
    QVERIFY(
        description.contains(QStringLiteral("Telefon")) && description.contains(QStringLiteral("Telefax")) &&
        description.contains(QStringLiteral("E-Mail")) && description.contains(QStringLiteral("Internet")));

    // The picture and the button are what it holds; the labels drawn on the picture are read as
    // the description, not one by one.
    std::vector<QObject*> children;
    for (int i = 0; i < dialog->childCount(); ++i) {
        children.push_back(dialog->child(i)->object());
        QCOMPARE(dialog->indexOfChild(dialog->child(i)), i);
        QVERIFY(dialog->child(i)->role() != QAccessible::StaticText);
    }
    QCOMPARE(children, (std::vector<QObject*>{box.Image1, box.BitBtn1}));
    QAccessibleInterface* picture = accessible(box.Image1);
    QCOMPARE(picture->role(), QAccessible::Graphic);
    QVERIFY(picture->text(QAccessible::Name).startsWith(QStringLiteral("Kodexa")));
    QCOMPARE(accessible(box.BitBtn1)->text(QAccessible::Name), QStringLiteral("OK"));
    QCOMPARE(dialog->indexOfChild(accessible(box.Label3)), -1);
}

void AccessibilityTest::theStatusWindowIsNamed() {
    ShowStatus(DlgStatus, QStringLiteral("Suche passende CPV-Codes ..."));
    QAccessibleInterface* status = accessible(DlgStatus);
    QCOMPARE(status->role(), QAccessible::Dialog);
    QCOMPARE(status->text(QAccessible::Name), QStringLiteral("Status"));
    QCOMPARE(status->child(0)->text(QAccessible::Name), QStringLiteral("Suche passende CPV-Codes ..."));
    DlgStatus->hide();
}

void AccessibilityTest::theSearchButtonShowsItsFocus() {
    for (QPushButton* button : {window->BitBtn1, window->BitBtn2}) {
        focusOn(window->Edit2);
        const QImage unfocused = button->grab().toImage();
        focusOn(button, Qt::TabFocusReason);
        const QImage focused = button->grab().toImage();
        const FocusMark mark = focusMark(unfocused, focused);
        qInfo("%s: frame %dx%d at (%d,%d), weakest 3:1 pixel on it %.2f:1, %d of %d pixels",
              qPrintable(button->text()), mark.bounds.width(), mark.bounds.height(), mark.bounds.x(),
              mark.bounds.y(), mark.weakestOnFrame, mark.framePixels, perimeter(mark.bounds));
        // A closed frame around the caption, inside the button.
        QVERIFY(mark.bounds.width() >= button->width() - 12 && mark.bounds.width() < button->width());
        QVERIFY(mark.bounds.height() >= button->height() - 12 && mark.bounds.height() < button->height());
        QCOMPARE(mark.framePixels, perimeter(mark.bounds));
        QVERIFY(mark.weakestOnFrame >= 3.0);
    }
}

void AccessibilityTest::theGridFramesItsCurrentRowWhileFocused() {
    TDBGrid* grid = window->DBGrid1;
    grid->selectRow(2);
    focusOn(window->Edit1);
    const QImage unfocused = grid->viewport()->grab().toImage();
    focusOn(grid, Qt::TabFocusReason);
    const QImage focused = grid->viewport()->grab().toImage();
    const QRect row = grid->visualRect(window->DataSource1->index(2, 0))
                          .united(grid->visualRect(window->DataSource1->index(2, 1)));
    const FocusMark mark = focusMark(unfocused, focused);
    qInfo("grid: frame %dx%d at (%d,%d), weakest pixel on it %.2f:1 against the selection",
          mark.bounds.width(), mark.bounds.height(), mark.bounds.x(), mark.bounds.y(), mark.weakestOnFrame);
    QCOMPARE(mark.bounds, row.intersected(grid->viewport()->rect()));
    QCOMPARE(mark.framePixels, perimeter(mark.bounds));
    QVERIFY(mark.weakestOnFrame >= 3.0);
    QCOMPARE(mark.strongPixels, mark.framePixels); // the rows keep their looks
    // Without the focus the row stays highlighted.
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(unfocused.pixelColor(row.right() - 2, row.center().y()), highlight);
    QCOMPARE(focused.pixelColor(row.right() - 2, row.center().y()), highlight);
    QVERIFY(contrastRatio(focused.pixelColor(row.center().x(), row.top()), highlight) >= 3.0);
}

void AccessibilityTest::theTabStripShowsItsFocus() {
    QTabBar* tabs = window->PageControl1->tabBar();
    focusOn(window->Edit1);
    const QImage unfocused = tabs->grab().toImage();
    focusOn(tabs, Qt::BacktabFocusReason);
    const QImage focused = tabs->grab().toImage();
    const FocusMark mark = focusMark(unfocused, focused);
    qInfo("tab strip: frame %dx%d at (%d,%d), weakest pixel on it %.2f:1", mark.bounds.width(),
          mark.bounds.height(), mark.bounds.x(), mark.bounds.y(), mark.weakestOnFrame);
    QVERIFY(tabs->tabRect(0).contains(mark.bounds));
    QVERIFY(mark.bounds.width() > tabs->tabRect(0).width() / 2);
    QCOMPARE(mark.framePixels, perimeter(mark.bounds));
    QVERIFY(mark.weakestOnFrame >= 3.0);
    // The same at the start, when the focus is there without a key having moved it.
    TDlgSearchCPV fresh(fakeClock.get());
    fresh.show();
    QApplication::setActiveWindow(&fresh);
    QVERIFY(QTest::qWaitForWindowActive(&fresh));
    QVERIFY(fresh.PageControl1->tabBar()->hasFocus());
    QCOMPARE(fresh.PageControl1->tabBar()->grab().toImage().convertToFormat(QImage::Format_RGB32),
             focused.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(AccessibilityTest)
// Typing in "Stichwörter" refreshes the results, and adding from the grid refreshes the hidden
// Merkliste: neither list may report a row as focused while the keyboard is elsewhere.
void AccessibilityTest::theNewPagesListsReportRowsOnlyWithTheKeyboard() {
    KeywordSearchPage* page = window->KeywordPage;
    window->PageControl1->setCurrentWidget(page);
    focusOn(page->WordsEdit);
    AccessibleEventLog log;
    QTest::keyClicks(page->WordsEdit, QStringLiteral("reinigung schule"));
    QVERIFY(page->Results->topLevelItemCount() > 0);
    window->PageControl1->setCurrentWidget(window->TabSheet1);
    focusOn(window->DBGrid1);
    QTest::keyClick(window->DBGrid1, Qt::Key_Insert);
    QTest::keyClick(window->DBGrid1, Qt::Key_Down);
    QTest::keyClick(window->DBGrid1, Qt::Key_Insert);
    QCoreApplication::processEvents();
    QCOMPARE(window->MerklisteTab->Entries->topLevelItemCount(), 2);
    for (const AccessibleEventLog::Entry& entry : log.entries()) {
        const bool fromAList = entry.object == page->Results || entry.parentObject == page->Results ||
                               entry.object == window->MerklisteTab->Entries ||
                               entry.parentObject == window->MerklisteTab->Entries;
        QVERIFY2(!(fromAList && (entry.type == QAccessible::Focus || entry.type == QAccessible::Selection ||
                                 entry.type == QAccessible::SelectionAdd)),
                 qPrintable(entry.name));
    }
}

void AccessibilityTest::enteringAListTellsItsCurrentRowAndPlaceOrWhatToDo() {
    KeywordSearchPage* page = window->KeywordPage;
    window->PageControl1->setCurrentWidget(page);
    focusOn(page->WordsEdit);
    page->WordsEdit->setText(QStringLiteral("büroreinigung"));
    const int found = page->Results->topLevelItemCount();
    QVERIFY(found > 1);
    AccessibleEventLog log;
    QTest::keyClick(page->WordsEdit, Qt::Key_Down);
    const QString first = QStringLiteral("90919200-4, 1 von %1").arg(found);
    QTRY_VERIFY2(!focusedNames(log).empty() && focusedNames(log).back() == first,
                 qPrintable(focusedNames(log).empty() ? QString() : focusedNames(log).back()));
    QTest::keyClick(page->Results, Qt::Key_Down);
    QVERIFY(focusedNames(log).back().endsWith(QStringLiteral(", 2 von %1").arg(found)));
    // Up from the first result leaves the words as they were, the caret at their end.
    QTest::keyClick(page->Results, Qt::Key_Up);
    QTest::keyClick(page->Results, Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), page->WordsEdit);
    QVERIFY(!page->WordsEdit->hasSelectedText());
    QCOMPARE(page->WordsEdit->cursorPosition(), page->WordsEdit->text().size());

    // An empty list says what to do, on the screen and to a reader entering it.
    window->PageControl1->setCurrentWidget(window->MerklisteTab);
    log.clear();
    focusOn(window->MerklisteTab->Entries);
    QTRY_COMPARE(log.announcements(), std::vector<QString>{window->MerklisteTab->Entries->emptyText()});
    QVERIFY(window->MerklisteTab->Entries->emptyText().contains(QStringLiteral("Strg+V")));
    page->WordsEdit->setText(QStringLiteral("xqzt"));
    QVERIFY(page->Results->emptyText().startsWith(QStringLiteral("Keine Treffer")));
}

void AccessibilityTest::theMerklisteButtonsKeepTheFocusAndSayWhatTheyDid() {
    window->Merkliste.add("03111000", "Saatgut");
    window->Merkliste.add("45000000", "Bauarbeiten");
    MerklistePage* page = window->MerklisteTab;
    page->showList(0);
    window->PageControl1->setCurrentWidget(page);
    AccessibleEventLog log;
    const auto press = [&](QPushButton* button, const QString& told) {
        focusOn(button, Qt::TabFocusReason);
        log.clear();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(button));
        QCOMPARE(log.announcements().back(), told);
    };
    press(page->MainButton, QStringLiteral("03111000-2 ist schon Hauptgegenstand"));
    press(page->UpButton, QStringLiteral("03111000-2 steht schon oben"));
    press(page->DownButton, QStringLiteral("03111000-2 nach unten verschoben: jetzt 2 von 2"));
    press(page->DownButton, QStringLiteral("03111000-2 steht schon unten"));
    press(page->RemoveButton, QStringLiteral("03111000-2 entfernt; Hauptgegenstand ist jetzt 45000000-7"));
    // The last entry gone, the commands have nothing to act on: the focus goes to the list, not on
    // to "Liste kopieren", and the outcome is what a reader hears, not cut off by the list's own
    // empty text.
    focusOn(page->RemoveButton, Qt::TabFocusReason);
    log.clear();
    QTest::keyClick(page->RemoveButton, Qt::Key_Space);
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements(),
             std::vector<QString>{QStringLiteral("45000000-7 entfernt; die Merkliste ist leer")});
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(page->Entries));
    QVERIFY(!page->CopyButton->isEnabled());
}

void AccessibilityTest::copiesAndPageSwitchesAreAnnounced() {
    focusOn(window->DBGrid1);
    AccessibleEventLog log;
    QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(log.announcements(),
             (std::vector<QString>{QStringLiteral("03000000 kopiert"),
                                   QStringLiteral("03000000-1 mit Bezeichnung kopiert")}));
    log.clear();
    QTest::keyClick(window->DBGrid1, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
    QTRY_VERIFY(!log.announcements().empty());
    QCOMPARE(log.announcements().back(), QStringLiteral("Baumansicht, Seite 2 von 4"));
    // A page the program opens itself is not announced: the focus it gives tells where the user is.
    log.clear();
    window->PageControl1->setCurrentWidget(window->KeywordPage);
    QCoreApplication::processEvents();
    QVERIFY(log.announcements().empty());
}

#include "AccessibilityTest.moc"
