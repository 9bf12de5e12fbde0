#include "CarriedDefinition.h"
#include "ProjectBuilder.h"
#include "RvProject.h"

#include <gtest/gtest.h>

#include <string>

using namespace kodexa::report;

namespace {

double mm(double inches) {
    return inches * 25.4;
}

constexpr double Exact = 0.005; // the designer's lengths are exact to 0.01 mm

const Band& bandNamed(const Region& region, const QString& name) {
    for (const Band& band : region.bands) {
        if (band.name == name)
            return band;
    }
    throw std::runtime_error("no band " + name.toStdString());
}

std::string errorOf(const std::string& text) {
    try {
        loadProject(text);
    } catch (const DefinitionError& error) {
        return error.what();
    }
    return "no error";
}

// A minimal valid project around one element of a data band.
std::string projectWithDataElement(const std::string& element, const std::string& regionExtra = "") {
    return "object P: TRaveProjectManager\n"
           "  object V: TRaveDataView\n"
           "    ConnectionName = 'C'\n"
           "    object VF: TRaveStringField\n      FieldName = 'F'\n    end\n"
           "  end\n"
           "  object W: TRaveDataView\n    ConnectionName = 'D'\n  end\n"
           "  object R: TRaveReport\n"
           "    object Pg: TRavePage\n      PageWidth = 8\n      PageHeight = 11\n"
           "      object Rg: TRaveRegion\n        Width = 7\n        Height = 10\n"
           "        object B: TRaveDataBand\n          DataView = V\n" +
           element + "        end\n      end\n" + regionExtra + "    end\n  end\nend\n";
}

} // namespace

TEST(CarriedDefinition, HoldsTheCodeListReportAsDesigned) {
    const ProjectDefinition project = loadProject(carriedDefinitionText());
    EXPECT_EQ(project.name, "RaveProject");
    EXPECT_DOUBLE_EQ(project.unitsFactor, 25.4);
    EXPECT_EQ(project.lastActiveReport, "Report2");

    ASSERT_EQ(project.dataViews.size(), 2U);
    const DataView* view = project.findDataView(QStringLiteral("DataView2"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->connectionName, "RvDataSetConnection1");
    ASSERT_EQ(view->fields.size(), 2U);
    EXPECT_EQ(view->fields[0].fieldName, "CPV_ID");
    EXPECT_EQ(view->fields[0].size, 11);
    EXPECT_EQ(view->fields[1].fieldName, "CPV_DESC");
    EXPECT_EQ(view->fields[1].size, 151);
    const DataView* unused = project.findDataView(QStringLiteral("DataView1"));
    ASSERT_NE(unused, nullptr);
    EXPECT_EQ(unused->connectionName, "RvCuctomConnection1");
    ASSERT_EQ(unused->fields.size(), 1U);
    EXPECT_EQ(unused->fields[0].kind, FieldKind::Graphic);
    EXPECT_EQ(unused->fields[0].fieldName, "LogoBitmap");

    const ReportDefinition* report = project.findReport(QStringLiteral("Report2"), false);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->firstPage, "Report2.Page1");
    ASSERT_EQ(report->pages.size(), 1U);
    const PageDefinition& page = report->pages.front();
    EXPECT_EQ(page.paperSize, 9);
    EXPECT_NEAR(mm(page.width), 210, Exact);
    EXPECT_NEAR(mm(page.height), 297, Exact);
    EXPECT_EQ(page.orientation, Orientation::Default);
    EXPECT_EQ(page.bin, -1);

    ASSERT_EQ(page.regions.size(), 1U);
    const Region& region = page.regions.front();
    EXPECT_NEAR(mm(region.left), 3.90, Exact);
    EXPECT_NEAR(mm(region.top), 4.00, Exact);
    EXPECT_NEAR(mm(region.width), 201.40, Exact);
    EXPECT_NEAR(mm(region.height), 288.20, Exact);
    EXPECT_EQ(region.columns, 1);

    ASSERT_EQ(region.bands.size(), 3U);
    EXPECT_EQ(region.bands[0].name, "Band1");
    EXPECT_EQ(region.bands[1].name, "Band2");
    EXPECT_EQ(region.bands[2].name, "DataBand1");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(region.bands[i].kind, BandKind::Band);
        EXPECT_TRUE(region.bands[i].printOcc.first);
        EXPECT_TRUE(region.bands[i].printOcc.newPage);
    }
    EXPECT_NEAR(mm(region.bands[0].height), 16.38, Exact);
    EXPECT_NEAR(mm(region.bands[1].height), 8.98, Exact);
    const Band& dataBand = region.bands[2];
    EXPECT_EQ(dataBand.kind, BandKind::DataBand);
    EXPECT_DOUBLE_EQ(dataBand.height, 0.2);
    EXPECT_EQ(dataBand.dataView, "DataView2");
    EXPECT_TRUE(dataBand.initToFirst);
    EXPECT_EQ(dataBand.maxRows, 0);
    EXPECT_FALSE(dataBand.keepRowTogether);
    EXPECT_FALSE(dataBand.allowSplit);
}

TEST(CarriedDefinition, PlacesTheSixElementsAsDesigned) {
    const ProjectDefinition project = loadProject(carriedDefinitionText());
    const Region& region = project.reports.front().pages.front().regions.front();
    struct Expected {
        const char* band;
        const char* name;
        ElementKind kind;
        double pointSize;
        bool bold;
        Justify justify;
        double left, top, width;
        double height; // 0: from the font
    };
    const Expected expected[] = {
        {"Band1", "Text1", ElementKind::Text, 16, true, Justify::Center, 68.95, 3.90, 63.50, 0},
        {"Band2", "Text2", ElementKind::Text, 10, false, Justify::Left, 2.40, 1.40, 30.00, 0},
        {"Band2", "Text3", ElementKind::Text, 10, false, Justify::Left, 22.60, 1.40, 154.50, 0},
        {"Band2", "HLine1", ElementKind::HLine, 0, false, Justify::Left, 2.40, 6.00, 172.80, 0},
        {"DataBand1", "DataText1", ElementKind::DataText, 10, false, Justify::Left, 2.10, 1.10, 19.80, 0},
        {"DataBand1", "DataMemo1", ElementKind::DataMemo, 10, false, Justify::Left, 22.60, 1.10, 173.90,
         3.90},
    };
    std::size_t count = 0;
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.name);
        const Band& band = bandNamed(region, QString::fromLatin1(want.band));
        const auto found = std::find_if(band.elements.begin(), band.elements.end(),
                                        [&](const Element& element) { return element.name == want.name; });
        ASSERT_NE(found, band.elements.end());
        const Element& element = *found;
        ++count;
        EXPECT_EQ(element.kind, want.kind);
        EXPECT_NEAR(mm(element.left), want.left, Exact);
        EXPECT_NEAR(mm(element.top), want.top, Exact);
        EXPECT_NEAR(mm(element.width), want.width, Exact);
        if (want.height == 0 && want.kind != ElementKind::HLine) {
            EXPECT_FALSE(element.height.has_value());
        }
        if (want.height > 0) {
            ASSERT_TRUE(element.height.has_value());
            EXPECT_NEAR(mm(*element.height), want.height, Exact);
        }
        if (want.kind == ElementKind::HLine) {
            EXPECT_DOUBLE_EQ(element.lineWidth, 1);
            EXPECT_EQ(element.lineWidthType, LineWidthType::Points);
            continue;
        }
        EXPECT_EQ(element.font.name, "Arial");
        EXPECT_DOUBLE_EQ(element.font.pointSize, want.pointSize);
        EXPECT_EQ(element.font.bold, want.bold);
        EXPECT_EQ(element.font.charset, 1);
        EXPECT_EQ(element.font.color, 0U);
        EXPECT_EQ(element.justify, want.justify);
    }
    EXPECT_EQ(count, 6U);
    const Band& dataBand = bandNamed(region, QStringLiteral("DataBand1"));
    EXPECT_TRUE(dataBand.elements[0].truncate);     // the code is cut at its box
    EXPECT_FALSE(dataBand.elements[1].truncate);    // the description wraps
    EXPECT_TRUE(dataBand.elements[1].expandParent); // and makes its row taller
    EXPECT_EQ(dataBand.elements[0].dataField, "CPV_ID");
    EXPECT_EQ(dataBand.elements[1].dataField, "CPV_DESC");
    EXPECT_EQ(bandNamed(region, QStringLiteral("Band1")).elements[0].text, "Liste der CPV Codes");
}

TEST(ReportSelection, MatchesTheShortNameWithoutRegardToCaseAndOnlyWhenAsked) {
    TRvProject project;
    std::string text = projectWithDataElement("");
    text.insert(text.find("  object R: TRaveReport\n") + 24, "    FullName = 'Code list'\n");
    project.setDefinitionText(text);
    EXPECT_TRUE(project.selectReport(QStringLiteral("r"), false));
    EXPECT_FALSE(project.selectReport(QStringLiteral("Code list"), false));
    EXPECT_EQ(project.activeReport()->name, "R"); // a failed selection keeps the active report
    EXPECT_TRUE(project.selectReport(QStringLiteral("CODE LIST"), true));
    EXPECT_FALSE(project.selectReport(QStringLiteral("R"), true));
}

TEST(ReportSelection, TheCarriedProjectOpensOnceAndStartsOnItsLastActiveReport) {
    TRvProject project;
    EXPECT_FALSE(project.active());
    EXPECT_TRUE(project.selectReport(QStringLiteral("REPORT2"), false)); // opens the project
    EXPECT_TRUE(project.active());
    project.setDefinitionText("not a definition");
    EXPECT_NO_THROW(project.open()); // already open: nothing is loaded again
    EXPECT_EQ(project.activeReport()->name, "Report2");

    TRvProject fresh;
    fresh.open();
    ASSERT_NE(fresh.activeReport(), nullptr);
    EXPECT_EQ(fresh.activeReport()->name, "Report2");
}

TEST(DefinitionReader, ReadsValuesOfEveryKind) {
    const DefinitionObject root = readDefinition("// heading comment\n"
                                                 "object A: TX // trailing comment\n"
                                                 "  S = 'it''s ä'\n"
                                                 "  N = -1.5e-1\n"
                                                 "  Font.Style = [fsBold, fsItalic]\n"
                                                 "  E = []\n"
                                                 "  K = pjCenter\n"
                                                 "  object B: TY\n  end\n"
                                                 "end\n");
    EXPECT_EQ(root.name, "A");
    EXPECT_EQ(root.className, "TX");
    ASSERT_EQ(root.properties.size(), 5U);
    EXPECT_EQ(root.properties[0].value.text, QStringLiteral("it's ä"));
    EXPECT_DOUBLE_EQ(root.properties[1].value.number, -0.15);
    EXPECT_EQ(root.properties[2].name, "Font.Style");
    EXPECT_EQ(root.properties[2].value.names, (std::vector<QString>{"fsBold", "fsItalic"}));
    EXPECT_EQ(root.properties[3].value.kind, DefinitionValue::Kind::Set);
    EXPECT_TRUE(root.properties[3].value.names.empty());
    EXPECT_EQ(root.properties[4].value.kind, DefinitionValue::Kind::Name);
    EXPECT_EQ(root.properties[4].line, 7);
    ASSERT_EQ(root.children.size(), 1U);
    EXPECT_EQ(root.children[0].line, 8);
}

TEST(DefinitionReader, NamesTheLineAndTheFaultOfMalformedText) {
    std::string deep;
    for (int i = 0; i < 17; ++i)
        deep += "object A: T\n";
    for (int i = 0; i < 17; ++i)
        deep += "end\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"object A: TRaveProjectManager\n  X = 'abc\nend\n", "line 2: string not closed on its line"},
        {"object A: TRaveProjectManager\n", "line 2: expected 'end', found end of text"},
        {"object A TRaveProjectManager\nend\n", "line 1: expected ':', found 'TRaveProjectManager'"},
        {"object A: T\nend\nend\n", "line 3: expected end of text, found 'end'"},
        {"object A: T\n  X = -\nend\n", "line 2: malformed number '-'"},
        {"object A: T\n  X = 1.2.3\nend\n", "line 2: malformed number '1.2.3'"},
        {"object A: T\n  X = @\nend\n", "line 2: unexpected character '@'"},
        {"object A: T\n  X = [a,]\nend\n", "line 2: expected a name, found ']'"},
        {"object A: T\n  X =\nend\n", "line 3: expected a value, found 'end'"},
        {deep, "line 17: objects nested too deeply"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(errorOf(text), "report definition, " + message);
    }
}

TEST(ProjectBuilder, RefusesWhatTheEngineCannotUnderstand) {
    const std::string twoRegions = "      object Rg2: TRaveRegion\n      end\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"object P: TRaveText\nend\n",
         "line 1: a definition must hold a TRaveProjectManager, not TRaveText 'P'"},
        {"object P: TRaveProjectManager\n  Foo = 1\nend\n",
         "line 2: TRaveProjectManager 'P' has no property Foo"},
        {"object P: TRaveProjectManager\n  UnitsFactor = 'x'\nend\n",
         "line 2: TRaveProjectManager 'P': UnitsFactor must be a number"},
        {"object P: TRaveProjectManager\n  UnitsFactor = 1\n  UnitsFactor = 2\nend\n",
         "line 3: TRaveProjectManager 'P': UnitsFactor is given twice"},
        {"object P: TRaveProjectManager\n  object X: TRaveBand\n  end\nend\n",
         "line 2: TRaveProjectManager 'P' cannot hold TRaveBand 'X'"},
        {projectWithDataElement("          object T: TRaveDataText\n            DataView = W\n"
                                "            DataField = 'F'\n          end\n"),
         "element T must use the data view of its data band"},
        {projectWithDataElement("          object T: TRaveDataText\n            DataView = V\n"
                                "            DataField = 'G'\n          end\n"),
         "element T: data view V has no field G"},
        {projectWithDataElement("          object T: TRaveText\n            Left = -1\n          end\n"),
         "line 21: TRaveText 'T': Left must not be negative"},
        {projectWithDataElement(
             "          object T: TRaveText\n            FontJustify = middle\n          end\n"),
         "line 21: TRaveText 'T': FontJustify must be pjLeft, pjCenter or pjRight"},
        {projectWithDataElement("", twoRegions), "TRavePage 'Pg': only one region per page is supported"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        EXPECT_NE(errorOf(text).find(message), std::string::npos) << errorOf(text);
    }
    std::string badFirstPage = projectWithDataElement("");
    badFirstPage.insert(badFirstPage.find("  object R: TRaveReport\n") + 24, "    FirstPage = 'R.Nope'\n");
    EXPECT_NE(errorOf(badFirstPage).find("FirstPage R.Nope is not one of its pages"), std::string::npos);
}
