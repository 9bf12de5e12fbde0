#include "TextQueries.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QLineEdit>

namespace kodexa::testing {
namespace {

struct Answer {
    QString text;
    int start = -1;
    int end = -1;
};

using Query = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*, int*) const;

Answer ask(const QAccessibleTextInterface& text, Query query, int offset,
           QAccessible::TextBoundaryType boundary) {
    Answer answer;
    answer.text = (text.*query)(offset, boundary, &answer.start, &answer.end);
    return answer;
}

QString describe(const QString& text, int offset, QAccessible::TextBoundaryType boundary, const char* what,
                 const Answer& answer) {
    return QStringLiteral("%1 offset %2 of \"%3\" (%4 chars) by boundary %5: \"%6\" %7..%8")
        .arg(QString::fromLatin1(what))
        .arg(offset)
        .arg(text.left(20))
        .arg(text.size())
        .arg(int(boundary))
        .arg(answer.text.left(20))
        .arg(answer.start)
        .arg(answer.end);
}

// The pieces around one offset: each is the text between its offsets, the piece at the offset
// holds it, and the pieces before and after meet it.
QString wrongAround(const QAccessibleTextInterface& iface, const QString& text, int offset,
                    QAccessible::TextBoundaryType boundary) {
    const auto length = static_cast<int>(text.size());
    const Answer at = ask(iface, &QAccessibleTextInterface::textAtOffset, offset, boundary);
    const Answer before = ask(iface, &QAccessibleTextInterface::textBeforeOffset, offset, boundary);
    const Answer after = ask(iface, &QAccessibleTextInterface::textAfterOffset, offset, boundary);
    for (const auto& [what, answer] :
         {std::pair{"at", at}, std::pair{"before", before}, std::pair{"after", after}})
        if (answer.start < 0 || answer.end < answer.start || answer.end > length ||
            answer.text != text.mid(answer.start, answer.end - answer.start))
            return describe(text, offset, boundary, what, answer);
    const bool characterAtEnd = boundary == QAccessible::CharBoundary && offset == length;
    const bool atHolds = length == 0 || characterAtEnd
                             ? at.text.isEmpty() && at.start == offset
                             : at.start <= offset && offset <= at.end && at.start < at.end &&
                                   (offset < at.end || offset == length);
    if (!atHolds)
        return describe(text, offset, boundary, "at", at);
    const int atStart = at.text.isEmpty() ? offset : at.start;
    const int atEnd = at.text.isEmpty() ? offset : at.end;
    if (!before.text.isEmpty() ? before.end != atStart : atStart != 0)
        return describe(text, offset, boundary, "before", before);
    if (!after.text.isEmpty() ? after.start != atEnd : atEnd != length)
        return describe(text, offset, boundary, "after", after);
    return {};
}

QString wrongFor(QLineEdit& input, const QString& sample) {
    input.setText(sample);
    const QString text = input.text(); // as the input keeps it, within its length

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&input);
    QAccessibleTextInterface* iface = accessible != nullptr ? accessible->textInterface() : nullptr;
    if (iface == nullptr)
        return QStringLiteral("no text interface");
    if (iface->text(0, iface->characterCount()) != text)
        return QStringLiteral("the text reads \"%1\"").arg(iface->text(0, iface->characterCount()));
    const auto length = static_cast<int>(text.size());
    for (const auto boundary :
         {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
          QAccessible::ParagraphBoundary, QAccessible::LineBoundary}) {
        for (int offset = 0; offset <= length; ++offset)
            if (QString wrong = wrongAround(*iface, text, offset, boundary); !wrong.isEmpty())
                return wrong;
        // -1 is the end of the text, -2 the caret, which the input leaves at the end.
        for (const int special : {-1, -2}) {
            const Answer at = ask(*iface, &QAccessibleTextInterface::textAtOffset, special, boundary);
            const Answer atEnd = ask(*iface, &QAccessibleTextInterface::textAtOffset, length, boundary);
            if (at.text != atEnd.text || at.start != atEnd.start)
                return describe(text, special, boundary, "at", at);
        }
        // The line and the whole input: a single line is read whole from any offset.
        if (boundary == QAccessible::LineBoundary && length > 0)
            for (int offset = 0; offset <= length; ++offset)
                if (ask(*iface, &QAccessibleTextInterface::textAtOffset, offset, boundary).text != text)
                    return describe(text, offset, boundary, "line at",
                                    ask(*iface, &QAccessibleTextInterface::textAtOffset, offset, boundary));
    }
    return {};
}

} // namespace

QString wrongTextAnswer(QLineEdit& input) {
    const QString before = input.text();
    const QString samples[] = {
        QString(),
        QStringLiteral("abc"),
        QStringLiteral("abc def"),
        QStringLiteral("zzzz   "),
        QStringLiteral("x' or y"),
        QStringLiteral("Bürostühle für \"Schulen\". Größe: 100 %!"),
        QStringLiteral("03111000 Saatgut und Obst ").repeated(154).left(4000),
    };
    QString wrong;
    for (const QString& sample : samples)
        if (wrong = wrongFor(input, sample); !wrong.isEmpty())
            break;
    input.setText(before);
    return wrong;
}

} // namespace kodexa::testing
