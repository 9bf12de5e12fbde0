// Printing from the preview through the output-options window, with a PDF file in place of the
// system's printers (the system's printers are tested in SystemPrinterTest).
#include "PreviewForm.h"
#include "PreviewHarness.h"
#include "SetupForm.h"
#include "WindowDriver.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace kodexa;
using namespace kodexa::report;
using testsupport::visibleWindow;

namespace {

template <typename Widget = QWidget> Widget* control(TRPSetupForm& form, const char* name) {
    auto* widget = form.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

void setText(TRPSetupForm& form, const char* field, const QString& text) {
    auto* edit = control<QLineEdit>(form, field);
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

} // namespace

class PrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printOpensTheOutputOptionsInThePrintRangeForm();
    void escapeInTheOutputOptionsPrintsNothing();
    void theRangeFieldsFollowTheChosenButton();
    void okStaysDisabledWhileTheRangeCoversNoPage();
    void aSelectionPrintsItsPagesAndTheOptionsPresetTheNextPrint();
    void setupOpensThePrinterDialogAndShowsThePrinterAgain();
    void withoutTheSetupPermissionAllPagesPrintAtOnce();

private:
    // Runs Print with step driving the output-options window once it shows.
    void print(const std::function<void(TRPSetupForm&)>& step) {
        bool driven = false;
        testsupport::WindowDriver driver([&] {
            if (auto* form = visibleWindow<TRPSetupForm>(); form && !driven) {
                driven = true;
                step(*form);
                if (form->isVisible())
                    form->reject();
            }
        });
        preview->findChild<QAction*>(QStringLiteral("actnFile_Print"))->trigger();
        QVERIFY(driven || !settings.systemSetups.testFlag(SystemSetup::AllowPreviewSetup));
    }

    std::shared_ptr<const PageStore> pages;
    SystemSettings settings;
    testsupport::ScriptedPrompts prompts;
    std::unique_ptr<QTemporaryDir> folder;
    QString printed;
    std::unique_ptr<testsupport::PdfFilePrinters> printers;
    std::unique_ptr<TRavePreviewForm> preview;
};

void PrintTest::initTestCase() {
    pages = testsupport::codeListPages("PREFIX 03");
    QVERIFY(pages->pageCount() >= 5);
}

void PrintTest::init() {
    settings = SystemSettings();
    prompts = testsupport::ScriptedPrompts();
    folder = std::make_unique<QTemporaryDir>();
    printed = folder->filePath(QStringLiteral("printed.pdf"));
    printers = std::make_unique<testsupport::PdfFilePrinters>(printed);
    preview = std::make_unique<TRavePreviewForm>(pages, settings, nullptr,
                                                 PreviewServices{&prompts, printers.get()});
    preview->show();
    QVERIFY(QTest::qWaitForWindowExposed(preview.get()));
}

void PrintTest::cleanup() {
    preview.reset();
    printers.reset();
    folder.reset();
}

void PrintTest::printOpensTheOutputOptionsInThePrintRangeForm() {
    const QString last = QString::number(pages->pageCount());
    QStringList seen;
    // The output options are centred on the screen, wherever the preview stands.
    preview->move(0, 0);
    QTest::qWait(0);
    QRect placed;
    print([&](TRPSetupForm& form) {
        QTest::qWait(0);
        placed = form.frameGeometry();
        seen << form.windowTitle() << QStringLiteral("%1x%2").arg(form.width()).arg(form.height())
             << control<QLabel>(form, "PrinterLabel")->text();
        auto* ok = control<QPushButton>(form, "bbtnOK");
        seen << ok->text() + QString::number(ok->isDefault()) + QString::number(ok->isEnabled())
             << control<QPushButton>(form, "CancelBB")->text()
             << control<QPushButton>(form, "SetupBB")->text();
        QVERIFY(control<QRadioButton>(form, "AllRB")->isChecked());
        QCOMPARE(control<QLineEdit>(form, "SelectionED")->text(), QStringLiteral("1-") + last);
        QVERIFY(!control<QLineEdit>(form, "SelectionED")->isEnabled());
        QVERIFY(control<QLineEdit>(form, "FromED")->isHidden());
        QCOMPARE(control<QLineEdit>(form, "FromED")->text(), QStringLiteral("1"));
        QCOMPARE(control<QLineEdit>(form, "ToED")->text(), last);
        QCOMPARE(control<QLineEdit>(form, "CopiesED")->text(), QStringLiteral("1"));
        QVERIFY(control<QLineEdit>(form, "CopiesED")->isEnabled());
        QVERIFY(!control<QCheckBox>(form, "CollateCK")->isChecked());
        QVERIFY(!control<QCheckBox>(form, "DuplexCK")->isChecked());
        QVERIFY(control<QCheckBox>(form, "CollateCK")->isEnabled());
        QVERIFY(control<QCheckBox>(form, "DuplexCK")->isEnabled());
        QVERIFY(control<QPushButton>(form, "SetupBB")->isEnabled());
        QCOMPARE(QApplication::activeModalWidget(), &form);
    });
    QCOMPARE(seen, (QStringList{"Output Options", "295x242", "PDF on " + printed, "   OK   11", "Cancel",
                                "&Setup"}));
    const QRect available = preview->screen()->availableGeometry();
    QVERIFY(placed.size() != QSize(295, 242)); // with its frame
    QVERIFY2(qAbs(placed.center().x() - available.center().x()) <= 1,
             qPrintable(QString::number(placed.x())));
    QVERIFY2(qAbs(placed.center().y() - available.center().y()) <= 1,
             qPrintable(QString::number(placed.y())));
}

void PrintTest::escapeInTheOutputOptionsPrintsNothing() {
    bool stillOpenAfterEscape = true;
    print([&](TRPSetupForm& form) {
        QTest::keyClick(control<QLineEdit>(form, "CopiesED"), Qt::Key_Escape);
        stillOpenAfterEscape = form.isVisible();
    });
    QVERIFY(!stillOpenAfterEscape);
    QVERIFY(!QFile::exists(printed));
    QVERIFY(prompts.errors.isEmpty());
}

void PrintTest::theRangeFieldsFollowTheChosenButton() {
    print([&](TRPSetupForm& form) {
        auto* selection = control<QLineEdit>(form, "SelectionED");
        auto* from = control<QLineEdit>(form, "FromED");
        control<QRadioButton>(form, "SelectionRB")->click();
        QVERIFY(selection->isEnabled() && selection->isVisible());
        QVERIFY(from->isHidden());
        setText(form, "SelectionED", QStringLiteral("1-2,a4 x;5"));
        QCOMPARE(selection->text(), QStringLiteral("1-2,45")); // digits, "-" and "," only

        control<QRadioButton>(form, "PagesRB")->click();
        QVERIFY(selection->isHidden());
        QVERIFY(from->isVisible() && control<QLineEdit>(form, "ToED")->isVisible());
        QVERIFY(control<QLabel>(form, "FromLabel")->isVisible());
        setText(form, "FromED", QStringLiteral("2-x3"));
        QCOMPARE(from->text(), QStringLiteral("23")); // digits only
        setText(form, "CopiesED", QStringLiteral("-2,"));
        QCOMPARE(control<QLineEdit>(form, "CopiesED")->text(), QStringLiteral("2"));

        control<QRadioButton>(form, "AllRB")->click();
        QVERIFY(selection->isVisible() && !selection->isEnabled());
    });
}

void PrintTest::okStaysDisabledWhileTheRangeCoversNoPage() {
    const int count = static_cast<int>(pages->pageCount());
    print([&](TRPSetupForm& form) {
        auto* ok = control<QPushButton>(form, "bbtnOK");
        control<QRadioButton>(form, "PagesRB")->click();
        QVERIFY(ok->isEnabled());
        setText(form, "FromED", QString());
        QVERIFY(!ok->isEnabled());
        QVERIFY(!ok->toolTip().isEmpty());
        QTest::keyClick(control<QLineEdit>(form, "ToED"), Qt::Key_Return); // the default button is off
        QVERIFY(form.isVisible());
        setText(form, "FromED", QStringLiteral("4"));
        setText(form, "ToED", QStringLiteral("2"));
        QVERIFY(!ok->isEnabled());
        setText(form, "FromED", QString::number(count + 1));
        setText(form, "ToED", QString::number(count + 5));
        QVERIFY(!ok->isEnabled());
        setText(form, "FromED", QStringLiteral("2"));
        QVERIFY(ok->isEnabled());
        QVERIFY(ok->toolTip().isEmpty());

        control<QRadioButton>(form, "SelectionRB")->click();
        setText(form, "SelectionED", QStringLiteral("3-1"));
        QVERIFY(!ok->isEnabled());
        setText(form, "SelectionED", QStringLiteral("1--2"));
        QVERIFY(!ok->isEnabled());
        setText(form, "SelectionED", QStringLiteral(","));
        QVERIFY(!ok->isEnabled());
        setText(form, "SelectionED", QStringLiteral("2,99999"));
        QVERIFY(ok->isEnabled());

        setText(form, "CopiesED", QStringLiteral("0"));
        QVERIFY(!ok->isEnabled());
        setText(form, "CopiesED", QString()); // no number: the settings' copy count stays
        QVERIFY(ok->isEnabled());
    });
    QVERIFY(!QFile::exists(printed));
}

void PrintTest::aSelectionPrintsItsPagesAndTheOptionsPresetTheNextPrint() {
    if (!testsupport::hasPoppler())
        QSKIP("pdfinfo and pdftotext (poppler-utils) are needed to read the PDF back");
    preview->showPage(3);
    print([&](TRPSetupForm& form) {
        control<QRadioButton>(form, "SelectionRB")->click();
        setText(form, "SelectionED", QStringLiteral("4,1-2"));
        setText(form, "CopiesED", QStringLiteral("2"));
        control<QCheckBox>(form, "CollateCK")->click();
        control<QCheckBox>(form, "DuplexCK")->click();
        control<QPushButton>(form, "bbtnOK")->click();
    });
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(preview->navigator().page(), 3); // the preview stays on its page
    QCOMPARE(settings.systemPrinter.copies, 2);
    QVERIFY(settings.systemPrinter.collate);
    QVERIFY(settings.systemPrinter.duplex);

    // The PDF printer makes no copies itself: each copy is a job of its own into the same file.
    QCOMPARE(testsupport::pdfPageCount(printed), 3);
    const std::vector<int> expected{1, 2, 4};
    for (int sheet = 1; sheet <= 3; ++sheet) {
        const QString text = testsupport::pdfPageText(printed, sheet);
        for (int page = 1; page <= 5; ++page) {
            const bool wanted = page == expected[static_cast<std::size_t>(sheet - 1)];
            const QString first = testsupport::codesOnPage(*pages, page).front();
            QVERIFY2(
                text.contains(first) == wanted,
                qPrintable(QStringLiteral("sheet %1, code %2 of page %3").arg(sheet).arg(first).arg(page)));
        }
    }

    QStringList preset;
    print([&](TRPSetupForm& form) {
        preset << control<QLineEdit>(form, "CopiesED")->text()
               << QString::number(control<QCheckBox>(form, "CollateCK")->isChecked())
               << QString::number(control<QCheckBox>(form, "DuplexCK")->isChecked())
               << QString::number(control<QRadioButton>(form, "AllRB")->isChecked());
    });
    QCOMPARE(preset, (QStringList{"2", "1", "1", "1"}));
}

void PrintTest::setupOpensThePrinterDialogAndShowsThePrinterAgain() {
    QString before;
    QString after;
    print([&](TRPSetupForm& form) {
        before = control<QLabel>(form, "PrinterLabel")->text();
        control<QPushButton>(form, "SetupBB")->click();
        after = control<QLabel>(form, "PrinterLabel")->text();
    });
    QCOMPARE(printers->setups, 1);
    QCOMPARE(before, "PDF on " + printed);
    QCOMPARE(after, "PDF on " + printed + ".set-up.pdf");

    settings.systemSetups &= ~SystemSetups(SystemSetup::AllowPrinterSetup);
    bool setupEnabled = true;
    print([&](TRPSetupForm& form) { setupEnabled = control<QPushButton>(form, "SetupBB")->isEnabled(); });
    QVERIFY(!setupEnabled);
}

void PrintTest::withoutTheSetupPermissionAllPagesPrintAtOnce() {
    if (!testsupport::hasPoppler())
        QSKIP("pdfinfo and pdftotext (poppler-utils) are needed to read the PDF back");
    settings.systemSetups &= ~SystemSetups(SystemSetup::AllowPreviewSetup);
    print([](TRPSetupForm&) { QFAIL("no output options without the permission"); });
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(testsupport::pdfPageCount(printed), static_cast<int>(pages->pageCount()));
}

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
