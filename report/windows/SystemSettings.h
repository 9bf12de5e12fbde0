#pragma once

#include <QFlags>
#include <QString>

// The output settings of a report run (TRvSystem): where the pages go, which windows the run
// shows and what they offer, and the settings of the printer, the file writer and the preview.
namespace kodexa::report {

enum class ReportDest { Printer, Preview, File };

enum class SystemSetup {
    AllowSetup = 1 << 0, // the output-options window before a run
    AllowCopies = 1 << 1,
    AllowCollate = 1 << 2,
    AllowDuplex = 1 << 3,
    AllowDestPrinter = 1 << 4,
    AllowDestPreview = 1 << 5,
    AllowDestFile = 1 << 6,
    AllowPrinterSetup = 1 << 7,
    AllowPreviewSetup = 1 << 8, // the output-options window before printing from the preview
};
Q_DECLARE_FLAGS(SystemSetups, SystemSetup)
Q_DECLARE_OPERATORS_FOR_FLAGS(SystemSetups)

enum class SystemOption {
    ShowStatus = 1 << 0,
    AllowPrintFromPreview = 1 << 1,
    AllowSaveFromPreview = 1 << 2,
    PreviewModal = 1 << 3,
};
Q_DECLARE_FLAGS(SystemOptions, SystemOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(SystemOptions)

enum class Units { Inch, MM, CM, Point, Unknown };
enum class FormState { Normal, Minimized, Maximized };

struct PrinterSettings {
    QString title = QStringLiteral("Report"); // document name of a print job
    QString statusFormat = QStringLiteral("Printing page %p");
    Units units = Units::Inch;
    double unitsFactor = 1;
    double scaleX = 100; // per cent
    double scaleY = 100;
    int copies = 1;
    int firstPage = 1;
    int lastPage = 9999;
    bool collate = false;
    bool duplex = false;
};

struct FilerSettings {
    QString statusFormat = QStringLiteral("Generating page %p");
};

struct PreviewSettings {
    double zoomFactor = 100; // per cent
    double zoomInc = 10;
    int formWidth = 615; // outer size of the preview window, pixels
    int formHeight = 450;
    FormState formState = FormState::Normal;
    int shadowDepth = 0;
    bool monochrome = false;
    bool rulers = false;
    double marginPercent = 0;
    bool grid = false;
    int pagesInc = 1;
};

struct SystemSettings {
    ReportDest defaultDest = ReportDest::Preview;
    SystemSetups systemSetups = SystemSetups::fromInt(0x1FF);
    SystemOptions systemOptions = SystemOption::ShowStatus | SystemOption::AllowPrintFromPreview |
                                  SystemOption::AllowSaveFromPreview | SystemOption::PreviewModal;
    QString titleSetup = QStringLiteral("Output Options");
    QString titleStatus = QStringLiteral("Report Status");
    QString titlePreview = QStringLiteral("Report Preview");
    bool doNativeOutput = true; // only output to a file uses these two
    QString renderObject;
    PrinterSettings systemPrinter;
    FilerSettings systemFiler;
    PreviewSettings systemPreview;
};

} // namespace kodexa::report
