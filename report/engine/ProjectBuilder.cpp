#include "ProjectBuilder.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <string>

namespace kodexa::report {

namespace {

[[noreturn]] void fail(int line, const std::string& message) {
    throw DefinitionError("report definition, line " + std::to_string(line) + ": " + message);
}

[[noreturn]] void failReference(const std::string& message) {
    throw DefinitionError("report definition: " + message);
}

std::string text(const QString& value) {
    return value.toStdString();
}

std::string describe(const DefinitionObject& object) {
    return text(object.className) + " '" + text(object.name) + "'";
}

// One property's value, read as the type its name asks for.
class PropertyValue {
public:
    PropertyValue(const DefinitionObject& owner, const DefinitionProperty& property)
        : owner_(owner), property_(property) {}

    double number() const {
        requireKind(DefinitionValue::Kind::Number, "a number");
        return property_.value.number;
    }
    double length() const {
        const double value = number();
        if (value < 0 || !std::isfinite(value))
            failHere("must not be negative");
        return value;
    }
    int integer() const {
        const double value = number();
        if (value != std::floor(value) || std::fabs(value) > 1e9)
            failHere("must be a whole number");
        return static_cast<int>(value);
    }
    QString string() const {
        requireKind(DefinitionValue::Kind::String, "a string");
        return property_.value.text;
    }
    QString name() const {
        requireKind(DefinitionValue::Kind::Name, "a name");
        return property_.value.text;
    }
    bool boolean() const {
        const QString value = name();
        if (value.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (value.compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
        failHere("must be True or False");
    }
    const std::vector<QString>& set() const {
        requireKind(DefinitionValue::Kind::Set, "a set");
        return property_.value.names;
    }

    [[noreturn]] void failHere(const std::string& message) const {
        fail(property_.line, describe(owner_) + ": " + text(property_.name) + ' ' + message);
    }

private:
    void requireKind(DefinitionValue::Kind kind, const std::string& what) const {
        if (property_.value.kind != kind)
            failHere("must be " + what);
    }

    const DefinitionObject& owner_;
    const DefinitionProperty& property_;
};

// Calls read(name, value) for each property of the object once; read returns false for a name
// the class does not have.
template <typename Reader> void readProperties(const DefinitionObject& object, Reader read) {
    QSet<QString> seen;
    for (const DefinitionProperty& property : object.properties) {
        const PropertyValue value(object, property);
        if (seen.contains(property.name))
            value.failHere("is given twice");
        seen.insert(property.name);
        if (!read(property.name, value))
            fail(property.line, describe(object) + " has no property " + text(property.name));
    }
}

void requireNoChildren(const DefinitionObject& object) {
    if (!object.children.empty())
        fail(object.children.front().line,
             describe(object) + " cannot hold " + describe(object.children.front()));
}

// ---- Elements ---------------------------------------------------------------------------------

bool readFontProperty(FontSpec& font, const QString& name, const PropertyValue& value) {
    if (name == u"Font.Name") {
        font.name = value.string().toStdString();
    } else if (name == u"Font.Size") {
        font.pointSize = value.number();
        if (font.pointSize <= 0)
            value.failHere("must be positive");
    } else if (name == u"Font.Charset") {
        font.charset = value.integer();
    } else if (name == u"Font.Color") {
        font.color = static_cast<std::uint32_t>(value.integer());
    } else if (name == u"Font.Style") {
        for (const QString& style : value.set()) {
            if (style == u"fsBold")
                font.bold = true;
            else if (style == u"fsItalic")
                font.italic = true;
            else if (style == u"fsUnderline")
                font.underline = true;
            else if (style == u"fsStrikeOut")
                font.strikeOut = true;
            else
                value.failHere("has no text(style) " + text(style));
        }
    } else {
        return false;
    }
    return true;
}

Justify justifyFrom(const PropertyValue& value) {
    const QString name = value.name();
    if (name == u"pjLeft")
        return Justify::Left;
    if (name == u"pjCenter")
        return Justify::Center;
    if (name == u"pjRight")
        return Justify::Right;
    value.failHere("must be pjLeft, pjCenter or pjRight");
}

std::optional<ElementKind> elementKindOf(const QString& className) {
    if (className == u"TRaveText")
        return ElementKind::Text;
    if (className == u"TRaveDataText")
        return ElementKind::DataText;
    if (className == u"TRaveDataMemo")
        return ElementKind::DataMemo;
    if (className == u"TRaveHLine")
        return ElementKind::HLine;
    return std::nullopt;
}

Element buildElement(const DefinitionObject& object, ElementKind kind) {
    requireNoChildren(object);
    Element element;
    element.name = object.name;
    element.kind = kind;
    // A data text cuts at its box; a memo wraps and grows its band.
    element.truncate = kind == ElementKind::DataText;
    element.expandParent = kind == ElementKind::DataMemo;
    const bool isData = kind == ElementKind::DataText || kind == ElementKind::DataMemo;
    const bool hasText = kind != ElementKind::HLine;

    readProperties(object, [&](const QString& name, const PropertyValue& value) {
        if (name == u"Left")
            element.left = value.length();
        else if (name == u"Top")
            element.top = value.length();
        else if (name == u"Width")
            element.width = value.length();
        else if (name == u"Height")
            element.height = value.length();
        else if (hasText && name == u"Text")
            element.text = value.string(); // for a data element only the designer's caption
        else if (hasText && name == u"FontJustify")
            element.justify = justifyFrom(value);
        else if (hasText && name == u"Truncate")
            element.truncate = value.boolean();
        else if (hasText && readFontProperty(element.font, name, value))
            return true;
        else if (isData && name == u"DataView")
            element.dataView = value.name();
        else if (isData && name == u"DataField")
            element.dataField = value.string();
        else if (kind == ElementKind::DataMemo && name == u"ExpandParent")
            element.expandParent = value.boolean();
        else if (kind == ElementKind::HLine && name == u"LineWidth")
            element.lineWidth = value.length();
        else if (kind == ElementKind::HLine && name == u"LineWidthType")
            element.lineWidthType =
                value.name() == u"wtPixels" ? LineWidthType::Pixels : LineWidthType::Points;
        else
            return false;
        return true;
    });
    if (isData && (element.dataView.isEmpty() || element.dataField.isEmpty()))
        fail(object.line, describe(object) + " needs DataView and DataField");
    return element;
}

// ---- Bands, regions, pages ----------------------------------------------------------------------

Band buildBand(const DefinitionObject& object, BandKind kind) {
    Band band;
    band.name = object.name;
    band.kind = kind;
    const bool isData = kind == BandKind::DataBand;
    readProperties(object, [&](const QString& name, const PropertyValue& value) {
        if (name == u"Height") {
            band.height = value.length();
        } else if (name == u"PrintOcc") {
            for (const QString& occasion : value.set()) {
                if (occasion == u"poFirst")
                    band.printOcc.first = true;
                else if (occasion == u"poNewPage")
                    band.printOcc.newPage = true;
                else
                    value.failHere("has no text(occasion) " + text(occasion));
            }
        } else if (isData && name == u"DataView") {
            band.dataView = value.name();
        } else if (isData && name == u"InitToFirst") {
            band.initToFirst = value.boolean();
        } else if (isData && name == u"MaxRows") {
            band.maxRows = value.integer();
        } else if (isData && name == u"KeepRowTogether") {
            band.keepRowTogether = value.boolean();
        } else if (name == u"AllowSplit") {
            band.allowSplit = value.boolean();
        } else {
            return false;
        }
        return true;
    });
    if (isData && band.dataView.isEmpty())
        fail(object.line, describe(object) + " needs a DataView");
    for (const DefinitionObject& child : object.children) {
        const std::optional<ElementKind> elementKind = elementKindOf(child.className);
        if (!elementKind)
            fail(child.line, describe(object) + " cannot hold " + describe(child));
        band.elements.push_back(buildElement(child, *elementKind));
    }
    return band;
}

Region buildRegion(const DefinitionObject& object) {
    Region region;
    region.name = object.name;
    readProperties(object, [&](const QString& name, const PropertyValue& value) {
        if (name == u"Left")
            region.left = value.length();
        else if (name == u"Top")
            region.top = value.length();
        else if (name == u"Width")
            region.width = value.length();
        else if (name == u"Height")
            region.height = value.length();
        else if (name == u"Columns")
            region.columns = value.integer();
        else if (name == u"ColumnSpacing")
            region.columnSpacing = value.length();
        else
            return false;
        return true;
    });
    if (region.columns != 1)
        fail(object.line, describe(object) + ": only one column is supported");
    for (const DefinitionObject& child : object.children) {
        if (child.className == u"TRaveBand")
            region.bands.push_back(buildBand(child, BandKind::Band));
        else if (child.className == u"TRaveDataBand")
            region.bands.push_back(buildBand(child, BandKind::DataBand));
        else
            fail(child.line, describe(object) + " cannot hold " + describe(child));
    }
    return region;
}

Orientation orientationFrom(const PropertyValue& value) {
    const QString name = value.name();
    if (name == u"poDefault")
        return Orientation::Default;
    if (name == u"poPortrait")
        return Orientation::Portrait;
    if (name == u"poLandScape" || name == u"poLandscape")
        return Orientation::Landscape;
    value.failHere("must be poDefault, poPortrait or poLandScape");
}

PageDefinition buildPage(const DefinitionObject& object) {
    PageDefinition page;
    page.name = object.name;
    readProperties(object, [&](const QString& name, const PropertyValue& value) {
        if (name == u"PaperSize")
            page.paperSize = value.integer();
        else if (name == u"PageWidth")
            page.width = value.length();
        else if (name == u"PageHeight")
            page.height = value.length();
        else if (name == u"Orientation")
            page.orientation = orientationFrom(value);
        else if (name == u"Bin")
            page.bin = value.integer();
        else
            return false;
        return true;
    });
    if (page.width <= 0 || page.height <= 0)
        fail(object.line, describe(object) + " needs PageWidth and PageHeight");
    for (const DefinitionObject& child : object.children) {
        if (child.className != u"TRaveRegion")
            fail(child.line, describe(object) + " cannot hold " + describe(child));
        page.regions.push_back(buildRegion(child));
    }
    if (page.regions.size() > 1)
        fail(object.children[1].line, describe(object) + ": only one region per page is supported");
    return page;
}

ReportDefinition buildReport(const DefinitionObject& object) {
    ReportDefinition report;
    report.name = object.name;
    readProperties(object, [&](const QString& name, const PropertyValue& value) {
        if (name == u"FirstPage")
            report.firstPage = value.string();
        else if (name == u"FullName")
            report.fullName = value.string();
        else
            return false;
        return true;
    });
    if (report.fullName.isEmpty())
        report.fullName = report.name;
    for (const DefinitionObject& child : object.children) {
        if (child.className != u"TRavePage")
            fail(child.line, describe(object) + " cannot hold " + describe(child));
        report.pages.push_back(buildPage(child));
    }
    if (report.pages.empty())
        fail(object.line, describe(object) + " has no page");
    if (report.firstPage.isEmpty())
        return report;
    const QString prefix = report.name + u'.';
    const bool resolves =
        report.firstPage.startsWith(prefix, Qt::CaseInsensitive) &&
        std::any_of(report.pages.begin(), report.pages.end(), [&](const PageDefinition& page) {
            return page.name.compare(report.firstPage.mid(prefix.size()), Qt::CaseInsensitive) == 0;
        });
    if (!resolves)
        fail(object.line,
             describe(object) + ": FirstPage " + text(report.firstPage) + " is not one of its pages");
    return report;
}

// ---- Data views -------------------------------------------------------------------------------

std::optional<FieldKind> fieldKindOf(const QString& className) {
    if (className == u"TRaveStringField")
        return FieldKind::String;
    if (className == u"TRaveIntegerField")
        return FieldKind::Integer;
    if (className == u"TRaveFloatField")
        return FieldKind::Float;
    if (className == u"TRaveBooleanField")
        return FieldKind::Boolean;
    if (className == u"TRaveDateTimeField")
        return FieldKind::DateTime;
    if (className == u"TRaveGraphicField")
        return FieldKind::Graphic;
    if (className == u"TRaveMemoField")
        return FieldKind::Memo;
    return std::nullopt;
}

DataView buildDataView(const DefinitionObject& object) {
    DataView view;
    view.name = object.name;
    readProperties(object, [&](const QString& name, const PropertyValue& value) {
        if (name != u"ConnectionName")
            return false;
        view.connectionName = value.string();
        return true;
    });
    for (const DefinitionObject& child : object.children) {
        const std::optional<FieldKind> kind = fieldKindOf(child.className);
        if (!kind)
            fail(child.line, describe(object) + " cannot hold " + describe(child));
        requireNoChildren(child);
        DataViewField field{child.name, {}, *kind, 0};
        readProperties(child, [&](const QString& name, const PropertyValue& value) {
            if (name == u"FieldName")
                field.fieldName = value.string();
            else if (name == u"Size")
                field.size = value.integer();
            else
                return false;
            return true;
        });
        if (field.fieldName.isEmpty())
            fail(child.line, describe(child) + " needs a FieldName");
        view.fields.push_back(std::move(field));
    }
    return view;
}

// ---- References -------------------------------------------------------------------------------

bool declaresField(const DataView& view, const QString& fieldName) {
    return std::any_of(view.fields.begin(), view.fields.end(), [&](const DataViewField& field) {
        return field.fieldName.compare(fieldName, Qt::CaseInsensitive) == 0;
    });
}

// A data element reads the record of the data band that holds it, so it must use that band's view.
void checkDataReferences(const ProjectDefinition& project) {
    for (const ReportDefinition& report : project.reports) {
        for (const PageDefinition& page : report.pages) {
            for (const Region& region : page.regions) {
                for (const Band& band : region.bands) {
                    const DataView* view =
                        band.kind == BandKind::DataBand ? project.findDataView(band.dataView) : nullptr;
                    if (band.kind == BandKind::DataBand && !view)
                        failReference("data band " + text(band.name) + ": no data view " +
                                      text(band.dataView));
                    for (const Element& element : band.elements) {
                        if (element.kind != ElementKind::DataText && element.kind != ElementKind::DataMemo)
                            continue;
                        if (!view || element.dataView.compare(view->name, Qt::CaseInsensitive) != 0)
                            failReference("element " + text(element.name) +
                                          " must use the data view of its data band");
                        if (!declaresField(*view, element.dataField))
                            failReference("element " + text(element.name) + ": data view " +
                                          text(view->name) + " has no field " + text(element.dataField));
                    }
                }
            }
        }
    }
}

} // namespace

ProjectDefinition buildProject(const DefinitionObject& root) {
    if (root.className != u"TRaveProjectManager")
        fail(root.line, "a definition must hold a TRaveProjectManager, not " + describe(root));
    ProjectDefinition project;
    project.name = root.name;
    readProperties(root, [&](const QString& name, const PropertyValue& value) {
        if (name == u"UnitsFactor") {
            project.unitsFactor = value.number();
            if (project.unitsFactor <= 0)
                value.failHere("must be positive");
        } else if (name == u"LastActiveReport") {
            project.lastActiveReport = value.string();
        } else {
            return false;
        }
        return true;
    });
    for (const DefinitionObject& child : root.children) {
        if (child.className == u"TRaveDataView")
            project.dataViews.push_back(buildDataView(child));
        else if (child.className == u"TRaveReport")
            project.reports.push_back(buildReport(child));
        else
            fail(child.line, describe(root) + " cannot hold " + describe(child));
    }
    checkDataReferences(project);
    return project;
}

ProjectDefinition loadProject(std::string_view utf8Text) {
    return buildProject(readDefinition(utf8Text));
}

// ---- ProjectDefinition ------------------------------------------------------------------------

const DataView* ProjectDefinition::findDataView(const QString& viewName) const {
    for (const DataView& view : dataViews) {
        if (view.name.compare(viewName, Qt::CaseInsensitive) == 0)
            return &view;
    }
    return nullptr;
}

const ReportDefinition* ProjectDefinition::findReport(const QString& reportName, bool byFullName) const {
    for (const ReportDefinition& report : reports) {
        const QString& candidate = byFullName ? report.fullName : report.name;
        if (candidate.compare(reportName, Qt::CaseInsensitive) == 0)
            return &report;
    }
    return nullptr;
}

} // namespace kodexa::report
