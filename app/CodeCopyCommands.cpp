#include "CodeCopyCommands.h"

#include "AccessibleAnnouncement.h"
#include "CheckDigits.h"
#include "ErrorReport.h"
#include "QtText.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace kodexa {

CodeCopyCommands::CodeCopyCommands(QAbstractItemView* view, CurrentRecord current)
    : QObject(view), view_(view), current_(std::move(current)) {
    menu_ = new QMenu(view);
    copyCode_ = createAction(QStringLiteral("Code kopieren"), {QKeySequence(Qt::CTRL | Qt::Key_C)},
                             [this] { copy(codelist::CopyForm::Code); });
    copyCodeAndDescription_ = createAction(QStringLiteral("Code und Bezeichnung kopieren"),
                                           {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
                                           [this] { copy(codelist::CopyForm::CodeAndDescription); });
    // The menu disables the commands where there is no record to act on; the shortcuts stay live.
    connect(menu_, &QMenu::aboutToHide, this, [this] {
        for (QAction* action : menu_->actions())
            action->setEnabled(true);
    });
    // A right-click reaches the viewport, the Menu key and Shift+F10 the view, which has the focus.
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

QAction* CodeCopyCommands::addCommand(const QString& text, const QList<QKeySequence>& shortcuts,
                                      std::function<void()> run) {
    if (menu_->actions().size() == 2) // the copy commands alone so far
        menu_->addSeparator();
    return createAction(text, shortcuts, std::move(run));
}

QAction* CodeCopyCommands::createAction(const QString& text, const QList<QKeySequence>& shortcuts,
                                        std::function<void()> run) {
    auto* action = new QAction(text, this);
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    // A shortcut takes the key before the view's own Ctrl+C, which would copy whichever cell is current.
    view_->addAction(action);
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] { guarded(view_, run); });
    menu_->addAction(action);
    return action;
}

void CodeCopyCommands::copy(codelist::CopyForm form) {
    const std::optional<CopiedRecord> record = current_();
    if (!record)
        return;
    copyToClipboard(toQString(codelist::copiedText(form, record->code, record->description)));
    // Copying changes nothing in view: a reader hears that it happened.
    announceToAssistiveTechnology(*view_->window(),
                                  form == codelist::CopyForm::Code
                                      ? QStringLiteral("%1 kopiert").arg(toQString(record->code))
                                      : QStringLiteral("%1 mit Bezeichnung kopiert")
                                            .arg(toQString(codelist::publishedCode(record->code))));
}

bool CodeCopyCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_ && watched != view_->viewport())
        return false;
    if (event->type() == QEvent::KeyPress && watched == view_) {
        // The platform turns the Menu key into a context menu request; Shift+F10 only some do.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F10 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier)
            return false;
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos(), key->modifiers());
        openMenu(&request);
        return true;
    }
    if (event->type() != QEvent::ContextMenu)
        return false;
    auto* request = static_cast<QContextMenuEvent*>(event);
    openMenu(request);
    return request->isAccepted();
}

void CodeCopyCommands::openMenu(QContextMenuEvent* event) {
    QPoint at;
    if (event->reason() == QContextMenuEvent::Mouse) {
        // A click off every row (below the last one, on a header) opens nothing.
        const QModelIndex index = view_->indexAt(view_->viewport()->mapFromGlobal(event->globalPos()));
        if (!index.isValid()) {
            event->ignore();
            return;
        }
        view_->setCurrentIndex(index);
        at = event->globalPos();
    } else {
        // From the keyboard the menu opens below the start of the current row, or at the top of an
        // empty view.
        const QRect row = view_->visualRect(view_->currentIndex());
        const QRect area = view_->viewport()->rect();
        const QPoint corner = row.isValid() && area.intersects(row) ? row.bottomLeft() : QPoint(0, 0);
        at = view_->viewport()->mapToGlobal(corner);
    }
    const bool hasRecord = current_().has_value();
    for (QAction* action : menu_->actions())
        action->setEnabled(hasRecord);
    event->accept();
    menu_->popup(at);
}

QPoint outcomePlace(const QAbstractItemView& view) {
    const QRect row = view.visualRect(view.currentIndex());
    if (!row.isValid())
        return view.mapToGlobal(view.rect().center());
    return view.viewport()->mapToGlobal(QPoint(std::min(row.left() + 80, row.right()), row.bottom()));
}

void copyToClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    if (clipboard->supportsSelection())
        clipboard->setText(text, QClipboard::Selection);
}

} // namespace kodexa
