// Pictures of the report's output windows, to look at after a change to them:
//
//   xvfb-run -a build/tests/report/report_screenshots OUT_DIR
//
// writes preview-100.png, preview-fit-page.png and preview-fit-width.png (the full code list in the
// preview window), options.png and options-pages.png (the output options on the system's current
// printer, then with "Pages" chosen) and options-no-printer.png. Under CUPS_SERVER the printer is
// that server's. Runs offscreen as well (QT_QPA_PLATFORM=offscreen), without window frames either way.
#include "PreviewForm.h"
#include "PreviewHarness.h"
#include "PrinterSystem.h"
#include "SetupForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>

using namespace kodexa;
using namespace kodexa::report;

namespace {

class NoPrinters final : public PrinterSystem {
public:
    std::unique_ptr<QPrinter> currentPrinter() override { return nullptr; }
    QString printerCaption(const QPrinter&) override { return {}; }
    bool setUpPrinter(QPrinter&, QWidget*) override { return false; }
};

bool save(QWidget& window, const QDir& folder, const char* name) {
    QApplication::processEvents();
    const QString file = folder.filePath(QString::fromLatin1(name));
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "report_screenshots: cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

bool showAndSave(QWidget& window, const QDir& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    const bool saved = save(window, folder, name);
    window.hide();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: report_screenshots OUT_DIR\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;

    const std::shared_ptr<const PageStore> pages = testsupport::codeListPages("");
    SystemSettings settings;
    settings.titlePreview = QStringLiteral("Vorschau");
    TRavePreviewForm preview(pages, settings);
    preview.show();
    bool saved = save(preview, folder, "preview-100.png");
    preview.findChild<QAction*>(QStringLiteral("actnZoom_Page"))->trigger();
    saved = save(preview, folder, "preview-fit-page.png") && saved;
    preview.findChild<QAction*>(QStringLiteral("actnZoom_PageWidth"))->trigger();
    saved = save(preview, folder, "preview-fit-width.png") && saved;

    SystemPrinters system;
    std::unique_ptr<QPrinter> printer = system.currentPrinter();
    const int pageCount = static_cast<int>(pages->pageCount());
    TRPSetupForm options(settings, pageCount, printer.get(), system, &preview);
    saved = showAndSave(options, folder, "options.png") && saved;
    options.findChild<QRadioButton*>(QStringLiteral("PagesRB"))->setChecked(true);
    saved = showAndSave(options, folder, "options-pages.png") && saved;
    NoPrinters none;
    TRPSetupForm withoutPrinter(settings, pageCount, nullptr, none, &preview);
    saved = showAndSave(withoutPrinter, folder, "options-no-printer.png") && saved;
    return saved ? 0 : 1;
}
