#include "PageAreaAccessible.h"

#include "AccessibleTextPieces.h"
#include "PageReading.h"
#include "PreviewForm.h"
#include "ReportFonts.h"
#include "ViewportFocusRing.h"

#include <QAccessibleWidget>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace kodexa::report {

namespace {

// Where a text of the page lies in the area's text.
struct Span {
    int start;
    int length;
    std::size_t item; // index into the page's items
};

struct Reading {
    QString text;
    std::vector<Span> spans; // in text order
};

Reading readingOf(const PageView& view) {
    Reading reading;
    const PageStore& store = view.pages();
    if (view.pageIndex() >= store.pageCount())
        return reading;
    const Page& page = store.page(view.pageIndex());
    for (const ReadingRow& row : readingRows(store, view.pageIndex())) {
        if (!reading.text.isEmpty())
            reading.text += u'\n';
        for (std::size_t cell = 0; cell < row.items.size(); ++cell) {
            if (cell > 0)
                reading.text += u'\t';
            const QString text = QString::fromStdString(std::get<PageText>(page.items[row.items[cell]]).text);
            reading.spans.push_back(
                {static_cast<int>(reading.text.size()), static_cast<int>(text.size()), row.items[cell]});
            reading.text += text;
        }
    }
    return reading;
}

// A text of the page as the view draws it: the painter scales the report font's outlines, so the
// font's metrics on the view's device, times the zoom's share of that device's resolution, give
// the drawn places closely.
class DrawnText {
public:
    DrawnText(const PageView& view, const PageText& text)
        : text_(QString::fromStdString(text.text)),
          metrics_(toolkitFont(view.pages().fonts()[text.font]), &view),
          scale_(view.pixelsPerInch() / view.logicalDpiY()), left_(text.x * view.pixelsPerInch()),
          baseline_(text.baseline * view.pixelsPerInch()) {}

    // The characters from..to (exclusive), in view pixels.
    QRectF run(int from, int to) const {
        const double x1 = left_ + metrics_.horizontalAdvance(text_.left(from)) * scale_;
        const double x2 = left_ + metrics_.horizontalAdvance(text_.left(to)) * scale_;
        return QRectF(QPointF(x1, baseline_ - metrics_.ascent() * scale_),
                      QPointF(x2, baseline_ + metrics_.descent() * scale_));
    }
    QRectF whole() const { return run(0, static_cast<int>(text_.size())); }
    int length() const { return static_cast<int>(text_.size()); }

private:
    QString text_;
    QFontMetricsF metrics_;
    double scale_;
    double left_;
    double baseline_;
};

class AccessiblePageArea final : public QAccessibleWidget, public TextInterfaceWithPieces {
public:
    explicit AccessiblePageArea(PageArea* area) : QAccessibleWidget(area, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    // The focus ring is drawing, not content.
    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override {
        const QWidgetList list = children();
        return index >= 0 && index < list.size() ? QAccessible::queryAccessibleInterface(list[index])
                                                 : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(children().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

    // No selection: the page can be read, not marked.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override { return std::min(caret_, characterCount()); }
    void setCursorPosition(int position) override {
        caret_ = std::clamp(position, 0, characterCount());
        scrollToSubstring(caret_, caret_ + 1);
        QAccessibleTextCursorEvent moved(object(), caret_);
        QAccessible::updateAccessibility(&moved);
    }

    QString text(int startOffset, int endOffset) const override {
        const QString& text = reading().text;
        startOffset = std::clamp(startOffset, 0, static_cast<int>(text.size()));
        endOffset = endOffset < 0 ? static_cast<int>(text.size())
                                  : std::clamp(endOffset, startOffset, static_cast<int>(text.size()));
        return text.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(reading().text.size()); }

    QRect characterRect(int offset) const override {
        const QRectF rect = viewRect(offset, offset + 1);
        if (rect.isNull())
            return {};
        const PageView& view = area().pageView();
        return QRect(view.mapToGlobal(rect.topLeft().toPoint()),
                     rect.size().toSize().expandedTo(QSize(1, 1)));
    }

    int offsetAtPoint(const QPoint& point) const override {
        const PageView& view = area().pageView();
        const QPointF local = view.mapFromGlobal(point);
        for (const Span& span : reading().spans) {
            const DrawnText drawn(view, textOf(span));
            const QRectF whole = drawn.whole();
            if (local.y() < whole.top() || local.y() >= whole.bottom() || local.x() < whole.left() ||
                local.x() >= whole.right())
                continue;
            for (int character = 0; character < span.length; ++character) {
                if (local.x() < drawn.run(0, character + 1).right())
                    return span.start + character;
            }
        }
        return -1;
    }

    void scrollToSubstring(int startIndex, int endIndex) override {
        const QRectF rect = viewRect(startIndex, std::max(endIndex, startIndex + 1));
        if (rect.isNull())
            return;
        const QPoint centre = rect.center().toPoint();
        area().ensureVisible(centre.x(), centre.y(), static_cast<int>(rect.width() / 2) + 8,
                             static_cast<int>(rect.height() / 2) + 8);
    }

    // The font of the text at offset; the tab and line break between texts have none.
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        const Reading& current = reading();
        const auto span = spanAt(offset);
        if (!span) {
            *startOffset = std::clamp(offset, 0, static_cast<int>(current.text.size()));
            *endOffset = std::min(*startOffset + 1, static_cast<int>(current.text.size()));
            return {};
        }
        *startOffset = span->start;
        *endOffset = span->start + span->length;
        const FontSpec& font = area().pageView().pages().fonts()[textOf(*span).font];
        QString attributes = QStringLiteral("font-family:\"%1\";font-size:%2pt;")
                                 .arg(QString::fromStdString(font.name))
                                 .arg(font.pointSize);
        if (font.bold)
            attributes += QStringLiteral("font-weight:bold;");
        if (font.italic)
            attributes += QStringLiteral("font-style:italic;");
        return attributes;
    }

    // The text was replaced: tell what went and what came, with the caret at the start.
    void refresh() {
        const QString before = reading_.text;
        shown_ = {};
        caret_ = 0;
        const QString after = reading().text;
        if (before == after)
            return;
        QAccessibleTextUpdateEvent replaced(object(), 0, before, after);
        replaced.setCursorPosition(0);
        QAccessible::updateAccessibility(&replaced);
    }

private:
    // Which page of which report the text was made for.
    struct Shown {
        const PageStore* store = nullptr;
        std::size_t page = std::numeric_limits<std::size_t>::max();
        friend bool operator==(const Shown&, const Shown&) = default;
    };

    PageArea& area() const { return *static_cast<PageArea*>(widget()); }

    QWidgetList children() const {
        QWidgetList list;
        for (QObject* child : widget()->children()) {
            auto* childWidget = qobject_cast<QWidget*>(child);
            if (childWidget && !childWidget->isWindow() && !qobject_cast<ViewportFocusRing*>(childWidget))
                list.append(childWidget);
        }
        return list;
    }

    const Reading& reading() const {
        const PageView& view = area().pageView();
        const Shown now{&view.pages(), view.pageIndex()};
        if (!(now == shown_)) {
            reading_ = readingOf(view);
            shown_ = now;
        }
        return reading_;
    }

    const PageText& textOf(const Span& span) const {
        const PageView& view = area().pageView();
        return std::get<PageText>(view.pages().page(view.pageIndex()).items[span.item]);
    }

    // The span that holds the character at offset; none for a separator or outside the text.
    std::optional<Span> spanAt(int offset) const {
        const std::vector<Span>& spans = reading().spans;
        auto after = std::upper_bound(spans.begin(), spans.end(), offset,
                                      [](int at, const Span& span) { return at < span.start; });
        if (after == spans.begin())
            return std::nullopt;
        const Span& span = *(after - 1);
        if (offset >= span.start + span.length)
            return std::nullopt;
        return span;
    }

    // The characters start..end (exclusive) of one text, in view pixels; a separator is a thin
    // rectangle where the text before it ends. Null outside the text.
    QRectF viewRect(int start, int end) const {
        const Reading& current = reading();
        if (start < 0 || start >= current.text.size())
            return {};
        const PageView& view = area().pageView();
        if (const auto span = spanAt(start)) {
            const DrawnText drawn(view, textOf(*span));
            return drawn.run(start - span->start, std::min(end, span->start + span->length) - span->start);
        }
        const auto after = std::upper_bound(current.spans.begin(), current.spans.end(), start,
                                            [](int at, const Span& span) { return at < span.start; });
        if (after == current.spans.begin())
            return {};
        const QRectF whole = DrawnText(view, textOf(*(after - 1))).whole();
        return QRectF(whole.right(), whole.top(), 1, whole.height());
    }

    mutable Shown shown_;
    mutable Reading reading_;
    int caret_ = 0;
};

QAccessibleInterface* pageAreaFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(PageArea::staticMetaObject.className()))
        return nullptr;
    auto* area = qobject_cast<PageArea*>(object);
    return area ? new AccessiblePageArea(area) : nullptr;
}

} // namespace

void installPageAreaAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(pageAreaFactory);
        return true;
    }();
    (void)installed;
}

QString pageAreaText(const PageView& view) {
    return readingOf(view).text;
}

void reportPageAreaTextChanged(PageArea& area) {
    if (!QAccessible::isActive())
        return;
    if (auto* accessible = dynamic_cast<AccessiblePageArea*>(QAccessible::queryAccessibleInterface(&area)))
        accessible->refresh();
}

} // namespace kodexa::report
