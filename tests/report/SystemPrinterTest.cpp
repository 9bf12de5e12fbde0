// Printing on the system's printers through CUPS. CTest runs the functions with CUPS_SERVER set:
// printsPagesTwoToFour... and copiesAndCollate... against a private server with one PDF queue
// (started by cups/start-cups.sh as a fixture, its folder in KODEXA_CUPS_DIR), withoutAPrintServer...
// against a socket where no server listens.
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
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

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
            server.unavailable =
                QStringLiteral("no print server fixture (run through CTest: report_system_printer_cups)");
            return server;
        }
        QFile reason(server.folder + QStringLiteral("/unavailable"));
        if (reason.open(QIODevice::ReadOnly))
            server.unavailable = QString::fromUtf8(reason.readAll()).trimmed();
        return server;
    }
    QString output() const { return folder + QStringLiteral("/out/job.pdf"); }
};

// The server's complaints about print jobs: a job whose filter fails stops in the queue for good, and
// the reason is only in the server's log.
QString jobFailures(const PrintServer& server) {
    QFile log(server.folder + QStringLiteral("/log/error_log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = log.readAll().split('\n');
    const auto isFailure = [](const QByteArray& line) {
        return line.startsWith("E ") && line.contains("[Job ");
    };
    if (std::none_of(lines.begin(), lines.end(), isFailure))
        return {};
    // After a failure the server copies the job's debug messages into the log, the filters' among them.
    static const QRegularExpression filterMessage(
        QStringLiteral("stopped with status|error|can't|cannot|unable|no such|denied"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList failures;
    for (const QByteArray& line : lines) {
        const QString text = QString::fromUtf8(line);
        if (isFailure(line) || (line.startsWith("D ") && text.contains(filterMessage)))
            failures.append(text);
    }
    return failures.join(u'\n');
}

void cancelAllJobs() {
    QProcess cancel;
    cancel.start(QStringLiteral("cancel"), {QStringLiteral("-a"), QStringLiteral("kx")});
    cancel.waitForFinished(10000);
}

bool queueIsEmpty() {
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("kx")});
    return lpstat.waitForFinished(10000) && lpstat.exitCode() == 0 &&
           lpstat.readAllStandardOutput().trimmed().isEmpty();
}

// The pages (from 1, among the first five) that the sheets of a printed PDF show, told apart by
// their codes.
QList<int> pagesOnSheets(const QString& output, const PageStore& pages) {
    QList<int> shown;
    const int sheets = testsupport::pdfPageCount(output);
    for (int sheet = 1; sheet <= sheets; ++sheet) {
        const QString text = testsupport::pdfPageText(output, sheet);
        int found = 0;
        for (int page = 1; page <= 5; ++page) {
            const QStringList codes = testsupport::codesOnPage(pages, page);
            const auto printed = std::count_if(codes.begin(), codes.end(),
                                               [&](const QString& code) { return text.contains(code); });
            if (printed == codes.size() && text.contains(QStringLiteral("Liste der CPV Codes")))
                found = found == 0 ? page : -1; // -1: more than one page on a sheet
            else if (printed > 0)
                found = -1;
        }
        shown.append(found);
    }
    return shown;
}

} // namespace

class SystemPrinterTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printsPagesTwoToFourOnTheSystemPrinter();
    void copiesAndCollateReachThePrinter();
    void withoutAPrintServerThereIsNoPrinterToChoose();

private:
    // Prints pages from to to from the preview, as the user does in the output options; returns
    // the printer that the options showed.
    QString printPages(int from, int to, int copies, bool collate) {
        QString printer;
        bool driven = false;
        testsupport::WindowDriver driver([&] {
            auto* form = visibleWindow<TRPSetupForm>();
            if (!form || driven)
                return;
            driven = true;
            printer = control<QLabel>(*form, "PrinterLabel")->text();
            control<QRadioButton>(*form, "PagesRB")->click();
            setText(control<QLineEdit>(*form, "FromED"), QString::number(from));
            setText(control<QLineEdit>(*form, "ToED"), QString::number(to));
            setText(control<QLineEdit>(*form, "CopiesED"), QString::number(copies));
            control<QCheckBox>(*form, "CollateCK")->setChecked(collate);
            control<QPushButton>(*form, "bbtnOK")->click();
        });
        preview->findChild<QAction*>(QStringLiteral("actnFile_Print"))->trigger();
        if (!driven)
            qWarning("the output options did not show");
        if (server.unavailable.isEmpty() && QFile::exists(server.folder)) {
            // The job leaves the queue once the PDF is complete; a failed one never does.
            const bool left = QTest::qWaitFor(
                [&] { return queueIsEmpty() || !(jobFailure = jobFailures(server)).isEmpty(); }, 30000);
            if (!jobFailure.isEmpty()) {
                // The filter's own message may follow the first complaint by a moment.
                QTest::qWait(500);
                jobFailure = jobFailures(server);
                cancelAllJobs();
            } else if (!left)
                jobFailure = QStringLiteral("the print job did not leave the queue");
        }
        return printer;
    }

    std::shared_ptr<const PageStore> pages;
    PrintServer server;
    QString jobFailure; // what the print server said of a job that failed
    std::unique_ptr<QTemporaryDir> folder;
    QString output;
    std::unique_ptr<testsupport::PdfFilePrinters> pdfPrinters;
    SystemSettings settings;
    testsupport::ScriptedPrompts prompts;
    std::unique_ptr<TRavePreviewForm> preview;
};

void SystemPrinterTest::initTestCase() {
    if (!testsupport::hasPoppler())
        QFAIL("pdfinfo and pdftotext (poppler-utils) are needed to read the printed pages back");
    pages = testsupport::codeListPages("PREFIX 03");
    QVERIFY(pages->pageCount() >= 5);
    server = PrintServer::fromEnvironment();
}

void SystemPrinterTest::init() {
    folder = std::make_unique<QTemporaryDir>();
    jobFailure.clear();
    output = server.output();
    if (!server.unavailable.isEmpty()) {
        output = folder->filePath(QStringLiteral("printed.pdf"));
        pdfPrinters = std::make_unique<testsupport::PdfFilePrinters>(output);
    }
    QFile::remove(output);
    settings = SystemSettings();
    prompts = testsupport::ScriptedPrompts();
    preview = std::make_unique<TRavePreviewForm>(pages, settings, nullptr,
                                                 PreviewServices{&prompts, pdfPrinters.get()});
    preview->show();
}

void SystemPrinterTest::cleanup() {
    preview.reset();
    pdfPrinters.reset();
    folder.reset();
}

void SystemPrinterTest::printsPagesTwoToFourOnTheSystemPrinter() {
    if (!server.unavailable.isEmpty())
        qWarning("No CUPS server (%s): checking the print against Qt's PDF output instead",
                 qPrintable(server.unavailable));
    const QString printer = printPages(2, 4, 1, false);
    QVERIFY2(jobFailure.isEmpty(), qPrintable(jobFailure));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    if (server.unavailable.isEmpty())
        QCOMPARE(printer, QStringLiteral("kx on Test Bench"));
    QVERIFY(QFile::exists(output));
    QCOMPARE(pagesOnSheets(output, *pages), (QList<int>{2, 3, 4}));
    QCOMPARE(testsupport::pdfTitle(output), QStringLiteral("Ausdruck CPV-Liste")); // the job's document name
}

// A print queue makes the copies itself: the copy count and collate go with the one job.
void SystemPrinterTest::copiesAndCollateReachThePrinter() {
    if (!server.unavailable.isEmpty())
        QSKIP(qPrintable(
            QStringLiteral("No CUPS server (%1): a PDF file makes no copies").arg(server.unavailable)));
    printPages(2, 3, 2, true);
    QVERIFY2(jobFailure.isEmpty(), qPrintable(jobFailure));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(pagesOnSheets(output, *pages), (QList<int>{2, 3, 2, 3}));
    QFile::remove(output);
    printPages(2, 3, 2, false);
    QVERIFY2(jobFailure.isEmpty(), qPrintable(jobFailure));
    QCOMPARE(pagesOnSheets(output, *pages), (QList<int>{2, 2, 3, 3}));
}

void SystemPrinterTest::withoutAPrintServerThereIsNoPrinterToChoose() {
    const QString socket = qEnvironmentVariable("CUPS_SERVER");
    if (socket.isEmpty() || QFile::exists(socket))
        QSKIP(
            "run through CTest (report_system_printer_none), with CUPS_SERVER at a socket without a server");
    QVERIFY(QPrinterInfo::availablePrinters().isEmpty());

    TRavePreviewForm systemPreview(pages, settings, nullptr, PreviewServices{&prompts, nullptr});
    systemPreview.show();
    QStringList seen;
    bool driven = false;
    testsupport::WindowDriver driver([&] {
        auto* form = visibleWindow<TRPSetupForm>();
        if (!form || driven)
            return;
        driven = true;
        seen << control<QLabel>(*form, "PrinterLabel")->text();
        for (const char* name :
             {"CopiesED", "CollateCK", "DuplexCK", "SetupBB", "bbtnOK", "CancelBB", "AllRB"})
            seen << QString::fromLatin1(name) + u'=' + QString::number(control(*form, name)->isEnabled());
        control<QPushButton>(*form, "bbtnOK")->click();
    });
    systemPreview.findChild<QAction*>(QStringLiteral("actnFile_Print"))->trigger();
    QCOMPARE(seen, (QStringList{"No printers installed!", "CopiesED=0", "CollateCK=0", "DuplexCK=0",
                                "SetupBB=0", "bbtnOK=1", "CancelBB=1", "AllRB=1"}));
    QCOMPARE(prompts.errors, QStringList{"Cannot print: no printer is installed"});
}

QTEST_MAIN(SystemPrinterTest)
#include "SystemPrinterTest.moc"
