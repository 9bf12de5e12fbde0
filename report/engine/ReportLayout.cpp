#include "ReportLayout.h"

#include "AnsiText.h"
#include "DataConnection.h"
#include "TextWrap.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kodexa::report {

namespace {

constexpr double Tolerance = 1e-9;
constexpr double PointsPerInch = 72;
constexpr double PixelsPerInch = 96;

// An element with what the layout needs of it on every row, resolved once per band.
struct ElementPlan {
    const Element* element = nullptr;
    std::uint32_t font = 0;
    FontMetrics metrics;
    std::optional<std::size_t> column; // a data element's value in the connection's row
};

struct BandPlan {
    const Band* band = nullptr;
    std::vector<ElementPlan> elements;
};

// A band's items with y relative to the band's top, and its height on this occasion.
struct BandInstance {
    double height = 0;
    std::vector<PageItem> items;
};

// Opens a connection for one walk and restores it however the walk ends.
class OpenConnection {
public:
    explicit OpenConnection(DataConnection& connection) : connection_(connection) { connection_.open(); }
    ~OpenConnection() {
        if (open_) {
            try {
                connection_.restore();
            } catch (...) {
                // Already leaving with an error or a cancel; that one is the one to report.
            }
        }
    }
    OpenConnection(const OpenConnection&) = delete;
    OpenConnection& operator=(const OpenConnection&) = delete;

    void restore() {
        open_ = false;
        connection_.restore();
    }

private:
    DataConnection& connection_;
    bool open_ = true;
};

std::optional<std::size_t> columnOf(const std::vector<ConnectionField>& fields, const QString& fieldName) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (QString::fromStdString(fields[i].name).compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

const PageDefinition& firstPageOf(const ReportDefinition& report) {
    const QString pageName = report.firstPage.section(u'.', 1);
    for (const PageDefinition& page : report.pages) {
        if (page.name.compare(pageName, Qt::CaseInsensitive) == 0)
            return page;
    }
    return report.pages.front();
}

class ReportLayout {
public:
    ReportLayout(const ProjectDefinition& project, const ConnectionLookup& connections,
                 TextMeasurer& measurer, const PageStartedHandler& pageStarted)
        : project_(project), connections_(connections), measurer_(measurer), pageStarted_(pageStarted) {}

    GenerationResult run(const ReportDefinition& report, const QString& title) {
        result_.pages.setTitle(title.toStdString());
        const PageDefinition& page = firstPageOf(report);
        pageWidth_ = page.width;
        pageHeight_ = page.height;
        if (page.orientation == Orientation::Landscape && pageWidth_ < pageHeight_)
            std::swap(pageWidth_, pageHeight_);
        if (page.regions.empty()) {
            beginPage();
            return std::move(result_);
        }
        region_ = &page.regions.front();
        for (const Band& band : region_->bands)
            plainPlans_.push_back(band.kind == BandKind::Band ? planBand(band, {}) : BandPlan{&band, {}});
        if (!beginPage())
            return std::move(result_);
        for (std::size_t band = 0; band < region_->bands.size(); ++band) {
            if (!printBand(band))
                break;
        }
        return std::move(result_);
    }

private:
    bool beginPage() {
        const int number = static_cast<int>(result_.pages.pageCount()) + 1;
        if (pageStarted_ && !pageStarted_(number)) {
            result_.cancelled = true;
            return false;
        }
        page_ = &result_.pages.addPage(pageWidth_, pageHeight_);
        result_.dataRowsPerPage.push_back(0);
        y_ = region_ ? region_->top : 0;
        placedSinceNewPage_ = false;
        return true;
    }

    double regionBottom() const { return region_->top + region_->height; }

    bool printBand(std::size_t index) {
        const Band& band = region_->bands[index];
        if (band.kind == BandKind::DataBand)
            return printDataBand(index);
        if (!band.printOcc.first)
            return true;
        return place(index, layoutBand(plainPlans_[index], nullptr));
    }

    bool printDataBand(std::size_t index) {
        const Band& band = region_->bands[index];
        DataConnection& connection = connectionFor(band.dataView);
        OpenConnection openConnection(connection);
        const BandPlan plan = planBand(band, connection.fields());
        if (band.initToFirst)
            connection.first();
        std::vector<ConnectionValue> row;
        for (int rows = 0; !connection.atEnd(); ++rows) {
            if (band.maxRows > 0 && rows >= band.maxRows)
                break;
            connection.currentRow(row);
            if (!place(index, layoutBand(plan, &row)))
                return false;
            ++result_.dataRowsPerPage.back();
            connection.next();
        }
        openConnection.restore();
        return true;
    }

    DataConnection& connectionFor(const QString& viewName) {
        const DataView* view = project_.findDataView(viewName);
        if (!view)
            throw ReportError("Data view " + viewName.toStdString() + " not found");
        DataConnection* connection = connections_ ? connections_(view->connectionName) : nullptr;
        if (!connection)
            throw ReportError("Data view " + view->name.toStdString() + ": no data connection named " +
                              view->connectionName.toStdString());
        return *connection;
    }

    // Puts the band at the current position, or whole on a new page when it does not fit.
    bool place(std::size_t index, BandInstance instance) {
        if (placedSinceNewPage_ && y_ + instance.height > regionBottom() + Tolerance) {
            if (!newPage(index))
                return false;
        }
        appendBand(std::move(instance));
        placedSinceNewPage_ = true;
        return true;
    }

    // A new page begins with the bands before this one that print on every new page.
    bool newPage(std::size_t index) {
        if (!beginPage())
            return false;
        for (std::size_t before = 0; before < index; ++before) {
            const Band& band = region_->bands[before];
            if (band.kind == BandKind::Band && band.printOcc.newPage)
                appendBand(layoutBand(plainPlans_[before], nullptr));
        }
        return true;
    }

    void appendBand(BandInstance instance) {
        for (PageItem& item : instance.items) {
            if (auto* text = std::get_if<PageText>(&item)) {
                text->baseline += y_;
            } else {
                auto& line = std::get<PageLine>(item);
                line.y1 += y_;
                line.y2 += y_;
            }
            page_->items.push_back(std::move(item));
        }
        y_ += instance.height;
    }

    BandPlan planBand(const Band& band, const std::vector<ConnectionField>& fields) {
        BandPlan bandPlan{&band, {}};
        for (const Element& element : band.elements) {
            ElementPlan plan;
            plan.element = &element;
            if (element.kind != ElementKind::HLine) {
                plan.font = result_.pages.addFont(element.font);
                plan.metrics = measurer_.metrics(element.font);
            }
            if (element.kind == ElementKind::DataText || element.kind == ElementKind::DataMemo) {
                plan.column = columnOf(fields, element.dataField);
                if (!plan.column)
                    throw ReportError("Data view " + band.dataView.toStdString() +
                                      ": the connection has no field " + element.dataField.toStdString());
            }
            bandPlan.elements.push_back(plan);
        }
        return bandPlan;
    }

    BandInstance layoutBand(const BandPlan& bandPlan, const std::vector<ConnectionValue>* row) {
        BandInstance instance;
        double growth = 0;
        for (const ElementPlan& plan : bandPlan.elements) {
            const Element& element = *plan.element;
            switch (element.kind) {
            case ElementKind::Text:
                addText(instance, plan, element.text, 0);
                break;
            case ElementKind::DataText:
                addText(instance, plan, fromAnsi((*row)[*plan.column].displayText), 0);
                break;
            case ElementKind::DataMemo:
                growth =
                    std::max(growth, addMemo(instance, plan, fromAnsi((*row)[*plan.column].displayText)));
                break;
            case ElementKind::HLine:
                addLine(instance, element);
                break;
            }
        }
        instance.height = bandPlan.band->height + growth;
        return instance;
    }

    void addText(BandInstance& instance, const ElementPlan& plan, QString text, int lineIndex) {
        const Element& element = *plan.element;
        if (element.truncate)
            text = truncateText(measurer_, element.font, text, element.width);
        if (text.isEmpty())
            return;
        double x = region_->left + element.left;
        if (element.justify != Justify::Left) {
            const double slack = element.width - measurer_.width(element.font, text);
            x += element.justify == Justify::Center ? slack / 2 : slack;
        }
        const double baseline = element.top + plan.metrics.ascent + lineIndex * plan.metrics.lineSpacing();
        instance.items.emplace_back(PageText{x, baseline, plan.font, text.toStdString()});
    }

    // Returns how much taller the memo makes its band.
    double addMemo(BandInstance& instance, const ElementPlan& plan, const QString& text) {
        const Element& element = *plan.element;
        std::vector<QString> lines = wrapText(measurer_, element.font, text, element.width);
        const FontMetrics& metrics = plan.metrics;
        const double boxHeight = element.height.value_or(metrics.height());
        const auto capacity = static_cast<std::size_t>(std::max(
            1.0, 1 + std::floor((boxHeight - metrics.height()) / metrics.lineSpacing() + Tolerance)));
        if (!element.expandParent && lines.size() > capacity)
            lines.resize(capacity);
        for (std::size_t i = 0; i < lines.size(); ++i)
            addText(instance, plan, std::move(lines[i]), static_cast<int>(i));
        if (lines.size() <= capacity)
            return 0;
        return static_cast<double>(lines.size() - capacity) * metrics.lineSpacing();
    }

    void addLine(BandInstance& instance, const Element& element) {
        const double x = region_->left + element.left;
        const double width = element.lineWidthType == LineWidthType::Points
                                 ? element.lineWidth / PointsPerInch
                                 : element.lineWidth / PixelsPerInch;
        instance.items.emplace_back(PageLine{x, element.top, x + element.width, element.top, width, 0});
    }

    const ProjectDefinition& project_;
    const ConnectionLookup& connections_;
    TextMeasurer& measurer_;
    const PageStartedHandler& pageStarted_;

    GenerationResult result_;
    double pageWidth_ = 0;
    double pageHeight_ = 0;
    const Region* region_ = nullptr;
    std::vector<BandPlan> plainPlans_; // by band index; empty for data bands
    Page* page_ = nullptr;
    double y_ = 0;
    bool placedSinceNewPage_ = false;
};

} // namespace

GenerationResult generateReport(const ProjectDefinition& project, const ReportDefinition& report,
                                const QString& title, const ConnectionLookup& connections,
                                TextMeasurer& measurer, const PageStartedHandler& pageStarted) {
    return ReportLayout(project, connections, measurer, pageStarted).run(report, title);
}

} // namespace kodexa::report
