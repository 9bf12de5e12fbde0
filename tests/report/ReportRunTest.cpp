// The print run of "D&rucken" with its windows: the status window while pages are generated, then
// the modal preview. The windows are driven from a zero-interval timer, which fires whenever the
// run lets events through (once per page, and in the preview's own loop).
#include "PreviewForm.h"
#include "ReportComponents.h"
#include "ReportWindows.h"
#include "StatusForm.h"
#include "TestTable.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

using namespace kodexa;
using namespace kodexa::report;
using testsupport::visibleWindow;
using testsupport::WindowDriver;

namespace {

QString statusBarText(const TRavePreviewForm& preview) {
    return preview.findChild<QLabel*>(QStringLiteral("StatusText"))->text();
}

bool enabled(const TRavePreviewForm& preview, const char* action) {
    return preview.findChild<QAction*>(QString::fromLatin1(action))->isEnabled();
}

void trigger(TRavePreviewForm& preview, const char* action) {
    preview.findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

// Windows that record what a run asks of them, cancelling at a chosen page.
class RecordingWindows final : public ReportWindows {
public:
    std::unique_ptr<GenerationStatus> openStatus(const SystemSettings& settings, QWidget*) override {
        statusCaption = settings.titleStatus;
        return std::make_unique<Status>(*this);
    }
    void showPreview(std::shared_ptr<const PageStore> pages, SystemSettings&, QWidget*) override {
        previewed = std::move(pages);
    }

    QString statusCaption;
    QStringList statusLines;
    int cancelAtLine = 0;
    std::shared_ptr<const PageStore> previewed;

private:
    struct Status final : GenerationStatus {
        explicit Status(RecordingWindows& owner) : owner(owner) {}
        bool pageStarted(const QString& line) override {
            owner.statusLines.append(line);
            return owner.statusLines.size() != owner.cancelAtLine;
        }
        RecordingWindows& owner;
    };
};

} // namespace

class ReportRunTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        table = std::make_unique<TClientDataSet>("ClientDataSet1");
        testsupport::loadTestTable(*table);
        components = std::make_unique<ReportComponents>(*table);
    }
    void cleanup() {
        components.reset();
        table.reset();
    }

    void theStatusWindowShowsItsLineAndThePreviewOpensOnPageOne();
    void thePreviewMovesOnlyToPagesThatExist();
    void aOnePageReportDisablesAllFourMoves();
    void cancelInTheStatusWindowShowsNoPreviewAndRestoresTheTable();
    void escapeInTheStatusWindowCancelsToo();
    void theRunGeneratesUnderTheSettingsOfTheMainWindow();
    void onlyThePreviewIsAvailableAsADestination();

private:
    std::unique_ptr<TClientDataSet> table;
    std::unique_ptr<ReportComponents> components;
};

void ReportRunTest::theStatusWindowShowsItsLineAndThePreviewOpensOnPageOne() {
    QString firstStatusLine;
    QString statusCaption;
    QSize statusSize;
    QPushButton* cancelButton = nullptr;
    QString previewCaption;
    QSize previewSize;
    QString previewStatus;
    QSize pageSize;
    bool previewWasModal = false;
    int previews = 0;
    WindowDriver driver([&] {
        if (auto* status = visibleWindow<TRPStatusForm>(); status && firstStatusLine.isEmpty()) {
            firstStatusLine = status->statusText();
            statusCaption = status->windowTitle();
            statusSize = status->size();
            cancelButton = status->findChild<QPushButton*>(QStringLiteral("CancelButton"));
            QVERIFY(cancelButton && cancelButton->isDefault());
            QCOMPARE(cancelButton->text(), QStringLiteral("Cancel"));
            QCOMPARE(cancelButton->geometry(), QRect(144, 78, 75, 25));
            QCOMPARE(status->findChild<QLabel*>(QStringLiteral("StatusLabel"))->geometry(),
                     QRect(8, 16, 345, 49));
        }
        if (auto* preview = visibleWindow<TRavePreviewForm>()) {
            ++previews;
            previewCaption = preview->windowTitle();
            previewSize = preview->frameGeometry().size(); // frame included
            previewStatus = statusBarText(*preview);
            previewWasModal = QApplication::activeModalWidget() == preview;
            pageSize = preview->findChild<QScrollArea*>(QStringLiteral("ScrollBox1"))->widget()->size();
            preview->close();
        }
    });
    runCodeListReport(*components, nullptr); // returns once the preview is closed

    QCOMPARE(firstStatusLine, QStringLiteral("Drucke Seite 1"));
    QCOMPARE(statusCaption, QStringLiteral("Report Status"));
    QCOMPARE(statusSize, QSize(361, 113));
    QCOMPARE(previews, 1);
    QCOMPARE(previewCaption, QStringLiteral("Vorschau"));
    QCOMPARE(previewSize, QSize(615, 450));
    QVERIFY(previewWasModal);
    QVERIFY2(previewStatus.startsWith(QStringLiteral("Page 1 of ")), qPrintable(previewStatus));
    QVERIFY(previewStatus.mid(10).toInt() >= 186);
    QCOMPARE(pageSize, QSize(794, 1123)); // A4 at 100 %, 96 pixels to the inch
    QVERIFY(visibleWindow<TRPStatusForm>() == nullptr);
}

void ReportRunTest::thePreviewMovesOnlyToPagesThatExist() {
    testsupport::applyTestFilter(*table, "PREFIX 03");
    QStringList seen;
    WindowDriver driver([&] {
        auto* preview = visibleWindow<TRavePreviewForm>();
        if (!preview)
            return;
        const int count = preview->navigator().pageCount();
        QVERIFY(count > 2);
        const auto moves = [&] {
            return QStringLiteral("%1 %2%3%4%5")
                .arg(statusBarText(*preview))
                .arg(enabled(*preview, "actnPage_First"))
                .arg(enabled(*preview, "actnPage_Previous"))
                .arg(enabled(*preview, "actnPage_Next"))
                .arg(enabled(*preview, "actnPage_Last"));
        };
        seen << moves();
        trigger(*preview, "actnPage_Next");
        seen << moves();
        trigger(*preview, "actnPage_Last");
        seen << moves();
        trigger(*preview, "actnPage_Next"); // nothing beyond the last page
        trigger(*preview, "actnPage_Previous");
        seen << moves();
        trigger(*preview, "actnPage_First");
        seen << moves();
        seen << QString::number(count);
        preview->close();
    });
    runCodeListReport(*components, nullptr);

    QCOMPARE(seen.size(), 6);
    const QString last = seen[5];
    const int count = last.toInt();
    QCOMPARE(seen[0], QStringLiteral("Page 1 of %1 0011").arg(count));
    QCOMPARE(seen[1], QStringLiteral("Page 2 of %1 1111").arg(count));
    QCOMPARE(seen[2], QStringLiteral("Page %1 of %1 1100").arg(count));
    QCOMPARE(seen[3], QStringLiteral("Page %1 of %2 1111").arg(count - 1).arg(count));
    QCOMPARE(seen[4], QStringLiteral("Page 1 of %1 0011").arg(count));
}

void ReportRunTest::aOnePageReportDisablesAllFourMoves() {
    testsupport::applyTestFilter(*table, "PREFIX 98910000");
    QString state;
    WindowDriver driver([&] {
        if (auto* preview = visibleWindow<TRavePreviewForm>()) {
            state = statusBarText(*preview) + u' ' + QString::number(enabled(*preview, "actnPage_First")) +
                    QString::number(enabled(*preview, "actnPage_Previous")) +
                    QString::number(enabled(*preview, "actnPage_Next")) +
                    QString::number(enabled(*preview, "actnPage_Last"));
            preview->close();
        }
    });
    runCodeListReport(*components, nullptr);
    QCOMPARE(state, QStringLiteral("Page 1 of 1 0000"));
}

void ReportRunTest::cancelInTheStatusWindowShowsNoPreviewAndRestoresTheTable() {
    testsupport::applyTestFilter(*table, "PREFIX 4");
    table->setRecNo(12);
    const std::string current = table->fieldAsString("CPV_ID");
    int previews = 0;
    QString lineWhenCancelled;
    WindowDriver driver([&] {
        if (auto* status = visibleWindow<TRPStatusForm>(); status && lineWhenCancelled.isEmpty()) {
            lineWhenCancelled = status->statusText();
            status->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
        }
        if (auto* preview = visibleWindow<TRavePreviewForm>()) {
            ++previews;
            preview->close();
        }
    });
    runCodeListReport(*components, nullptr);
    QCOMPARE(lineWhenCancelled, QStringLiteral("Drucke Seite 1"));
    QCOMPARE(previews, 0);
    QVERIFY(visibleWindow<TRPStatusForm>() == nullptr);
    QVERIFY(table->recNo() == std::optional<std::size_t>(12));
    QVERIFY(table->fieldAsString("CPV_ID") == current);
    QVERIFY(table->filter() == "PREFIX 4");
    QVERIFY(table->filtered());
    QVERIFY(!table->controlsDisabled());
}

void ReportRunTest::escapeInTheStatusWindowCancelsToo() {
    int previews = 0;
    bool pressed = false;
    WindowDriver driver([&] {
        if (auto* status = visibleWindow<TRPStatusForm>(); status && !pressed) {
            pressed = true;
            QTest::keyClick(status, Qt::Key_Escape);
        }
        if (auto* preview = visibleWindow<TRavePreviewForm>()) {
            ++previews;
            preview->close();
        }
    });
    runCodeListReport(*components, nullptr);
    QVERIFY(pressed);
    QCOMPARE(previews, 0);
}

void ReportRunTest::theRunGeneratesUnderTheSettingsOfTheMainWindow() {
    RecordingWindows windows;
    components->RvSystem1.setWindows(&windows);
    components->RvSystem1.settings().systemSetups |= SystemSetup::AllowSetup;
    runCodeListReport(*components, nullptr);

    const SystemSettings& settings = components->RvSystem1.settings();
    QVERIFY(!settings.systemSetups.testFlag(SystemSetup::AllowSetup));
    QVERIFY(settings.systemSetups.testFlag(SystemSetup::AllowPreviewSetup));
    QVERIFY(!settings.doNativeOutput);
    QCOMPARE(components->RvSystem1.renderObject(), &components->RvRenderPreview1);
    QCOMPARE(windows.statusCaption, QStringLiteral("Report Status"));
    QVERIFY(windows.previewed);
    QCOMPARE(windows.previewed->title(), std::string("Ausdruck CPV-Liste"));
    QCOMPARE(static_cast<qsizetype>(windows.previewed->pageCount()), windows.statusLines.size());
    QCOMPARE(windows.statusLines.front(), QStringLiteral("Drucke Seite 1"));
    QCOMPARE(windows.statusLines.back(), QStringLiteral("Drucke Seite %1").arg(windows.statusLines.size()));

    // A second print shows the same pages; a cancelled one shows none.
    const std::shared_ptr<const PageStore> firstPages = windows.previewed;
    windows.statusLines.clear();
    runCodeListReport(*components, nullptr);
    QVERIFY(*windows.previewed == *firstPages);
    windows.previewed.reset();
    windows.statusLines.clear();
    windows.cancelAtLine = 3;
    runCodeListReport(*components, nullptr);
    QVERIFY(!windows.previewed);
    QCOMPARE(windows.statusLines.size(), 3);
}

void ReportRunTest::onlyThePreviewIsAvailableAsADestination() {
    RecordingWindows windows;
    components->RvSystem1.setWindows(&windows);
    components->RvSystem1.setDefaultDest(ReportDest::Printer);
    components->RvProject1.selectReport(QStringLiteral("Report2"), false);
    QVERIFY_THROWS_EXCEPTION(ReportError, components->RvProject1.execute());
    QVERIFY(windows.statusLines.isEmpty());
}

QTEST_MAIN(ReportRunTest)
#include "ReportRunTest.moc"
