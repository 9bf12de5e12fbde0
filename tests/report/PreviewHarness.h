#pragma once

// What the tests of the preview and of printing share: the code list's pages, prompts that answer
// in place of a person, a PDF file in place of the system's printers, and reading a PDF back.
#include "ClientDataSet.h"
#include "DataSetConnection.h"
#include "FontMetricsMeasurer.h"
#include "PageStore.h"
#include "PreviewPrompts.h"
#include "PrinterSystem.h"
#include "RvProject.h"
#include "TestTable.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <deque>
#include <memory>

namespace kodexa::testsupport {

// The pages of the code list report over the rows that pass a test filter ("" for all rows).
inline std::shared_ptr<const report::PageStore> codeListPages(const std::string& filter = "PREFIX 03") {
    TClientDataSet table("ClientDataSet1");
    loadTestTable(table);
    if (!filter.empty())
        applyTestFilter(table, filter);
    report::TRvDataSetConnection connection("RvDataSetConnection1");
    connection.setDataSet(&table);
    report::TRvProject project;
    project.addConnection(connection);
    project.selectReport(QStringLiteral("Report2"), false);
    report::FontMetricsMeasurer measurer;
    auto pages = std::make_shared<const report::PageStore>(
        project.generate(QStringLiteral("Ausdruck CPV-Liste"), measurer, {}).pages);
    project.removeConnection(connection);
    return pages;
}

// The codes printed on a page (from 1): its texts of eight digits.
inline QStringList codesOnPage(const report::PageStore& pages, int page) {
    static const QRegularExpression code(QStringLiteral("^[0-9]{8}$"));
    QStringList codes;
    for (const report::PageItem& item : pages.page(static_cast<std::size_t>(page - 1)).items) {
        if (const auto* text = std::get_if<report::PageText>(&item);
            text && code.match(QString::fromStdString(text->text)).hasMatch())
            codes.append(QString::fromStdString(text->text));
    }
    return codes;
}

// Answers the preview's questions from a script and records what it was asked and told.
class ScriptedPrompts final : public report::PreviewPrompts {
public:
    QString openFileName(QWidget*, const QString& caption, const QStringList& nameFilters,
                         const QString& defaultSuffix) override {
        asked.append(caption + u' ' + nameFilters.join(u';') + u' ' + defaultSuffix);
        return take(fileNames).value_or(QString());
    }
    std::optional<report::SaveChoice> saveFileName(QWidget*, const QString& caption,
                                                   const QStringList& nameFilters) override {
        asked.append(caption + u' ' + nameFilters.join(u';'));
        return take(saveChoices);
    }
    std::optional<QString> inputText(QWidget*, const QString& caption, const QString& prompt,
                                     const QString& defaultText) override {
        asked.append(caption + u' ' + prompt + u' ' + defaultText);
        return take(typedTexts);
    }
    void showError(QWidget*, const QString& message) override { errors.append(message); }

    std::deque<QString> fileNames;
    std::deque<report::SaveChoice> saveChoices;
    std::deque<QString> typedTexts;
    QStringList asked;
    QStringList errors;

private:
    template <typename T> static std::optional<T> take(std::deque<T>& answers) {
        if (answers.empty())
            return std::nullopt;
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

// A printer that writes a PDF file through Qt's own PDF output, with the same drawing code as any
// other printer. Set-up dialogs are only counted.
class PdfFilePrinters final : public report::PrinterSystem {
public:
    explicit PdfFilePrinters(QString fileName) : fileName_(std::move(fileName)) {}

    std::unique_ptr<QPrinter> currentPrinter() override {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(fileName_);
        return printer;
    }
    QString printerCaption(const QPrinter& printer) override {
        return report::printerOnPort(QStringLiteral("PDF"), printer.outputFileName());
    }
    bool setUpPrinter(QPrinter& printer, QWidget*) override {
        ++setups;
        printer.setOutputFileName(fileName_ + QStringLiteral(".set-up.pdf"));
        return true;
    }

    int setups = 0;

private:
    QString fileName_;
};

// The output of a poppler tool on a PDF; empty when it cannot run.
inline QString popplerOutput(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline bool hasPoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

inline int pdfPageCount(const QString& file) {
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(popplerOutput(QStringLiteral("pdfinfo"), {file}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The document title of a PDF: a print job's document name.
inline QString pdfTitle(const QString& file) {
    static const QRegularExpression title(QStringLiteral("^Title:\\s+(.*)$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = title.match(popplerOutput(QStringLiteral("pdfinfo"), {file}));
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

// The text of one page of a PDF (from 1).
inline QString pdfPageText(const QString& file, int page) {
    const QString number = QString::number(page);
    return popplerOutput(QStringLiteral("pdftotext"),
                         {QStringLiteral("-layout"), QStringLiteral("-f"), number, QStringLiteral("-l"),
                          number, file, QStringLiteral("-")});
}

} // namespace kodexa::testsupport
