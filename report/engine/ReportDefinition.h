#pragma once

#include "FontSpec.h"

#include <QString>

#include <optional>
#include <vector>

// The report definition as the engine holds it once loaded: a project of data views and reports,
// a report of pages, a page of one region, a region of bands, a band of elements. Every length is
// in inches, as stored; positions are relative to the top-left corner of the enclosing object.
namespace kodexa::report {

enum class Justify { Left, Center, Right };

enum class ElementKind { Text, DataText, DataMemo, HLine };
enum class LineWidthType { Points, Pixels };

struct Element {
    QString name;
    ElementKind kind = ElementKind::Text;
    double left = 0;
    double top = 0;
    double width = 0;
    std::optional<double> height; // none: the height of the font

    QString text;      // a text's content
    QString dataView;  // a data element's view and field
    QString dataField; //
    FontSpec font;
    Justify justify = Justify::Left;
    bool truncate = false;     // cut the text at the right edge of the box
    bool expandParent = false; // a memo that needs more height makes its band taller

    double lineWidth = 1; // a line's width in lineWidthType units
    LineWidthType lineWidthType = LineWidthType::Points;
};

enum class BandKind { Band, DataBand };

// When a plain band prints: where the region's band sequence first reaches it, and again at the top
// of every page that the region continues on.
struct PrintOccasions {
    bool first = false;
    bool newPage = false;
};

struct Band {
    QString name;
    BandKind kind = BandKind::Band;
    double height = 0;
    PrintOccasions printOcc;
    QString dataView; // a data band prints once per record of this view
    bool initToFirst = true;
    int maxRows = 0; // 0: no limit
    bool keepRowTogether = false;
    bool allowSplit = false;
    std::vector<Element> elements;
};

struct Region {
    QString name;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    int columns = 1;
    double columnSpacing = 0;
    std::vector<Band> bands;
};

enum class Orientation { Default, Portrait, Landscape };

struct PageDefinition {
    QString name;
    int paperSize = 0;
    double width = 0;
    double height = 0;
    Orientation orientation = Orientation::Default;
    int bin = -1;
    std::vector<Region> regions;
};

struct ReportDefinition {
    QString name;
    QString fullName;  // the name shown to users; the short name when none is given
    QString firstPage; // "Report.Page"
    std::vector<PageDefinition> pages;
};

enum class FieldKind { String, Integer, Float, Boolean, DateTime, Graphic, Memo };

struct DataViewField {
    QString name;
    QString fieldName;
    FieldKind kind = FieldKind::String;
    int size = 0; // as declared at design time; values are never cut to it
};

struct DataView {
    QString name;
    QString connectionName;
    std::vector<DataViewField> fields;
};

struct ProjectDefinition {
    QString name;
    double unitsFactor = 1.0; // design units per inch; lengths are stored in inches regardless
    QString lastActiveReport;
    std::vector<DataView> dataViews;
    std::vector<ReportDefinition> reports;

    const DataView* findDataView(const QString& viewName) const;
    // Short name, or full name when byFullName; without regard to case.
    const ReportDefinition* findReport(const QString& reportName, bool byFullName) const;
};

} // namespace kodexa::report
