#include "KeywordSearchPage.h"

#include "AnnouncementWhenActive.h"
#include "CheckDigits.h"
#include "CodeCopyCommands.h"
#include "CodeRowList.h"
#include "QtText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kodexa {
namespace {

constexpr int PanelHeight = 73;
constexpr int CodeColumnMargin = 16; // beside the widest code, "45233140-2"

const QString NoWordsText = QStringLiteral(
    "Geben Sie oben ein, was Sie kaufen möchten, in Ihren Worten oder als Titel der Ausschreibung, zum "
    "Beispiel „Reinigung Schule“ oder „Lieferung von Streusalz“. Die Treffer erscheinen hier beim Tippen.");
const QString NoHitsText = QStringLiteral(
    "Keine Treffer. Versuchen Sie andere, allgemeinere oder weniger Wörter, oder den Code selbst.");
// A screen reader hears the count once the typing has paused this long.
constexpr int AnnouncementPauseMs = 700;

} // namespace

KeywordSearchPage::KeywordSearchPage(QWidget* parent) : QWidget(parent) {
    createControls();
    announcement_ = new QTimer(this);
    announcement_->setSingleShot(true);
    announcement_->setInterval(AnnouncementPauseMs);
    connect(announcement_, &QTimer::timeout, this, &KeywordSearchPage::announceCount);
    connect(WordsEdit, &QLineEdit::textChanged, this, [this] {
        search();
        announcement_->start();
    });
    connect(WordsEdit, &QLineEdit::returnPressed, this, [this] {
        search();
        announcement_->stop();
        announceCount();
    });
    connect(Results, &QTreeWidget::activated, this, &KeywordSearchPage::openCurrent);
    ResultCopy = new CodeCopyCommands(Results, [this]() -> std::optional<CopiedRecord> {
        QTreeWidgetItem* item = Results->currentItem();
        if (item == nullptr)
            return std::nullopt;
        const keyword::KeywordHit& hit = hits_[static_cast<std::size_t>(Results->indexOfTopLevelItem(item))];
        return CopiedRecord{hit.code, hit.description};
    });
    ResultCopy->addCommand(QStringLiteral("In Baumansicht anzeigen"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)},
                           [this] { openCurrent(); });
    WordsEdit->installEventFilter(this);
    Results->installEventFilter(this);
}

void KeywordSearchPage::createControls() {
    auto* panel = new QWidget;
    panel->setFixedHeight(PanelHeight);
    WordsLabel = new QLabel(QStringLiteral("S&tichwörter"), panel);
    WordsLabel->setGeometry(8, 16, 98, 13);
    WordsEdit = new QLineEdit(panel);
    WordsEdit->setGeometry(120, 8, 313, 21);
    WordsLabel->setBuddy(WordsEdit);
    WordsEdit->setAccessibleName(QStringLiteral("Stichwörter"));
    WordsEdit->setAccessibleDescription(
        QStringLiteral("Was Sie kaufen möchten, in Ihren Worten; die Treffer folgen beim Tippen."));
    CountLabel = new QLabel(panel);
    CountLabel->setGeometry(120, 44, 313, 13);

    Results = new CodeRowList;
    Results->setColumnCount(2);
    Results->setHeaderLabels({QStringLiteral("Code"), QStringLiteral("Bezeichnung")});
    Results->header()->resizeSection(
        0, Results->fontMetrics().horizontalAdvance(QStringLiteral("45233140-2")) + CodeColumnMargin);
    Results->setEmptyText(NoWordsText);
    Results->setAccessibleName(QStringLiteral("Treffer"));
    Results->setAccessibleDescription(QStringLiteral(
        "Mit der Eingabetaste oder einem Doppelklick zeigen Sie den Code in der Baumansicht."));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(Results, 1);
    setTabOrder(WordsEdit, Results);
}

void KeywordSearchPage::search() {
    const QByteArray words = WordsEdit->text().toUtf8();
    hits_ = keyword::KeywordIndex::carried().search(std::string_view(words.constData(), words.size()),
                                                    ResultLimit, &found_);
    showResults();
}

QString KeywordSearchPage::countText(std::size_t found, std::size_t shown) {
    if (found == 0)
        return QStringLiteral("Keine Treffer");
    if (found == 1)
        return QStringLiteral("1 Code gefunden");
    if (shown < found)
        return QStringLiteral("%1 Codes gefunden, die besten %2 in der Liste").arg(found).arg(shown);
    return QStringLiteral("%1 Codes gefunden").arg(found);
}

void KeywordSearchPage::showResults() {
    Results->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(hits_.size()));
    for (const keyword::KeywordHit& hit : hits_)
        items.append(
            new QTreeWidgetItem({toQString(codelist::publishedCode(hit.code)), toQString(hit.description)}));
    Results->addTopLevelItems(items);
    Results->describeRows();
    if (!items.isEmpty())
        Results->setCurrentItem(items.front());
    Results->setEmptyText(WordsEdit->text().trimmed().isEmpty() ? NoWordsText : NoHitsText);
    CountLabel->setText(WordsEdit->text().trimmed().isEmpty() ? QString() : countText(found_, hits_.size()));
}

void KeywordSearchPage::announceCount() {
    if (!CountLabel->text().isEmpty())
        announceWhenActive(*window(), CountLabel->text());
}

std::string KeywordSearchPage::currentCode() const {
    QTreeWidgetItem* item = Results->currentItem();
    return item != nullptr ? hits_[static_cast<std::size_t>(Results->indexOfTopLevelItem(item))].code
                           : std::string();
}

void KeywordSearchPage::openCurrent() {
    const std::string code = currentCode();
    if (!code.empty())
        emit openInTree(code);
}

// Down and Up lead from the input into the results, Up from the first result back.
bool KeywordSearchPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return false;
    if (watched == WordsEdit && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) &&
        Results->topLevelItemCount() > 0) {
        if (Results->currentItem() == nullptr)
            Results->setCurrentItem(Results->topLevelItem(0));
        Results->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (watched == Results && key->key() == Qt::Key_Up &&
        Results->currentItem() == Results->topLevelItem(0)) {
        // Not as Shift+Tab would: that selects the whole input, and the next key would replace it.
        WordsEdit->setFocus(Qt::OtherFocusReason);
        WordsEdit->end(false);
        return true;
    }
    return false;
}

} // namespace kodexa
