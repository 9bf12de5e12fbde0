#include "AccessibleLineEdit.h"

#include "AccessibleTextPieces.h"

#include <QAccessibleWidget>
#include <QLineEdit>

#include <algorithm>

namespace kodexa {
namespace {

// The toolkit's line edit interface, as far as a reader uses it, over the input's public API.
class AccessibleLineEdit final : public QAccessibleWidget,
                                 public TextInterfaceWithPieces,
                                 public QAccessibleEditableTextInterface {
public:
    explicit AccessibleLineEdit(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        QString result;
        if (t == QAccessible::Value)
            result = shownText();
        if (result.isEmpty())
            result = QAccessibleWidget::text(t);
        if (result.isEmpty() && t == QAccessible::Description)
            result = edit()->placeholderText();
        return result;
    }

    void setText(QAccessible::Text t, const QString& text) override {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        if (!edit()->isReadOnly())
            edit()->setText(text);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (edit()->isReadOnly())
            state.readOnly = true;
        else
            state.editable = true;
        state.passwordEdit = edit()->echoMode() != QLineEdit::Normal;
        state.selectableText = true;
        return state;
    }

    // Text
    QString text(int startOffset, int endOffset) const override {
        const QString shown = shownText();
        startOffset = std::clamp(startOffset, 0, static_cast<int>(shown.size()));
        endOffset = std::clamp(endOffset, startOffset, static_cast<int>(shown.size()));
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(shownText().size()); }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !edit()->hasSelectedText())
            return;
        *startOffset = static_cast<int>(edit()->selectionStart());
        *endOffset = *startOffset + static_cast<int>(edit()->selectionLength());
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0)
            edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0)
            edit()->setSelection(startOffset, endOffset - startOffset);
    }

    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        (void)offset;
        return {};
    }

    // The input knows where a point falls; where a character lies is found back from that.
    QRect characterRect(int offset) const override {
        const QString character = text(offset, offset + 1);
        if (character.isEmpty())
            return {};
        QLineEdit* input = edit(); // its position look-up is not const, though it changes nothing
        const int middle = input->height() / 2;
        int low = 0;
        int high = input->width();
        while (low < high) {
            const int x = (low + high) / 2;
            if (input->cursorPositionAt(QPoint(x, middle)) < offset)
                low = x + 1;
            else
                high = x;
        }
        if (input->cursorPositionAt(QPoint(low, middle)) != offset)
            return {};
        const QFontMetrics metrics(input->font());
        const QRect rect(low, (input->height() - metrics.height()) / 2, metrics.horizontalAdvance(character),
                         metrics.height());
        return QRect(input->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }

    // Editable text
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        if (edit()->isReadOnly())
            return;
        QString changed = edit()->text();
        startOffset = std::clamp(startOffset, 0, static_cast<int>(changed.size()));
        endOffset = std::clamp(endOffset, startOffset, static_cast<int>(changed.size()));
        edit()->setText(changed.replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }

    // What the input shows: a password's characters are not told.
    QString shownText() const {
        switch (edit()->echoMode()) {
        case QLineEdit::Normal:
            return edit()->text();
        case QLineEdit::NoEcho:
            return {};
        default:
            return QString(edit()->text().size(), u'*');
        }
    }
};

QAccessibleInterface* lineEditFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(QLineEdit::staticMetaObject.className()))
        return nullptr;
    auto* edit = qobject_cast<QLineEdit*>(object);
    return edit != nullptr ? new AccessibleLineEdit(edit) : nullptr;
}

} // namespace

void installLineEditAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(lineEditFactory);
        return true;
    }();
    (void)installed;
}

} // namespace kodexa
