// The carried report over the code list table, laid out with the real fonts.
#include "DataSetConnection.h"
#include "FontMetricsMeasurer.h"
#include "GuiEnvironment.h"
#include "PageFile.h"
#include "RvProject.h"
#include "TestTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kodexa;
using namespace kodexa::report;

namespace {

[[maybe_unused]] ::testing::Environment* const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new testsupport::GuiEnvironment);

double mm(double inches) {
    return inches * 25.4;
}
constexpr double Tolerance = 0.005; // mm
constexpr double RegionLeft = 3.90;
constexpr double RegionBottom = 292.20;

const FontSpec TitleFont{"Arial", 16, true};
const FontSpec ListFont{"Arial", 10};

struct PrintedRow {
    std::size_t page = 0;
    QString code;
    double codeBaseline = 0; // inches
    std::vector<const PageText*> lines;
};

struct CountingObserver final : DataSetObserver {
    void dataSetChanged(const TClientDataSet&) override { ++changes; }
    void recordChanged(const TClientDataSet&) override { ++changes; }
    int changes = 0;
};

class CodeListReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::loadTestTable(table);
        connection.setDataSet(&table);
        project.addConnection(connection);
        ASSERT_TRUE(project.selectReport(QStringLiteral("Report2"), false));
    }

    GenerationResult generate(const PageStartedHandler& pageStarted = {}) {
        return project.generate(QStringLiteral("Ausdruck CPV-Liste"), measurer, pageStarted);
    }

    // The data rows, read back from the pages: a code starts a row, the description lines follow.
    static std::vector<PrintedRow> rowsOf(const PageStore& pages) {
        std::vector<PrintedRow> rows;
        for (std::size_t index = 0; index < pages.pageCount(); ++index) {
            const std::vector<PageItem>& items = pages.page(index).items;
            for (std::size_t i = 4; i < items.size(); ++i) {
                const PageText& text = std::get<PageText>(items[i]);
                if (std::abs(mm(text.x) - (RegionLeft + 2.10)) < Tolerance)
                    rows.push_back({index, QString::fromStdString(text.text), text.baseline, {}});
                else
                    rows.back().lines.push_back(&text);
            }
        }
        return rows;
    }

    std::vector<QString> tableCodes() {
        std::vector<QString> codes;
        for (table.first(); !table.eof(); table.next())
            codes.push_back(QString::fromStdString(table.fieldAsString("CPV_ID")));
        return codes;
    }

    static std::vector<QString> codesOf(const std::vector<PrintedRow>& rows) {
        std::vector<QString> codes;
        for (const PrintedRow& row : rows)
            codes.push_back(row.code);
        return codes;
    }

    TClientDataSet table{"ClientDataSet1"};
    TRvDataSetConnection connection{"RvDataSetConnection1"};
    TRvProject project;
    FontMetricsMeasurer measurer;
};

} // namespace

TEST_F(CodeListReportTest, EveryPageBeginsWithTheTitleAndTheHeadsAtTheirPlaces) {
    const GenerationResult result = generate();
    const PageStore& pages = result.pages;
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(pages.title(), "Ausdruck CPV-Liste");
    EXPECT_GE(pages.pageCount(), 186U);
    const double titleAscent = measurer.metrics(TitleFont).ascent;
    const double listAscent = measurer.metrics(ListFont).ascent;
    for (std::size_t index = 0; index < pages.pageCount(); ++index) {
        SCOPED_TRACE(index + 1);
        const Page& page = pages.page(index);
        EXPECT_NEAR(mm(page.width), 210, Tolerance);
        EXPECT_NEAR(mm(page.height), 297, Tolerance);
        ASSERT_GE(page.items.size(), 6U); // heads and at least one row
        const auto& title = std::get<PageText>(page.items[0]);
        const auto& codeHead = std::get<PageText>(page.items[1]);
        const auto& descriptionHead = std::get<PageText>(page.items[2]);
        const auto& rule = std::get<PageLine>(page.items[3]);
        EXPECT_EQ(title.text, "Liste der CPV Codes");
        EXPECT_NEAR(mm(title.baseline - titleAscent), 7.90, Tolerance);
        const double titleMiddle =
            title.x + measurer.width(TitleFont, QString::fromStdString(title.text)) / 2;
        EXPECT_NEAR(mm(titleMiddle), RegionLeft + 100.70, Tolerance); // centred on the list
        EXPECT_EQ(codeHead.text, "CPV Code");
        EXPECT_NEAR(mm(codeHead.x), RegionLeft + 2.40, Tolerance);
        EXPECT_NEAR(mm(codeHead.baseline - listAscent), 21.78, Tolerance);
        EXPECT_EQ(descriptionHead.text, "Bezeichnung");
        EXPECT_NEAR(mm(descriptionHead.x), RegionLeft + 22.60, Tolerance);
        EXPECT_NEAR(mm(rule.y1), 26.38, Tolerance);
        EXPECT_NEAR(mm(rule.x1), RegionLeft + 2.40, Tolerance);
        EXPECT_NEAR(mm(rule.x2), RegionLeft + 175.20, Tolerance);
        const auto& firstCode = std::get<PageText>(page.items[4]);
        EXPECT_NEAR(mm(firstCode.baseline - listAscent), 30.46, Tolerance);
    }
}

TEST_F(CodeListReportTest, PrintsEveryCodeOnceInTableOrderWithRowsOf508MillimetresAndNoneSplit) {
    const std::vector<QString> expected = tableCodes();
    const GenerationResult result = generate();
    const std::vector<PrintedRow> rows = rowsOf(result.pages);
    EXPECT_EQ(codesOf(rows), expected);

    const double lineSpacing = measurer.metrics(ListFont).lineSpacing();
    const double descent = measurer.metrics(ListFont).descent;
    int wrapped = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PrintedRow& row = rows[i];
        SCOPED_TRACE(row.code.toStdString());
        ASSERT_GE(row.lines.size(), 1U);
        wrapped += row.lines.size() > 1;
        // Lines one spacing apart, all inside the region of the row's page.
        for (std::size_t line = 0; line < row.lines.size(); ++line) {
            EXPECT_NEAR(mm(row.lines[line]->baseline - row.codeBaseline), mm(line * lineSpacing), Tolerance);
            EXPECT_LE(mm(measurer.width(ListFont, QString::fromStdString(row.lines[line]->text))),
                      173.90 + Tolerance);
        }
        EXPECT_LE(mm(row.lines.back()->baseline + descent), RegionBottom);
        if (i + 1 < rows.size() && rows[i + 1].page == row.page) {
            const double expectedHeight = 5.08 + mm((row.lines.size() - 1) * lineSpacing);
            EXPECT_NEAR(mm(rows[i + 1].codeBaseline - row.codeBaseline), expectedHeight, Tolerance);
        }
    }
    EXPECT_GT(wrapped, 0);
}

TEST_F(CodeListReportTest, APageOfSingleLineRowsHolds51AndAWrappedDescriptionLosesNothing) {
    const GenerationResult result = generate();
    const std::vector<PrintedRow> rows = rowsOf(result.pages);
    const std::size_t pageCount = result.pages.pageCount();
    std::vector<int> rowsOnPage(pageCount);
    std::vector<bool> onlySingleLines(pageCount, true);
    for (const PrintedRow& row : rows) {
        ++rowsOnPage[row.page];
        if (row.lines.size() > 1)
            onlySingleLines[row.page] = false;
    }
    int fullPages = 0;
    for (std::size_t page = 0; page + 1 < pageCount; ++page) {
        if (onlySingleLines[page]) {
            EXPECT_EQ(rowsOnPage[page], 51) << "page " << page + 1;
            ++fullPages;
        }
    }
    EXPECT_GT(fullPages, 100);

    for (const PrintedRow& row : rows) {
        if (row.lines.size() < 2)
            continue;
        QStringList lines;
        for (const PageText* line : row.lines)
            lines.append(QString::fromStdString(line->text));
        testsupport::applyTestFilter(table, "PREFIX " + row.code.toStdString());
        EXPECT_EQ(lines.join(u' '), QString::fromLatin1(table.fieldAsString("CPV_DESC")));
    }
}

TEST_F(CodeListReportTest, AnEmptyViewGivesOnePageWithTheTitleAndHeads) {
    testsupport::applyTestFilter(table, "PREFIX x");
    const GenerationResult result = generate();
    ASSERT_EQ(result.pages.pageCount(), 1U);
    ASSERT_EQ(result.pages.page(0).items.size(), 4U);
    EXPECT_EQ(std::get<PageText>(result.pages.page(0).items[0]).text, "Liste der CPV Codes");
}

TEST_F(CodeListReportTest, AFilteredViewInDescriptionOrderPrintsOnlyItsRowsInThatOrder) {
    testsupport::applyTestFilter(table, "PREFIX 03");
    table.setIndexFieldNames("CPV_DESC");
    const std::vector<QString> expected = tableCodes();
    ASSERT_GT(expected.size(), 51U);
    ASSERT_NE(expected.front(), "03000000"); // description order differs from code order
    const GenerationResult result = generate();
    EXPECT_EQ(codesOf(rowsOf(result.pages)), expected);
}

TEST_F(CodeListReportTest, TheTableIsBackOnItsRecordFilterAndOrderAndItsControlsHeardNothing) {
    testsupport::applyTestFilter(table, "PREFIX 45");
    table.setIndexFieldNames("CPV_DESC");
    table.setRecNo(7);
    const std::string current = table.fieldAsString("CPV_ID");
    CountingObserver observer;
    table.addObserver(&observer);

    std::vector<int> changesAtPageStart;
    bool disabledThroughout = true;
    const GenerationResult result = generate([&](int page) {
        changesAtPageStart.push_back(observer.changes);
        if (page > 1) // the walk begins after the heads of page 1
            disabledThroughout = disabledThroughout && table.controlsDisabled();
        return true;
    });
    ASSERT_GT(changesAtPageStart.size(), 2U);
    EXPECT_EQ(changesAtPageStart.front(), 0);
    EXPECT_EQ(changesAtPageStart.back(), 0); // the walk over many pages told the grid nothing
    EXPECT_TRUE(disabledThroughout);

    EXPECT_FALSE(table.controlsDisabled());
    EXPECT_EQ(table.recNo(), 7U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), current);
    EXPECT_EQ(table.filter(), "PREFIX 45");
    EXPECT_TRUE(table.filtered());
    EXPECT_EQ(table.indexFieldNames(), "CPV_DESC");
    EXPECT_GT(observer.changes, 0); // heard once the walk was over
    table.removeObserver(&observer);
}

TEST_F(CodeListReportTest, ACancelledRunLeavesTheTableAsItWas) {
    testsupport::applyTestFilter(table, "PREFIX 3");
    table.setIndexFieldNames("CPV_DESC");
    table.setRecNo(100);
    const GenerationResult result = generate([](int page) { return page < 3; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.pages.pageCount(), 2U);
    EXPECT_EQ(table.recNo(), 100U);
    EXPECT_EQ(table.filter(), "PREFIX 3");
    EXPECT_TRUE(table.filtered());
    EXPECT_EQ(table.indexFieldNames(), "CPV_DESC");
    EXPECT_FALSE(table.controlsDisabled());
}

TEST_F(CodeListReportTest, AClosedTableIsOpenedForTheWalkAndClosedAgain) {
    testsupport::applyTestFilter(table, "PREFIX 98");
    table.close();
    const GenerationResult result = generate();
    EXPECT_FALSE(table.active());
    EXPECT_EQ(table.filter(), "PREFIX 98");
    const std::vector<PrintedRow> rows = rowsOf(result.pages);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().code, "98000000");
}

TEST_F(CodeListReportTest, ASecondPrintGivesTheSamePages) {
    testsupport::applyTestFilter(table, "DESC Dienst");
    const GenerationResult first = generate();
    FontMetricsMeasurer freshMeasurer;
    const GenerationResult second = project.generate(QStringLiteral("Ausdruck CPV-Liste"), freshMeasurer, {});
    EXPECT_GT(first.pages.pageCount(), 1U);
    EXPECT_TRUE(first.pages == second.pages);
}

// The whole list is the largest report the program lays out (the carried list in the carried A4
// definition): it saves as a page file and opens again, far inside the limits on a text and a page
// and inside those on the whole file by about two, as the PDF's time allows.
TEST_F(CodeListReportTest, TheWholeListStaysInsideThePageFileLimits) {
    const PageStore pages = generate().pages;
    std::size_t items = 0;
    std::size_t textBytes = 0;
    std::size_t mostItems = 0;
    std::size_t longestText = 0;
    std::size_t mostPageText = 0;
    double largestPageTextArea = 0;
    double widestLine = 0;
    for (std::size_t index = 0; index < pages.pageCount(); ++index) {
        const Page& page = pages.page(index);
        std::size_t pageText = 0;
        double pageTextArea = 0;
        for (const PageItem& item : page.items) {
            if (const auto* text = std::get_if<PageText>(&item)) {
                const double em = pages.fonts()[text->font].pointSize / 72;
                pageText += text->text.size();
                pageTextArea += static_cast<double>(text->text.size()) * em * em;
                longestText = std::max(longestText, text->text.size());
            } else {
                widestLine = std::max(widestLine, std::get<PageLine>(item).width);
            }
        }
        items += page.items.size();
        textBytes += pageText;
        mostItems = std::max(mostItems, page.items.size());
        mostPageText = std::max(mostPageText, pageText);
        largestPageTextArea = std::max(largestPageTextArea, pageTextArea);
    }
    double largestFont = 0;
    for (const FontSpec& font : pages.fonts())
        largestFont = std::max(largestFont, font.pointSize);

    EXPECT_LE(pages.fonts().size() * 10, MaxFonts);
    EXPECT_LE(largestFont * 10, MaxPointSize);
    EXPECT_LE(mostItems * 10, MaxItemsPerPage);
    EXPECT_LE(longestText * 10, MaxTextBytes);
    EXPECT_LE(mostPageText * 10, MaxPageTextBytes);
    EXPECT_LE(largestPageTextArea * 10, MaxPageTextArea);
    EXPECT_LE(widestLine * 10, MaxLineWidthInches);
    EXPECT_LE(pages.pageCount() * 2, MaxPages);
    EXPECT_LE(items * 2, MaxItems);
    EXPECT_LE(textBytes * 2, MaxAllTextBytes);
    const std::string bytes = writePageFile(pages);
    EXPECT_LE(bytes.size() * 2, MaxPageFileBytes);
    EXPECT_TRUE(readPageFile(bytes) == pages);
}
