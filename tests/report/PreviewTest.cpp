// The preview window: its commands, keys, page and zoom fields, and saving and opening page files.
// Dialogs are answered by ScriptedPrompts; the window itself is driven as a user would.
#include "PageFile.h"
#include "PageFiles.h"
#include "PreviewForm.h"
#include "PreviewHarness.h"
#include "SetupForm.h"
#include "StatusForm.h"
#include "WindowDriver.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QWidgetAction>
#include <QtTest>

#include <cmath>

using namespace kodexa;
using namespace kodexa::report;
using testsupport::ScriptedPrompts;

namespace {

constexpr double A4Width = 8.2677;
constexpr double A4Height = 11.6929;

SystemSettings previewSettings() {
    SystemSettings settings;
    settings.titlePreview = QStringLiteral("Vorschau");
    return settings;
}

// Every text a window shows: its caption, its controls' texts and its commands' captions and hints.
QStringList textsOf(const QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        texts << widget->toolTip();
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            texts << label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            texts << button->text();
        if (const auto* group = qobject_cast<const QGroupBox*>(widget))
            texts << group->title();
        if (const auto* menu = qobject_cast<const QMenu*>(widget))
            texts << menu->title();
    }
    for (const QAction* action : window.findChildren<QAction*>())
        texts << action->text() << action->toolTip() << action->statusTip();
    texts.removeAll(QString());
    return texts;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandsCarryTheirCaptionsHintsAndShortcuts();
    void theToolBarAndTheMenusListTheCommandsInOrder();
    void saveAndPrintFollowTheOutputOptions();
    void zoomStaysBetweenTenAndTwoHundred();
    void theZoomFieldTakesOneDigitAfterThePoint();
    void typingAPageNumberShowsThatPage();
    void lettersRunCommandsBeforeTheFocusedField();
    void pageKeysScrollAndTurnPagesAtTheEnds();
    void escapeClosesThePreviewAndSoDoesX();
    void fitToPageAndToPageWidthFillThePageArea();
    void goToPageAsksForANumber();
    void aSavedPageFileOpensAgainAsTheSamePictures();
    void savingAsPdfWritesThePagesAndTheirText();
    void aBadPageFileIsReportedAndThePreviewKeepsItsPages();
    void aFailedSaveIsReported();
    void theStandardErrorReportIsACriticalBoxCaptionedWithTheApplication();
    void theStandardFileDialogsAskBeforeOverwritingAndOpenOnlyExistingFiles();
    void theWindowHasItsOuterSizeCentredOnTheScreen();
    void theToolkitsGermanTextsLeaveTheWindowsEnglish();

private:
    QAction* action(const char* name) const {
        return preview->findChild<QAction*>(QString::fromLatin1(name));
    }
    template <typename Widget = QWidget> Widget* child(const char* name) const {
        return preview->findChild<Widget*>(QString::fromLatin1(name));
    }
    QLineEdit* pageEdit() const { return child<QLineEdit>("PageEdit"); }
    QLineEdit* zoomEdit() const { return child<QLineEdit>("ZoomEdit"); }
    QScrollArea* scrollBox() const { return child<QScrollArea>("ScrollBox1"); }
    QWidget* pageView() const { return scrollBox()->widget(); }
    QString statusText() const { return child<QLabel>("StatusText")->text(); }
    void typeInto(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    QImage pictureOfPage(int page) {
        preview->showPage(page);
        return pageView()->grab().toImage();
    }

    std::shared_ptr<const PageStore> pages;
    SystemSettings settings;
    ScriptedPrompts prompts;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<testsupport::PdfFilePrinters> printers;
    std::unique_ptr<TRavePreviewForm> preview;
};

void PreviewTest::initTestCase() {
    pages = testsupport::codeListPages("PREFIX 03");
    QVERIFY(pages->pageCount() >= 5);
}

void PreviewTest::init() {
    settings = previewSettings();
    prompts = ScriptedPrompts();
    folder = std::make_unique<QTemporaryDir>();
    printers =
        std::make_unique<testsupport::PdfFilePrinters>(folder->filePath(QStringLiteral("printed.pdf")));
    preview = std::make_unique<TRavePreviewForm>(pages, settings, nullptr,
                                                 PreviewServices{&prompts, printers.get()});
    preview->show();
    preview->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(preview.get()));
}

void PreviewTest::cleanup() {
    preview.reset();
    printers.reset();
    folder.reset();
}

void PreviewTest::commandsCarryTheirCaptionsHintsAndShortcuts() {
    struct Command {
        const char* name;
        const char* caption;
        const char* hint;
        QKeySequence shortcut;
    };
    const std::vector<Command> commands{
        {"actnFile_Open", "&Open", "Open another report", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"actnFile_Save", "&Save As", "Save report", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"actnFile_Print", "&Print", "Print report", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"actnFile_Exit", "E&xit", "Exit viewer", QKeySequence()},
        {"actnPage_First", "&First", "Move to first page", QKeySequence(Qt::CTRL | Qt::Key_Home)},
        {"actnPage_Previous", "&Previous", "Move to previous page", QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
        {"actnPage_Next", "&Next", "Move to next page", QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
        {"actnPage_Last", "&Last", "Move to last page", QKeySequence(Qt::CTRL | Qt::Key_End)},
        {"actnPage_GotoPage", "&Go to Page #", "Go to specified page", QKeySequence(Qt::CTRL | Qt::Key_G)},
        {"actnZoom_In", "Zoom &In", "Zoom In (+)", QKeySequence()},
        {"actnZoom_Out", "Zoom &Out", "Zoom Out (-)", QKeySequence()},
        {"actnZoom_PageWidth", "Fit to Page &Width", "Zoom to fit page width",
         QKeySequence(Qt::CTRL | Qt::Key_W)},
        {"actnZoom_Page", "Fit to &Page", "Zoom to fit page", QKeySequence(Qt::CTRL | Qt::Key_F)},
    };
    for (const Command& command : commands) {
        const QAction* found = action(command.name);
        QVERIFY2(found, command.name);
        QCOMPARE(found->text(), QString::fromUtf8(command.caption));
        QCOMPARE(found->toolTip(), QString::fromUtf8(command.hint));
        QCOMPARE(found->shortcut(), command.shortcut);
    }
    QCOMPARE(preview->windowTitle(), QStringLiteral("Vorschau"));
    QCOMPARE(preview->frameGeometry().size(), QSize(615, 450)); // frame included
    QCOMPARE(statusText(), QStringLiteral("Page 1 of %1").arg(pages->pageCount()));
    QCOMPARE(zoomEdit()->text(), QStringLiteral("100.0"));
    // No shadow and no margin: the page is exactly its size at 96 pixels to the inch.
    QCOMPARE(pageView()->size(), QSize(qRound(A4Width * 96), qRound(A4Height * 96)));

    // The page area's context menu zooms.
    QStringList contextMenu;
    for (const QAction* entry : pageView()->actions())
        contextMenu.append(entry->objectName());
    QCOMPARE(pageView()->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(contextMenu, (QStringList{"actnZoom_In", "actnZoom_Out"}));
}

void PreviewTest::theToolBarAndTheMenusListTheCommandsInOrder() {
    auto* toolBar = child<QToolBar>("ToolBar1");
    QCOMPARE(toolBar->height(), 25);
    QStringList items;
    for (QAction* entry : toolBar->actions()) {
        if (entry->isSeparator()) {
            items.append(QStringLiteral("|"));
        } else if (auto* widgetAction = qobject_cast<QWidgetAction*>(entry)) {
            QWidget* widget = toolBar->widgetForAction(widgetAction);
            auto* label = qobject_cast<QLabel*>(widget);
            items.append(label ? label->text() : widget->objectName());
        } else {
            items.append(entry->objectName());
            auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(entry));
            QVERIFY(button && button->autoRaise()); // flat
        }
    }
    const QString count = QString::number(pages->pageCount());
    QCOMPARE(items.join(u' '),
             QStringLiteral("actnFile_Open actnFile_Save actnFile_Print | actnPage_First actnPage_Previous "
                            "actnPage_Next actnPage_Last Page PageEdit of %1 | actnZoom_In actnZoom_Out "
                            "actnZoom_PageWidth actnZoom_Page Zoom ZoomEdit % | actnFile_Exit")
                 .arg(count));
    QCOMPARE(pageEdit()->width(), 49);
    QCOMPARE(zoomEdit()->width(), 40);

    QStringList menus;
    for (QAction* menuAction : child<QMenuBar>("MainMenu")->actions()) {
        QStringList entries;
        for (QAction* entry : menuAction->menu()->actions())
            entries.append(entry->isSeparator() ? QStringLiteral("-") : entry->text());
        menus.append(menuAction->text() + u':' + entries.join(u','));
    }
    QCOMPARE(menus, (QStringList{"&File:&Open,&Save As,&Print,-,E&xit",
                                 "&Page:&First,&Previous,&Next,&Last,-,&Go to Page #",
                                 "&Zoom:Zoom &In,Zoom &Out,-,Fit to &Page,Fit to Page &Width"}));
}

void PreviewTest::saveAndPrintFollowTheOutputOptions() {
    QVERIFY(action("actnFile_Save")->isEnabled());
    QVERIFY(action("actnFile_Print")->isEnabled());
    SystemSettings closed = previewSettings();
    closed.systemOptions = SystemOption::ShowStatus | SystemOption::PreviewModal;
    const TRavePreviewForm other(pages, closed, nullptr, PreviewServices{&prompts, printers.get()});
    QVERIFY(!other.findChild<QAction*>(QStringLiteral("actnFile_Save"))->isEnabled());
    QVERIFY(!other.findChild<QAction*>(QStringLiteral("actnFile_Print"))->isEnabled());
    QVERIFY(other.findChild<QAction*>(QStringLiteral("actnFile_Open"))->isEnabled());
}

void PreviewTest::zoomStaysBetweenTenAndTwoHundred() {
    typeInto(zoomEdit(), QStringLiteral("250"));
    QCOMPARE(preview->navigator().zoom(), 200.0);
    QCOMPARE(zoomEdit()->text(), QStringLiteral("200.0"));
    QCOMPARE(zoomEdit()->selectedText(), QStringLiteral("200.0")); // Enter selects the field
    QCOMPARE(pageView()->width(), qRound(A4Width * 96 * 2));
    action("actnZoom_In")->trigger();
    QCOMPARE(preview->navigator().zoom(), 200.0);

    typeInto(zoomEdit(), QStringLiteral("5"));
    QCOMPARE(preview->navigator().zoom(), 10.0);
    QCOMPARE(zoomEdit()->text(), QStringLiteral("10.0"));
    action("actnZoom_Out")->trigger();
    QCOMPARE(preview->navigator().zoom(), 10.0);
    QTest::keyClick(scrollBox(), Qt::Key_Plus);
    QCOMPARE(preview->navigator().zoom(), 20.0);
    QTest::keyClick(scrollBox(), Qt::Key_Minus);
    QCOMPARE(preview->navigator().zoom(), 10.0);

    // What does not read as a number is ignored and the zoom shows again.
    typeInto(zoomEdit(), QStringLiteral("."));
    QCOMPARE(preview->navigator().zoom(), 10.0);
    QCOMPARE(zoomEdit()->text(), QStringLiteral("10.0"));
    typeInto(zoomEdit(), QStringLiteral("57.5"));
    QCOMPARE(preview->navigator().zoom(), 57.5);
    QCOMPARE(pageView()->width(), qRound(A4Width * 96 * 0.575));
}

void PreviewTest::theZoomFieldTakesOneDigitAfterThePoint() {
    QLineEdit* field = zoomEdit();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("12.34"));
    QCOMPARE(field->text(), QStringLiteral("12.3"));
    field->setCursorPosition(0);
    QTest::keyClicks(field, QStringLiteral("9"));
    QCOMPARE(field->text(), QStringLiteral("12.3")); // refused anywhere once a digit follows the point
    QTest::keyClick(field, Qt::Key_Backspace);
    field->end(false);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, QStringLiteral("7"));
    QCOMPARE(field->text(), QStringLiteral("12.7"));
    field->setSelection(0, 2);
    QTest::keyClicks(field, QStringLiteral("3"));
    QCOMPARE(field->text(), QStringLiteral("3.7")); // with text selected, a digit replaces it
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(preview->navigator().zoom(), 10.0);
    QCOMPARE(field->text(), QStringLiteral("10.0"));
}

void PreviewTest::typingAPageNumberShowsThatPage() {
    typeInto(pageEdit(), QStringLiteral("3"));
    QCOMPARE(preview->navigator().page(), 3);
    QCOMPARE(statusText(), QStringLiteral("Page 3 of %1").arg(pages->pageCount()));
    QCOMPARE(pageEdit()->selectedText(), QStringLiteral("3"));

    // The current page again changes nothing, not even where the page is scrolled to.
    QScrollBar* bar = scrollBox()->verticalScrollBar();
    bar->setValue(100);
    typeInto(pageEdit(), QStringLiteral("3"));
    QCOMPARE(preview->navigator().page(), 3);
    QCOMPARE(bar->value(), 100);

    // "." is refused; a page beyond the last shows the last.
    pageEdit()->selectAll();
    QTest::keyClicks(pageEdit(), QStringLiteral("1.2"));
    QCOMPARE(pageEdit()->text(), QStringLiteral("12"));
    QTest::keyClick(pageEdit(), Qt::Key_Return);
    QCOMPARE(preview->navigator().page(), static_cast<int>(pages->pageCount()));

    // An empty field is no number: the page stays and shows again when the field is left.
    pageEdit()->clear();
    scrollBox()->setFocus();
    QCOMPARE(pageEdit()->text(), QString::number(pages->pageCount()));
}

void PreviewTest::lettersRunCommandsBeforeTheFocusedField() {
    QLineEdit* field = pageEdit();
    field->setFocus();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(field, key, modifiers);
        return preview->navigator().page();
    };
    const int last = static_cast<int>(pages->pageCount());
    QCOMPARE(press(Qt::Key_N), 2);
    QCOMPARE(press(Qt::Key_N, Qt::ShiftModifier), 3);
    QCOMPARE(press(Qt::Key_P), 2);
    QCOMPARE(press(Qt::Key_E), last);
    QCOMPARE(press(Qt::Key_N), last); // only pages that exist
    QCOMPARE(press(Qt::Key_B), 1);
    QCOMPARE(press(Qt::Key_P), 1);
    QCOMPARE(press(Qt::Key_PageDown, Qt::ControlModifier), 2);
    QCOMPARE(press(Qt::Key_End, Qt::ControlModifier), last);
    QCOMPARE(press(Qt::Key_PageUp, Qt::ControlModifier), last - 1);
    QCOMPARE(press(Qt::Key_Home, Qt::ControlModifier), 1);
    QCOMPARE(field->text(), QStringLiteral("1"));

    // Other characters never reach the field.
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("q?Z 4"));
    QCOMPARE(field->text(), QStringLiteral("4"));

    QTest::keyClick(field, Qt::Key_F);
    const double fitted = preview->navigator().zoom();
    QVERIFY(fitted < 50);
    QTest::keyClick(field, Qt::Key_W);
    QVERIFY(preview->navigator().zoom() > fitted);
}

void PreviewTest::pageKeysScrollAndTurnPagesAtTheEnds() {
    QScrollArea* area = scrollBox();
    QScrollBar* vertical = area->verticalScrollBar();
    const int viewportHeight = area->viewport()->height();
    QVERIFY(vertical->maximum() > viewportHeight); // a page is more than two screens tall at 100 %
    area->setFocus();

    QTest::keyClick(area, Qt::Key_PageDown);
    QCOMPARE(vertical->value(), viewportHeight);
    QTest::keyClick(area, Qt::Key_Down);
    QCOMPARE(vertical->value(), viewportHeight + vertical->singleStep());
    QTest::keyClick(area, Qt::Key_End);
    QCOMPARE(vertical->value(), vertical->maximum());
    QCOMPARE(preview->navigator().page(), 1);
    QTest::keyClick(area, Qt::Key_PageDown); // at the bottom: the next page, from its top
    QCOMPARE(preview->navigator().page(), 2);
    QCOMPARE(vertical->value(), 0);
    QTest::keyClick(area, Qt::Key_PageUp); // at the top: the previous page, from its bottom
    QCOMPARE(preview->navigator().page(), 1);
    QCOMPARE(vertical->value(), vertical->maximum());
    QTest::keyClick(area, Qt::Key_Home);
    QCOMPARE(vertical->value(), 0);
    QTest::keyClick(area, Qt::Key_Up); // on the first page there is nothing before
    QCOMPARE(preview->navigator().page(), 1);
    QTest::keyClick(area, Qt::Key_End);
    QTest::keyClick(area, Qt::Key_Down);
    QCOMPARE(preview->navigator().page(), 2);

    preview->setZoom(200);
    QScrollBar* horizontal = area->horizontalScrollBar();
    QCOMPARE(horizontal->value(), 0);
    QTest::keyClick(area, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(horizontal->value(), horizontal->singleStep());
    QTest::keyClick(area, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(horizontal->value(), horizontal->singleStep() + area->viewport()->width());
    QTest::keyClick(area, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(horizontal->value(), area->viewport()->width());
}

void PreviewTest::escapeClosesThePreviewAndSoDoesX() {
    QTest::keyClick(pageEdit(), 'X'); // "X" is no command
    QVERIFY(preview->isVisible());
    QTest::keyClick(pageEdit(), Qt::Key_Escape);
    QVERIFY(!preview->isVisible());

    preview->show();
    QVERIFY(QTest::qWaitForWindowExposed(preview.get()));
    QTest::keyClick(scrollBox(), Qt::Key_X);
    QVERIFY(!preview->isVisible());
}

void PreviewTest::fitToPageAndToPageWidthFillThePageArea() {
    QScrollArea* area = scrollBox();
    action("actnZoom_Page")->trigger();
    const QSize room = area->maximumViewportSize();
    const QSize fitted = pageView()->size();
    QVERIFY2(fitted.width() <= room.width() && fitted.height() <= room.height(), "the page fits");
    QVERIFY2(fitted.height() >= room.height() - 2, "and fills the height, the smaller scale");
    QCOMPARE(area->verticalScrollBar()->maximum(), 0);
    QCOMPARE(area->horizontalScrollBar()->maximum(), 0);

    action("actnZoom_PageWidth")->trigger();
    const int scrollBarWidth = area->verticalScrollBar()->width();
    QVERIFY(area->verticalScrollBar()->isVisible());
    QCOMPARE(area->horizontalScrollBar()->maximum(), 0); // room was left for the vertical bar
    QVERIFY(pageView()->width() <= room.width() - scrollBarWidth);
    QVERIFY(pageView()->width() >= room.width() - scrollBarWidth - 2);
    QCOMPARE(zoomEdit()->text(), QString::number(preview->navigator().zoom(), 'f', 1));
}

void PreviewTest::goToPageAsksForANumber() {
    prompts.typedTexts = {QStringLiteral("5"), QStringLiteral("x5"), QStringLiteral("-3"),
                          QStringLiteral("0")};
    QTest::keyClick(scrollBox(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(prompts.asked.value(0), QStringLiteral("Go to Page Enter page to move to: 1"));
    QCOMPARE(preview->navigator().page(), 5);
    action("actnPage_GotoPage")->trigger();
    QCOMPARE(preview->navigator().page(), 5);
    action("actnPage_GotoPage")->trigger();
    QCOMPARE(preview->navigator().page(), 5);
    action("actnPage_GotoPage")->trigger(); // 0 is a page number too; the first page is the nearest
    QCOMPARE(preview->navigator().page(), 1);
    action("actnPage_GotoPage")->trigger(); // cancelled
    QCOMPARE(preview->navigator().page(), 1);
    QCOMPARE(prompts.asked.size(), 5);
}

void PreviewTest::aSavedPageFileOpensAgainAsTheSamePictures() {
    const QString file = folder->filePath(QStringLiteral("list.ndr"));
    preview->showPage(2);
    prompts.saveChoices = {SaveChoice{file, 0}};
    QTest::keyClick(scrollBox(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(prompts.asked.value(0),
             QStringLiteral("Save File Rave Snapshot Files (*.ndr);PDF Files (*.pdf)"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(preview->navigator().page(), 2); // the preview stays on its page
    QVERIFY(QFile::exists(file));

    std::vector<QImage> pictures;
    for (int page = 1; page <= 3; ++page)
        pictures.push_back(pictureOfPage(page));
    QVERIFY(pictures[0] != pictures[1]);

    // Another report in the window first, so that the open visibly replaces it.
    QFile otherFile(folder->filePath(QStringLiteral("other.ndr")));
    QVERIFY(otherFile.open(QIODevice::WriteOnly));
    const std::string otherBytes = writePageFile(*testsupport::codeListPages("PREFIX 98910000"));
    otherFile.write(otherBytes.data(), static_cast<qint64>(otherBytes.size()));
    otherFile.close();
    prompts.fileNames = {otherFile.fileName(), file};
    action("actnFile_Open")->trigger();
    QCOMPARE(preview->navigator().pageCount(), 1);
    QCOMPARE(statusText(), QStringLiteral("Page 1 of 1"));
    QCOMPARE(child<QLabel>("PageCountLabel")->text(), QStringLiteral("of 1"));

    QTest::keyClick(scrollBox(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(prompts.asked.value(1),
             QStringLiteral("Open File Rave Snapshot Files (*.ndr);All Files (*) ndr"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(preview->windowTitle(), QCoreApplication::applicationName() + QStringLiteral(" - [ list.ndr ]"));
    QCOMPARE(preview->navigator().page(), 1);
    QVERIFY(preview->pages() == *pages);
    for (int page = 1; page <= 3; ++page)
        QVERIFY2(pictureOfPage(page) == pictures[static_cast<std::size_t>(page - 1)],
                 qPrintable(QString::number(page)));
}

void PreviewTest::savingAsPdfWritesThePagesAndTheirText() {
    if (!testsupport::hasPoppler())
        QSKIP("pdfinfo and pdftotext (poppler-utils) are needed to read the PDF back");
    const QString file = folder->filePath(QStringLiteral("list.pdf"));
    const QString byName = folder->filePath(QStringLiteral("named.pdf"));
    prompts.saveChoices = {SaveChoice{file, 1}, SaveChoice{byName, 0}};
    action("actnFile_Save")->trigger();
    action("actnFile_Save")->trigger(); // the .pdf name wins over the page file type
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));

    const int count = static_cast<int>(pages->pageCount());
    QCOMPARE(testsupport::pdfPageCount(file), count);
    QCOMPARE(testsupport::pdfPageCount(byName), count);
    for (const int page : {1, 2, count}) {
        const QString text = testsupport::pdfPageText(file, page);
        QVERIFY(text.contains(QStringLiteral("Liste der CPV Codes")));
        QVERIFY(text.contains(QStringLiteral("Bezeichnung")));
        const QStringList codes = testsupport::codesOnPage(*pages, page);
        QVERIFY(!codes.isEmpty());
        for (const QString& code : codes)
            QVERIFY2(text.contains(code), qPrintable(QStringLiteral("page %1 lacks %2").arg(page).arg(code)));
    }
    QVERIFY(testsupport::pdfPageText(file, 1).contains(QStringLiteral("Landwirtschaftliche Erzeugnisse")));
}

void PreviewTest::aBadPageFileIsReportedAndThePreviewKeepsItsPages() {
    const QString saved = folder->filePath(QStringLiteral("list.ndr"));
    prompts.saveChoices = {SaveChoice{saved, 0}};
    preview->saveFile();
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();

    const auto writeFile = [&](const char* name, const QByteArray& content) {
        QFile out(folder->filePath(QString::fromLatin1(name)));
        out.open(QIODevice::WriteOnly);
        out.write(content);
        return out.fileName();
    };
    const QString truncated = writeFile("truncated.ndr", bytes.left(bytes.size() - 1));
    const QString foreign = writeFile("foreign.ndr", QByteArray("%PDF-1.4\n%...."));
    const QString missing = folder->filePath(QStringLiteral("missing.ndr"));
    const QString subfolder = folder->filePath(QStringLiteral("folder.ndr"));
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("folder.ndr")));
    preview->showPage(3);
    prompts.fileNames = {truncated, foreign, missing, subfolder};
    for (int open = 0; open < 4; ++open)
        action("actnFile_Open")->trigger();

    QCOMPARE(prompts.errors.size(), 4);
    QCOMPARE(prompts.errors[0],
             QStringLiteral("Cannot open \"%1\". The file is damaged: it ends too early").arg(truncated));
    QCOMPARE(prompts.errors[1],
             QStringLiteral("Cannot open \"%1\". It is not a page file of this program").arg(foreign));
    QVERIFY2(prompts.errors[2].startsWith(QStringLiteral("Cannot open \"%1\". ").arg(missing)),
             qPrintable(prompts.errors[2]));
    QCOMPARE(prompts.errors[3],
             QStringLiteral("Cannot open \"%1\". It is a folder, not a file").arg(subfolder));
    QCOMPARE(preview->windowTitle(), QStringLiteral("Vorschau"));
    QVERIFY(&preview->pages() == pages.get());
    QCOMPARE(preview->navigator().page(), 3);
}

void PreviewTest::aFailedSaveIsReported() {
    const QString nowhere = folder->filePath(QStringLiteral("no-such-folder/list.ndr"));
    prompts.saveChoices = {SaveChoice{nowhere, 0}, SaveChoice{nowhere + QStringLiteral(".pdf"), 1}};
    preview->saveFile();
    preview->saveFile();
    QCOMPARE(prompts.errors.size(), 2);
    QVERIFY2(prompts.errors[0].startsWith(QStringLiteral("Cannot save \"%1\". ").arg(nowhere)),
             qPrintable(prompts.errors[0]));
    QVERIFY2(prompts.errors[1].startsWith(QStringLiteral("Cannot write \"%1.pdf\". ").arg(nowhere)),
             qPrintable(prompts.errors[1]));
}

void PreviewTest::theStandardErrorReportIsACriticalBoxCaptionedWithTheApplication() {
    StandardPreviewPrompts standard;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    testsupport::WindowDriver driver([&] {
        if (auto* box = testsupport::visibleWindow<QMessageBox>()) {
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->accept();
        }
    });
    standard.showError(preview.get(), QStringLiteral("Cannot open \"x.ndr\". It is not a page file"));
    QCOMPARE(caption, QCoreApplication::applicationName());
    QCOMPARE(text, QStringLiteral("Cannot open \"x.ndr\". It is not a page file."));
    QCOMPARE(icon, QMessageBox::Critical);
}

void PreviewTest::theStandardFileDialogsAskBeforeOverwritingAndOpenOnlyExistingFiles() {
    StandardPreviewPrompts standard;
    QStringList seen;
    testsupport::WindowDriver driver([&] {
        auto* dialog = testsupport::visibleWindow<QFileDialog>();
        if (!dialog)
            return;
        seen << dialog->windowTitle() + u' ' + dialog->nameFilters().join(u';') + u' ' +
                    dialog->defaultSuffix()
             << QString::number(dialog->acceptMode() == QFileDialog::AcceptSave) +
                    QString::number(dialog->fileMode() == QFileDialog::ExistingFile) +
                    QString::number(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->reject();
    });
    const QStringList saveFilters{QStringLiteral("Rave Snapshot Files (*.ndr)"),
                                  QStringLiteral("PDF Files (*.pdf)")};
    QCOMPARE(standard.saveFileName(preview.get(), QStringLiteral("Save File"), saveFilters), std::nullopt);
    QCOMPARE(standard.openFileName(preview.get(), QStringLiteral("Open File"),
                                   toNameFilters(openFileFilter()), QStringLiteral("ndr")),
             QString());
    QCOMPARE(seen, (QStringList{"Save File Rave Snapshot Files (*.ndr);PDF Files (*.pdf) ndr", "100",
                                "Open File Rave Snapshot Files (*.ndr);All Files (*) ndr", "010"}));
}

void PreviewTest::theWindowHasItsOuterSizeCentredOnTheScreen() {
    QTest::qWait(0);
    const QRect outer = preview->frameGeometry();
    QVERIFY(outer.size() != preview->size()); // the window has a frame here
    QCOMPARE(outer.size(), QSize(615, 450));
    const QRect available = preview->screen()->availableGeometry();
    QVERIFY(qAbs(outer.center().x() - available.center().x()) <= 1);
    QVERIFY(qAbs(outer.center().y() - available.center().y()) <= 1);
}

void PreviewTest::theToolkitsGermanTextsLeaveTheWindowsEnglish() {
    // The engine's windows speak English; the toolkit's German translations must not reach them.
    const auto allTexts = [&] {
        TRavePreviewForm window(pages, settings, nullptr, PreviewServices{&prompts, printers.get()});
        const std::unique_ptr<QPrinter> printer = printers->currentPrinter();
        TRPSetupForm setup(settings, 5, printer.get(), *printers);
        TRPStatusForm status(QStringLiteral("Report Status"));
        status.setStatusText(QStringLiteral("Drucke Seite 1"));
        return textsOf(window) + textsOf(setup) + textsOf(status);
    };
    const QStringList english = allTexts();
    for (const char* text : {"&Open", "Open another report", "Page", "Output Options", "   OK   ", "Cancel",
                             "&Setup", "Selection", "C&ollate", "Go to specified page"})
        QVERIFY2(english.contains(QString::fromLatin1(text)), text);

    QTranslator toolkitGerman;
    QVERIFY(
        toolkitGerman.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QVERIFY(QCoreApplication::installTranslator(&toolkitGerman));
    const QStringList underGerman = allTexts();

    // The "Go to Page" box keeps its buttons in the language of its prompt (the program installs
    // the toolkit's German texts before any window exists).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    StandardPreviewPrompts standard;
    QStringList goToPageButtons;
    testsupport::WindowDriver driver([&] {
        if (auto* box = testsupport::visibleWindow<QInputDialog>()) {
            for (const QAbstractButton* button : box->findChildren<QAbstractButton*>())
                goToPageButtons << button->text();
            box->reject();
        }
    });
    QCOMPARE(standard.inputText(preview.get(), QStringLiteral("Go to Page"),
                                QStringLiteral("Enter page to move to:"), QStringLiteral("1")),
             std::nullopt);
    QCoreApplication::removeTranslator(&toolkitGerman);
    QCOMPARE(underGerman, english);
    goToPageButtons.sort();
    QCOMPARE(goToPageButtons, (QStringList{QStringLiteral("Cancel"), QStringLiteral("OK")}));
}

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
