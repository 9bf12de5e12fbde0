#pragma once

#include "PageSelection.h"
#include "SystemSettings.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace kodexa::report {

class PrinterSystem;

// The output-options window (TRPSetupForm) in its print-range form: the selected printer, the
// range to print and the copies, collate and duplex options. "   OK   " stays disabled while the
// chosen range covers no page of the report or the copy count is 0, so a print never goes out
// empty.
class TRPSetupForm : public QDialog {
    Q_OBJECT

public:
    // printer is nullptr when no printer is installed; otherwise the set-up dialog may change it.
    TRPSetupForm(const SystemSettings& settings, int pageCount, QPrinter* printer, PrinterSystem& printers,
                 QWidget* parent = nullptr);

    PrintRange printRange() const;
    // The copy count when its field reads as a number.
    std::optional<int> copies() const;
    bool collate() const;
    bool duplex() const;

public slots:
    void accept() override;

private:
    void createPrinterGroup();
    void createRangeGroup();
    void createOptionsGroup();
    void createButtons();
    void connectControls();
    void applyPermissions(const SystemSettings& settings);

    void setUpPrinter();
    void showPrinter();
    void updateRangeControls();
    void updateOkButton();
    // Why "   OK   " is disabled, or an empty text when it is not.
    QString whyNotPrintable() const;

    int pageCount_;
    QPrinter* printer_;
    PrinterSystem& printers_;

    QGroupBox* PrinterGB = nullptr;
    QLabel* PrinterLabel = nullptr;
    QGroupBox* RangeGB = nullptr;
    QRadioButton* AllRB = nullptr;
    QRadioButton* SelectionRB = nullptr;
    QLineEdit* SelectionED = nullptr;
    QRadioButton* PagesRB = nullptr;
    QLabel* FromLabel = nullptr;
    QLineEdit* FromED = nullptr;
    QLabel* ToLabel = nullptr;
    QLineEdit* ToED = nullptr;
    QGroupBox* OptionsGB = nullptr;
    QLabel* CopiesLabel = nullptr;
    QLineEdit* CopiesED = nullptr;
    QCheckBox* CollateCK = nullptr;
    QCheckBox* DuplexCK = nullptr;
    QPushButton* bbtnOK = nullptr;
    QPushButton* CancelBB = nullptr;
    QPushButton* SetupBB = nullptr;
};

} // namespace kodexa::report
