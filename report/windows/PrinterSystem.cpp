#include "PrinterSystem.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace kodexa::report {

QString printerOnPort(const QString& printer, const QString& port) {
    if (port.isEmpty())
        return printer;
    return QStringLiteral("%1 on %2").arg(printer, port);
}

std::unique_ptr<QPrinter> SystemPrinters::currentPrinter() {
    QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (printers.isEmpty())
            return nullptr;
        printer = printers.front();
    }
    return std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
}

QString SystemPrinters::printerCaption(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printerOnPort(QStringLiteral("PDF"), printer.outputFileName());
    return printerOnPort(printer.printerName(), QPrinterInfo::printerInfo(printer.printerName()).location());
}

bool SystemPrinters::setUpPrinter(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    // The range and the copies are the output options' own.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kodexa::report
