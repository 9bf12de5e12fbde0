// The layout's rules over data and fonts that make the numbers easy: characters a tenth of an inch
// wide, a line spacing of 0.15 in, a region 3 in high under a 0.5 in head, rows of 0.5 in.
#include "DataConnection.h"
#include "FixedWidthMeasurer.h"
#include "ProjectBuilder.h"
#include "ReportLayout.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace kodexa::report;
using kodexa::testsupport::FixedWidthMeasurer;

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

class VectorConnection final : public DataConnection {
public:
    explicit VectorConnection(Rows rows) : rows_(std::move(rows)) {}

    std::string_view name() const override { return "C"; }
    void open() override {
        ++opens;
        position_ = 0;
    }
    void restore() override { ++restores; }
    std::vector<ConnectionField> fields() const override {
        return {{"ID", ConnectionFieldType::String, 8}, {"TEXT", ConnectionFieldType::String, 250}};
    }
    void first() override { position_ = 0; }
    void next() override { ++position_; }
    bool atEnd() override { return position_ >= rows_.size(); }
    void currentRow(std::vector<ConnectionValue>& values) const override {
        if (failAt && position_ == *failAt)
            throw std::runtime_error("read error");
        const auto& [id, text] = rows_[position_];
        values = {{id, id}, {text, text}};
    }

    int opens = 0;
    int restores = 0;
    std::optional<std::size_t> failAt;

private:
    Rows rows_;
    std::size_t position_ = 0;
};

// Head "List" centred in 2 in; rows: the id cut at 0.4 in, the text wrapped in 1 in.
std::string definition(const std::string& dataBandExtra = "") {
    return R"(object P: TRaveProjectManager
  object V: TRaveDataView
    ConnectionName = 'C'
    object VI: TRaveStringField
      FieldName = 'ID'
    end
    object VT: TRaveStringField
      FieldName = 'TEXT'
    end
  end
  object Unused: TRaveDataView
    ConnectionName = 'Missing'
  end
  object R: TRaveReport
    object Pg: TRavePage
      PageWidth = 4
      PageHeight = 5
      object Rg: TRaveRegion
        Left = 0.5
        Top = 1
        Width = 3
        Height = 3
        object Head: TRaveBand
          Height = 0.5
          PrintOcc = [poFirst, poNewPage]
          object Title: TRaveText
            Text = 'List'
            FontJustify = pjCenter
            Left = 0.5
            Top = 0.1
            Width = 2
          end
          object Rule: TRaveHLine
            Left = 0
            Top = 0.4
            Width = 3
            LineWidth = 2
          end
        end
        object Rows: TRaveDataBand
          Height = 0.5
          DataView = V
)" + dataBandExtra +
           R"(          object Id: TRaveDataText
            DataView = V
            DataField = 'ID'
            Left = 0
            Top = 0.05
            Width = 0.4
          end
          object Text: TRaveDataMemo
            DataView = V
            DataField = 'text'
            FontJustify = pjRight
            Left = 1
            Top = 0.05
            Width = 1
            Height = 0.1
          end
        end
      end
    end
  end
end
)";
}

struct Generated {
    GenerationResult result;
    std::vector<int> pagesStarted;
};

Generated generate(VectorConnection& connection, const std::string& text = definition(),
                   int cancelAtPage = 0) {
    const ProjectDefinition project = loadProject(text);
    FixedWidthMeasurer measurer;
    Generated run;
    const ConnectionLookup lookup = [&](const QString& name) -> DataConnection* {
        return name == "C" ? &connection : nullptr;
    };
    run.result = generateReport(project, project.reports.front(), QStringLiteral("Title"), lookup, measurer,
                                [&](int page) {
                                    run.pagesStarted.push_back(page);
                                    return page != cancelAtPage;
                                });
    return run;
}

std::vector<const PageText*> textsOf(const Page& page) {
    std::vector<const PageText*> texts;
    for (const PageItem& item : page.items) {
        if (const auto* text = std::get_if<PageText>(&item))
            texts.push_back(text);
    }
    return texts;
}

// The ids on a page, in order.
std::vector<QString> idsOn(const Page& page) {
    std::vector<QString> ids;
    for (const PageText* text : textsOf(page)) {
        if (text->x == 0.5)
            ids.push_back(QString::fromStdString(text->text));
    }
    return ids;
}

Rows rows(int count, const std::string& text = "short") {
    Rows result;
    for (int i = 0; i < count; ++i)
        result.emplace_back(std::to_string(i), text);
    return result;
}

} // namespace

TEST(LayoutRules, PlacesElementsByTheirBoxAndTheFontsAscent) {
    VectorConnection connection(Rows{{"123456", "abc"}});
    const Generated run = generate(connection);
    ASSERT_EQ(run.result.pages.pageCount(), 1U);
    const Page& page = run.result.pages.page(0);
    EXPECT_DOUBLE_EQ(page.width, 4);
    EXPECT_DOUBLE_EQ(page.height, 5);
    EXPECT_EQ(run.result.pages.title(), "Title");
    ASSERT_EQ(page.items.size(), 4U);

    const auto& title = std::get<PageText>(page.items[0]);
    EXPECT_EQ(title.text, "List");
    EXPECT_DOUBLE_EQ(title.x, 0.5 + 0.5 + (2 - 0.4) / 2); // centred in its box
    EXPECT_DOUBLE_EQ(title.baseline, 1 + 0.1 + 0.1);      // region, element, ascent
    const auto& rule = std::get<PageLine>(page.items[1]);
    EXPECT_DOUBLE_EQ(rule.y1, 1.4);
    EXPECT_DOUBLE_EQ(rule.x2 - rule.x1, 3);
    EXPECT_DOUBLE_EQ(rule.width, 2.0 / 72); // two points
    const auto& id = std::get<PageText>(page.items[2]);
    EXPECT_EQ(id.text, "1234"); // cut at its 0.4 in box
    EXPECT_DOUBLE_EQ(id.baseline, 1.5 + 0.05 + 0.1);
    const auto& text = std::get<PageText>(page.items[3]);
    EXPECT_DOUBLE_EQ(text.x, 0.5 + 1 + 1 - 0.3); // right-justified
}

TEST(LayoutRules, ARowThatFitsExactlyStaysAndTheNextStartsANewPageWithTheHead) {
    VectorConnection connection(rows(6));
    const Generated run = generate(connection);
    ASSERT_EQ(run.result.pages.pageCount(), 2U);
    EXPECT_EQ(idsOn(run.result.pages.page(0)), (std::vector<QString>{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(idsOn(run.result.pages.page(1)), (std::vector<QString>{"5"}));
    const std::vector<const PageText*> second = textsOf(run.result.pages.page(1));
    EXPECT_EQ(second[0]->text, "List");
    EXPECT_DOUBLE_EQ(second[1]->baseline, 1.5 + 0.05 + 0.1); // right below the head
    EXPECT_EQ(run.pagesStarted, (std::vector<int>{1, 2}));
    EXPECT_EQ(run.result.dataRowsPerPage, (std::vector<std::size_t>{5, 1}));
}

TEST(LayoutRules, AWrappedMemoGrowsItsRowByOneLineSpacingPerExtraLine) {
    // Three lines of a 1 in memo.
    VectorConnection connection(Rows{{"0", "aaaaaa bbbbbb cccccc"}, {"1", "x"}});
    const Generated run = generate(connection);
    const std::vector<const PageText*> texts = textsOf(run.result.pages.page(0));
    ASSERT_EQ(texts.size(), 1U + 4U + 2U);
    EXPECT_EQ(texts[2]->text, "aaaaaa");
    EXPECT_EQ(texts[4]->text, "cccccc");
    EXPECT_NEAR(texts[3]->baseline - texts[2]->baseline, 0.15, 1e-12);
    EXPECT_NEAR(texts[4]->baseline - texts[3]->baseline, 0.15, 1e-12);
    EXPECT_NEAR(texts[5]->baseline - texts[1]->baseline, 0.5 + 2 * 0.15, 1e-12); // the next row's id
}

TEST(LayoutRules, ARowThatDoesNotFitMovesWholeToTheNextPage) {
    // Four rows fill 2.0 of the 2.5 in; a three-line row needs 0.8 in.
    Rows data = rows(4);
    data.emplace_back("tall", "aaaaaa bbbbbb cccccc");
    VectorConnection connection(data);
    const Generated run = generate(connection);
    ASSERT_EQ(run.result.pages.pageCount(), 2U);
    EXPECT_EQ(idsOn(run.result.pages.page(0)).size(), 4U);
    const std::vector<const PageText*> second = textsOf(run.result.pages.page(1));
    ASSERT_EQ(second.size(), 1U + 4U);
    EXPECT_EQ(second[1]->text, "tall");
    EXPECT_EQ(second[2]->text, "aaaaaa");
    EXPECT_EQ(second[4]->text, "cccccc");
}

TEST(LayoutRules, ARowTallerThanTheRegionIsPlacedOnAFreshPageAndTheWalkGoesOn) {
    std::string huge;
    for (int i = 0; i < 30; ++i)
        huge += "word ";
    VectorConnection connection(Rows{{"0", "x"}, {"huge", huge}, {"2", "x"}});
    const Generated run = generate(connection);
    ASSERT_EQ(run.result.pages.pageCount(), 3U);
    EXPECT_EQ(idsOn(run.result.pages.page(1)), (std::vector<QString>{"huge"}));
    EXPECT_EQ(idsOn(run.result.pages.page(2)), (std::vector<QString>{"2"}));
}

TEST(LayoutRules, AnEmptyViewGivesOnePageWithTheHead) {
    VectorConnection connection(Rows{});
    const Generated run = generate(connection);
    ASSERT_EQ(run.result.pages.pageCount(), 1U);
    EXPECT_EQ(run.result.pages.page(0).items.size(), 2U);
    EXPECT_EQ(run.result.dataRowsPerPage, (std::vector<std::size_t>{0}));
    EXPECT_EQ(connection.opens, 1);
    EXPECT_EQ(connection.restores, 1);
}

TEST(LayoutRules, MaxRowsEndsTheWalkEarly) {
    VectorConnection connection(rows(4));
    const Generated run = generate(connection, definition("          MaxRows = 2\n"));
    EXPECT_EQ(idsOn(run.result.pages.page(0)).size(), 2U);
}

TEST(LayoutRules, ACancelStopsAtThePageBegunAndRestoresTheConnection) {
    VectorConnection connection(rows(20));
    const Generated run = generate(connection, definition(), 2);
    EXPECT_TRUE(run.result.cancelled);
    EXPECT_EQ(run.result.pages.pageCount(), 1U);
    EXPECT_EQ(run.pagesStarted, (std::vector<int>{1, 2}));
    EXPECT_EQ(connection.restores, 1);
}

TEST(LayoutRules, AFailingWalkStillRestoresTheConnection) {
    VectorConnection connection(rows(3));
    connection.failAt = 1;
    EXPECT_THROW(generate(connection), std::runtime_error);
    EXPECT_EQ(connection.opens, 1);
    EXPECT_EQ(connection.restores, 1);
}

TEST(LayoutRules, OnlyTheViewsOfDataBandsNeedAConnection) {
    VectorConnection connection(rows(1));
    EXPECT_NO_THROW(generate(connection)); // "Unused" names a connection that does not exist

    std::string text = definition();
    text.replace(text.find("ConnectionName = 'C'"), 20, "ConnectionName = 'X'");
    try {
        generate(connection, text);
        FAIL();
    } catch (const ReportError& error) {
        EXPECT_STREQ(error.what(), "Data view V: no data connection named X");
    }
    EXPECT_EQ(connection.opens, 1);
}
