#include "SetupForm.h"

#include "AccessibleLineEdit.h"
#include "PrinterSystem.h"
#include "ScreenPlacement.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace kodexa::report {

namespace {

const QString NoPrinter = QStringLiteral("No printers installed!");

QLineEdit* lineEdit(const char* name, const QString& pattern, int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    edit->setMaxLength(maxLength);
    return edit;
}

std::optional<int> numberIn(const QLineEdit& edit) {
    bool isNumber = false;
    const int value = edit.text().toInt(&isNumber);
    if (!isNumber)
        return std::nullopt;
    return value;
}

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TRPSetupForm::TRPSetupForm(const SystemSettings& settings, int pageCount, QPrinter* printer,
                           PrinterSystem& printers, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), pageCount_(pageCount),
      printer_(printer), printers_(printers) {
    installLineEditAccessibility();
    setObjectName(QStringLiteral("RPSetupForm"));
    setWindowTitle(QStringLiteral("Output Options"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    setFont(font);

    createPrinterGroup();
    createRangeGroup();
    createOptionsGroup();
    createButtons();
    connectControls();

    CopiesED->setText(QString::number(settings.systemPrinter.copies));
    CollateCK->setChecked(settings.systemPrinter.collate);
    DuplexCK->setChecked(settings.systemPrinter.duplex);
    applyPermissions(settings);
    showPrinter();
    updateRangeControls();
    setFixedSize(295, 242);
    // Centred on the screen, not over the preview that opens it.
    new ScreenPlacement(*this);
}

void TRPSetupForm::createPrinterGroup() {
    PrinterGB = named(new QGroupBox(QStringLiteral("Selected Printer"), this), "PrinterGB");
    PrinterGB->setGeometry(8, 6, 279, 44);
    PrinterLabel = named(new QLabel(PrinterGB), "PrinterLabel");
    PrinterLabel->setGeometry(10, 19, 259, 17);
}

void TRPSetupForm::createRangeGroup() {
    RangeGB = named(new QGroupBox(QStringLiteral("Print Range"), this), "RangeGB");
    RangeGB->setGeometry(8, 56, 154, 134);
    AllRB = named(new QRadioButton(QStringLiteral("All"), RangeGB), "AllRB");
    AllRB->setGeometry(12, 20, 130, 18);
    AllRB->setChecked(true);
    SelectionRB = named(new QRadioButton(QStringLiteral("Selection"), RangeGB), "SelectionRB");
    SelectionRB->setGeometry(12, 44, 130, 18);
    PagesRB = named(new QRadioButton(QStringLiteral("Pages"), RangeGB), "PagesRB");
    PagesRB->setGeometry(12, 68, 130, 18);

    // The selection field and the From/to pair share one place below the buttons.
    SelectionED = lineEdit("SelectionED", QStringLiteral("[0-9,-]*"), 255, RangeGB);
    SelectionED->setGeometry(12, 98, 130, 21);
    SelectionED->setText(QStringLiteral("1-%1").arg(pageCount_));
    FromLabel = named(new QLabel(QStringLiteral("From"), RangeGB), "FromLabel");
    FromLabel->setGeometry(12, 100, 30, 17);
    FromED = lineEdit("FromED", QStringLiteral("[0-9]*"), 9, RangeGB);
    FromED->setGeometry(42, 98, 40, 21);
    FromED->setText(QStringLiteral("1"));
    ToLabel = named(new QLabel(QStringLiteral("to"), RangeGB), "ToLabel");
    ToLabel->setGeometry(88, 100, 14, 17);
    ToED = lineEdit("ToED", QStringLiteral("[0-9]*"), 9, RangeGB);
    ToED->setGeometry(102, 98, 40, 21);
    ToED->setText(QString::number(pageCount_));
    FromLabel->setBuddy(FromED);
    ToLabel->setBuddy(ToED);
}

void TRPSetupForm::createOptionsGroup() {
    OptionsGB = named(new QGroupBox(QStringLiteral("Options"), this), "OptionsGB");
    OptionsGB->setGeometry(170, 56, 117, 134);
    CopiesLabel = named(new QLabel(QStringLiteral("&Copies"), OptionsGB), "CopiesLabel");
    CopiesLabel->setGeometry(12, 23, 44, 17);
    CopiesED = lineEdit("CopiesED", QStringLiteral("[0-9]*"), 4, OptionsGB);
    CopiesED->setGeometry(58, 21, 45, 21);
    CopiesLabel->setBuddy(CopiesED);
    CollateCK = named(new QCheckBox(QStringLiteral("C&ollate"), OptionsGB), "CollateCK");
    CollateCK->setGeometry(12, 56, 95, 18);
    DuplexCK = named(new QCheckBox(QStringLiteral("&Duplex"), OptionsGB), "DuplexCK");
    DuplexCK->setGeometry(12, 80, 95, 18);
}

void TRPSetupForm::createButtons() {
    SetupBB = named(new QPushButton(QStringLiteral("&Setup"), this), "SetupBB");
    SetupBB->setGeometry(8, 206, 75, 25);
    SetupBB->setAutoDefault(false);
    bbtnOK = named(new QPushButton(QStringLiteral("   OK   "), this), "bbtnOK");
    bbtnOK->setGeometry(130, 206, 75, 25);
    bbtnOK->setDefault(true);
    CancelBB = named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBB");
    CancelBB->setGeometry(212, 206, 75, 25);
    CancelBB->setAutoDefault(false);
}

void TRPSetupForm::connectControls() {
    connect(bbtnOK, &QPushButton::clicked, this, &TRPSetupForm::accept);
    connect(CancelBB, &QPushButton::clicked, this, &TRPSetupForm::reject);
    connect(SetupBB, &QPushButton::clicked, this, &TRPSetupForm::setUpPrinter);
    for (QRadioButton* button : {AllRB, SelectionRB, PagesRB})
        connect(button, &QRadioButton::toggled, this, &TRPSetupForm::updateRangeControls);
    for (QLineEdit* edit : {SelectionED, FromED, ToED, CopiesED})
        connect(edit, &QLineEdit::textChanged, this, &TRPSetupForm::updateOkButton);
}

// Copies, collate, duplex and the printer set-up need a printer as well as the permission.
void TRPSetupForm::applyPermissions(const SystemSettings& settings) {
    const bool hasPrinter = printer_ != nullptr;
    const SystemSetups setups = settings.systemSetups;
    const bool copies = hasPrinter && setups.testFlag(SystemSetup::AllowCopies);
    CopiesLabel->setEnabled(copies);
    CopiesED->setEnabled(copies);
    CollateCK->setEnabled(hasPrinter && setups.testFlag(SystemSetup::AllowCollate));
    DuplexCK->setEnabled(hasPrinter && setups.testFlag(SystemSetup::AllowDuplex));
    SetupBB->setEnabled(hasPrinter && setups.testFlag(SystemSetup::AllowPrinterSetup));
}

void TRPSetupForm::setUpPrinter() {
    if (!printer_)
        return;
    printers_.setUpPrinter(*printer_, this);
    showPrinter();
}

void TRPSetupForm::showPrinter() {
    PrinterLabel->setText(printer_ ? printers_.printerCaption(*printer_) : NoPrinter);
}

void TRPSetupForm::updateRangeControls() {
    const bool pages = PagesRB->isChecked();
    SelectionED->setVisible(!pages);
    SelectionED->setEnabled(SelectionRB->isChecked());
    for (QWidget* widget : std::initializer_list<QWidget*>{FromLabel, FromED, ToLabel, ToED})
        widget->setVisible(pages);
    updateOkButton();
}

QString TRPSetupForm::whyNotPrintable() const {
    const PrintRange range = printRange();
    if (range.kind == PrintRangeKind::Pages && (!numberIn(*FromED) || !numberIn(*ToED)))
        return QStringLiteral("Enter the first and the last page to print");
    const std::optional<std::vector<int>> pages = pagesInRange(range, pageCount_);
    if (!pages)
        return QStringLiteral("The selection reads like 1-3,5: pages and ranges, separated by commas");
    if (pages->empty())
        return QStringLiteral("The range holds no page of this report");
    if (CopiesED->isEnabled() && copies() == 0)
        return QStringLiteral("Print at least one copy");
    return {};
}

void TRPSetupForm::updateOkButton() {
    const QString reason = whyNotPrintable();
    bbtnOK->setEnabled(reason.isEmpty());
    bbtnOK->setToolTip(reason);
}

void TRPSetupForm::accept() {
    if (!whyNotPrintable().isEmpty())
        return;
    QDialog::accept();
}

PrintRange TRPSetupForm::printRange() const {
    PrintRange range;
    if (SelectionRB->isChecked()) {
        range.kind = PrintRangeKind::Selection;
        range.selection = SelectionED->text().toStdString();
    } else if (PagesRB->isChecked()) {
        range.kind = PrintRangeKind::Pages;
        range.firstPage = numberIn(*FromED).value_or(0);
        range.lastPage = numberIn(*ToED).value_or(0);
    }
    return range;
}

std::optional<int> TRPSetupForm::copies() const {
    return numberIn(*CopiesED);
}

bool TRPSetupForm::collate() const {
    return CollateCK->isChecked();
}

bool TRPSetupForm::duplex() const {
    return DuplexCK->isChecked();
}

} // namespace kodexa::report
