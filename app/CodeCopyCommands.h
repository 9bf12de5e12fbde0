#pragma once

#include "CodeCopy.h"

#include <QList>
#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QAbstractItemView;
class QAction;
class QContextMenuEvent;
class QKeySequence;
class QMenu;
class QPoint;
class QString;

namespace kodexa {

// The record a copy command copies from, as the table or the tree holds it (Windows-1252).
struct CopiedRecord {
    std::string code;
    std::string description;
};

// The two copy commands of a view over codes: "Code kopieren" (Ctrl+C) and "Code und Bezeichnung
// kopieren" (Ctrl+Shift+C), and any further commands on the current record that the view adds.
// Their shortcuts work while the view has the focus; the same actions make up the view's context
// menu, opened by a right-click on a row (which makes it current first), the Menu key or
// Shift+F10. The view says through `current` which record is current; none disables the commands
// in the menu.
class CodeCopyCommands final : public QObject {
public:
    using CurrentRecord = std::function<std::optional<CopiedRecord>()>;

    CodeCopyCommands(QAbstractItemView* view, CurrentRecord current);

    // Adds a command on the current record below the copy commands, the first after a separator,
    // with its shortcuts (the first is the one the menu shows). `run` is entered through the application's
    // error report.
    QAction* addCommand(const QString& text, const QList<QKeySequence>& shortcuts, std::function<void()> run);
    // The record the view has current now, if any.
    std::optional<CopiedRecord> currentRecord() const { return current_(); }

    QAction* copyCode() const { return copyCode_; }
    QAction* copyCodeAndDescription() const { return copyCodeAndDescription_; }
    // The context menu, built once and shown again on every request.
    QMenu* menu() const { return menu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* createAction(const QString& text, const QList<QKeySequence>& shortcuts,
                          std::function<void()> run);
    void copy(codelist::CopyForm form);
    void openMenu(QContextMenuEvent* event);

    QAbstractItemView* view_;
    CurrentRecord current_;
    QAction* copyCode_ = nullptr;
    QAction* copyCodeAndDescription_ = nullptr;
    QMenu* menu_ = nullptr;
};

// Where the outcome of a command on a view's current row shows (global): just below the row, a
// little into its text, so that it covers neither the row nor the view's middle; the view's
// middle where it has no current row.
QPoint outcomePlace(const QAbstractItemView& view);

// Puts plain text on the clipboard and, where the system has one (X11), on the selection.
void copyToClipboard(const QString& text);

} // namespace kodexa
