#include "MerklistePage.h"

#include "CheckDigits.h"
#include "CodeCopyCommands.h"
#include "Paste.h"
#include "QtText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kodexa {
namespace {

constexpr int CodeColumnWidth = 90; // "45233140-2", as codes are published
constexpr int TermColumnWidth = 380;
constexpr int KindColumnWidth = 110;
// Each row keeps its eight digits beside the published code it shows.
constexpr int CodeRole = Qt::UserRole;

QPushButton* makeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace

MerklistePage::MerklistePage(merkliste::Merkliste& list, QWidget* parent) : QWidget(parent), list_(list) {
    createControls();
    connectCommands();
    showList();
}

void MerklistePage::createControls() {
    ProblemLine = new QLabel;
    ProblemLine->setWordWrap(true);
    ProblemLine->setTextFormat(Qt::PlainText);
    ProblemLine->hide();
    KindsLine =
        new QLabel(QStringLiteral("Die Merkliste mischt Lieferungen, Bauleistungen oder Dienstleistungen: "
                                  "die Art des Auftrags bestimmt der Hauptgegenstand."));
    KindsLine->setWordWrap(true);
    KindsLine->hide();

    Entries = new QTreeWidget;
    Entries->setColumnCount(4);
    Entries->setHeaderLabels({QStringLiteral("Code"), QStringLiteral("Bezeichnung"), QStringLiteral("Art"),
                              QStringLiteral("Rolle")});
    Entries->setRootIsDecorated(false);
    Entries->setUniformRowHeights(true);
    Entries->setAllColumnsShowFocus(true);
    Entries->header()->resizeSection(0, CodeColumnWidth);
    Entries->header()->resizeSection(1, TermColumnWidth);
    Entries->header()->resizeSection(2, KindColumnWidth);
    Entries->setAccessibleName(QStringLiteral("Merkliste"));
    Entries->setAccessibleDescription(QStringLiteral(
        "Entf entfernt den Code, Strg+Pfeil auf und ab verschiebt ihn, die Eingabetaste zeigt ihn in "
        "der Baumansicht, Strg+Umschalt+C kopiert die ganze Liste."));

    auto* buttons = new QWidget;
    MainButton = makeButton(QStringLiteral("Als &Hauptgegenstand"), buttons);
    RemoveButton = makeButton(QStringLiteral("&Entfernen"), buttons);
    UpButton = makeButton(QStringLiteral("Nach &oben"), buttons);
    DownButton = makeButton(QStringLiteral("Nach &unten"), buttons);
    PasteButton = makeButton(QStringLiteral("Codes e&infügen …"), buttons);
    PasteButton->setToolTip(QStringLiteral("Codes aus einer Bekanntmachung, einem Portal oder einer Tabelle "
                                           "übernehmen, mit oder ohne Prüfziffer (Strg+V)"));
    CopyButton = makeButton(QStringLiteral("Liste &kopieren"), buttons);
    ExportButton = makeButton(QStringLiteral("E&xportieren …"), buttons);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(8, 8, 8, 8);
    for (QPushButton* button : {MainButton, RemoveButton, UpButton, DownButton})
        row->addWidget(button);
    row->addStretch(1);
    row->addWidget(PasteButton);
    row->addWidget(CopyButton);
    row->addWidget(ExportButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(ProblemLine);
    layout->addWidget(KindsLine);
    layout->addWidget(Entries, 1);
    PasteLine = new QLabel;
    PasteLine->setWordWrap(true);
    PasteLine->setTextFormat(Qt::PlainText);
    PasteLine->setContentsMargins(8, 0, 8, 0);
    PasteLine->hide();
    layout->addWidget(PasteLine);
    layout->addWidget(buttons);
}

void MerklistePage::connectCommands() {
    connect(MainButton, &QPushButton::clicked, this, &MerklistePage::makeCurrentMain);
    connect(RemoveButton, &QPushButton::clicked, this, &MerklistePage::removeCurrent);
    connect(UpButton, &QPushButton::clicked, this, [this] { moveCurrent(-1); });
    connect(DownButton, &QPushButton::clicked, this, [this] { moveCurrent(+1); });
    connect(PasteButton, &QPushButton::clicked, this, &MerklistePage::pasteThroughDialog);
    connect(CopyButton, &QPushButton::clicked, this, &MerklistePage::copyWholeList);
    connect(ExportButton, &QPushButton::clicked, this, &MerklistePage::exportRequested);
    connect(Entries, &QTreeWidget::activated, this, [this] {
        if (const int row = currentRow(); row >= 0)
            emit openInTree(list_.entries()[static_cast<std::size_t>(row)].code);
    });
    connect(Entries, &QTreeWidget::currentItemChanged, this, &MerklistePage::updateButtons);
    // The keys of the list, while it has the focus; its context menu offers the same.
    const auto addKey = [this](const QString& text, const QKeySequence& key, auto run) {
        auto* action = new QAction(text, Entries);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, run);
        Entries->addAction(action);
    };
    addKey(QStringLiteral("Code kopieren"), QKeySequence(Qt::CTRL | Qt::Key_C),
           [this] { copyCurrentCode(); });
    addKey(QStringLiteral("Ganze Liste kopieren"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
           [this] { copyWholeList(); });
    addKey(QStringLiteral("Als Hauptgegenstand"), QKeySequence(), [this] { makeCurrentMain(); });
    addKey(QStringLiteral("Entfernen"), QKeySequence(Qt::Key_Delete), [this] { removeCurrent(); });
    addKey(QStringLiteral("Nach oben"), QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { moveCurrent(-1); });
    addKey(QStringLiteral("Nach unten"), QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { moveCurrent(+1); });
    // Pasting works wherever the focus is on the page, an empty list's too; the list's menu offers it.
    auto* paste = new QAction(QStringLiteral("Codes einfügen"), this);
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    paste->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(paste, &QAction::triggered, this, &MerklistePage::pasteFromClipboard);
    addAction(paste);
    Entries->addAction(paste);
    Entries->setContextMenuPolicy(Qt::ActionsContextMenu);
}

int MerklistePage::currentRow() const {
    QTreeWidgetItem* item = Entries->currentItem();
    return item != nullptr ? Entries->indexOfTopLevelItem(item) : -1;
}

void MerklistePage::showList(int current) {
    if (current < 0)
        current = currentRow();
    Entries->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        const merkliste::Entry& entry = list_.entries()[i];
        auto* item =
            new QTreeWidgetItem({toQString(codelist::publishedCode(entry.code)), toQString(entry.term),
                                 QString::fromUtf8(merkliste::kindName(merkliste::kindOf(entry.code))),
                                 QString::fromUtf8(merkliste::roleName(list_.roleOf(i)))});
        item->setData(0, CodeRole, toQString(entry.code));
        items.append(item);
    }
    Entries->addTopLevelItems(items);
    if (!items.isEmpty())
        Entries->setCurrentItem(items[std::clamp(current, 0, static_cast<int>(items.size()) - 1)]);
    KindsLine->setVisible(list_.mixesKinds());
    updateButtons();
}

void MerklistePage::showProblem(const QString& problem) {
    if (problem == ProblemLine->text())
        return;
    ProblemLine->setText(problem);
    ProblemLine->setVisible(!problem.isEmpty());
}

void MerklistePage::updateButtons() {
    const int row = currentRow();
    const bool any = row >= 0;
    MainButton->setEnabled(any && list_.roleOf(static_cast<std::size_t>(row)) != merkliste::Role::Main);
    RemoveButton->setEnabled(any);
    UpButton->setEnabled(any && row > 0);
    DownButton->setEnabled(any && row + 1 < static_cast<int>(list_.size()));
    CopyButton->setEnabled(!list_.empty());
    ExportButton->setEnabled(!list_.empty());
}

void MerklistePage::makeCurrentMain() {
    changeCurrent([this](std::size_t row) {
        list_.makeMain(row);
        return row;
    });
}

void MerklistePage::removeCurrent() {
    changeCurrent([this](std::size_t row) {
        list_.remove(row);
        return row;
    });
}

void MerklistePage::moveCurrent(int by) {
    changeCurrent([this, by](std::size_t row) -> std::optional<std::size_t> {
        const std::size_t moved = list_.move(row, by);
        return moved == row ? std::nullopt : std::optional(moved); // at an end: nothing changed
    });
}

void MerklistePage::changeCurrent(const std::function<std::optional<std::size_t>(std::size_t)>& change) {
    const int row = currentRow();
    if (row < 0)
        return;
    if (const std::optional<std::size_t> current = change(static_cast<std::size_t>(row))) {
        PasteLine->hide(); // it told of the list before this change
        showList(static_cast<int>(*current));
        emit listChanged();
    }
}

void MerklistePage::copyCurrentCode() {
    if (const int row = currentRow(); row >= 0)
        copyToClipboard(toQString(list_.entries()[static_cast<std::size_t>(row)].code));
}

void MerklistePage::copyWholeList() {
    if (!list_.empty())
        copyToClipboard(toQString(list_.copyText()));
}

std::string MerklistePage::currentCode() const {
    // The row's own code: the list may have changed since it was shown.
    const QTreeWidgetItem* item = Entries->currentItem();
    return item != nullptr ? toWindows1252(item->data(0, CodeRole).toString()) : std::string();
}

namespace {

QString clipboardText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText() ? data->text() : QString();
}

} // namespace

void MerklistePage::pasteFromClipboard() {
    emit pasteRequested(clipboardText());
}

void MerklistePage::pasteThroughDialog() {
    if (const std::optional<QString> text = askPastedText(clipboardText()))
        emit pasteRequested(*text);
}

std::optional<QString> MerklistePage::askPastedText(const QString& clipboard) {
    if (AskPastedText)
        return AskPastedText(clipboard);
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Codes einfügen"));
    auto* hint =
        new QLabel(QStringLiteral("Fügen Sie die Codes ein, wie sie in einer Bekanntmachung, einem Portal "
                                  "oder einer Tabelle stehen, mit oder ohne Prüfziffer und Bezeichnung:"));
    hint->setWordWrap(true);
    auto* text = new QPlainTextEdit;
    // A text too large to paste is not shown: reading it would only be refused.
    if (clipboard.size() <= static_cast<qsizetype>(merkliste::MaxPastedBytes))
        text->setPlainText(clipboard);
    text->setAccessibleName(QStringLiteral("Codes"));
    hint->setBuddy(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Einfügen"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(hint);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    dialog.resize(560, 320);
    text->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return text->toPlainText();
}

void MerklistePage::showPasteOutcome(const QString& outcome) {
    PasteLine->setText(outcome);
    PasteLine->show();
}

} // namespace kodexa
