// The print run's costs: laying out every page of the full list, drawing one page as the preview
// does at 100 %, writing the full list as a PDF, and writing and reading it as a page file; then the
// same for the costliest page files the limits let through.
//
//   report_bench --write-worst-page-file=FILE   writes that file (to time cpvquery --page-file on it)
#include "ClientDataSet.h"
#include "CodeList.h"
#include "DataSetConnection.h"
#include "FontMetricsMeasurer.h"
#include "PageFile.h"
#include "PagePainter.h"
#include "PdfOutput.h"
#include "RvProject.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>

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

// ---- the costliest page files within the limits --------------------------------------------------

using report::MaxItems;
using report::MaxItemsPerPage;
using report::MaxPages;

constexpr double A4Width = 8.267716535433072;
constexpr double A4Height = 11.692913385826772;

// Every character of Windows-1252 but the controls, in UTF-8: as many different glyphs as a text
// may show.
std::string everyCharacter() {
    static constexpr char16_t High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    for (int byte = 0x20; byte < 0x100; ++byte) {
        if (byte != 0x7F)
            text += QChar(byte >= 0x80 && byte < 0xA0 ? High[byte - 0x80] : char16_t(byte));
    }
    return text.toStdString();
}

// bytes of text (never splitting a character), starting at a different place for each seed.
std::string textOf(std::size_t bytes, std::size_t seed) {
    static const std::string all = everyCharacter();
    std::size_t at = seed * 7 % all.size();
    std::string text;
    while (text.size() < bytes) {
        while ((static_cast<unsigned char>(all[at]) & 0xC0) == 0x80)
            at = (at + 1) % all.size();
        std::size_t end = at + 1;
        while (end < all.size() && (static_cast<unsigned char>(all[end]) & 0xC0) == 0x80)
            ++end;
        if (text.size() + (end - at) > bytes)
            text += 'x';
        else
            text.append(all, at, end - at);
        at = end % all.size();
    }
    return text;
}

// Fonts a file may list, each with a name of the longest length (one the system does not
// know, so each is looked up) and the sixteen styles in turn, all of the given size.
std::vector<std::uint32_t> addFonts(report::PageStore& pages, double pointSize, std::uint32_t count) {
    std::vector<std::uint32_t> fonts;
    for (std::uint32_t index = 0; index < count; ++index) {
        std::string name = "Schrift " + std::to_string(index) + ' ';
        name.resize(report::MaxFontNameBytes, 'n');
        fonts.push_back(
            pages.addFont(report::FontSpec{name, pointSize, (index & 1) != 0, (index & 2) != 0,
                                           (index & 4) != 0, (index & 8) != 0, 1, index * 0x030201}));
    }
    return fonts;
}

// count fonts of a file that names the system's own families, from the first-th on: each font another
// family as far as there are families, the styles in turn; each is a font file that the PDF embeds.
std::vector<std::uint32_t> addInstalledFonts(report::PageStore& pages, double pointSize, std::uint32_t first,
                                             std::uint32_t count) {
    const QStringList families = QFontDatabase::families();
    const auto familyCount = static_cast<std::uint32_t>(families.size());
    std::vector<std::uint32_t> fonts;
    for (std::uint32_t index = first; index < first + count && familyCount != 0; ++index) {
        const std::uint32_t style = index / familyCount;
        fonts.push_back(pages.addFont(
            report::FontSpec{families[static_cast<qsizetype>(index % familyCount)].toStdString(), pointSize,
                             (style & 1) != 0, (style & 2) != 0, false, false, 1, index * 0x030201}));
    }
    return fonts;
}

// Texts spread over the page in rows and columns, cycling through the fonts.
void addTexts(report::Page& page, const std::vector<std::uint32_t>& fonts, std::size_t count,
              std::size_t bytes, std::size_t seed = 0) {
    for (std::size_t index = 0; index < count; ++index) {
        const double x = 0.1 + static_cast<double>(index % 8) * 0.95;
        const double baseline = 0.3 + static_cast<double>(index / 8 % 100) * 0.11;
        page.items.emplace_back(
            report::PageText{x, baseline, fonts[index % fonts.size()], textOf(bytes, seed + index)});
    }
}

// Lines of the given width from edge to edge of the sheet, across it.
void addLines(report::Page& page, std::size_t count, double width) {
    for (std::size_t index = 0; index < count; ++index) {
        const double at = static_cast<double>(index % 100) * 0.1;
        page.items.emplace_back(index % 2 != 0
                                    ? report::PageLine{0, at, A4Width, A4Height - at, width, 0x0000FF}
                                    : report::PageLine{A4Width, at, 0, A4Height - at, width, 0});
    }
}

// Bytes of text at pointSize that fill a page's area budget.
std::size_t areaBudgetBytes(double pointSize) {
    const double em = pointSize / 72;
    return std::min(report::MaxPageTextBytes, static_cast<std::size_t>(report::MaxPageTextArea / (em * em)));
}

// The pages that cost the most to paint, as far as measured, each at the limits:
enum class WorstPage {
    Outlines,  // glyphs just too large for the glyph cache (drawn as outlines) up to the area
               // budget in half of the fonts, the other items lines an inch wide across the sheet
    Glyphs,    // 2,048 texts of 32 bytes in all the fonts a file may list, 64 KiB of small glyphs
    LongTexts, // 16 texts of 4,096 bytes
    Huge,      // glyphs at 1,000 points up to the area budget, the rest wide lines
    Lines,     // 2,048 lines an inch wide across the sheet
    Hairlines, // 2,048 of the thinnest lines across the sheet
};

// 48 points is 64 pixels at 96 dpi, the largest glyph that the raster engine still caches.
constexpr double OutlinePoints = 49;
// The outline page takes half of the fonts, the text pages the other half.
constexpr std::uint32_t OutlineFonts = report::MaxFonts / 2;

void addWorstPage(report::PageStore& pages, WorstPage kind, bool installedFonts = false) {
    report::Page& page = pages.addPage(A4Width, A4Height);
    switch (kind) {
    case WorstPage::Outlines: {
        const std::vector<std::uint32_t> fonts = installedFonts
                                                     ? addInstalledFonts(pages, OutlinePoints, 0, OutlineFonts)
                                                     : addFonts(pages, OutlinePoints, OutlineFonts);
        const std::size_t bytes = areaBudgetBytes(OutlinePoints);
        addTexts(page, fonts, bytes / 10, 10);
        addLines(page, MaxItemsPerPage - page.items.size(), report::MaxLineWidthInches);
        break;
    }
    case WorstPage::Glyphs:
        addTexts(page, addFonts(pages, 12.5, report::MaxFonts), MaxItemsPerPage,
                 report::MaxPageTextBytes / MaxItemsPerPage);
        break;
    case WorstPage::LongTexts:
        addTexts(page, addFonts(pages, 12.5, 16), report::MaxPageTextBytes / report::MaxTextBytes,
                 report::MaxTextBytes);
        break;
    case WorstPage::Huge: {
        const std::vector<std::uint32_t> fonts = addFonts(pages, report::MaxPointSize, 1);
        addTexts(page, fonts, areaBudgetBytes(report::MaxPointSize), 1);
        addLines(page, MaxItemsPerPage - page.items.size(), report::MaxLineWidthInches);
        break;
    }
    case WorstPage::Lines:
        addLines(page, MaxItemsPerPage, report::MaxLineWidthInches);
        break;
    case WorstPage::Hairlines:
        addLines(page, MaxItemsPerPage, 0);
        break;
    }
}

// The costliest file as a whole: the longest title, all the fonts a file may list, the slowest page to paint first,
// then every page, item and byte of text the limits leave, as texts that change font at every item
// (what costs the PDF writer most, besides the pages themselves).
report::PageStore worstPageFile(bool installedFonts = false) {
    report::PageStore pages;
    pages.setTitle(textOf(report::MaxTitleBytes, 0));
    addWorstPage(pages, WorstPage::Outlines, installedFonts);
    const std::vector<std::uint32_t> fonts = installedFonts
                                                 ? addInstalledFonts(pages, 10, OutlineFonts, report::MaxFonts - OutlineFonts)
                                                 : addFonts(pages, 10, report::MaxFonts - OutlineFonts);
    std::size_t items = MaxItems - pages.page(0).items.size();
    std::size_t text = report::MaxAllTextBytes;
    for (const report::PageItem& item : pages.page(0).items) {
        if (const auto* pageText = std::get_if<report::PageText>(&item))
            text -= pageText->text.size();
    }
    for (std::size_t left = MaxPages - 1; left > 0; --left) {
        const std::size_t count = items / left;
        const std::size_t bytes = text / items;
        addTexts(pages.addPage(A4Width, A4Height), fonts, count, bytes, left);
        items -= count;
        text -= count * bytes;
    }
    return pages;
}

void ReadWorstPageFile(benchmark::State& state) {
    const std::string bytes = report::writePageFile(worstPageFile());
    state.counters["bytes"] = static_cast<double>(bytes.size());
    for (auto _ : state) {
        const report::PageStore pages = report::readPageFile(bytes);
        benchmark::DoNotOptimize(pages.pageCount());
    }
}
BENCHMARK(ReadWorstPageFile)->Unit(benchmark::kMillisecond);

// One repaint of the whole page at 100 %, as the preview paints it. The first paint in a process also
// resolves the fonts, which the preview pays once per file (see cpvquery --page-file --pdf).
void PaintWorstPage(benchmark::State& state) {
    report::PageStore pages;
    addWorstPage(pages, static_cast<WorstPage>(state.range(0)));
    const report::PageStore read = report::readPageFile(report::writePageFile(pages));
    QImage image(qRound(A4Width * PreviewPixelsPerInch), qRound(A4Height * PreviewPixelsPerInch),
                 QImage::Format_ARGB32_Premultiplied);
    const QRectF visible(QPointF(0, 0), QSizeF(image.size()));
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        report::paintPage(painter, read, 0, PreviewPixelsPerInch, visible);
    }
}
BENCHMARK(PaintWorstPage)
    ->ArgName("page")
    ->DenseRange(0, static_cast<int>(WorstPage::Hairlines))
    ->Unit(benchmark::kMillisecond);

void WriteWorstPdf(benchmark::State& state) {
    const report::PageStore pages = report::readPageFile(report::writePageFile(worstPageFile()));
    QTemporaryDir directory;
    const QString file = QDir(directory.path()).filePath(QStringLiteral("worst.pdf"));
    for (auto _ : state)
        report::writePdf(pages, file);
}
BENCHMARK(WriteWorstPdf)->Unit(benchmark::kMillisecond);

// The same with the system's own families, whose font files the PDF embeds.
void WriteWorstPdfInstalledFonts(benchmark::State& state) {
    const report::PageStore pages = report::readPageFile(report::writePageFile(worstPageFile(true)));
    QTemporaryDir directory;
    const QString file = QDir(directory.path()).filePath(QStringLiteral("worst.pdf"));
    for (auto _ : state)
        report::writePdf(pages, file);
}
BENCHMARK(WriteWorstPdfInstalledFonts)->Unit(benchmark::kMillisecond);

// Writes the costliest file for timing the command line on it; false when it cannot.
bool writeWorstPageFile(const char* fileName, bool installedFonts) {
    const std::string bytes = report::writePageFile(worstPageFile(installedFonts));
    QFile file(QString::fromLocal8Bit(fileName));
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The same file with the system's own families needs the font database, and so the application.
    for (const std::string_view option :
         {"--write-worst-page-file=", "--write-worst-page-file-installed-fonts="}) {
        if (argc == 2 && std::string_view(argv[1]).starts_with(option)) {
            const bool installedFonts = option.find("installed") != std::string_view::npos;
            QGuiApplication application(argc, argv);
            if (writeWorstPageFile(argv[1] + option.size(), installedFonts))
                return 0;
            std::cerr << "report_bench: cannot write " << argv[1] + option.size() << '\n';
            return 1;
        }
    }
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
