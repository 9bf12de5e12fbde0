#include "ErrorReport.h"

#include "ErrorText.h"

#include <QApplication>
#include <QMessageBox>

namespace kodexa {

void showErrorReport(QWidget* parent, const QString& message) {
    const QString text = QString::fromStdString(errorReportText(message.toStdString()));
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace kodexa
