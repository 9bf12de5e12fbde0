#include "StatusForm.h"

#include "ClassicFonts.h"

#include <QLabel>
#include <QPushButton>

namespace kodexa::report {

TRPStatusForm::TRPStatusForm(const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("RPStatusForm"));
    setWindowTitle(caption);
    setFont(windowsFont(QStringLiteral("System"), 16, true));
    createControls();
    connect(CancelButton, &QPushButton::clicked, this, &TRPStatusForm::requestCancel);
    setFixedSize(361, 113);
}

void TRPStatusForm::createControls() {
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setGeometry(8, 16, 345, 49);
    StatusLabel->setAlignment(Qt::AlignCenter);

    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(144, 78, 75, 25);
    CancelButton->setDefault(true);
    CancelButton->setFocus();
}

void TRPStatusForm::setStatusText(const QString& text) {
    StatusLabel->setText(text);
}

QString TRPStatusForm::statusText() const {
    return StatusLabel->text();
}

void TRPStatusForm::reject() {
    requestCancel();
}

void TRPStatusForm::requestCancel() {
    cancelRequested_ = true;
}

} // namespace kodexa::report
