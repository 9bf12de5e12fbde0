// Printing on the system's printers through CUPS. CTest runs each function on its own, with
// CUPS_SERVER set: printsPagesTwoToFour... against a private server with one PDF queue (started by
// cups/start-cups.sh as a fixture, its folder in KODEXA_CUPS_DIR), withoutAPrintServer... against a
// socket where no server listens.
//
// Where the fixture could not start a server (it says why in KODEXA_CUPS_DIR/unavailable), the
// print is checked with the same assertions against Qt's own PDF output, and the test says so.
#include "PreviewForm.h"
#include "PreviewHarness.h"
#include "SetupForm.h"
#include "WindowDriver.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kodexa;
using namespace kodexa::report;
using testsupport::visibleWindow;

namespace {

template <typename Widget = QWidget> Widget* control(TRPSetupForm& form, const char* name) {
    return form.findChild<Widget*>(QString::fromLatin1(name));
}

void setText(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

// The private print server of the fixture, or why there is none.
struct PrintServer {
    QString folder;
    QString unavailable;

    static PrintServer fromEnvironment() {
        PrintServer server{qEnvironmentVariable("KODEXA_CUPS_DIR"), {}};
        if (server.folder.isEmpty() || qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
            server.unavailable = QStringLiteral("no print server fixture (run through CTest: report_system_printer_cups)");
            return server;
        }
        QFile reason(server.folder + QStringLiteral("/unavailable"));
        if (reason.open(QIODevice::ReadOnly))
            server.unavailable = QString::fromUtf8(reason.readAll()).trimmed();
        return server;
    }
    QString output() const { return folder + QStringLiteral("/out/job.pdf"); }
};

bool queueIsEmpty() {
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("kx")});
    return lpstat.waitForFinished(10000) && lpstat.exitCode() == 0 && lpstat.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

class SystemPrinterTest : public QObject {
    Q_OBJECT

private slots:
    void printsPagesTwoToFourOnTheSystemPrinter();
    void withoutAPrintServerThereIsNoPrinterToChoose();
};

void SystemPrinterTest::printsPagesTwoToFourOnTheSystemPrinter() {
    if (!testsupport::hasPoppler())
        QFAIL("pdfinfo and pdftotext (poppler-utils) are needed to read the printed pages back");
    const std::shared_ptr<const PageStore> pages = testsupport::codeListPages("PREFIX 03");
    QVERIFY(pages->pageCount() >= 5);

    const PrintServer server = PrintServer::fromEnvironment();
    QTemporaryDir folder;
    std::unique_ptr<testsupport::PdfFilePrinters> pdfPrinters;
    QString output = server.output();
    if (!server.unavailable.isEmpty()) {
        qWarning("No CUPS server (%s): checking the print against Qt's PDF output instead",
                 qPrintable(server.unavailable));
        output = folder.filePath(QStringLiteral("printed.pdf"));
        pdfPrinters = std::make_unique<testsupport::PdfFilePrinters>(output);
    }

    SystemSettings settings;
    testsupport::ScriptedPrompts prompts;
    TRavePreviewForm preview(pages, settings, nullptr, PreviewServices{&prompts, pdfPrinters.get()});
    preview.show();
    QString printer;
    bool driven = false;
    testsupport::WindowDriver driver([&] {
        auto* form = visibleWindow<TRPSetupForm>();
        if (!form || driven)
            return;
        driven = true;
        printer = control<QLabel>(*form, "PrinterLabel")->text();
        control<QRadioButton>(*form, "PagesRB")->click();
        setText(control<QLineEdit>(*form, "FromED"), QStringLiteral("2"));
        setText(control<QLineEdit>(*form, "ToED"), QStringLiteral("4"));
        control<QPushButton>(*form, "bbtnOK")->click();
    });
    preview.findChild<QAction*>(QStringLiteral("actnFile_Print"))->trigger();
    QVERIFY(driven);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    if (server.unavailable.isEmpty()) {
        QCOMPARE(printer, QStringLiteral("kx on Test Bench"));
        // The job leaves the queue once the PDF is complete.
        QTRY_VERIFY_WITH_TIMEOUT(queueIsEmpty() && QFile::exists(output), 30000);
    }

    QCOMPARE(testsupport::pdfPageCount(output), 3);
    for (int sheet = 1; sheet <= 3; ++sheet) {
        const QString text = testsupport::pdfPageText(output, sheet);
        QVERIFY(text.contains(QStringLiteral("Liste der CPV Codes")));
        for (int page = 1; page <= 5; ++page) {
            const bool wanted = page == sheet + 1;
            for (const QString& code : testsupport::codesOnPage(*pages, page))
                QVERIFY2(text.contains(code) == wanted,
                         qPrintable(QStringLiteral("sheet %1, code %2 of page %3").arg(sheet).arg(code).arg(page)));
        }
    }
}

void SystemPrinterTest::withoutAPrintServerThereIsNoPrinterToChoose() {
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    if (server.isEmpty() || QFile::exists(server))
        QSKIP("run through CTest (report_system_printer_none), with CUPS_SERVER at a socket without a server");
    QVERIFY(QPrinterInfo::availablePrinters().isEmpty());

    SystemSettings settings;
    testsupport::ScriptedPrompts prompts;
    TRavePreviewForm preview(testsupport::codeListPages("PREFIX 98910000"), settings, nullptr,
                             PreviewServices{&prompts, nullptr});
    preview.show();
    QStringList seen;
    bool driven = false;
    testsupport::WindowDriver driver([&] {
        auto* form = visibleWindow<TRPSetupForm>();
        if (!form || driven)
            return;
        driven = true;
        seen << control<QLabel>(*form, "PrinterLabel")->text();
        for (const char* name : {"CopiesED", "CollateCK", "DuplexCK", "SetupBB", "bbtnOK", "CancelBB", "AllRB"})
            seen << QString::fromLatin1(name) + u'=' + QString::number(control(*form, name)->isEnabled());
        control<QPushButton>(*form, "bbtnOK")->click();
    });
    preview.findChild<QAction*>(QStringLiteral("actnFile_Print"))->trigger();
    QCOMPARE(seen, (QStringList{"No printers installed!", "CopiesED=0", "CollateCK=0", "DuplexCK=0", "SetupBB=0",
                                "bbtnOK=1", "CancelBB=1", "AllRB=1"}));
    QCOMPARE(prompts.errors, QStringList{"Cannot print: no printer is installed"});
}

QTEST_MAIN(SystemPrinterTest)
#include "SystemPrinterTest.moc"
