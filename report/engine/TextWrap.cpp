#include "TextWrap.h"

#include <algorithm>

namespace kodexa::report {

namespace {

// Measuring in floating point: a text exactly as wide as its box still fits.
constexpr double Tolerance = 1e-9;

class ParagraphBreaker {
public:
    ParagraphBreaker(TextMeasurer& measurer, const FontSpec& font, QStringView paragraph, double width)
        : measurer_(measurer), font_(font), text_(paragraph), width_(width) {}

    void appendLines(std::vector<QString>& lines) {
        if (fits(0, text_.size())) {
            lines.push_back(text_.toString());
            return;
        }
        collectWordEnds();
        qsizetype start = 0;
        while (start < text_.size()) {
            const qsizetype end = lineEnd(start);
            lines.push_back(text_.mid(start, end - start).toString());
            start = end;
            while (start < text_.size() && text_[start] == u' ')
                ++start;
        }
    }

private:
    bool fits(qsizetype start, qsizetype end) {
        return measurer_.width(font_, text_.mid(start, end - start)) <= width_ + Tolerance;
    }

    // Where a line may end: before the spaces that follow a word, and at the end of the text.
    void collectWordEnds() {
        for (qsizetype i = 1; i < text_.size(); ++i) {
            if (text_[i] == u' ' && text_[i - 1] != u' ')
                wordEnds_.push_back(i);
        }
        wordEnds_.push_back(text_.size());
    }

    qsizetype lineEnd(qsizetype start) {
        // The word ends after start; widths grow with the end, so search for the last that fits.
        auto first = std::upper_bound(wordEnds_.begin(), wordEnds_.end(), start);
        auto low = first;
        auto high = wordEnds_.end();
        while (low < high) {
            const auto middle = low + (high - low) / 2;
            if (fits(start, *middle))
                low = middle + 1;
            else
                high = middle;
        }
        if (low != first)
            return *(low - 1);
        return breakInsideWord(start, *first);
    }

    // A word wider than the line: as many characters as fit, but at least one.
    qsizetype breakInsideWord(qsizetype start, qsizetype wordEnd) {
        qsizetype low = start + 1;
        qsizetype high = wordEnd;
        while (low < high) {
            const qsizetype middle = low + (high - low + 1) / 2;
            if (fits(start, middle))
                low = middle;
            else
                high = middle - 1;
        }
        if (low < text_.size() && text_[low - 1].isHighSurrogate())
            ++low;
        return low;
    }

    TextMeasurer& measurer_;
    const FontSpec& font_;
    QStringView text_;
    double width_;
    std::vector<qsizetype> wordEnds_;
};

} // namespace

std::vector<QString> wrapText(TextMeasurer& measurer, const FontSpec& font, const QString& text,
                              double width) {
    std::vector<QString> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        QStringView paragraph = QStringView(text).mid(start, end - start);
        while (paragraph.endsWith(u' '))
            paragraph.chop(1);
        if (paragraph.isEmpty())
            lines.emplace_back();
        else
            ParagraphBreaker(measurer, font, paragraph, width).appendLines(lines);
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

QString truncateText(TextMeasurer& measurer, const FontSpec& font, const QString& text, double width) {
    if (measurer.width(font, text) <= width + Tolerance)
        return text;
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = low + (high - low + 1) / 2;
        if (measurer.width(font, QStringView(text).left(middle)) <= width + Tolerance)
            low = middle;
        else
            high = middle - 1;
    }
    if (low > 0 && text[low - 1].isHighSurrogate())
        --low;
    return text.left(low);
}

} // namespace kodexa::report
