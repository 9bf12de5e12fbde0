// What assistive technology gets from the report windows, through the interface the toolkit gives
// it: the preview's page area as a named document with the page's rows as text, a spoken "Page n
// of N" whichever way the page changes, the Page and Zoom fields named by their labels, the page
// area's focus ring, and the names in the status and output-options windows.
#include "AccessibilityOn.h"
#include "AccessibleAnnouncement.h"
#include "PageFile.h"
#include "PreviewForm.h"
#include "PreviewHarness.h"
#include "ReportWindows.h"
#include "SetupForm.h"
#include "StatusForm.h"
#include "TextQueries.h"
#include "ViewportFocusRing.h"
#include "WindowDriver.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <functional>
#include <map>

using namespace kodexa;
using namespace kodexa::report;
using kodexa::testing::AccessibleEventLog;
using testsupport::ScriptedPrompts;

namespace {

QAccessibleInterface* accessibleOf(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// WCAG 2.1's relative luminance and contrast ratio, written out here so that the test does not
// take the window's word for it.
double luminance(QColor color) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.red()) + 0.7152 * channel(color.green()) + 0.0722 * channel(color.blue());
}

double contrast(QColor a, QColor b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The printed lines of a page as the page store holds them: the texts on each baseline, left to
// right, the baselines from the top. The code list report sets the texts of a line on one baseline.
QStringList storedLines(const PageStore& pages, int page) {
    std::map<double, std::multimap<double, QString>> lines;
    for (const PageItem& item : pages.page(static_cast<std::size_t>(page - 1)).items) {
        if (const auto* text = std::get_if<PageText>(&item); text && !text->text.empty())
            lines[text->baseline].emplace(text->x, QString::fromStdString(text->text));
    }
    QStringList result;
    for (const auto& [baseline, texts] : lines) {
        QStringList cells;
        for (const auto& [x, text] : texts)
            cells.append(text);
        result.append(cells.join(u'\t'));
    }
    return result;
}

bool isAnnouncement(const AccessibleEventLog::Entry& entry) {
    return entry.type == QAccessible::ObjectShow && entry.role == QAccessible::Notification;
}

} // namespace

class PreviewAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void thePageAreaIsANamedReadOnlyDocumentThatHasTheFirstFocus();
    void thePageAreaReadsTheRowsPrintedOnTheShownPage();
    void thePageAreaTellsWhereItsCharactersAreDrawn();
    void everyWayOfTurningThePageIsAnnounced();
    void nothingIsAnnouncedWhileThePageStays();
    void theNewTextIsReportedBeforeThePageIsAnnounced();
    void thePageAndZoomFieldsAreNamedByTheirLabels();
    void thePageAreaShowsAFocusRingOnlyWhileItHasTheFocus();
    void theStatusWindowIsNamed();
    void theClosedStatusWindowStillAnswersUntilTheRunEnds();
    void theOutputOptionsNameEveryControl();
    void everyInputAnswersEveryTextQuery();

private:
    template <typename Widget = QWidget> Widget* child(const char* name) const {
        return preview->findChild<Widget*>(QString::fromLatin1(name));
    }
    QScrollArea* pageArea() const { return child<QScrollArea>("ScrollBox1"); }
    // A page file of another, shorter report in the test's folder; empty if it cannot be written.
    QString writeOtherReport() const {
        const QString path = folder->filePath(QStringLiteral("other.ndr"));
        QFile file(path);
        const std::string bytes = writePageFile(*testsupport::codeListPages("PREFIX 98910000"));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            return {};
        return path;
    }
    QLineEdit* pageEdit() const { return child<QLineEdit>("PageEdit"); }
    QAccessibleTextInterface* pageText() const { return accessibleOf(pageArea())->textInterface(); }
    QString pageOf(int page) const {
        return QStringLiteral("Page %1 of %2").arg(page).arg(pages->pageCount());
    }

    std::shared_ptr<const PageStore> pages;
    SystemSettings settings;
    ScriptedPrompts prompts;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<testsupport::PdfFilePrinters> printers;
    std::unique_ptr<TRavePreviewForm> preview;
};

void PreviewAccessibilityTest::initTestCase() {
    testing::switchAccessibilityOn();
    QVERIFY(QAccessible::isActive());
    pages = testsupport::codeListPages("PREFIX 03");
    QVERIFY(pages->pageCount() >= 5);
}

void PreviewAccessibilityTest::init() {
    settings = SystemSettings();
    settings.titlePreview = QStringLiteral("Vorschau");
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

void PreviewAccessibilityTest::cleanup() {
    preview.reset();
    printers.reset();
    folder.reset();
}

void PreviewAccessibilityTest::thePageAreaIsANamedReadOnlyDocumentThatHasTheFirstFocus() {
    QCOMPARE(QApplication::focusWidget(), pageArea());
    QAccessibleInterface* area = accessibleOf(pageArea());
    QVERIFY(area);
    QCOMPARE(area->role(), QAccessible::Document);
    QCOMPARE(area->text(QAccessible::Name), QStringLiteral("Report page"));
    const QAccessible::State state = area->state();
    QVERIFY(state.focusable);
    QVERIFY(state.focused);
    QVERIFY(state.readOnly);
    QVERIFY(state.multiLine);
    QVERIFY(!state.editable);
    QVERIFY(area->textInterface());
    QVERIFY(!area->editableTextInterface());
    QCOMPARE(pageText()->cursorPosition(), 0);
    QCOMPARE(pageText()->selectionCount(), 0);

    // The window lists the area; the area lists its viewport and scroll bars, not the ring that
    // only draws, and each child names the area as its parent.
    QVERIFY(accessibleOf(preview.get())->indexOfChild(area) >= 0);
    QVERIFY(area->childCount() > 0);
    for (int index = 0; index < area->childCount(); ++index) {
        QAccessibleInterface* child = area->child(index);
        QVERIFY(child);
        QVERIFY2(!qobject_cast<ViewportFocusRing*>(child->object()), "the focus ring is no content");
        QCOMPARE(child->parent()->object(), pageArea());
        QCOMPARE(area->indexOfChild(child), index);
    }
    QVERIFY(pageArea()->findChild<ViewportFocusRing*>());
}

void PreviewAccessibilityTest::thePageAreaReadsTheRowsPrintedOnTheShownPage() {
    const int last = static_cast<int>(pages->pageCount());
    for (const int page : {1, 2, last}) {
        preview->showPage(page);
        const QString text = pageText()->text(0, -1);
        QCOMPARE(pageText()->characterCount(), text.size());
        const QStringList lines = text.split(u'\n');
        QCOMPARE(lines, storedLines(*pages, page));

        // Each code on the page starts a line and its description follows after a tab, as a
        // screen reader reads the line it is on.
        const QStringList codes = testsupport::codesOnPage(*pages, page);
        QVERIFY(!codes.isEmpty());
        int from = 0;
        for (const QString& code : codes) {
            const qsizetype at = text.indexOf(u'\n' + code + u'\t', from);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("page %1: %2 in order").arg(page).arg(code)));
            from = static_cast<int>(at) + 1;
            int start = -1;
            int end = -1;
            const QString line = pageText()->textAtOffset(from + 2, QAccessible::LineBoundary, &start, &end);
            QCOMPARE(start, from);
            QVERIFY2(line.startsWith(code + u'\t') && line.size() > code.size() + 1, qPrintable(line));
        }
    }
    preview->showPage(1);
    QVERIFY(pageText()->text(0, -1).startsWith(QStringLiteral("Liste der CPV Codes")));
    QVERIFY(pageText()->text(0, -1).contains(QStringLiteral("03000000\tLandwirtschaftliche")));
    // Parts of the text as a reader asks for them, also with offsets out of range.
    QCOMPARE(pageText()->text(0, 5), QStringLiteral("Liste"));
    QCOMPARE(pageText()->text(-3, 5), QStringLiteral("Liste"));
    QCOMPARE(pageText()->text(pageText()->characterCount() + 4, -1), QString());
}

void PreviewAccessibilityTest::thePageAreaTellsWhereItsCharactersAreDrawn() {
    QWidget* view = pageArea()->widget();
    const QRect drawnPage(view->mapToGlobal(QPoint(0, 0)), view->size());
    const QString text = pageText()->text(0, -1);
    const int code = static_cast<int>(text.indexOf(QStringLiteral("03000000\t")));
    const int description = code + 9;
    QVERIFY(code > 0);

    const QRect codeStart = pageText()->characterRect(code);
    const QRect descriptionStart = pageText()->characterRect(description);
    QVERIFY2(drawnPage.contains(codeStart), "drawn on the page");
    QVERIFY(codeStart.width() >= 4 && codeStart.width() <= 12); // a digit of 10-pt type at 96 dpi
    QVERIFY(codeStart.height() >= 10 && codeStart.height() <= 20);
    QVERIFY(descriptionStart.left() > codeStart.right() + 20); // the next column
    QVERIFY(qAbs(descriptionStart.center().y() - codeStart.center().y()) <= 1);
    const QRect codeSecond = pageText()->characterRect(code + 1);
    QVERIFY(qAbs(codeSecond.left() - codeStart.right()) <= 2); // the digits follow each other
    // The tab between code and description: a thin mark after the code.
    QVERIFY(pageText()->characterRect(code + 8).left() >= pageText()->characterRect(code + 7).right() - 1);

    // Back from a place to the character drawn there.
    QCOMPARE(pageText()->offsetAtPoint(codeStart.center()), code);
    QCOMPARE(pageText()->offsetAtPoint(descriptionStart.center()), description);
    QCOMPARE(pageText()->offsetAtPoint(codeSecond.center()), code + 1);
    QCOMPARE(pageText()->offsetAtPoint(drawnPage.bottomRight() - QPoint(2, 2)), -1); // the empty foot
    QCOMPARE(pageText()->characterRect(-1), QRect());
    QCOMPARE(pageText()->characterRect(pageText()->characterCount()), QRect());

    // At twice the zoom the characters are twice as large.
    preview->setZoom(200);
    const QRect doubled = pageText()->characterRect(description);
    QVERIFY2(qAbs(doubled.width() - 2 * descriptionStart.width()) <= 2,
             qPrintable(QString::number(doubled.width())));
    QVERIFY(qAbs(doubled.height() - 2 * descriptionStart.height()) <= 2);

    // Asking for a part of the text brings it into view; a caret set there is kept.
    const int lastLine = static_cast<int>(text.lastIndexOf(u'\n')) + 1;
    QCOMPARE(pageArea()->verticalScrollBar()->value(), 0);
    pageText()->setCursorPosition(lastLine);
    QCOMPARE(pageText()->cursorPosition(), lastLine);
    QVERIFY(pageArea()->verticalScrollBar()->value() > 0);
    const QRect viewport(pageArea()->viewport()->mapToGlobal(QPoint(0, 0)), pageArea()->viewport()->size());
    QVERIFY(viewport.contains(pageText()->characterRect(lastLine).center()));
    pageText()->scrollToSubstring(0, 5);
    QVERIFY(pageArea()->verticalScrollBar()->value() < pageArea()->verticalScrollBar()->maximum());
    QVERIFY(viewport.contains(pageText()->characterRect(0).center()));
}

void PreviewAccessibilityTest::everyWayOfTurningThePageIsAnnounced() {
    const int last = static_cast<int>(pages->pageCount());
    auto* toolBar = child<QToolBar>("ToolBar1");
    const auto click = [&](const char* action) {
        QWidget* button = toolBar->widgetForAction(preview->findChild<QAction*>(QString::fromLatin1(action)));
        QTest::mouseClick(button, Qt::LeftButton);
    };
    const auto key = [&](QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [=] { QTest::keyClick(target, key, modifiers); };
    };
    QScrollArea* area = pageArea();
    QScrollBar* vertical = area->verticalScrollBar();
    const auto typePage = [&](const QString& number) {
        pageEdit()->setFocus();
        pageEdit()->selectAll();
        QTest::keyClicks(pageEdit(), number);
        QTest::keyClick(pageEdit(), Qt::Key_Return);
    };

    struct Way {
        const char* what;
        std::function<void()> turn;
        int page;
    };
    const std::vector<Way> ways{
        {"Next button", [&] { click("actnPage_Next"); }, 2},
        {"Last button", [&] { click("actnPage_Last"); }, last},
        {"Previous button", [&] { click("actnPage_Previous"); }, last - 1},
        {"First button", [&] { click("actnPage_First"); }, 1},
        {"Ctrl+PgDn", key(area, Qt::Key_PageDown, Qt::ControlModifier), 2},
        {"Ctrl+End", key(area, Qt::Key_End, Qt::ControlModifier), last},
        {"Ctrl+PgUp", key(area, Qt::Key_PageUp, Qt::ControlModifier), last - 1},
        {"Ctrl+Home", key(area, Qt::Key_Home, Qt::ControlModifier), 1},
        {"n", key(area, Qt::Key_N), 2},
        {"e", key(area, Qt::Key_E), last},
        {"p", key(area, Qt::Key_P), last - 1},
        {"b", key(area, Qt::Key_B), 1},
        {"PgDn at the bottom",
         [&] {
             vertical->setValue(vertical->maximum());
             QTest::keyClick(area, Qt::Key_PageDown);
         },
         2},
        {"PgUp at the top", key(area, Qt::Key_PageUp), 1},
        {"Down at the bottom",
         [&] {
             vertical->setValue(vertical->maximum());
             QTest::keyClick(area, Qt::Key_Down);
         },
         2},
        {"Up at the top",
         [&] {
             vertical->setValue(0);
             QTest::keyClick(area, Qt::Key_Up);
         },
         1},
        {"page typed with Enter", [&] { typePage(QStringLiteral("3")); }, 3},
        {"page typed, field left",
         [&] {
             pageEdit()->selectAll();
             QTest::keyClicks(pageEdit(), QStringLiteral("4"));
             area->setFocus();
         },
         4},
        {"page beyond the last typed", [&] { typePage(QStringLiteral("999")); }, last},
        {"Go to Page",
         [&] {
             prompts.typedTexts = {QStringLiteral("2")};
             QTest::keyClick(area, Qt::Key_G, Qt::ControlModifier);
         },
         2},
        {"menu entry First",
         [&] { preview->findChild<QAction*>(QStringLiteral("actnPage_First"))->trigger(); }, 1},
    };
    for (const Way& way : ways) {
        AccessibleEventLog log;
        way.turn();
        QCOMPARE(preview->navigator().page(), way.page);
        QVERIFY2(log.announcements() == std::vector<QString>{pageOf(way.page)},
                 qPrintable(
                     QStringLiteral("%1: %2 announcement(s)").arg(way.what).arg(log.announcements().size())));
        QCOMPARE(lastAnnouncement(*preview), pageOf(way.page));
        QCOMPARE(pageText()->text(0, -1).split(u'\n'), storedLines(*pages, way.page));
        QCOMPARE(pageText()->cursorPosition(), 0);
    }

    // Another report opened: its first page, of its own count.
    prompts.fileNames = {writeOtherReport()};
    QVERIFY(!prompts.fileNames.front().isEmpty());
    AccessibleEventLog log;
    QTest::keyClick(area, Qt::Key_O, Qt::ControlModifier);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(log.announcements(), std::vector<QString>{QStringLiteral("Page 1 of 1")});
    QVERIFY(pageText()->text(0, -1).contains(QStringLiteral("98910000\t")));
}

void PreviewAccessibilityTest::nothingIsAnnouncedWhileThePageStays() {
    AccessibleEventLog log;
    TRavePreviewForm another(pages, settings, nullptr, PreviewServices{&prompts, printers.get()});
    another.show();
    QVERIFY(QTest::qWaitForWindowExposed(&another));
    another.close();
    preview->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(preview.get()));

    QScrollArea* area = pageArea();
    area->setFocus();
    QTest::keyClick(area, Qt::Key_P); // no page before the first
    QTest::keyClick(area, Qt::Key_PageDown);
    QTest::keyClick(area, Qt::Key_Down);
    QTest::keyClick(area, Qt::Key_End);
    QTest::keyClick(area, Qt::Key_Home);
    QTest::keyClick(area, Qt::Key_Plus);
    QTest::keyClick(area, Qt::Key_Minus);
    QTest::keyClick(area, Qt::Key_F);
    QTest::keyClick(area, Qt::Key_W);
    preview->setZoom(57.5);
    pageEdit()->setFocus();
    pageEdit()->selectAll();
    QTest::keyClicks(pageEdit(), QStringLiteral("1"));
    QTest::keyClick(pageEdit(), Qt::Key_Return); // the page shown already
    preview->showPage(static_cast<int>(pages->pageCount()));
    log.clear();
    QTest::keyClick(area, Qt::Key_N); // no page after the last
    preview->showPage(static_cast<int>(pages->pageCount()) + 5);
    QCOMPARE(preview->navigator().page(), static_cast<int>(pages->pageCount()));
    QCOMPARE(log.announcements(), std::vector<QString>{});
}

void PreviewAccessibilityTest::theNewTextIsReportedBeforeThePageIsAnnounced() {
    const QString firstPage = pageText()->text(0, -1);
    AccessibleEventLog log;
    preview->showPage(2);
    const std::vector<AccessibleEventLog::Entry>& entries = log.entries();
    const auto textChange = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
        return entry.type == QAccessible::TextUpdated && entry.object == pageArea();
    });
    const auto announcement = std::find_if(entries.begin(), entries.end(), isAnnouncement);
    QVERIFY(textChange != entries.end());
    QVERIFY(announcement != entries.end());
    QVERIFY2(textChange < announcement,
             "what the reader says of the text must not cut the page number short");
    QVERIFY(pageText()->text(0, -1) != firstPage);
}

void PreviewAccessibilityTest::thePageAndZoomFieldsAreNamedByTheirLabels() {
    const QString count = QString::number(pages->pageCount());
    for (const auto& [field, label, name, description] :
         {std::tuple{"PageEdit", "PageLabel", "Page", QStringLiteral("of ") + count},
          std::tuple{"ZoomEdit", "ZoomLabel", "Zoom", QStringLiteral("%")}}) {
        QAccessibleInterface* edit = accessibleOf(child(field));
        QAccessibleInterface* labelInterface = accessibleOf(child(label));
        QCOMPARE(edit->role(), QAccessible::EditableText);
        QCOMPARE(edit->text(QAccessible::Name), QString::fromLatin1(name));
        QCOMPARE(edit->text(QAccessible::Description), description);
        QCOMPARE(child<QLabel>(label)->text(), QString::fromLatin1(name)); // the label looks as before
        const auto labelledBy = edit->relations(QAccessible::Label);
        QCOMPARE(labelledBy.size(), 1);
        QCOMPARE(labelledBy.first().first->object(), child(label));
        const auto labels = labelInterface->relations(QAccessible::Labelled);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->object(), child(field));
    }
    QCOMPARE(accessibleOf(pageEdit())->text(QAccessible::Value), QStringLiteral("1"));

    // Another report changes the count the page field tells.
    prompts.fileNames = {writeOtherReport()};
    QVERIFY(!prompts.fileNames.front().isEmpty());
    AccessibleEventLog log;
    preview->openFile();
    QCOMPARE(accessibleOf(pageEdit())->text(QAccessible::Description), QStringLiteral("of 1"));
    QVERIFY(std::any_of(log.entries().begin(), log.entries().end(), [&](const auto& entry) {
        return entry.type == QAccessible::DescriptionChanged && entry.object == pageEdit();
    }));
}

void PreviewAccessibilityTest::thePageAreaShowsAFocusRingOnlyWhileItHasTheFocus() {
    QScrollArea* area = pageArea();
    QWidget* viewport = area->viewport();
    const QRect inside(viewport->mapTo(preview.get(), QPoint(0, 0)), viewport->size());
    const QColor window = preview->palette().color(QPalette::Window);
    const auto pictures = qEnvironmentVariable("KODEXA_FOCUS_PICTURES");
    // The picture, and its top left corner eight times enlarged.
    const auto save = [&](const QImage& image, const char* name) {
        if (pictures.isEmpty())
            return;
        const QString file = QDir(pictures).filePath(QString::fromLatin1(name));
        image.save(file);
        image.copy(QRect(inside.topLeft() - QPoint(8, 8), QSize(48, 48)))
            .scaled(384, 384)
            .save(file.left(file.size() - 4) + QStringLiteral("-corner.png"));
    };

    // Fitted, so that the page shows on the viewport's dark background with room beside it.
    preview->fitPage();
    area->setFocus();
    QVERIFY(area->hasFocus());
    const QImage focused = preview->grab().toImage();
    save(focused, "preview-focused.png");
    pageEdit()->setFocus();
    const QImage unfocused = preview->grab().toImage();
    save(unfocused, "preview-unfocused.png");

    const QRect page(pageArea()->widget()->mapTo(preview.get(), QPoint(0, 0)), pageArea()->widget()->size());
    const QColor ring = focused.pixelColor(inside.topLeft());
    const QColor paper = focused.pixelColor(page.center().x(), inside.top() + ViewportFocusRing::Width);
    const QColor background =
        focused.pixelColor(inside.left() + ViewportFocusRing::Width, inside.center().y());
    const QColor frame = focused.pixelColor(inside.left() - 1, inside.center().y()); // the area's own
    QCOMPARE(paper, QColor(Qt::white));
    QVERIFY(background != paper && background != ring);
    // Two pixels all round, in one colour.
    for (const QPoint& at :
         {inside.topLeft(), inside.topRight(), inside.bottomLeft(), inside.bottomRight(),
          inside.topLeft() + QPoint(1, 1), inside.bottomRight() - QPoint(1, 1),
          QPoint(inside.center().x(), inside.top() + 1), QPoint(inside.left() + 1, inside.center().y()),
          QPoint(inside.right() - 1, inside.center().y()), QPoint(inside.center().x(), inside.bottom() - 1)})
        QCOMPARE(focused.pixelColor(at), ring);
    for (const QColor& beside : {paper, background, frame, window}) {
        qInfo("focus ring %s beside %s: %.2f:1", qPrintable(ring.name()), qPrintable(beside.name()),
              contrast(ring, beside));
        QVERIFY2(contrast(ring, beside) >= 3, qPrintable(QStringLiteral("ring %1 on %2: %3:1")
                                                             .arg(ring.name(), beside.name())
                                                             .arg(contrast(ring, beside))));
    }

    // Without the focus the area looks as it always did: page and background to the edge.
    QCOMPARE(unfocused.pixelColor(page.center().x(), inside.top()), paper);
    QCOMPARE(unfocused.pixelColor(inside.left(), inside.center().y()), background);
    QCOMPARE(unfocused.pixelColor(inside.topLeft()), background);
    // Outside the viewport nothing differs but the page field's own focus frame.
    const QImage focusedArea = focused.copy(inside);
    const QImage unfocusedArea = unfocused.copy(inside);
    const QRect ringless = QRect(QPoint(0, 0), inside.size()).adjusted(2, 2, -2, -2);
    QCOMPARE(focusedArea.copy(ringless), unfocusedArea.copy(ringless));

    // The window going to the background takes the ring with it, as the focus.
    area->setFocus();
    QVERIFY(area->findChild<ViewportFocusRing*>()->isVisible());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!area->findChild<ViewportFocusRing*>()->isVisible());
    preview->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(preview.get()));
    QVERIFY(area->findChild<ViewportFocusRing*>()->isVisible());
    // At 100 % the page fills the width; the ring stands out from the paper it lies on.
    preview->setZoom(100);
    const QImage onPaper = preview->grab().toImage();
    save(onPaper, "preview-focused-100.png");
    QCOMPARE(onPaper.pixelColor(inside.center().x(), inside.top()), ring);
    QCOMPARE(onPaper.pixelColor(inside.center().x(), inside.top() + ViewportFocusRing::Width), paper);
}

void PreviewAccessibilityTest::theStatusWindowIsNamed() {
    TRPStatusForm status(QStringLiteral("Report Status"));
    status.setStatusText(QStringLiteral("Drucke Seite 3"));
    status.show();
    QVERIFY(QTest::qWaitForWindowExposed(&status));
    QAccessibleInterface* window = accessibleOf(&status);
    QCOMPARE(window->role(), QAccessible::Dialog);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Report Status"));
    QStringList children;
    for (int index = 0; index < window->childCount(); ++index)
        children.append(window->child(index)->text(QAccessible::Name));
    QCOMPARE(children, (QStringList{"Drucke Seite 3", "Cancel"}));
    QCOMPARE(window->child(0)->role(), QAccessible::StaticText);
    QCOMPARE(window->child(1)->role(), QAccessible::Button);
    status.setStatusText(QStringLiteral("Drucke Seite 4"));
    QCOMPARE(window->child(0)->text(QAccessible::Name), QStringLiteral("Drucke Seite 4"));
}

// A reader asks for a window's name some time after it opened; a run of a few pages has closed its
// status window by then, and the window must still answer.
void PreviewAccessibilityTest::theClosedStatusWindowStillAnswersUntilTheRunEnds() {
    QPointer<TRPStatusForm> first;
    QPointer<TRPStatusForm> second;
    {
        StandardReportWindows windows;
        SystemSettings runSettings;
        {
            const std::unique_ptr<GenerationStatus> status = windows.openStatus(runSettings, nullptr);
            QVERIFY(status->pageStarted(QStringLiteral("Drucke Seite 1")));
            first = testsupport::visibleWindow<TRPStatusForm>();
            QVERIFY(first);
        }
        QVERIFY(first);
        QVERIFY(!first->isVisible());
        QCOMPARE(accessibleOf(first)->text(QAccessible::Name), QStringLiteral("Report Status"));
        {
            const std::unique_ptr<GenerationStatus> status = windows.openStatus(runSettings, nullptr);
            second = testsupport::visibleWindow<TRPStatusForm>();
            QVERIFY(second && second != first);
        }
        QVERIFY(!first); // one kept window at a time
        QVERIFY(second);
    }
    QVERIFY(!second);
}

void PreviewAccessibilityTest::theOutputOptionsNameEveryControl() {
    const std::unique_ptr<QPrinter> printer = printers->currentPrinter();
    TRPSetupForm setup(settings, 5, printer.get(), *printers);
    setup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&setup));
    QCOMPARE(accessibleOf(&setup)->text(QAccessible::Name), QStringLiteral("Output Options"));
    const std::vector<std::tuple<const char*, QAccessible::Role, const char*>> controls{
        {"PrinterGB", QAccessible::Grouping, "Selected Printer"},
        {"RangeGB", QAccessible::Grouping, "Print Range"},
        {"AllRB", QAccessible::RadioButton, "All"},
        {"SelectionRB", QAccessible::RadioButton, "Selection"},
        {"PagesRB", QAccessible::RadioButton, "Pages"},
        {"OptionsGB", QAccessible::Grouping, "Options"},
        {"CopiesED", QAccessible::EditableText, "Copies"},
        {"CollateCK", QAccessible::CheckBox, "Collate"},
        {"DuplexCK", QAccessible::CheckBox, "Duplex"},
        {"bbtnOK", QAccessible::Button, "OK"},
        {"CancelBB", QAccessible::Button, "Cancel"},
        {"SetupBB", QAccessible::Button, "Setup"},
    };
    for (const auto& [name, role, text] : controls) {
        QAccessibleInterface* control = accessibleOf(setup.findChild<QWidget*>(QString::fromLatin1(name)));
        QVERIFY2(control, name);
        QCOMPARE(control->role(), role);
        QCOMPARE(control->text(QAccessible::Name).trimmed(), QString::fromLatin1(text));
    }
    setup.findChild<QRadioButton*>(QStringLiteral("PagesRB"))->click();
    QCOMPARE(accessibleOf(setup.findChild<QWidget*>(QStringLiteral("FromED")))->text(QAccessible::Name),
             QStringLiteral("From"));
    QCOMPARE(accessibleOf(setup.findChild<QWidget*>(QStringLiteral("ToED")))->text(QAccessible::Name),
             QStringLiteral("to"));
}

// A reader moving by word or line asks at every offset: the Page and Zoom fields, the Go to Page
// box and the output options' fields answer at once and right.
void PreviewAccessibilityTest::everyInputAnswersEveryTextQuery() {
    for (const char* name : {"PageEdit", "ZoomEdit"})
        QVERIFY2(testing::wrongTextAnswer(*child<QLineEdit>(name)).isEmpty(), name);

    QString goToPage = QStringLiteral("box not shown");
    testsupport::WindowDriver driver([&] {
        if (auto* box = testsupport::visibleWindow<QInputDialog>()) {
            goToPage = testing::wrongTextAnswer(*box->findChild<QLineEdit*>());
            box->reject();
        }
    });
    StandardPreviewPrompts().inputText(preview.get(), QStringLiteral("Go to Page"),
                                       QStringLiteral("Enter page to move to:"), QStringLiteral("100"));
    QCOMPARE(goToPage, QString());

    const std::unique_ptr<QPrinter> printer = printers->currentPrinter();
    TRPSetupForm setup(settings, 5, printer.get(), *printers);
    for (QLineEdit* field : setup.findChildren<QLineEdit*>())
        QVERIFY2(testing::wrongTextAnswer(*field).isEmpty(), qPrintable(field->objectName()));
}

QTEST_MAIN(PreviewAccessibilityTest)
#include "PreviewAccessibilityTest.moc"
