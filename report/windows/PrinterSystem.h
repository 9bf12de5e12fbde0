#pragma once

#include <QString>

#include <memory>

class QPrinter;
class QWidget;

namespace kodexa::report {

// The system's printers as the output options and the print run see them. Tests put a private
// print server or a PDF file in place of the user's printers.
class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    // A printer set to the system's current printer; nullptr when no printer is installed.
    virtual std::unique_ptr<QPrinter> currentPrinter() = 0;
    // The printer as the output options name it: "%s on %s" (printer, port) or the name alone
    // when it has no port.
    virtual QString printerCaption(const QPrinter& printer) = 0;
    // The system's printer set-up dialog over printer; false when the user cancels it.
    virtual bool setUpPrinter(QPrinter& printer, QWidget* parent) = 0;
};

// The printers of the print system (CUPS on this platform) with the toolkit's print dialog. The
// current printer is the default one, else the first there is. A print queue has no port as
// Windows knows it; its location stands in, and a file that output goes to.
class SystemPrinters final : public PrinterSystem {
public:
    std::unique_ptr<QPrinter> currentPrinter() override;
    QString printerCaption(const QPrinter& printer) override;
    bool setUpPrinter(QPrinter& printer, QWidget* parent) override;
};

// "%s on %s", or the printer alone when the port is empty.
QString printerOnPort(const QString& printer, const QString& port);

} // namespace kodexa::report
