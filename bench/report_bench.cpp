// The print run's costs: laying out every page of the full list, drawing one page as the preview
// does at 100 %, writing the full list as a PDF, and writing and reading it as a page file.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "DataSetConnection.h"
#include "FontMetricsMeasurer.h"
#include "PageFile.h"
#include "PagePainter.h"
#include "PdfOutput.h"
#include "RvProject.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace kodexa;

constexpr double PreviewPixelsPerInch = 96; // 100 %

struct FullList {
    FullList() {
        codelist::loadCarried(table);
        connection.setDataSet(&table);
        project.addConnection(connection);
        project.selectReport(QStringLiteral("Report2"), false);
    }
    report::PageStore generate() {
        report::FontMetricsMeasurer measurer;
        return project.generate(QStringLiteral("Ausdruck CPV-Liste"), measurer, {}).pages;
    }

    TClientDataSet table{"ClientDataSet1"};
    report::TRvDataSetConnection connection{"RvDataSetConnection1"};
    report::TRvProject project;
};

void GenerateFullList(benchmark::State& state) {
    FullList list;
    for (auto _ : state) {
        const report::PageStore pages = list.generate();
        benchmark::DoNotOptimize(pages.pageCount());
    }
}
BENCHMARK(GenerateFullList)->Unit(benchmark::kMillisecond);

void DrawPageForPreview(benchmark::State& state) {
    FullList list;
    const report::PageStore pages = list.generate();
    const report::Page& page = pages.page(0);
    QImage image(qRound(page.width * PreviewPixelsPerInch), qRound(page.height * PreviewPixelsPerInch),
                 QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        report::paintPage(painter, pages, 0, PreviewPixelsPerInch);
    }
}
BENCHMARK(DrawPageForPreview)->Unit(benchmark::kMillisecond);

void WriteFullPdf(benchmark::State& state) {
    FullList list;
    const report::PageStore pages = list.generate();
    QTemporaryDir directory;
    const QString file = QDir(directory.path()).filePath(QStringLiteral("list.pdf"));
    for (auto _ : state)
        report::writePdf(pages, file);
}
BENCHMARK(WriteFullPdf)->Unit(benchmark::kMillisecond);

// Save As and Open of a page file, without the disk.
void EncodeFullPageFile(benchmark::State& state) {
    FullList list;
    const report::PageStore pages = list.generate();
    for (auto _ : state) {
        const std::string bytes = report::writePageFile(pages);
        benchmark::DoNotOptimize(bytes.data());
        state.counters["bytes"] = static_cast<double>(bytes.size());
    }
}
BENCHMARK(EncodeFullPageFile)->Unit(benchmark::kMillisecond);

void DecodeFullPageFile(benchmark::State& state) {
    FullList list;
    const std::string bytes = report::writePageFile(list.generate());
    for (auto _ : state) {
        const report::PageStore pages = report::readPageFile(bytes);
        benchmark::DoNotOptimize(pages.pageCount());
    }
}
BENCHMARK(DecodeFullPageFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
