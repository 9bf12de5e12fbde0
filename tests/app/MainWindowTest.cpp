// Drives the real main window offscreen: search, sort, error report, menus, splash and layout.
#include "CheckDigits.h"
#include "CodeCopyCommands.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DlgSearch.h"
#include "DlgStatus.h"
#include "KeywordIndex.h"
#include "KeywordSearchPage.h"
#include "MerklistePage.h"
#include "ProgramStart.h"
#include "SystemClock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <memory>

using namespace kodexa;

namespace {

// A clock that never sleeps: every sleep advances the tick count at once.
class CountingClock final : public SystemClock {
public:
    std::uint32_t tickCount() override { return ticks; }
    void sleep(std::uint32_t milliseconds) override {
        ++sleeps;
        if (onSleep)
            onSleep();
        ticks += milliseconds;
    }
    std::uint32_t ticks = 1000;
    int sleeps = 0;
    std::function<void()> onSleep;
};

// Records every text the status window was shown with, and whether it is hidden again.
class StatusWatcher final : public QObject {
public:
    explicit StatusWatcher(QWidget* status) : status_(status) { status->installEventFilter(this); }
    QStringList shownTexts;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            shownTexts << status_->findChild<QLabel*>(QStringLiteral("Label1"))->text();
        return false;
    }

private:
    QWidget* status_;
};

// Asks the widget for its context menu as the platform does: at a point for a right-click, with
// reason Keyboard for the Menu key.
void requestContextMenu(QWidget* target, QContextMenuEvent::Reason reason, QPoint at = {}) {
    QContextMenuEvent event(reason, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
}

// A code as the program hands it on with its term and as its new pages show it: "03111000-2".
QString published(const QString& code) {
    return QString::fromStdString(codelist::publishedCode(code.toStdString()));
}

QString clipboardText() {
    return QApplication::clipboard()->text(QClipboard::Clipboard);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CountingClock> fakeClock;
    std::unique_ptr<TDlgSearchCPV> window;

private slots:
    void initTestCase() {
        QApplication::setApplicationName(QStringLiteral("Kodexa"));
        QVERIFY(installGermanToolkitTexts(*qApp));
    }
    void init() {
        fakeClock = std::make_unique<CountingClock>();
        window = std::make_unique<TDlgSearchCPV>(fakeClock.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        fakeClock.reset();
    }

    void startsWithTheWholeListInCodeOrder() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Suche in den CPV-Codes 2007"));
        QCOMPARE(window->DataSource1->rowCount(), 9454);
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
        QVERIFY(window->RadioButton1->isChecked());
        QCOMPARE(window->DBGrid1->currentIndex().row(), 0);
        QCOMPARE(window->DataSource1->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("CPV_ID"));
        QCOMPARE(window->DBGrid1->columnWidth(1), 589);
        QVERIFY(window->PageControl1->tabBar()->hasFocus());
        QVERIFY(!DlgStatus->isVisible());
        QVERIFY(window->ProgressBar1->isHidden());
    }

    void theGridHasClassicRowsAndMarksTheCurrentRow() {
        QHeaderView* indicator = window->DBGrid1->verticalHeader();
        QCOMPARE(indicator->sectionSize(0), 17);
        QCOMPARE(window->DBGrid1->horizontalHeader()->height(), 17);

        window->DBGrid1->selectRow(3);
        const QImage picture = indicator->viewport()->grab().toImage();
        const auto darkPixelsInRow = [&](int row) {
            int dark = 0;
            const int top = indicator->sectionViewportPosition(row);
            for (int y = top; y < top + indicator->sectionSize(row); ++y) {
                for (int x = 0; x < picture.width(); ++x)
                    dark += qGray(picture.pixel(x, y)) < 64 ? 1 : 0;
            }
            return dark;
        };
        QVERIFY(darkPixelsInRow(3) >= 10); // the arrow
        QCOMPARE(darkPixelsInRow(0), 0);
        QCOMPARE(darkPixelsInRow(4), 0);
    }

    void enterInTheCodeInputSearches() {
        StatusWatcher watcher(DlgStatus);
        window->Edit1->setFocus();
        QTest::keyClicks(window->Edit1, QStringLiteral("03"));
        QTest::keyClick(window->Edit1, Qt::Key_Return);
        QCOMPARE(watcher.shownTexts, QStringList{QStringLiteral("Suche passende CPV-Codes ...")});
        QVERIFY(!DlgStatus->isVisible());
        const int rows = window->DataSource1->rowCount();
        QVERIFY(rows > 100 && rows < 9454);
        for (int row = 0; row < rows; ++row)
            QVERIFY(window->DataSource1->index(row, 0).data().toString().startsWith(QStringLiteral("03")));
        QCOMPARE(window->DBGrid1->currentIndex().row(), 0);
        QCOMPARE(window->Edit1->text(), QStringLiteral("03")); // the inputs keep their texts
    }

    void enterDoesNotSearchOnTheTreePage() {
        window->Edit1->setText(QStringLiteral("03"));
        window->PageControl1->setCurrentWidget(window->TabSheet2);
        QTest::keyClick(window.get(), Qt::Key_Return);
        QCOMPARE(window->DataSource1->rowCount(), 9454);
    }

    // Ctrl+Tab and Ctrl+Shift+Tab take the keyboard into the next page, from the tab strip (where
    // it is at start) as from a control: the arrow keys act on the tree at once, and back on the
    // table page the control that had the focus there has it again.
    void ctrlTabTakesTheKeyboardIntoTheNextPage() {
        focusOn(window->PageControl1->tabBar());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
        QCOMPARE(QApplication::focusWidget(), window->TreeView1);
        window->TreeView1->setCurrentItem(window->TreeView1->topLevelItem(0));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(window->TreeView1->currentItem() != window->TreeView1->topLevelItem(0));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
        QCOMPARE(QApplication::focusWidget(), window->DBGrid1);
        window->Edit2->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(window->PageControl1->currentWidget(), window->KeywordPage);
        QCOMPARE(QApplication::focusWidget(), window->KeywordPage->WordsEdit);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(window->PageControl1->currentWidget(), window->MerklisteTab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
        QCOMPARE(QApplication::focusWidget(), window->Edit2);
    }

    // The keyword search and the Merkliste follow the table and the tree; the table page stays
    // the one shown at start.
    void theNewPagesFollowTheTableAndTheTree() {
        QCOMPARE(window->PageControl1->count(), 4);
        QCOMPARE(window->PageControl1->tabText(2), QStringLiteral("Stichwortsuche"));
        QCOMPARE(window->PageControl1->widget(2), window->KeywordPage);
        QCOMPARE(window->PageControl1->tabText(3), QStringLiteral("Merkliste"));
        QCOMPARE(window->PageControl1->widget(3), window->MerklisteTab);
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
        QCOMPARE(window->KeywordPage->WordsLabel->text().remove(u'&'), QStringLiteral("Stichwörter"));
        QCOMPARE(window->KeywordPage->WordsLabel->buddy(), window->KeywordPage->WordsEdit);
    }

    // Results follow the typing, best first, as the engine ranks them; the line says how many.
    void keywordResultsFollowTheTyping() {
        KeywordSearchPage* page = window->KeywordPage;
        window->PageControl1->setCurrentWidget(page);
        focusOn(page->WordsEdit);
        page->WordsEdit->setText(QStringLiteral("büroreinigung")); // as typed: the results follow each change
        const std::vector<keyword::KeywordHit> expected =
            keyword::KeywordIndex::carried().search("büroreinigung", KeywordSearchPage::ResultLimit);
        QVERIFY(!expected.empty());
        QCOMPARE(page->Results->topLevelItemCount(), int(expected.size()));
        for (int row = 0; row < int(expected.size()); ++row)
            QCOMPARE(page->Results->topLevelItem(row)->text(0),
                     published(QString::fromStdString(expected[row].code)));
        QCOMPARE(page->Results->topLevelItem(0)->text(0), QStringLiteral("90919200-4"));
        QCOMPARE(page->CountLabel->text(), KeywordSearchPage::countText(expected.size(), expected.size()));
        // A broad word meets more codes than the list shows: the line tells both.
        page->WordsEdit->setText(QStringLiteral("ausrüstung"));
        std::size_t found = 0;
        keyword::KeywordIndex::carried().search("ausrüstung", 9454, &found);
        QVERIFY(found > KeywordSearchPage::ResultLimit);
        QCOMPARE(page->Results->topLevelItemCount(), int(KeywordSearchPage::ResultLimit));
        QCOMPARE(page->CountLabel->text(),
                 QStringLiteral("%1 Codes gefunden, die besten 200 in der Liste").arg(found));

        const std::pair<const char*, QString> counts[] = {{"xqzt", QStringLiteral("Keine Treffer")},
                                                          {"", QString()}};
        for (const auto& [words, count] : counts) {
            page->WordsEdit->setText(QString::fromUtf8(words));
            QCOMPARE(page->Results->topLevelItemCount(), 0);
            QCOMPARE(page->CountLabel->text(), count);
        }
        QCOMPARE(KeywordSearchPage::countText(1, 1), QStringLiteral("1 Code gefunden"));
        QCOMPARE(KeywordSearchPage::countText(12, 12), QStringLiteral("12 Codes gefunden"));
    }

    // Down leads into the results and Up from the first one back; Ctrl+C copies as in the grid;
    // Enter opens the code in the tree as the grid's double-click does.
    void keywordResultsAreUsedByKeyboard() {
        KeywordSearchPage* page = window->KeywordPage;
        window->PageControl1->setCurrentWidget(page);
        focusOn(page->WordsEdit);
        QTest::keyClicks(page->WordsEdit, QStringLiteral("saatgut"));
        QVERIFY(page->Results->topLevelItemCount() > 1);
        QTest::keyClick(page->WordsEdit, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), page->Results);
        QTest::keyClick(page->Results, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), page->WordsEdit);
        QTest::keyClick(page->WordsEdit, Qt::Key_Down);
        QTest::keyClick(page->Results, Qt::Key_Down);
        const QTreeWidgetItem* second = page->Results->topLevelItem(1);
        QCOMPARE(page->Results->currentItem(), second);
        QTest::keyClick(page->Results, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), second->text(0).left(8)); // the eight digits alone
        QTest::keyClick(page->Results, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboardText(), second->text(0) + u' ' + second->text(1));

        QTest::keyClick(page->Results, Qt::Key_Return);
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
        QCOMPARE(QApplication::focusWidget(), window->TreeView1);
        QVERIFY(window->TreeView1->currentItem()->text(0).startsWith(second->text(0).left(8) +
                                                                     QStringLiteral(": ")));
    }

    void aRejectedSearchReportsAndShowsAllRows() {
        window->Edit1->setText(QStringLiteral("03"));
        window->BitBtn1->click();
        QVERIFY(window->DataSource1->rowCount() < 9454);

        QString reported;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&reported] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !reported.isEmpty())
                return;
            reported = box->windowTitle() + QLatin1Char('|') + box->text();
            if (box->icon() != QMessageBox::Critical)
                reported += QStringLiteral(" (not an error icon)");
            box->button(QMessageBox::Ok)->click();
        });
        poll.start(10);
        window->Edit1->clear();
        window->Edit2->setText(QStringLiteral("x' or y"));
        window->BitBtn1->click();
        QCOMPARE(reported, QStringLiteral("Kodexa|ClientDataSet1: Das Feld 'Y' wurde nicht gefunden."));
        QCOMPARE(window->DataSource1->rowCount(), 9454);
        QVERIFY(!DlgStatus->isVisible());
        QVERIFY(window->isEnabled());
    }

    void sortingByDescriptionKeepsTheCurrentRecord() {
        StatusWatcher watcher(DlgStatus);
        window->DBGrid1->selectRow(40);
        const QString current = QString::fromStdString(window->ClientDataSet1.fieldAsString("CPV_ID"));
        QCOMPARE(window->DataSource1->index(40, 0).data().toString(), current);

        QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
        QVERIFY(window->RadioButton2->isChecked());
        QVERIFY(!window->RadioButton1->isChecked());
        QCOMPARE(watcher.shownTexts, QStringList{QStringLiteral("Datensätze werden sortiert ...")});
        QCOMPARE(QString::fromStdString(window->ClientDataSet1.fieldAsString("CPV_ID")), current);
        const int row = window->DBGrid1->currentIndex().row();
        QCOMPARE(window->DataSource1->index(row, 0).data().toString(), current);
        QVERIFY(window->DataSource1->index(0, 1).data().toString().startsWith(QLatin1Char('A')));

        QTest::mouseClick(window->RadioButton2, Qt::LeftButton); // already checked: nothing happens
        QCOMPARE(watcher.shownTexts.size(), 1);
    }

    // A new order reads the view again around the current record: it stays current and keeps
    // its line in the grid where enough rows precede it, else it moves up; at the end of the view
    // the grid stays full and it moves down.
    void theCurrentRecordKeepsItsLineWhenTheOrderChanges() {
        TDBGrid* grid = window->DBGrid1;
        const auto line = [grid] {
            const QRect cell = grid->visualRect(grid->currentIndex());
            return cell.top() / grid->rowHeight(grid->currentIndex().row());
        };
        const auto code = [this] { return window->ClientDataSet1.fieldAsString("CPV_ID"); };

        // Erdnüsse on the sixth line, in both directions.
        grid->selectRow(5);
        QCOMPARE(code(), std::string("03111200"));
        QCOMPARE(line(), 5);
        QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
        QCOMPARE(code(), std::string("03111200"));
        const int inDescriptionOrder = grid->currentIndex().row();
        QVERIFY(inDescriptionOrder > 1000);
        QCOMPARE(line(), 5);
        QCOMPARE(grid->rowAt(0), inDescriptionOrder - 5);
        QCOMPARE(window->DataSource1->topRow(), inDescriptionOrder - 5);
        QTest::mouseClick(window->RadioButton1, Qt::LeftButton);
        QCOMPARE(code(), std::string("03111200"));
        QCOMPARE(grid->currentIndex().row(), 5);
        QCOMPARE(grid->rowAt(0), 0);
        QCOMPARE(line(), 5);

        // Further down the list, on the thirteenth line.
        grid->scrollTo(window->DataSource1->index(300, 0), QAbstractItemView::PositionAtTop);
        grid->selectRow(312);
        QCOMPARE(line(), 12);
        const std::string record = code();
        QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
        QCOMPARE(code(), record);
        QCOMPARE(line(), 12);
        QTest::mouseClick(window->RadioButton1, Qt::LeftButton);
        QCOMPARE(grid->rowAt(0), 300);
        QCOMPARE(grid->currentIndex().row(), 312);

        // The fourth description in the alphabet, moved to the eleventh line in code order: only
        // three rows precede it, so it moves up to the fourth line.
        QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
        const QString fourth = window->DataSource1->index(3, 0).data().toString();
        const QString last =
            window->DataSource1->index(window->DataSource1->rowCount() - 1, 0).data().toString();
        QTest::mouseClick(window->RadioButton1, Qt::LeftButton);
        const auto codeRow = [this](const QString& wanted) {
            for (int row = 0; row < window->DataSource1->rowCount(); ++row) {
                if (window->DataSource1->index(row, 0).data().toString() == wanted)
                    return row;
            }
            return -1;
        };
        const int fourthRow = codeRow(fourth);
        QVERIFY(fourthRow >= 10);
        grid->scrollTo(window->DataSource1->index(fourthRow - 10, 0), QAbstractItemView::PositionAtTop);
        grid->selectRow(fourthRow);
        QCOMPARE(line(), 10);
        QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
        QCOMPARE(grid->currentIndex().row(), 3);
        QCOMPARE(grid->rowAt(0), 0);
        QCOMPARE(line(), 3);

        // The last description, on the third line in code order: the grid stays full, so it
        // ends up on the last whole line.
        QTest::mouseClick(window->RadioButton1, Qt::LeftButton);
        const int lastRow = codeRow(last);
        QVERIFY(lastRow >= 2);
        grid->scrollTo(window->DataSource1->index(lastRow - 2, 0), QAbstractItemView::PositionAtTop);
        grid->selectRow(lastRow);
        QCOMPARE(line(), 2);
        QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
        const int wholeLines = grid->viewport()->height() / grid->rowHeight(0);
        QVERIFY(wholeLines > 10);
        QCOMPARE(grid->currentIndex().row(), 9453);
        QCOMPARE(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
        QCOMPARE(window->DataSource1->topRow(), 9454 - wholeLines);
        QCOMPARE(line(), wholeLines - 1);
        // ...and from there the record keeps that line when the order changes back.
        QTest::mouseClick(window->RadioButton1, Qt::LeftButton);
        QCOMPARE(grid->currentIndex().row(), lastRow);
        QCOMPARE(line(), wholeLines - 1);
        QCOMPARE(grid->rowAt(0), lastRow - (wholeLines - 1));

        // A search still shows its view from the first row.
        window->Edit1->setText(QStringLiteral("0"));
        window->BitBtn1->click();
        QCOMPARE(grid->rowAt(0), 0);
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    // Under a filter the same rule holds for every line and record: the line is kept, as far as
    // the rows before the record and after it in the new order allow.
    void theLineRuleHoldsUnderAFilter() {
        TDBGrid* grid = window->DBGrid1;
        window->Edit1->setText(QStringLiteral("03"));
        window->BitBtn1->click();
        const int rows = window->DataSource1->rowCount();
        const int wholeLines = grid->viewport()->height() / grid->rowHeight(0);
        QVERIFY(rows > 2 * wholeLines);
        for (int row = 0; row < rows; row += 7) {
            // Near the end the grid cannot scroll far enough to put the row higher up.
            const int wantedLine = std::max(row % wholeLines, row - (rows - wholeLines));
            grid->scrollTo(window->DataSource1->index(row - wantedLine, 0), QAbstractItemView::PositionAtTop);
            grid->selectRow(row);
            QCOMPARE(window->DataSource1->topRow(), row - wantedLine); // as the grid reports it
            QRadioButton* other =
                window->RadioButton1->isChecked() ? window->RadioButton2 : window->RadioButton1;
            QTest::mouseClick(other, Qt::LeftButton);
            QCOMPARE(window->DataSource1->rowCount(), rows);
            const int position = grid->currentIndex().row();
            const int top = std::clamp(position - wantedLine, 0, rows - wholeLines);
            QCOMPARE(window->DataSource1->topRow(), top);
            QCOMPARE(grid->visualRect(grid->currentIndex()).top() / grid->rowHeight(0), position - top);
        }
    }

    void aClickInTheGridMovesTheCursor() {
        const QModelIndex index = window->DataSource1->index(5, 1);
        const QRect cell = window->DBGrid1->visualRect(index);
        QTest::mouseClick(window->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(window->ClientDataSet1.recNo(), std::optional<std::size_t>(5));
    }

    void beendenEndsTheProgram() {
        QTimer::singleShot(0, window->Beenden1, &QAction::trigger);
        QTimer::singleShot(5000, [] { QApplication::exit(99); }); // only if quitting failed
        QCOMPARE(QApplication::exec(), 0);
    }

    void theLayoutFollowsTheWindowDefinition() {
        QCOMPARE(window->size(), QSize(687, window->menuBar()->height() + 594));
        QCOMPARE(window->PageControl1->geometry(), QRect(0, window->menuBar()->height(), 687, 575));
        QCOMPARE(window->StatusBar1->geometry(), QRect(0, window->menuBar()->height() + 575, 687, 19));
        QCOMPARE(window->TabSheet1->size(), QSize(679, 547));
        QCOMPARE(window->TabSheet1->mapTo(window->PageControl1, QPoint(0, 0)), QPoint(4, 24));
        QCOMPARE(window->Panel1->geometry(), QRect(0, 0, 679, 73));
        QCOMPARE(window->DBGrid1->geometry(), QRect(0, 73, 679, 433));
        QCOMPARE(window->Panel2->geometry(), QRect(0, 506, 679, 41));
        QCOMPARE(window->BitBtn2->geometry(), QRect(583, 8, 91, 25));
        QCOMPARE(window->Edit1->geometry(), QRect(120, 8, 177, 21));
        QCOMPARE(window->BitBtn1->geometry(), QRect(328, 40, 105, 25));
    }

    void theInputsKeepAPasteOfAnyLength() {
        QString text;
        while (text.size() < 40000)
            text += QStringLiteral("Früchte, Gemüse 0123456789 ");
        text.truncate(40000);
        QApplication::clipboard()->setText(text);
        for (QLineEdit* edit : {window->Edit1, window->Edit2}) {
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(edit->text().size(), 40000);
            QCOMPARE(edit->text(), text);
            QTest::keyClicks(edit, QStringLiteral("xy")); // typing goes on past the old limit too
            QCOMPARE(edit->text().size(), 40002);
        }
        // Such a search finds nothing and loses none of the typed text.
        window->BitBtn1->click();
        QCOMPARE(window->DataSource1->rowCount(), 0);
        QCOMPARE(window->Edit2->text(), text + QStringLiteral("xy"));
    }

    void theToolkitsOwnTextsAreGerman() {
        // The German texts come from the toolkit's translations; each must differ from the English.
        const auto german = [](const char* context, const char* english) {
            const QString translated = QCoreApplication::translate(context, english);
            return translated == QLatin1String(english) ? QString() : translated;
        };
        window->Edit1->setText(QStringLiteral("03"));
        const std::unique_ptr<QMenu> menu(window->Edit1->createStandardContextMenu());
        QStringList entries;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                entries << action->text().section(QLatin1Char('\t'), 0, 0);
        }
        const QStringList expected{german("QLineEdit", "&Undo"),     german("QLineEdit", "&Redo"),
                                   german("QLineEdit", "Cu&t"),      german("QLineEdit", "&Copy"),
                                   german("QLineEdit", "&Paste"),    german("QLineEdit", "Delete"),
                                   german("QLineEdit", "Select All")};
        QVERIFY(!expected.contains(QString()));
        QCOMPARE(entries, expected);
        QCOMPARE(entries.front(), QStringLiteral("&Rückgängig"));

        QMessageBox box(QMessageBox::Question, QStringLiteral("Kodexa"), QStringLiteral("?"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No,
                        window.get());
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK")); // the same in German
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), german("QPlatformTheme", "Cancel"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(box.button(QMessageBox::Yes)->text(), german("QPlatformTheme", "&Yes"));
        QCOMPARE(box.button(QMessageBox::No)->text(), german("QPlatformTheme", "&No"));
    }

    void resizingKeepsThePanelsAndMovesThePrintButton() {
        window->resize(900, 800);
        QTest::qWait(0);
        QCOMPARE(window->Panel1->height(), 73);
        QCOMPARE(window->Panel2->height(), 41);
        QCOMPARE(window->Panel2->width() - window->BitBtn2->geometry().right() - 1, 679 - 583 - 91);
        QCOMPARE(window->Panel2->height() - window->BitBtn2->geometry().bottom() - 1, 41 - 8 - 25);
        QCOMPARE(window->DBGrid1->height(), window->TabSheet1->height() - 73 - 41);
        QCOMPARE(window->StatusBar1->currentMessage(), QString());
    }

    // A code typed with a check digit that is not the published one still searches its eight
    // digits; the status bar says which digit is published, and stays empty otherwise.
    void aWrongCheckDigitIsToldAtOnce() {
        const std::pair<QString, QString> cases[] = {
            {QStringLiteral("45233140-9"),
             QStringLiteral("Prüfziffer passt nicht: veröffentlicht ist 45233140-2")},
            {QStringLiteral("45233140-2"), QString()},
            {QStringLiteral(" 03000000-7 "),
             QStringLiteral("Prüfziffer passt nicht: veröffentlicht ist 03000000-1")},
            {QStringLiteral("4523"), QString()},
        };
        for (const auto& [typed, note] : cases) {
            window->Edit1->setText(typed);
            QCOMPARE(window->StatusBar1->currentMessage(), note);
        }
        window->Edit1->setText(QStringLiteral("45233140-9"));
        window->BitBtn1->click();
        QCOMPARE(window->DataSource1->rowCount(), 1);
        QCOMPARE(window->DataSource1->index(0, 0).data().toString(), QStringLiteral("45233140"));
        window->Edit1->clear();
        QCOMPARE(window->StatusBar1->currentMessage(), QString());
        // The keyword page checks a code written anywhere in the words, and still finds it.
        window->PageControl1->setCurrentWidget(window->KeywordPage);
        window->KeywordPage->WordsEdit->setText(QStringLiteral("Straßenarbeiten 45233140–9"));
        QCOMPARE(window->StatusBar1->currentMessage(),
                 QStringLiteral("Prüfziffer passt nicht: veröffentlicht ist 45233140-2"));
        QCOMPARE(window->KeywordPage->currentCode(), std::string("45233140"));
        window->KeywordPage->WordsEdit->setText(QStringLiteral("Straßenarbeiten 45233140-2"));
        QCOMPARE(window->StatusBar1->currentMessage(), QString());
    }

    void aDoubleClickOpensTheTreeAtTheRowsCode() {
        window->Edit1->setText(QStringLiteral("3451"));
        window->BitBtn1->click();
        window->DBGrid1->selectRow(2);
        const QString code = window->DataSource1->index(2, 0).data().toString();
        QCOMPARE(window->TreeView1->topLevelItemCount(), 0); // never shown yet
        const QRect cell = window->DBGrid1->visualRect(window->DataSource1->index(2, 1));
        QTest::mouseDClick(window->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
        QCOMPARE(window->TreeView1->topLevelItemCount(), 1);
        QVERIFY(window->ProgressBar1->isHidden());
        const QList<QTreeWidgetItem*> selected = window->TreeView1->selectedItems();
        QCOMPARE(selected.size(), 1);
        QVERIFY(selected.front()->text(0).startsWith(code + QStringLiteral(": ")));
        QCOMPARE(window->focusWidget(), window->TreeView1);
        QVERIFY(!window->QueryCPVTree.active());
    }

    void onlyTheLeftButtonsDoubleClickOpensTheTree() {
        window->DBGrid1->selectRow(2);
        const QRect cell = window->DBGrid1->visualRect(window->DataSource1->index(2, 1));
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mouseDClick(window->DBGrid1->viewport(), button, {}, cell.center());
            QTest::mouseDClick(window->DBGrid1->horizontalHeader()->viewport(), button, {}, QPoint(20, 8));
            QTest::mouseDClick(window->DBGrid1->verticalHeader()->viewport(), button, {}, QPoint(5, 30));
            QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
            QCOMPARE(window->TreeView1->topLevelItemCount(), 0);
        }
        QTest::mouseDClick(window->DBGrid1->horizontalHeader()->viewport(), Qt::LeftButton, {},
                           QPoint(20, 8));
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
        QCOMPARE(window->TreeView1->topLevelItemCount(), 1);
    }

    void theTreeHasClassicLinesAndScrollsLongTexts() {
        window->PageControl1->setCurrentWidget(window->TabSheet2);
        QTest::qWait(0);
        QTreeWidgetItem* root = window->TreeView1->topLevelItem(0);
        QVERIFY(root != nullptr && root->isExpanded());
        QTreeWidgetItem* division = root->child(0); // collapsed, with children and a sibling below
        QVERIFY(division->childCount() > 0 && !division->isExpanded());
        const QRect row = window->TreeView1->visualItemRect(division);
        QCOMPARE(row.height(), 16);

        // The indentation step left of the node holds the dotted lines and the plus box.
        const QImage picture = window->TreeView1->viewport()->grab().toImage();
        const QRect branch(row.left() - window->TreeView1->indentation(), row.top(),
                           window->TreeView1->indentation(), row.height());
        int linePixels = 0;
        int signPixels = 0;
        for (int y = branch.top(); y <= branch.bottom(); ++y) {
            for (int x = branch.left(); x <= branch.right(); ++x) {
                const QRgb pixel = picture.pixel(x, y);
                linePixels += pixel == qRgb(128, 128, 128) ? 1 : 0;
                signPixels += qGray(pixel) < 64 ? 1 : 0;
            }
        }
        QVERIFY2(linePixels >= 20, qPrintable(QString::number(linePixels)));
        QCOMPARE(signPixels, 9); // a plus of two 5-pixel strokes

        // The first division's text reaches past the page's right edge: it scrolls instead of being cut.
        const int textRight =
            row.left() + window->TreeView1->fontMetrics().horizontalAdvance(division->text(0));
        QVERIFY(textRight > window->TreeView1->viewport()->width());
        QVERIFY(window->TreeView1->horizontalScrollBar()->maximum() > 0);
        QVERIFY(window->TreeView1->header()->sectionSize(0) >= textRight);
    }

    void aDoubleClickOnAnEmptyViewDoesNothing() {
        window->Edit1->setText(QStringLiteral("abc"));
        window->BitBtn1->click();
        QCOMPARE(window->DataSource1->rowCount(), 0);
        QTest::mouseDClick(window->DBGrid1->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
        QCOMPARE(window->TreeView1->topLevelItemCount(), 0);
    }

    void printingShowsThePreviewAndLeavesTheTableAsItWas() {
        window->Edit1->setText(QStringLiteral("03"));
        window->BitBtn1->click();
        QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
        window->DBGrid1->selectRow(7);
        const std::string current = window->ClientDataSet1.fieldAsString("CPV_ID");

        const PrintRun run = printAndClosePreview();

        QCOMPARE(run.statusLine, QStringLiteral("Drucke Seite 1"));
        QVERIFY(run.previewStatus.startsWith(QStringLiteral("Page 1 of ")));
        QCOMPARE(window->ClientDataSet1.fieldAsString("CPV_ID"), current);
        QCOMPARE(window->ClientDataSet1.indexFieldNames(), std::string("CPV_DESC"));
        QVERIFY(window->ClientDataSet1.filtered());
        QCOMPARE(window->DBGrid1->currentIndex().row(), 7);
    }

    // The print run walks the table to its end; afterwards the grid shows the same stretch as before.
    void afterPrintingTheCurrentRecordKeepsItsLine() {
        window->Edit1->setText(QStringLiteral("03"));
        window->BitBtn1->click();
        TDBGrid* grid = window->DBGrid1;
        grid->scrollTo(window->DataSource1->index(100, 0), QAbstractItemView::PositionAtTop);
        grid->selectRow(110);
        QCOMPARE(grid->rowAt(0), 100);

        printAndClosePreview();

        QCOMPARE(grid->currentIndex().row(), 110);
        QCOMPARE(grid->rowAt(0), 100);
    }

    void theSplashShowsBeforeTheWindowForFiveSeconds() {
        CountingClock splashClock;
        splashClock.ticks = 0xFFFFF000; // the counter wraps during the wait
        bool windowVisibleDuringSplash = false;
        bool splashVisible = true;
        splashClock.onSleep = [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->windowTitle() == QStringLiteral("Über") && !widget->isVisible())
                    splashVisible = false;
                auto* other = qobject_cast<TDlgSearchCPV*>(widget);
                if (other != nullptr && other != window.get() && other->isVisible())
                    windowVisibleDuringSplash = true;
            }
        };
        auto second = std::make_unique<TDlgSearchCPV>(&splashClock);
        QCOMPARE(splashClock.sleeps, 50);
        QVERIFY(splashVisible);
        QVERIFY(!windowVisibleDuringSplash);
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY(widget->windowTitle() != QStringLiteral("Über")); // destroyed after the wait
    }

    // ---- Copying codes ---------------------------------------------------------------------------

    void ctrlCInTheGridCopiesTheCurrentRowsCodeAndCtrlShiftCItsDescriptionToo() {
        window->Edit1->setText(QStringLiteral("3451"));
        window->BitBtn1->click();
        // The description column is current: the view's own copy would take the description.
        const QRect cell = window->DBGrid1->visualRect(window->DataSource1->index(2, 1));
        QTest::mouseClick(window->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        const QString code = window->DataSource1->index(2, 0).data().toString();
        const QString description = window->DataSource1->index(2, 1).data().toString();
        QCOMPARE(code.size(), 8);

        focusOn(window->DBGrid1);
        QApplication::clipboard()->clear();
        QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), code);
        QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboardText(), published(code) + QLatin1Char(' ') + description);
        if (QApplication::clipboard()->supportsSelection())
            QCOMPARE(QApplication::clipboard()->text(QClipboard::Selection), clipboardText());
        QCOMPARE(window->ClientDataSet1.recNo(), std::optional<std::size_t>(2));

        // Characters beyond ASCII reach the clipboard as they are shown.
        window->Edit1->setText(QStringLiteral("03221000"));
        window->BitBtn1->click();
        focusOn(window->DBGrid1);
        QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboardText(), QStringLiteral("03221000-6 Gemüse"));

        // An empty view has no current row: nothing is copied, the clipboard keeps what it held.
        window->Edit1->setText(QStringLiteral("abc"));
        window->BitBtn1->click();
        focusOn(window->DBGrid1);
        QApplication::clipboard()->setText(QStringLiteral("vorher"));
        QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboardText(), QStringLiteral("vorher"));
    }

    void aRightClickOnAGridRowMakesItCurrentAndOffersBothCopies() {
        window->Edit1->setText(QStringLiteral("03"));
        window->BitBtn1->click();
        window->DBGrid1->selectRow(1);
        const QRect cell = window->DBGrid1->visualRect(window->DataSource1->index(4, 1));
        requestContextMenu(window->DBGrid1->viewport(), QContextMenuEvent::Mouse, cell.center());

        QCOMPARE(window->ClientDataSet1.recNo(), std::optional<std::size_t>(4));
        QCOMPARE(window->DBGrid1->currentIndex().row(), 4);
        QMenu* menu = window->GridCopy->menu();
        QVERIFY(menu->isVisible());
        checkMenuEntries(menu, true, GridMenu);
        // The right-click leaves the table page; only the left double-click opens the tree.
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet1);
        QCOMPARE(window->TreeView1->topLevelItemCount(), 0);

        const QString code = window->DataSource1->index(4, 0).data().toString();
        const QString description = window->DataSource1->index(4, 1).data().toString();
        menu->actions().at(1)->trigger();
        menu->hide();
        QCOMPARE(clipboardText(), published(code) + QLatin1Char(' ') + description);
        menu->actions().at(0)->trigger();
        QCOMPARE(clipboardText(), code);

        // Below the last row there is no row to act on: no menu, the current row stays.
        window->Edit1->setText(QStringLiteral("0312"));
        window->BitBtn1->click();
        window->DBGrid1->selectRow(1);
        const int rows = window->DataSource1->rowCount();
        QCOMPARE(rows, 5);
        const QRect last = window->DBGrid1->visualRect(window->DataSource1->index(rows - 1, 0));
        requestContextMenu(window->DBGrid1->viewport(), QContextMenuEvent::Mouse,
                           last.center() + QPoint(0, 3 * last.height()));
        QVERIFY(!menu->isVisible());
        QCOMPARE(window->ClientDataSet1.recNo(), std::optional<std::size_t>(1));
    }

    void theMenuKeyAndShiftF10OpenTheGridsMenuAtTheCurrentRow() {
        focusOn(window->DBGrid1);
        window->DBGrid1->selectRow(6);
        QMenu* menu = window->GridCopy->menu();
        const QRect row = window->DBGrid1->visualRect(window->DataSource1->index(6, 0));
        const QPoint below = window->DBGrid1->viewport()->mapToGlobal(row.bottomLeft());

        requestContextMenu(window->DBGrid1, QContextMenuEvent::Keyboard);
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), below);
        checkMenuEntries(menu, true, GridMenu);
        menu->hide();
        QTest::keyClick(window->DBGrid1, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), below);
        menu->hide();
        QCOMPARE(window->ClientDataSet1.recNo(), std::optional<std::size_t>(6));

        // On an empty view the menu opens with nothing to copy; afterwards the shortcuts work again.
        window->Edit1->setText(QStringLiteral("abc"));
        window->BitBtn1->click();
        requestContextMenu(window->DBGrid1, QContextMenuEvent::Keyboard);
        QVERIFY(menu->isVisible());
        checkMenuEntries(menu, false, GridMenu);
        menu->hide();
        QVERIFY(window->GridCopy->copyCode()->isEnabled());
        window->Edit1->clear();
        window->BitBtn1->click();
        focusOn(window->DBGrid1);
        QTest::keyClick(window->DBGrid1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("03000000"));
    }

    void theTreeCopiesTheSelectedNodesCodeAndNothingForTheRoot() {
        window->PageControl1->setCurrentWidget(window->TabSheet2);
        QTreeWidget* tree = window->TreeView1;
        focusOn(tree);
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QTreeWidgetItem* division = root->child(0);
        QVERIFY(!division->isExpanded());

        // A right-click selects the node without opening it.
        requestContextMenu(tree->viewport(), QContextMenuEvent::Mouse,
                           tree->visualItemRect(division).center());
        QCOMPARE(tree->currentItem(), division);
        QVERIFY(!division->isExpanded());
        QMenu* menu = window->TreeCopy->menu();
        QVERIFY(menu->isVisible());
        checkMenuEntries(menu, true, TreeMenu);
        menu->actions().at(0)->trigger();
        menu->hide();
        QCOMPARE(clipboardText(), QStringLiteral("03000000"));

        QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboardText(),
                 division->text(0).replace(QStringLiteral("03000000: "), QStringLiteral("03000000-1 ")));
        QVERIFY(clipboardText().startsWith(QStringLiteral("03000000-1 Landwirtschaftliche Erzeugnisse")));

        // A description holding ": " is copied whole.
        window->PageControl1->setCurrentWidget(window->TabSheet1);
        window->Edit1->setText(QStringLiteral("72000000"));
        window->BitBtn1->click();
        QTest::mouseDClick(window->DBGrid1->viewport(), Qt::LeftButton, {},
                           window->DBGrid1->visualRect(window->DataSource1->index(0, 1)).center());
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
        QVERIFY(tree->currentItem()->text(0).startsWith(QStringLiteral("72000000: ")));
        focusOn(tree);
        QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("72000000"));
        QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboardText(), QStringLiteral("72000000-5 IT-Dienste: Beratung, Software-Entwicklung, "
                                                 "Internet und Hilfestellung"));

        // The root stands for no code: its items are disabled and the shortcuts copy nothing.
        tree->setCurrentItem(root);
        QApplication::clipboard()->setText(QStringLiteral("vorher"));
        QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(clipboardText(), QStringLiteral("vorher"));
        requestContextMenu(tree, QContextMenuEvent::Keyboard);
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), tree->viewport()->mapToGlobal(tree->visualItemRect(root).bottomLeft()));
        checkMenuEntries(menu, false, TreeMenu);
        menu->hide();
        requestContextMenu(tree->viewport(), QContextMenuEvent::Mouse,
                           tree->visualItemRect(division).center());
        QCOMPARE(tree->currentItem(), division);
        checkMenuEntries(menu, true, TreeMenu);
        menu->hide();
    }

private:
    struct PrintRun {
        QString statusLine;    // the report status window's first text
        QString previewStatus; // the preview's status bar
    };

    // "D&rucken", closing the preview as soon as it shows.
    PrintRun printAndClosePreview() {
        PrintRun run;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (!widget->isVisible())
                    continue;
                if (widget->objectName() == QStringLiteral("RPStatusForm") && run.statusLine.isEmpty())
                    run.statusLine = widget->findChild<QLabel*>(QStringLiteral("StatusLabel"))->text();
                if (widget->objectName() == QStringLiteral("RavePreviewForm")) {
                    QCOMPARE(widget->windowTitle(), QStringLiteral("Vorschau"));
                    run.previewStatus = widget->findChild<QStatusBar*>()->currentMessage();
                    if (run.previewStatus.isEmpty())
                        run.previewStatus = widget->findChild<QStatusBar*>()->findChild<QLabel*>()->text();
                    widget->close();
                }
            }
        });
        poll.start(0);
        window->BitBtn2->click();
        poll.stop();
        return run;
    }

    // Shortcuts reach the focus widget of the active window; the status window of a search takes
    // the activation away offscreen.
    void focusOn(QWidget* widget) {
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        widget->setFocus();
        QCOMPARE(QApplication::focusWidget(), widget);
    }

    enum MenuOf { TreeMenu, GridMenu };

    // The two copy entries in German with their shortcuts, as the menu shows them; below them,
    // after a separator, the grid's "In Baumansicht anzeigen" and both views' "Zur Merkliste
    // hinzufügen".
    static void checkMenuEntries(QMenu* menu, bool enabled, MenuOf view) {
        const QList<QAction*> entries = menu->actions();
        QCOMPARE(entries.size(), view == GridMenu ? 5 : 4);
        QVERIFY(entries[2]->isSeparator());
        if (view == GridMenu) {
            QCOMPARE(entries[3]->text(), QStringLiteral("In Baumansicht anzeigen"));
            QCOMPARE(entries[3]->shortcut().toString(QKeySequence::NativeText),
                     QStringLiteral("Strg+Eingabe"));
            QCOMPARE(entries[3]->shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Return),
                                                                   QKeySequence(Qt::CTRL | Qt::Key_Enter)}));
            QCOMPARE(entries[3]->isEnabled(), enabled);
        }
        QCOMPARE(entries.back()->text(), QStringLiteral("Zur Merkliste hinzufügen"));
        QCOMPARE(entries.back()->shortcut(), QKeySequence(Qt::Key_Insert));
        QCOMPARE(entries.back()->isEnabled(), enabled);
        QCOMPARE(entries[0]->text(), QStringLiteral("Code kopieren"));
        QCOMPARE(entries[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
        QCOMPARE(entries[0]->shortcut().toString(QKeySequence::NativeText), QStringLiteral("Strg+C"));
        QCOMPARE(entries[1]->text(), QStringLiteral("Code und Bezeichnung kopieren"));
        QCOMPARE(entries[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
        QCOMPARE(entries[1]->shortcut().toString(QKeySequence::NativeText),
                 QStringLiteral("Strg+Umschalt+C"));
        QCOMPARE(entries[0]->isEnabled(), enabled);
        QCOMPARE(entries[1]->isEnabled(), enabled);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
