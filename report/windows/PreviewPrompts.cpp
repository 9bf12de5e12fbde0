#include "PreviewPrompts.h"

#include "ErrorText.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace kodexa::report {

QString suffixOfNameFilter(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.([^\s*?;)]+)[\s;)])"));
    const QRegularExpressionMatch match = pattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString StandardPreviewPrompts::openFileName(QWidget* parent, const QString& caption,
                                             const QStringList& nameFilters, const QString& defaultSuffix) {
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

std::optional<SaveChoice> StandardPreviewPrompts::saveFileName(QWidget* parent, const QString& caption,
                                                               const QStringList& nameFilters) {
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters);
    // A name typed without a suffix gets the one of the chosen type; the dialog asks before it
    // overwrites a file.
    if (!nameFilters.isEmpty())
        dialog.setDefaultSuffix(suffixOfNameFilter(nameFilters.front()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(suffixOfNameFilter(filter));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const auto index = static_cast<int>(nameFilters.indexOf(dialog.selectedNameFilter()));
    return SaveChoice{dialog.selectedFiles().front(), std::max(index, 0)};
}

std::optional<QString> StandardPreviewPrompts::inputText(QWidget* parent, const QString& caption,
                                                         const QString& prompt, const QString& defaultText) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    // The report windows speak English: the buttons too, not in the toolkit's translation.
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void StandardPreviewPrompts::showError(QWidget* parent, const QString& message) {
    const std::string text = errorReportText(message.toStdString());
    QMessageBox::critical(parent, QCoreApplication::applicationName(), QString::fromStdString(text));
}

} // namespace kodexa::report
