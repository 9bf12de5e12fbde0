#include "DlgSearch.h"

#include "AccessibleAnnouncement.h"
#include "AccessibleFocus.h"
#include "AccessibleLineEdit.h"
#include "AccessibleTabStrip.h"
#include "AnnouncementWhenActive.h"
#include "CheckDigits.h"
#include "ClassicFonts.h"
#include "ClassicTreeStyle.h"
#include "CodeCopyCommands.h"
#include "CodeList.h"
#include "CodeLocator.h"
#include "CodeRowList.h"
#include "CodeTree.h"
#include "CodeTreeView.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DlgAbout.h"
#include "DlgStatus.h"
#include "ErrorReport.h"
#include "FocusFrameStyle.h"
#include "Glyphs.h"
#include "KeywordSearchPage.h"
#include "MerklisteFile.h"
#include "MerklistePage.h"
#include "OutputFile.h"
#include "Paste.h"
#include "ProgressBarIndicator.h"
#include "QtText.h"
#include "Search.h"
#include "SystemClock.h"
#include "TreeWidgetNodes.h"
#include "WrittenCodes.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcutEvent>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>

namespace kodexa {

TDlgSearchCPV* DlgSearchCPV = nullptr;

namespace {

constexpr int ClientWidth = 687;
constexpr int ClientHeight = 594;
constexpr int StatusBarHeight = 19;
constexpr int SearchPanelHeight = 73;
constexpr int SortPanelHeight = 41;
constexpr int ProgressBarHeight = 16;
// How long the outcome of adding to the Merkliste stays beside the row.
constexpr int MerklisteOutcomeMs = 2500;
constexpr int WindowFontPixels = 11; // Tahoma 8 pt at 96 dpi
// A page of the page control sits 4 pixels inside its left, right and bottom edges and 24 below
// its top, under the tab strip: a 2-pixel raised frame and a 2-pixel margin of button face.
constexpr QMargins PageMargins{4, 24, 4, 4};
// The inputs take any text the user pastes (the toolkit's default would cut it at 32,767).
constexpr int NoLengthLimit = std::numeric_limits<int>::max();

// The page control's pages lie inside a thicker frame than the toolkit's own, as classic pages do;
// its tab strip frames the current tab's caption while it has the focus.
class PageControlStyle final : public FocusFrameStyle {
public:
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        if (element == SE_TabWidgetTabContents && option != nullptr)
            return option->rect.marginsRemoved(PageMargins);
        return FocusFrameStyle::subElementRect(element, option, widget);
    }
};

// The first control of a page in the order Tab visits them.
QWidget* firstControlOf(QWidget* page) {
    for (QWidget* widget = page->nextInFocusChain(); widget != page; widget = widget->nextInFocusChain()) {
        if (page->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
            widget->isVisibleTo(page) && widget->isEnabled())
            return widget;
    }
    return nullptr;
}

// The page control: Ctrl+Tab and Ctrl+Shift+Tab, which the toolkit's tab widget handles, also take
// the keyboard into the page they show, from the tab strip too, so that the arrow keys act on the
// page at once: to the control of that page that had the focus last, else to its first control.
class PageControl final : public QTabWidget {
public:
    using QTabWidget::QTabWidget;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QWidget* before = currentWidget();
        QTabWidget::keyPressEvent(event);
        QWidget* page = currentWidget();
        if (page == nullptr || page == before)
            return;
        QWidget* control = page->focusWidget();
        if (control == nullptr || !control->isVisible() || !control->isEnabled())
            control = firstControlOf(page);
        if (control != nullptr)
            control->setFocus(event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier)
                                  ? Qt::BacktabFocusReason
                                  : Qt::TabFocusReason);
    }
};

// A radio button's accelerator checks it before it takes the focus (the toolkit does it the other
// way round), so that a screen reader meets the button already checked rather than announcing
// it "not selected" while the sort it starts runs.
class CheckBeforeFocus final : public QObject {
public:
    explicit CheckBeforeFocus(QRadioButton* button) : QObject(button), button_(button) {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != button_ || event->type() != QEvent::Shortcut ||
            static_cast<QShortcutEvent*>(event)->isAmbiguous() || !button_->isEnabled())
            return false;
        button_->click();
        button_->setFocus(Qt::ShortcutFocusReason);
        return true;
    }

private:
    QRadioButton* button_;
};

// Keeps a child at its distance from its parent's right and bottom edges.
class AnchorRightBottom final : public QObject {
public:
    AnchorRightBottom(QWidget* child, int rightGap, int bottomGap)
        : QObject(child), child_(child), rightGap_(rightGap), bottomGap_(bottomGap) {
        child->parentWidget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == child_->parentWidget()) {
            const QSize size = child_->parentWidget()->size();
            child_->move(size.width() - rightGap_ - child_->width(),
                         size.height() - bottomGap_ - child_->height());
        }
        return false;
    }

private:
    QWidget* child_;
    int rightGap_;
    int bottomGap_;
};

// Hides the status window when the operation it announced ends, however it ends.
class StatusShown {
public:
    StatusShown(TDlgStatus* status, const QString& text) : status_(status) { ShowStatus(status_, text); }
    ~StatusShown() { status_->hide(); }
    StatusShown(const StatusShown&) = delete;
    StatusShown& operator=(const StatusShown&) = delete;

private:
    TDlgStatus* status_;
};

QPushButton* makeGlyphButton(const QString& caption, const QPixmap& glyph, QWidget* parent) {
    auto* button = new QPushButton(QIcon(glyph), caption, parent);
    button->setIconSize(glyph.size());
    button->setAutoDefault(false);
    return button;
}

// What assistive technology is told after a search: how many codes the grid shows now.
QString foundCodesMessage(std::size_t count) {
    if (count == 0)
        return QStringLiteral("Keine Codes gefunden");
    if (count == 1)
        return QStringLiteral("1 Code gefunden");
    return QStringLiteral("%1 Codes gefunden").arg(count);
}

} // namespace

template <typename Handler> void TDlgSearchCPV::handle(Handler handler) {
    guarded(this, handler);
}

TDlgSearchCPV::TDlgSearchCPV(SystemClock* clock, QWidget* parent) : QMainWindow(parent), clock_(clock) {
    if (clock_ == nullptr) {
        ownClock_ = std::make_unique<SteadySystemClock>();
        clock_ = ownClock_.get();
    }
    installLineEditAccessibility();
    installPageControlAccessibility();
    setWindowTitle(QStringLiteral("Suche in den CPV-Codes 2007"));
    applyWindowFont();
    createTables();
    createMenu();

    PageControl1 = new PageControl(this);
    auto* pageStyle = new PageControlStyle;
    pageStyle->setParent(PageControl1);
    PageControl1->setStyle(pageStyle);
    PageControl1->tabBar()->setStyle(pageStyle);
    TabSheet1 = createTablePage();
    TabSheet2 = createTreePage();
    // The buttons frame their caption while they have the focus: the default button's frame
    // alone looks the same either way.
    auto* buttonStyle = new FocusFrameStyle;
    buttonStyle->setParent(this);
    BitBtn1->setStyle(buttonStyle);
    BitBtn2->setStyle(buttonStyle);
    PageControl1->addTab(TabSheet1, QStringLiteral("Tabellenansicht"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Baumansicht"));
    KeywordPage = new KeywordSearchPage;
    PageControl1->addTab(KeywordPage, QStringLiteral("Stichwortsuche"));
    MerklisteTab = new MerklistePage(Merkliste);
    PageControl1->addTab(MerklisteTab, QStringLiteral("Merkliste"));
    for (QPushButton* button : MerklisteTab->findChildren<QPushButton*>())
        button->setStyle(buttonStyle);
    setCentralWidget(PageControl1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(true);
    StatusBar1->setFixedHeight(StatusBarHeight);
    setStatusBar(StatusBar1);

    setTabOrder(PageControl1, DBGrid1);
    setTabOrder(DBGrid1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, BitBtn1);
    setTabOrder(BitBtn1, RadioButton1);
    setTabOrder(RadioButton1, RadioButton2);
    setTabOrder(RadioButton2, BitBtn2);

    createCopyCommands();
    describeForAssistiveTechnology();
    connectHandlers();

    resize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
    PageControl1->tabBar()->setFocus(Qt::OtherFocusReason);
}

TDlgSearchCPV::~TDlgSearchCPV() {
    // The grid's model unbinds from the table before the table goes.
    delete DBGrid1;
    delete DataSource1;
}

void TDlgSearchCPV::applyWindowFont() {
    setFont(classicFont(QStringLiteral("Tahoma"), WindowFontPixels));
}

void TDlgSearchCPV::createTables() {
    codelist::loadCarried(ClientDataSet1);
    codelist::loadCarried(QueryCPVTree);
    DataSource1 = new TDataSource(ClientDataSet1);
    // The Merkliste's file names codes; their terms come from the list, read once in code order.
    for (std::size_t row = 0; row < ClientDataSet1.recordCount(); ++row)
        codeTerms_.add(std::string(ClientDataSet1.valueAt(row, 0).value_or("")),
                       std::string(ClientDataSet1.valueAt(row, 1).value_or("")));
}

void TDlgSearchCPV::createMenu() {
    Datei1 = menuBar()->addMenu(QStringLiteral("&Datei"));
    Beenden1 = Datei1->addAction(QStringLiteral("B&eenden"));
    MenuAbout = menuBar()->addAction(QStringLiteral("&Über"));
}

QWidget* TDlgSearchCPV::createTablePage() {
    auto* page = new QWidget;
    Panel1 = createSearchPanel();
    DBGrid1 = new TDBGrid;
    DBGrid1->setDataSource(DataSource1);
    Panel2 = createSortPanel();

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Panel2);
    return page;
}

QWidget* TDlgSearchCPV::createSearchPanel() {
    auto* panel = new QWidget;
    panel->setFixedHeight(SearchPanelHeight);
    Label1 = new QLabel(QStringLiteral("Code beginnend mit "), panel);
    Label1->setGeometry(8, 16, 98, 13);
    Label2 = new QLabel(QStringLiteral("Bezeichnung enthält "), panel);
    Label2->setGeometry(8, 48, 100, 13);
    Edit1 = new QLineEdit(panel);
    Edit1->setGeometry(120, 8, 177, 21);
    Edit1->setMaxLength(NoLengthLimit);
    Edit2 = new QLineEdit(panel);
    Edit2->setGeometry(120, 40, 177, 21);
    Edit2->setMaxLength(NoLengthLimit);
    // Each input is named by its label, for assistive technology (without the label's closing blank).
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Edit1->setAccessibleName(Label1->text().trimmed());
    Edit2->setAccessibleName(Label2->text().trimmed());
    BitBtn1 = makeGlyphButton(QStringLiteral("&Suchen"), binocularsGlyph(), panel);
    BitBtn1->setGeometry(328, 40, 105, 25);
    BitBtn1->setDefault(true);
    return panel;
}

QWidget* TDlgSearchCPV::createSortPanel() {
    auto* panel = new QWidget;
    panel->setFixedHeight(SortPanelHeight);
    panel->resize(679, SortPanelHeight);
    RadioButton1 = new QRadioButton(QStringLiteral("sortiert nach &Code"), panel);
    RadioButton1->setGeometry(8, 16, 113, 17);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("sortiert nach &Bezeichnung"), panel);
    RadioButton2->setGeometry(128, 16, 145, 17);
    new CheckBeforeFocus(RadioButton1);
    new CheckBeforeFocus(RadioButton2);
    BitBtn2 = makeGlyphButton(QStringLiteral("D&rucken"), printerGlyph(), panel);
    BitBtn2->setGeometry(583, 8, 91, 25);
    new AnchorRightBottom(BitBtn2, 679 - 583 - 91, SortPanelHeight - 8 - 25);
    return panel;
}

QWidget* TDlgSearchCPV::createTreePage() {
    auto* page = new QWidget;
    TreeView1 = new tree::CodeTreeView;
    tree::configureCodeTreeView(TreeView1);
    TreeView1->setStyle(new ClassicTreeStyle(TreeView1));
    // A long description is shown whole, with a horizontal scroll bar, rather than cut short.
    TreeView1->header()->setStretchLastSection(false);
    TreeView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setFixedHeight(ProgressBarHeight);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    treeNodes_ = std::make_unique<tree::TreeWidgetNodes>(TreeView1);
    treeProgress_ = std::make_unique<tree::ProgressBarIndicator>(ProgressBar1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(TreeView1, 1);
    layout->addWidget(ProgressBar1);
    return page;
}

void TDlgSearchCPV::createCopyCommands() {
    GridCopy = new CodeCopyCommands(DBGrid1, [this]() -> std::optional<CopiedRecord> {
        std::optional<std::string> code = ClientDataSet1.fieldValue(codelist::CodeField);
        if (!code)
            return std::nullopt; // no row matches the filter
        return CopiedRecord{std::move(*code), ClientDataSet1.fieldAsString(codelist::DescriptionField)};
    });
    // The keyboard's way to the tree: Ctrl+Enter on the grid does what the double-click does
    // (Enter alone searches, as on the rest of the page).
    GridShowInTree = GridCopy->addCommand(
        QStringLiteral("In Baumansicht anzeigen"),
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)},
        [this] { DBGrid1DblClick(); });
    // The tree's nodes carry nothing but their text "code: description"; the root stands for no code.
    TreeCopy = new CodeCopyCommands(TreeView1, [this]() -> std::optional<CopiedRecord> {
        const QTreeWidgetItem* node = TreeView1->currentItem();
        if (node == nullptr || (RootNode && node == tree::TreeWidgetNodes::item(RootNode)))
            return std::nullopt;
        const std::string text = toWindows1252(node->text(0));
        const std::optional<tree::CodeNodeParts> parts = tree::splitCodeNodeText(text);
        if (!parts)
            return std::nullopt;
        return CopiedRecord{std::string(parts->code), std::string(parts->description)};
    });
    // Each view that shows codes adds its current one to the Merkliste, last in its menu.
    const std::pair<CodeCopyCommands*, QWidget*> codeViews[] = {
        {GridCopy, DBGrid1}, {TreeCopy, TreeView1}, {KeywordPage->ResultCopy, KeywordPage->Results}};
    for (const auto& [commands, view] : codeViews)
        commands->addCommand(QStringLiteral("Zur Merkliste hinzufügen"), {QKeySequence(Qt::Key_Insert)},
                             [this, commands, view] { addToMerkliste(commands->currentRecord(), view); });
}

void TDlgSearchCPV::describeForAssistiveTechnology() {
    DBGrid1->setAccessibleName(QStringLiteral("CPV-Codes"));
    // The tooltip's hint, with the keyboard's way beside the double-click; the tooltip itself
    // stays as it is.
    DBGrid1->setAccessibleDescription(
        QStringLiteral("Mit einem Doppelklick oder mit %1 können Sie den markierten CPV-Code in der "
                       "Baumansicht anzeigen lassen.")
            .arg(GridShowInTree->shortcut().toString(QKeySequence::NativeText)));
    TreeView1->setAccessibleName(QStringLiteral("CPV-Codes"));
    ProgressBar1->setAccessibleName(QStringLiteral("Aufbau des Baums"));
    // A reader names the page the focus enters, also when the program switches pages; and the
    // menu it opens.
    for (int page = 0; page < PageControl1->count(); ++page)
        PageControl1->widget(page)->setAccessibleName(PageControl1->tabText(page));
    Datei1->setAccessibleName(QStringLiteral("Datei"));
    reportCurrentItemOnFocus(*DBGrid1);
    reportCurrentItemOnFocus(*TreeView1);
}

void TDlgSearchCPV::connectHandlers() {
    connect(BitBtn1, &QPushButton::clicked, this, [this] { handle([this] { BitBtn1Click(); }); });
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
        showCheckDigitNote(codelist::wrongCheckDigit(toWindows1252(text)));
    });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { handle([this] { BitBtn2Click(); }); });
    // A radio button's handler runs only when it becomes checked.
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            handle([this] { RadioButton1Click(); });
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            handle([this] { RadioButton2Click(); });
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet2)
            handle([this] { TabSheet2Show(); });
        // Ctrl+Tab moves the focus into the page without its name: a reader hears it after the focus.
        if (pageByKey_) {
            pageByKey_ = false;
            announceWhenActive(*this, QStringLiteral("%1, Seite %2 von %3")
                                          .arg(PageControl1->tabText(index).remove(u'&'))
                                          .arg(index + 1)
                                          .arg(PageControl1->count()));
        }
    });
    PageControl1->installEventFilter(this);
    connect(DBGrid1, &TDBGrid::gridDoubleClicked, this, [this] { handle([this] { DBGrid1DblClick(); }); });
    connect(KeywordPage, &KeywordSearchPage::openInTree, this,
            [this](const std::string& code) { handle([this, &code] { showCodeInTree(code); }); });
    connect(MerklisteTab, &MerklistePage::openInTree, this,
            [this](const std::string& code) { handle([this, &code] { showCodeInTree(code); }); });
    connect(MerklisteTab, &MerklistePage::listChanged, this,
            [this] { handle([this] { merklisteChanged(); }); });
    connect(MerklisteTab, &MerklistePage::exportRequested, this,
            [this] { handle([this] { exportMerkliste(); }); });
    connect(MerklisteTab, &MerklistePage::pasteRequested, this,
            [this](const QString& text) { handle([this, &text] { pasteIntoMerkliste(text); }); });
    // The keyword page checks a code written with its digit anywhere in the words.
    connect(KeywordPage->WordsEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QByteArray words = text.toUtf8();
        showCheckDigitNote(codelist::firstWrongCheckDigit(std::string_view(words.constData(), words.size())));
    });
    connect(Beenden1, &QAction::triggered, this, [this] { handle([this] { Beenden1Click(); }); });
    connect(MenuAbout, &QAction::triggered, this, [this] { handle([this] { MenuAboutClick(); }); });
}

bool TDlgSearchCPV::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PageControl1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool control = (key->modifiers() & Qt::ControlModifier) != 0;
        pageByKey_ = control && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                                 key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TDlgSearchCPV::keyPressEvent(QKeyEvent* event) {
    // "&Suchen" is the default button: Enter without Shift, Ctrl or Alt on the table page clicks it,
    // unless the focus is on another push button, which Enter clicks instead.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!enter || modifiers != Qt::NoModifier || PageControl1->currentWidget() != TabSheet1) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    auto* focusedButton = qobject_cast<QPushButton*>(QApplication::focusWidget());
    event->accept();
    if (focusedButton != nullptr && focusedButton->isEnabled())
        focusedButton->click();
    else
        BitBtn1->click();
}

// ---- Handlers -----------------------------------------------------------------------------------

void TDlgSearchCPV::FormCreate() {
    DlgStatus = new TDlgStatus(this);
    // Nothing that follows may stop the window from coming up: failures are dropped silently.
    try {
        PageControl1->setCurrentWidget(TabSheet1);
        RunStartupSplash(this, *clock_);
    } catch (...) {
    }
}

// The window shows the outcome of a search or a sort in the grid alone, and the status bar stays
// empty; a screen reader is told it once the status window has handed the activation back.
void TDlgSearchCPV::BitBtn1Click() {
    {
        const StatusShown status(DlgStatus, QStringLiteral("Suche passende CPV-Codes ..."));
        applySearch(ClientDataSet1, toWindows1252(Edit1->text()), toWindows1252(Edit2->text()));
    }
    announceWhenActive(*this, foundCodesMessage(ClientDataSet1.recordCount()));
}

void TDlgSearchCPV::RadioButton1Click() {
    {
        const StatusShown status(DlgStatus, QStringLiteral("Datensätze werden sortiert ..."));
        ClientDataSet1.setIndexFieldNames(codelist::CodeField);
    }
    announceWhenActive(*this, QStringLiteral("Sortiert nach Code"));
}

void TDlgSearchCPV::RadioButton2Click() {
    {
        const StatusShown status(DlgStatus, QStringLiteral("Datensätze werden sortiert ..."));
        ClientDataSet1.setIndexFieldNames(codelist::DescriptionField);
    }
    announceWhenActive(*this, QStringLiteral("Sortiert nach Bezeichnung"));
}

void TDlgSearchCPV::BitBtn2Click() {
    report::runCodeListReport(RaveComponents, this);
}

void TDlgSearchCPV::TabSheet2Show() {
    if (treeNodes_->count() == 0)
        BuildCodeTree();
}

void TDlgSearchCPV::BuildCodeTree() {
    tree::BuildCodeTree(QueryCPVTree, *treeNodes_, *treeProgress_, RootNode, CurrentCode, CurrentDesc);
}

bool TDlgSearchCPV::InsertCodeNode(tree::NodeRef node, std::size_t prefixLength) {
    return tree::InsertCodeNode(*treeNodes_, node, prefixLength, CurrentCode, CurrentDesc);
}

void TDlgSearchCPV::DBGrid1DblClick() {
    tree::locateCurrentCode(ClientDataSet1, *treeNodes_, RootNode, [this] { showTreePage(); });
}

void TDlgSearchCPV::showCodeInTree(const std::string& code) {
    showTreePage();
    tree::locateCode(*treeNodes_, RootNode, code);
}

QString TDlgSearchCPV::openMerkliste(const std::filesystem::path& file) {
    merklisteFile_ = std::make_unique<MerklisteFile>(file);
    MerklisteFile::Loaded loaded = merklisteFile_->load(codeTerms_);
    Merkliste = std::move(loaded.list);
    MerklisteTab->showList(0);
    MerklisteTab->showProblem(loaded.problem);
    watchMerklisteFile();
    return loaded.problem;
}

void TDlgSearchCPV::watchMerklisteFile() {
    if (!merklisteFile_)
        return;
    if (merklisteWatcher_ == nullptr) {
        merklisteWatcher_ = new QFileSystemWatcher(this);
        connect(merklisteWatcher_, &QFileSystemWatcher::fileChanged, this,
                [this] { merklisteFileChanged(); });
        connect(merklisteWatcher_, &QFileSystemWatcher::directoryChanged, this,
                [this] { merklisteFileChanged(); });
    }
    // The folder tells of a save's rename, which replaces the file the watch was on.
    const std::filesystem::path& path = merklisteFile_->path();
    for (const std::filesystem::path& watched : {path.parent_path(), path}) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(watched.native()));
        std::error_code error;
        if (!merklisteWatcher_->files().contains(name) && !merklisteWatcher_->directories().contains(name) &&
            std::filesystem::exists(watched, error))
            merklisteWatcher_->addPath(name);
    }
}

void TDlgSearchCPV::merklisteFileChanged() {
    watchMerklisteFile();
    // A list that this program could not save is not replaced: its codes are only here.
    if (!merklisteFile_ || merklisteUnsaved_)
        return;
    if (std::optional<merkliste::Merkliste> theirs = merklisteFile_->changedOutside()) {
        Merkliste = std::move(*theirs);
        showMerklisteKeepingCurrent();
    }
}

void TDlgSearchCPV::showMerklisteKeepingCurrent() {
    int current = 0;
    const std::string code = MerklisteTab->currentCode();
    for (std::size_t i = 0; i < Merkliste.size(); ++i)
        if (Merkliste.entries()[i].code == code)
            current = static_cast<int>(i);
    MerklisteTab->showList(current);
}

void TDlgSearchCPV::pasteIntoMerkliste(const QString& text) {
    if (text.isEmpty()) {
        MerklisteTab->showOutcome(
            QStringLiteral("Die Zwischenablage hält keinen Text; die Merkliste bleibt, wie sie war."));
        return;
    }
    const std::size_t before = Merkliste.size();
    merkliste::PasteOutcome pasted;
    // A text longer than the limit in characters is longer in bytes too: it is not converted at all.
    if (text.size() > static_cast<qsizetype>(merkliste::MaxPastedBytes)) {
        pasted.read.tooLarge = true;
    } else {
        const QByteArray utf8 = text.toUtf8();
        pasted =
            merkliste::pasteCodes(Merkliste, std::string_view(utf8.constData(), utf8.size()), codeTerms_);
    }
    QString outcome = QString::fromStdString(merkliste::pasteSummary(pasted));
    if (pasted.added > 0) {
        MerklisteTab->showList(static_cast<int>(before));              // the first code added
        if (const std::optional<QString> unsaved = merklisteChanged()) // the file written once
            outcome += QStringLiteral("; nicht gespeichert: %1").arg(*unsaved);
        if (const QString kinds = MerklisteTab->takeKindsNote(); !kinds.isEmpty())
            outcome += QStringLiteral(". ") + kinds;
    }
    MerklisteTab->showOutcome(outcome);
}

void TDlgSearchCPV::addToMerkliste(const std::optional<CopiedRecord>& record, QWidget* from) {
    if (!record)
        return;
    const bool added = Merkliste.add(record->code, record->description) == merkliste::Merkliste::Added::Added;
    const QString code = toQString(codelist::publishedCode(record->code)); // as the Merkliste shows it
    QString outcome = added ? QStringLiteral("%1 zur Merkliste hinzugefügt").arg(code)
                            : QStringLiteral("%1 steht schon auf der Merkliste").arg(code);
    if (added) {
        MerklisteTab->showList(static_cast<int>(Merkliste.size()) - 1);
        if (const std::optional<QString> unsaved = merklisteChanged())
            outcome = QStringLiteral("%1 zur Merkliste hinzugefügt, aber nicht gespeichert: %2")
                          .arg(code, *unsaved);
        if (const QString kinds = MerklisteTab->takeKindsNote(); !kinds.isEmpty())
            outcome += QStringLiteral(". ") + kinds;
    }
    announceToAssistiveTechnology(*this, outcome);
    // Beside the row it was added from, below its text; shown from the event loop, so that a context
    // menu that ran the command has closed and does not take the tip with it.
    QPointer<QWidget> view = from;
    QTimer::singleShot(0, this, [view, outcome] {
        if (view == nullptr)
            return;
        const auto* items = qobject_cast<QAbstractItemView*>(view.data());
        const QPoint at = items != nullptr ? outcomePlace(*items) : view->mapToGlobal(view->rect().center());
        QToolTip::showText(at, outcome, view, {}, MerklisteOutcomeMs);
    });
}

std::optional<QString> TDlgSearchCPV::merklisteChanged() {
    if (!merklisteFile_)
        return std::nullopt;
    // The list goes on in memory where it cannot be written; the page says so until a write works.
    const merkliste::Merkliste before = Merkliste;
    std::optional<QString> problem = merklisteFile_->save(Merkliste);
    merklisteUnsaved_ = problem.has_value();
    if (!Merkliste.sameCodesAs(before)) // joined with another program's changes
        showMerklisteKeepingCurrent();
    watchMerklisteFile();
    if (problem)
        MerklisteTab->showProblem(*problem +
                                  QStringLiteral(" Die Liste gilt weiter, bis das Programm endet."));
    else
        MerklisteTab->showProblem(QString());
    return problem;
}

bool TDlgSearchCPV::mayEnd() {
    if (!merklisteUnsaved_ || Merkliste.empty())
        return true;
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Merkliste nicht gespeichert"),
        QStringLiteral("Die Merkliste mit %1 Code(s) konnte nicht gespeichert werden und geht beim "
                       "Beenden verloren. Exportieren Sie sie vorher als CSV-Datei?")
            .arg(Merkliste.size()),
        QMessageBox::NoButton, this);
    QPushButton* exportFirst = box.addButton(QStringLiteral("&Exportieren …"), QMessageBox::AcceptRole);
    QPushButton* endAnyway = box.addButton(QStringLiteral("&Trotzdem beenden"), QMessageBox::DestructiveRole);
    box.addButton(QStringLiteral("&Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(exportFirst);
    box.exec();
    if (box.clickedButton() == endAnyway)
        return true;
    if (box.clickedButton() != exportFirst)
        return false;
    bool exported = false;
    guarded(this, [&] {
        const std::size_t before = exportCount_;
        exportMerkliste();
        exported = exportCount_ != before;
    });
    return exported;
}

void TDlgSearchCPV::closeEvent(QCloseEvent* event) {
    if (mayEnd())
        QMainWindow::closeEvent(event);
    else
        event->ignore();
}

void TDlgSearchCPV::exportMerkliste() {
    const QString name = AskExportFileName
                             ? AskExportFileName()
                             : QFileDialog::getSaveFileName(this, QStringLiteral("Merkliste exportieren"),
                                                            QStringLiteral("merkliste.csv"),
                                                            QStringLiteral("CSV-Dateien (*.csv)"));
    if (name.isEmpty())
        return;
    output::OutputFile file(output::nativeFileName(name));
    const std::string text = Merkliste.csvText();
    if (!file.open() ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit())
        throw std::runtime_error(
            QStringLiteral("Die Merkliste kann nicht nach „%1“ exportiert werden: %2.")
                .arg(name, MerklisteFile::writeFailure(file.errorNumber(), QFileInfo(name).absolutePath()))
                .toStdString());
    ++exportCount_;
    MerklisteTab->showOutcome(QStringLiteral("Merkliste mit %1 nach „%2“ exportiert")
                                  .arg(Merkliste.size() == 1
                                           ? QStringLiteral("1 Code")
                                           : QStringLiteral("%1 Codes").arg(Merkliste.size()),
                                       QFileInfo(name).fileName()));
}

void TDlgSearchCPV::showTreePage() {
    // Showing the page runs TabSheet2Show, which builds the tree the first time.
    PageControl1->setCurrentWidget(TabSheet2);
    TreeView1->setFocus(Qt::OtherFocusReason);
    PageControl1->repaint();
}

void TDlgSearchCPV::showCheckDigitNote(const std::optional<std::string>& published) {
    // A code typed or pasted as published still searches its eight digits; a digit that is not
    // the published one is told at once, in the status bar and to screen readers.
    if (published) {
        const QString note =
            QStringLiteral("Prüfziffer passt nicht: veröffentlicht ist %1").arg(toQString(*published));
        if (StatusBar1->currentMessage() != note) {
            StatusBar1->showMessage(note);
            announceToAssistiveTechnology(*this, note);
        }
        checkDigitNoteShown_ = true;
    } else if (checkDigitNoteShown_) {
        StatusBar1->clearMessage();
        checkDigitNoteShown_ = false;
    }
}

void TDlgSearchCPV::Beenden1Click() {
    if (mayEnd())
        QCoreApplication::quit();
}

void TDlgSearchCPV::MenuAboutClick() {
    ShowAboutModal(this);
}

} // namespace kodexa
