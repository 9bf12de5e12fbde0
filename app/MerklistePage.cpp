#include "MerklistePage.h"

#include "AccessibleAnnouncement.h"
#include "CheckDigits.h"
#include "CodeCopyCommands.h"
#include "CodeRowList.h"
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

#include <algorithm>

namespace kodexa {
namespace {

// Beside the widest text of a column: "45233140-2", "Dienstleistung", "Hauptgegenstand".
constexpr int ColumnMargin = 16;
const QString ListDescription = QStringLiteral(
    "Entf entfernt den Code, Strg+Pfeil nach oben und unten verschiebt ihn, die Eingabetaste zeigt ihn in "
    "der Baumansicht, Strg+Umschalt+C kopiert die ganze Liste, Strg+V fügt Codes aus der Zwischenablage "
    "ein.");
const QString EmptyListText = QStringLiteral(
    "Die Merkliste ist leer. Fügen Sie Codes mit Einfg (oder „Zur Merkliste hinzufügen“ im Kontextmenü) in "
    "der Tabelle, im Baum oder bei den Treffern der Stichwortsuche hinzu, oder mit Strg+V aus einer "
    "Bekanntmachung, einem Portal oder einer Tabelle.");

QString pluralKindName(merkliste::ContractKind kind) {
    switch (kind) {
    case merkliste::ContractKind::Supplies:
        return QStringLiteral("Lieferungen");
    case merkliste::ContractKind::Works:
        return QStringLiteral("Bauleistungen");
    case merkliste::ContractKind::Services:
        return QStringLiteral("Dienstleistungen");
    case merkliste::ContractKind::None:
        break;
    }
    return {};
}

// "Lieferungen und Bauleistungen", "Lieferungen, Bauleistungen und Dienstleistungen".
QString kindsNamed(const merkliste::Merkliste& list) {
    QStringList names;
    for (const merkliste::ContractKind kind :
         {merkliste::ContractKind::Supplies, merkliste::ContractKind::Works,
          merkliste::ContractKind::Services})
        if (std::any_of(list.entries().begin(), list.entries().end(),
                        [kind](const merkliste::Entry& e) { return merkliste::kindOf(e.code) == kind; }))
            names << pluralKindName(kind);
    if (names.size() < 2)
        return names.join(QString());
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" und ") + last;
}

QString published(const std::string& code) {
    return toQString(codelist::publishedCode(code));
}
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
    KindsLine = new QLabel;
    KindsLine->setWordWrap(true);
    KindsLine->setTextFormat(Qt::PlainText);
    KindsLine->hide();

    Entries = new CodeRowList;
    Entries->setColumnCount(4);
    Entries->setHeaderLabels({QStringLiteral("Code"), QStringLiteral("Bezeichnung"), QStringLiteral("Art"),
                              QStringLiteral("Rolle")});
    // The term takes what the window gives; the other columns keep room for their widest text, so
    // that the role stays in view at the window's smallest size.
    QHeaderView* header = Entries->header();
    header->setStretchLastSection(false);
    const QFontMetrics metrics = Entries->fontMetrics();
    const QString widest[] = {QStringLiteral("45233140-2"), QString(), QStringLiteral("Dienstleistung"),
                              QStringLiteral("Hauptgegenstand")};
    for (int column = 0; column < 4; ++column) {
        if (column == 1)
            continue;
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        header->resizeSection(column,
                              std::max(metrics.horizontalAdvance(widest[column]),
                                       metrics.horizontalAdvance(Entries->headerItem()->text(column))) +
                                  ColumnMargin);
    }
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    Entries->setAccessibleName(QStringLiteral("Merkliste"));
    Entries->setAccessibleDescription(ListDescription);
    Entries->setEmptyText(EmptyListText);

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
    const auto openCurrent = [this] {
        if (const std::string code = currentCode(); !code.empty())
            emit openInTree(code);
    };
    connect(Entries, &QTreeWidget::activated, this, openCurrent);
    connect(Entries, &QTreeWidget::currentItemChanged, this, &MerklistePage::updateButtons);
    // The keys of the list, while it has the focus; its context menu offers the same.
    const auto addKey = [this](const QString& text, const QList<QKeySequence>& keys, auto run) {
        auto* action = new QAction(text, Entries);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, run);
        Entries->addAction(action);
    };
    addKey(QStringLiteral("Code kopieren"), {QKeySequence(Qt::CTRL | Qt::Key_C)},
           [this] { copyCurrentCode(); });
    addKey(QStringLiteral("Ganze Liste kopieren"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
           [this] { copyWholeList(); });
    addKey(QStringLiteral("In Baumansicht anzeigen"),
           {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}, openCurrent);
    addKey(QStringLiteral("Als Hauptgegenstand"), {}, [this] { makeCurrentMain(); });
    addKey(QStringLiteral("Entfernen"), {QKeySequence(Qt::Key_Delete)}, [this] { removeCurrent(); });
    addKey(QStringLiteral("Nach oben"), {QKeySequence(Qt::CTRL | Qt::Key_Up)}, [this] { moveCurrent(-1); });
    addKey(QStringLiteral("Nach unten"), {QKeySequence(Qt::CTRL | Qt::Key_Down)},
           [this] { moveCurrent(+1); });
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
            new QTreeWidgetItem({published(entry.code), toQString(entry.term),
                                 QString::fromUtf8(merkliste::kindName(merkliste::kindOf(entry.code))),
                                 QString::fromUtf8(merkliste::roleName(list_.roleOf(i)))});
        item->setData(0, CodeRole, toQString(entry.code));
        items.append(item);
    }
    Entries->addTopLevelItems(items);
    Entries->describeRows();
    if (!items.isEmpty())
        Entries->setCurrentItem(items[std::clamp(current, 0, static_cast<int>(items.size()) - 1)]);
    const bool mixed = list_.mixesKinds();
    if (mixed)
        KindsLine->setText(QStringLiteral("Die Merkliste mischt %1: die Art des Auftrags bestimmt der "
                                          "Hauptgegenstand.")
                               .arg(kindsNamed(list_)));
    KindsLine->setVisible(mixed);
    // The line belongs to the list: a reader hears it with the list's description.
    Entries->setAccessibleDescription(mixed ? KindsLine->text() + u' ' + ListDescription : ListDescription);
    updateButtons();
}

QString MerklistePage::takeKindsNote() {
    const bool mixed = list_.mixesKinds();
    const bool began = mixed && !kindsToldMixed_;
    kindsToldMixed_ = mixed;
    return began ? KindsLine->text() : QString();
}

void MerklistePage::showProblem(const QString& problem) {
    if (problem == ProblemLine->text())
        return;
    ProblemLine->setText(problem);
    ProblemLine->setVisible(!problem.isEmpty());
    if (!problem.isEmpty())
        tell(problem);
}

void MerklistePage::updateButtons() {
    // The commands on an entry stay enabled while there is one: a button that disabled itself
    // would send the focus on to the next one, and the next Space there would do something else.
    // At an end of the list or on the main code they say why nothing changed.
    const bool any = !list_.empty();
    bool hadFocus = false;
    for (QPushButton* button : {MainButton, RemoveButton, UpButton, DownButton, CopyButton, ExportButton}) {
        hadFocus |= button->hasFocus() && !any;
        button->setEnabled(any);
    }
    if (hadFocus) // the outcome that emptied the list is told next
        Entries->takeFocusQuietly();
}

void MerklistePage::tell(const QString& outcome) {
    if (QWidget* shown = window())
        announceToAssistiveTechnology(*shown, outcome);
}

void MerklistePage::makeCurrentMain() {
    const int row = currentRow();
    if (row < 0)
        return;
    const QString code = published(list_.entries()[static_cast<std::size_t>(row)].code);
    if (list_.roleOf(static_cast<std::size_t>(row)) == merkliste::Role::Main) {
        tell(QStringLiteral("%1 ist schon Hauptgegenstand").arg(code));
        return;
    }
    changeCurrent([this](std::size_t at) {
        list_.makeMain(at);
        return at;
    });
    tell(QStringLiteral("%1 ist jetzt Hauptgegenstand").arg(code));
}

void MerklistePage::removeCurrent() {
    const int row = currentRow();
    if (row < 0)
        return;
    const std::string code = list_.entries()[static_cast<std::size_t>(row)].code;
    const bool wasMain = list_.roleOf(static_cast<std::size_t>(row)) == merkliste::Role::Main;
    changeCurrent([this](std::size_t at) {
        list_.remove(at);
        return at;
    });
    QString outcome = QStringLiteral("%1 entfernt").arg(published(code));
    if (list_.empty())
        outcome += QStringLiteral("; die Merkliste ist leer");
    else if (const std::optional<std::size_t> main = list_.mainIndex(); wasMain && main)
        outcome +=
            QStringLiteral("; Hauptgegenstand ist jetzt %1").arg(published(list_.entries()[*main].code));
    tell(outcome);
}

void MerklistePage::moveCurrent(int by) {
    const int row = currentRow();
    if (row < 0)
        return;
    const QString code = published(list_.entries()[static_cast<std::size_t>(row)].code);
    const bool atEnd = by < 0 ? row == 0 : row + 1 == static_cast<int>(list_.size());
    if (atEnd) {
        tell(by < 0 ? QStringLiteral("%1 steht schon oben").arg(code)
                    : QStringLiteral("%1 steht schon unten").arg(code));
        return;
    }
    changeCurrent([this, by](std::size_t at) -> std::optional<std::size_t> { return list_.move(at, by); });
    tell(QStringLiteral("%1 nach %2 verschoben: jetzt %3 von %4")
             .arg(code, by < 0 ? QStringLiteral("oben") : QStringLiteral("unten"))
             .arg(currentRow() + 1)
             .arg(list_.size()));
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
    if (const std::string code = currentCode(); !code.empty()) {
        copyToClipboard(toQString(code));
        tell(QStringLiteral("%1 kopiert").arg(toQString(code)));
    }
}

void MerklistePage::copyWholeList() {
    if (list_.empty())
        return;
    copyToClipboard(toQString(list_.copyText()));
    tell(list_.size() == 1 ? QStringLiteral("Merkliste kopiert: 1 Code")
                           : QStringLiteral("Merkliste kopiert: %1 Codes").arg(list_.size()));
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

void MerklistePage::showOutcome(const QString& outcome) {
    PasteLine->setText(outcome);
    PasteLine->show();
    tell(outcome);
}

} // namespace kodexa
