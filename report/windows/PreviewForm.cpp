#include "PreviewForm.h"

#include "AccessibleAnnouncement.h"
#include "AccessibleLineEdit.h"
#include "PageAreaAccessible.h"
#include "PageFiles.h"
#include "PagePainter.h"
#include "PreviewIcons.h"
#include "PreviewPrompts.h"
#include "PrinterOutput.h"
#include "PrinterSystem.h"
#include "ReportLayout.h"
#include "ScreenPlacement.h"
#include "SetupForm.h"
#include "ViewportFocusRing.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kodexa::report {

namespace {
constexpr double ScreenPixelsPerInch = 96; // at 100 %
constexpr int ToolBarHeight = 25;
constexpr int PageEditWidth = 49;
constexpr int ZoomEditWidth = 40;
constexpr int LabelPadding = 3;
const QColor PaperColor = Qt::white;

// The wait cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Changing a field's text drops its selection; leave it alone when it already reads right.
void setFieldText(QLineEdit& field, const QString& text) {
    if (field.text() != text)
        field.setText(text);
}

QLabel* toolBarLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setContentsMargins(LabelPadding, 0, LabelPadding, 0);
    return label;
}

double scrollFraction(const QScrollBar& bar) {
    return bar.maximum() > bar.minimum()
               ? double(bar.value() - bar.minimum()) / (bar.maximum() - bar.minimum())
               : 0;
}

void setScrollFraction(QScrollBar& bar, double fraction) {
    bar.setValue(bar.minimum() + static_cast<int>(std::lround(fraction * (bar.maximum() - bar.minimum()))));
}

bool hasCommandModifier(const QKeyEvent& key) {
    return (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

// A character the user typed, as the window's key preview sees it: printable, without Ctrl or Alt.
std::optional<QChar> typedCharacter(const QKeyEvent& key) {
    if (hasCommandModifier(key) || key.text().size() != 1)
        return std::nullopt;
    const QChar c = key.text().front();
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return std::nullopt;
    return c;
}

} // namespace

// ---- PageView -----------------------------------------------------------------------------------

PageView::PageView(std::shared_ptr<const PageStore> pages, QWidget* parent)
    : QWidget(parent), pages_(std::move(pages)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double PageView::pixelsPerInch() const {
    return ScreenPixelsPerInch * zoom_ / 100;
}

void PageView::setPages(std::shared_ptr<const PageStore> pages) {
    pages_ = std::move(pages);
}

void PageView::showPage(std::size_t index, double zoom) {
    index_ = index;
    zoom_ = zoom;
    if (index_ < pages_->pageCount()) {
        const Page& page = pages_->page(index_);
        setFixedSize(static_cast<int>(std::lround(page.width * pixelsPerInch())),
                     static_cast<int>(std::lround(page.height * pixelsPerInch())));
    }
    update();
}

// Only the exposed part is painted: in a scroll box at a high zoom that is a small part of a page.
void PageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), PaperColor);
    paintPage(painter, *pages_, index_, pixelsPerInch(), event->rect());
}

// ---- PageArea ----------------------------------------------------------------------------------

PageArea::PageArea(PageView* view, QWidget* parent) : QScrollArea(parent), view_(view) {
    installPageAreaAccessibility();
    installLineEditAccessibility(); // the Page and Zoom fields, the Go to Page box
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setWidget(view_);
    new ViewportFocusRing(*this, PaperColor);
}

// ---- TRavePreviewForm ---------------------------------------------------------------------------

TRavePreviewForm::TRavePreviewForm(std::shared_ptr<const PageStore> pages, SystemSettings& settings,
                                   QWidget* parent, PreviewServices services)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      pages_(std::move(pages)), settings_(settings),
      navigator_(static_cast<int>(pages_->pageCount()), settings.systemPreview.zoomFactor,
                 settings.systemPreview.zoomInc),
      services_(services) {
    setObjectName(QStringLiteral("RavePreviewForm"));
    setWindowTitle(settings_.titlePreview);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);

    createActions();
    createMenus();
    createToolBar();
    createPageArea();
    createStatusBar();
    layOutForm();

    // The output settings give the outer size, frame included.
    const QSize outerSize(settings_.systemPreview.formWidth, settings_.systemPreview.formHeight);
    resize(outerSize);
    new ScreenPlacement(*this, outerSize);
    if (settings_.systemPreview.formState == FormState::Maximized)
        setWindowState(Qt::WindowMaximized);
    updatePageDisplay();
    updateZoomDisplay();
    ScrollBox1->setFocus();
    // The window sees keys before its controls.
    qApp->installEventFilter(this);
}

TRavePreviewForm::~TRavePreviewForm() {
    qApp->removeEventFilter(this);
    // The dialog's own destructor hides the window, and a field losing the focus then would call
    // into this part of the object, which is gone by then.
    disconnect(PageEdit, nullptr, this, nullptr);
    disconnect(ZoomEdit, nullptr, this, nullptr);
}

void TRavePreviewForm::createActions() {
    auto makeAction = [this](const char* objectName, const QString& text, const QString& hint,
                             const QIcon& icon, const QKeySequence& shortcut) {
        auto* action = new QAction(icon, text, this);
        action->setObjectName(QString::fromLatin1(objectName));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        action->setShortcut(shortcut);
        return action;
    };
    namespace icons = previewicons;
    actnFile_Open =
        makeAction("actnFile_Open", QStringLiteral("&Open"), QStringLiteral("Open another report"),
                   icons::open(), QKeySequence(Qt::CTRL | Qt::Key_O));
    actnFile_Save = makeAction("actnFile_Save", QStringLiteral("&Save As"), QStringLiteral("Save report"),
                               icons::save(), QKeySequence(Qt::CTRL | Qt::Key_S));
    actnFile_Print = makeAction("actnFile_Print", QStringLiteral("&Print"), QStringLiteral("Print report"),
                                icons::print(), QKeySequence(Qt::CTRL | Qt::Key_P));
    actnFile_Exit = makeAction("actnFile_Exit", QStringLiteral("E&xit"), QStringLiteral("Exit viewer"),
                               icons::exit(), QKeySequence());
    actnPage_First =
        makeAction("actnPage_First", QStringLiteral("&First"), QStringLiteral("Move to first page"),
                   icons::first(), QKeySequence(Qt::CTRL | Qt::Key_Home));
    actnPage_Previous =
        makeAction("actnPage_Previous", QStringLiteral("&Previous"), QStringLiteral("Move to previous page"),
                   icons::previous(), QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    actnPage_Next = makeAction("actnPage_Next", QStringLiteral("&Next"), QStringLiteral("Move to next page"),
                               icons::next(), QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    actnPage_Last = makeAction("actnPage_Last", QStringLiteral("&Last"), QStringLiteral("Move to last page"),
                               icons::last(), QKeySequence(Qt::CTRL | Qt::Key_End));
    actnPage_GotoPage =
        makeAction("actnPage_GotoPage", QStringLiteral("&Go to Page #"),
                   QStringLiteral("Go to specified page"), QIcon(), QKeySequence(Qt::CTRL | Qt::Key_G));
    actnZoom_In = makeAction("actnZoom_In", QStringLiteral("Zoom &In"), QStringLiteral("Zoom In (+)"),
                             icons::zoomIn(), QKeySequence());
    actnZoom_Out = makeAction("actnZoom_Out", QStringLiteral("Zoom &Out"), QStringLiteral("Zoom Out (-)"),
                              icons::zoomOut(), QKeySequence());
    actnZoom_PageWidth = makeAction("actnZoom_PageWidth", QStringLiteral("Fit to Page &Width"),
                                    QStringLiteral("Zoom to fit page width"), icons::fitPageWidth(),
                                    QKeySequence(Qt::CTRL | Qt::Key_W));
    actnZoom_Page =
        makeAction("actnZoom_Page", QStringLiteral("Fit to &Page"), QStringLiteral("Zoom to fit page"),
                   icons::fitPage(), QKeySequence(Qt::CTRL | Qt::Key_F));

    actnFile_Save->setEnabled(settings_.systemOptions.testFlag(SystemOption::AllowSaveFromPreview));
    actnFile_Print->setEnabled(settings_.systemOptions.testFlag(SystemOption::AllowPrintFromPreview));

    connect(actnFile_Open, &QAction::triggered, this, &TRavePreviewForm::openFile);
    connect(actnFile_Save, &QAction::triggered, this, &TRavePreviewForm::saveFile);
    connect(actnFile_Print, &QAction::triggered, this, &TRavePreviewForm::printPages);
    connect(actnFile_Exit, &QAction::triggered, this, &QDialog::close);
    connect(actnPage_First, &QAction::triggered, this, &TRavePreviewForm::goFirst);
    connect(actnPage_Previous, &QAction::triggered, this, &TRavePreviewForm::goPrevious);
    connect(actnPage_Next, &QAction::triggered, this, &TRavePreviewForm::goNext);
    connect(actnPage_Last, &QAction::triggered, this, &TRavePreviewForm::goLast);
    connect(actnPage_GotoPage, &QAction::triggered, this, &TRavePreviewForm::goToPage);
    connect(actnZoom_In, &QAction::triggered, this, &TRavePreviewForm::zoomIn);
    connect(actnZoom_Out, &QAction::triggered, this, &TRavePreviewForm::zoomOut);
    connect(actnZoom_PageWidth, &QAction::triggered, this, &TRavePreviewForm::fitPageWidth);
    connect(actnZoom_Page, &QAction::triggered, this, &TRavePreviewForm::fitPage);
}

void TRavePreviewForm::createMenus() {
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    QMenu* fileMenu = MainMenu->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    fileMenu->addActions({actnFile_Open, actnFile_Save, actnFile_Print});
    fileMenu->addSeparator();
    fileMenu->addAction(actnFile_Exit);
    QMenu* pageMenu = MainMenu->addMenu(QStringLiteral("&Page"));
    pageMenu->setObjectName(QStringLiteral("PageMenu"));
    pageMenu->addActions({actnPage_First, actnPage_Previous, actnPage_Next, actnPage_Last});
    pageMenu->addSeparator();
    pageMenu->addAction(actnPage_GotoPage);
    QMenu* zoomMenu = MainMenu->addMenu(QStringLiteral("&Zoom"));
    zoomMenu->setObjectName(QStringLiteral("ZoomMenu"));
    zoomMenu->addActions({actnZoom_In, actnZoom_Out});
    zoomMenu->addSeparator();
    zoomMenu->addActions({actnZoom_Page, actnZoom_PageWidth});
}

void TRavePreviewForm::createToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(ToolBarHeight);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->addActions({actnFile_Open, actnFile_Save, actnFile_Print});
    ToolBar1->addSeparator();
    ToolBar1->addActions({actnPage_First, actnPage_Previous, actnPage_Next, actnPage_Last});

    QLabel* pageLabel = toolBarLabel(QStringLiteral("Page"), ToolBar1);
    pageLabel->setObjectName(QStringLiteral("PageLabel"));
    ToolBar1->addWidget(pageLabel);
    PageEdit = new QLineEdit(ToolBar1);
    PageEdit->setObjectName(QStringLiteral("PageEdit"));
    PageEdit->setFixedWidth(PageEditWidth);
    PageEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), PageEdit));
    PageEdit->setMaxLength(9);
    ToolBar1->addWidget(PageEdit);
    pageLabel->setBuddy(PageEdit); // the field reads "Page"; the labels have no mnemonic to show
    PageCountLabel = toolBarLabel(QString(), ToolBar1);
    PageCountLabel->setObjectName(QStringLiteral("PageCountLabel"));
    ToolBar1->addWidget(PageCountLabel);
    ToolBar1->addSeparator();

    ToolBar1->addActions({actnZoom_In, actnZoom_Out, actnZoom_PageWidth, actnZoom_Page});
    QLabel* zoomLabel = toolBarLabel(QStringLiteral("Zoom"), ToolBar1);
    zoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
    ToolBar1->addWidget(zoomLabel);
    ZoomEdit = new QLineEdit(ToolBar1);
    ZoomEdit->setObjectName(QStringLiteral("ZoomEdit"));
    ZoomEdit->setFixedWidth(ZoomEditWidth);
    ZoomEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), ZoomEdit));
    ZoomEdit->setMaxLength(9);
    ToolBar1->addWidget(ZoomEdit);
    zoomLabel->setBuddy(ZoomEdit);
    const QString percent = QStringLiteral("%");
    ToolBar1->addWidget(toolBarLabel(percent, ToolBar1));
    ZoomEdit->setAccessibleDescription(percent); // the unit, which the label after the field shows
    ToolBar1->addSeparator();
    ToolBar1->addAction(actnFile_Exit);

    // Enter confirms and selects the field; leaving it confirms.
    connect(PageEdit, &QLineEdit::editingFinished, this, &TRavePreviewForm::pageEditConfirmed);
    connect(PageEdit, &QLineEdit::returnPressed, this, [this] {
        pageEditConfirmed();
        PageEdit->selectAll();
    });
    connect(ZoomEdit, &QLineEdit::editingFinished, this, &TRavePreviewForm::zoomEditConfirmed);
    connect(ZoomEdit, &QLineEdit::returnPressed, this, [this] {
        zoomEditConfirmed();
        ZoomEdit->selectAll();
    });
}

void TRavePreviewForm::createPageArea() {
    pageView_ = new PageView(pages_);
    pageView_->setObjectName(QStringLiteral("PageView"));
    ScrollBox1 = new PageArea(pageView_, this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAccessibleName(QStringLiteral("Report page"));
    for (QWidget* area : {static_cast<QWidget*>(pageView_), ScrollBox1->viewport()}) {
        area->setContextMenuPolicy(Qt::ActionsContextMenu);
        area->addActions({actnZoom_In, actnZoom_Out});
    }
}

void TRavePreviewForm::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    StatusText = new QLabel(StatusBar1);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    StatusBar1->addWidget(StatusText, 1);
}

void TRavePreviewForm::layOutForm() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu);
    layout->addWidget(ToolBar1);
    layout->addWidget(ScrollBox1, 1);
    layout->addWidget(StatusBar1);
}

PreviewPrompts& TRavePreviewForm::prompts() {
    if (services_.prompts)
        return *services_.prompts;
    if (!standardPrompts_)
        standardPrompts_ = std::make_unique<StandardPreviewPrompts>();
    return *standardPrompts_;
}

PrinterSystem& TRavePreviewForm::printers() {
    if (services_.printers)
        return *services_.printers;
    if (!systemPrinters_)
        systemPrinters_ = std::make_unique<SystemPrinters>();
    return *systemPrinters_;
}

template <typename Command> void TRavePreviewForm::runReported(Command&& command) {
    try {
        std::forward<Command>(command)();
    } catch (const std::exception& error) {
        prompts().showError(this, QString::fromUtf8(error.what()));
    }
}

// ---- keys ---------------------------------------------------------------------------------------

bool TRavePreviewForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return QDialog::eventFilter(watched, event);
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this || qobject_cast<QMenuBar*>(target))
        return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride) {
        // A key the window handles must reach it as a key press, not as a control's shortcut.
        if (!isHandledKey(key))
            return false;
        event->accept();
        return true;
    }
    return handleKey(key) || handleCharacter(target, key);
}

bool TRavePreviewForm::isHandledKey(const QKeyEvent& key) {
    const bool ctrl = key.modifiers().testFlag(Qt::ControlModifier);
    switch (key.key()) {
    case Qt::Key_Escape:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        return ctrl;
    default:
        return typedCharacter(key).has_value();
    }
}

// Keys without a character: paging, scrolling and Esc.
bool TRavePreviewForm::handleKey(const QKeyEvent& key) {
    const bool ctrl = key.modifiers().testFlag(Qt::ControlModifier);
    const bool shift = key.modifiers().testFlag(Qt::ShiftModifier);
    QScrollBar& vertical = *ScrollBox1->verticalScrollBar();
    switch (key.key()) {
    case Qt::Key_Escape:
        actnFile_Exit->trigger();
        return true;
    case Qt::Key_PageUp:
        ctrl ? goPrevious() : scrollPage(-1, ScrollBox1->viewport()->height());
        return true;
    case Qt::Key_PageDown:
        ctrl ? goNext() : scrollPage(1, ScrollBox1->viewport()->height());
        return true;
    case Qt::Key_Home:
        ctrl ? goFirst() : vertical.setValue(vertical.minimum());
        return true;
    case Qt::Key_End:
        ctrl ? goLast() : vertical.setValue(vertical.maximum());
        return true;
    case Qt::Key_Up:
        scrollPage(-1, vertical.singleStep());
        return true;
    case Qt::Key_Down:
        scrollPage(1, vertical.singleStep());
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (!ctrl)
            return false;
        const int step =
            shift ? ScrollBox1->viewport()->width() : ScrollBox1->horizontalScrollBar()->singleStep();
        scrollSideways(key.key() == Qt::Key_Left ? -step : step);
        return true;
    }
    default:
        return false;
    }
}

// Letters run commands; digits, ".", Enter and Backspace reach the focused field; every other
// character is dropped. The page field refuses "."; the zoom field takes one digit after the point.
bool TRavePreviewForm::handleCharacter(QWidget* target, const QKeyEvent& key) {
    const std::optional<QChar> typed = typedCharacter(key);
    if (!typed)
        return false;
    const char16_t c = typed->unicode();
    switch (c) {
    case u'x':
        actnFile_Exit->trigger();
        return true;
    case u'+':
        zoomIn();
        return true;
    case u'-':
        zoomOut();
        return true;
    case u'B':
    case u'b':
        goFirst();
        return true;
    case u'E':
    case u'e':
        goLast();
        return true;
    case u'N':
    case u'n':
        goNext();
        return true;
    case u'P':
    case u'p':
        goPrevious();
        return true;
    case u'F':
    case u'f':
        fitPage();
        return true;
    case u'W':
    case u'w':
        fitPageWidth();
        return true;
    case u'.':
        return target == PageEdit;
    default:
        break;
    }
    if (c < u'0' || c > u'9')
        return true;
    if (target != ZoomEdit || ZoomEdit->hasSelectedText())
        return false;
    const QString text = ZoomEdit->text();
    const qsizetype point = text.indexOf(u'.');
    return point >= 0 && point + 1 < text.size();
}

// Scrolls the page area by amount pixels; at the top or the bottom of the page, turns to the page
// before (shown from its bottom) or after (shown from its top).
void TRavePreviewForm::scrollPage(int direction, int amount) {
    QScrollBar& bar = *ScrollBox1->verticalScrollBar();
    if (direction < 0) {
        if (bar.value() > bar.minimum())
            bar.setValue(bar.value() - amount);
        else if (navigator_.previous())
            updatePageDisplay(ScrollTo::Bottom);
        return;
    }
    if (bar.value() < bar.maximum())
        bar.setValue(bar.value() + amount);
    else if (navigator_.next())
        updatePageDisplay(ScrollTo::Top);
}

void TRavePreviewForm::scrollSideways(int amount) {
    QScrollBar& bar = *ScrollBox1->horizontalScrollBar();
    bar.setValue(bar.value() + amount);
}

// ---- pages and zoom -----------------------------------------------------------------------------

void TRavePreviewForm::showPage(int page) {
    if (navigator_.goToPage(page))
        updatePageDisplay();
}

void TRavePreviewForm::goFirst() {
    if (navigator_.first())
        updatePageDisplay();
}

void TRavePreviewForm::goPrevious() {
    if (navigator_.previous())
        updatePageDisplay();
}

void TRavePreviewForm::goNext() {
    if (navigator_.next())
        updatePageDisplay();
}

void TRavePreviewForm::goLast() {
    if (navigator_.last())
        updatePageDisplay();
}

// A whole number that differs from the current page is shown; anything else puts the current page
// back into the field.
void TRavePreviewForm::pageEditConfirmed() {
    bool isNumber = false;
    const int page = PageEdit->text().toInt(&isNumber);
    if (isNumber && page != navigator_.page())
        showPage(page);
    setFieldText(*PageEdit, QString::number(navigator_.page()));
}

void TRavePreviewForm::goToPage() {
    const std::optional<QString> typed =
        prompts().inputText(this, QStringLiteral("Go to Page"), QStringLiteral("Enter page to move to:"),
                            QString::number(navigator_.page()));
    if (!typed)
        return;
    bool isNumber = false;
    const int page = typed->trimmed().toInt(&isNumber);
    if (isNumber && page >= 0 && page != navigator_.page())
        showPage(page);
}

void TRavePreviewForm::setZoom(double zoom) {
    QScrollBar& horizontal = *ScrollBox1->horizontalScrollBar();
    QScrollBar& vertical = *ScrollBox1->verticalScrollBar();
    const double across = scrollFraction(horizontal);
    const double down = scrollFraction(vertical);
    if (navigator_.setZoom(zoom)) {
        updatePageDisplay(ScrollTo::Keep);
        // The same part of the page stays in view.
        setScrollFraction(horizontal, across);
        setScrollFraction(vertical, down);
    }
    updateZoomDisplay();
}

void TRavePreviewForm::zoomIn() {
    setZoom(navigator_.zoom() + settings_.systemPreview.zoomInc);
}

void TRavePreviewForm::zoomOut() {
    if (navigator_.zoom() > PageNavigator::MinZoom)
        setZoom(navigator_.zoom() - settings_.systemPreview.zoomInc);
}

void TRavePreviewForm::fitPageWidth() {
    if (navigator_.page() == 0)
        return;
    const Page& page = pages_->page(static_cast<std::size_t>(navigator_.page() - 1));
    const QSize area = ScrollBox1->maximumViewportSize();
    const int scrollBar =
        style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ScrollBox1->verticalScrollBar());
    setZoom(PageNavigator::fitPageWidthZoom(page.width, page.height, area.width(), area.height(), scrollBar,
                                            ScreenPixelsPerInch));
}

void TRavePreviewForm::fitPage() {
    if (navigator_.page() == 0)
        return;
    const Page& page = pages_->page(static_cast<std::size_t>(navigator_.page() - 1));
    const QSize area = ScrollBox1->maximumViewportSize();
    setZoom(PageNavigator::fitPageZoom(page.width, page.height, area.width(), area.height(),
                                       ScreenPixelsPerInch));
}

// A number that differs from the current zoom is set (within the limits); anything else puts the
// current zoom back into the field.
void TRavePreviewForm::zoomEditConfirmed() {
    bool isNumber = false;
    const double zoom = QLocale::c().toDouble(ZoomEdit->text(), &isNumber);
    if (isNumber && zoom != navigator_.zoom())
        setZoom(zoom);
    updateZoomDisplay();
}

void TRavePreviewForm::updatePageDisplay(ScrollTo scroll) {
    const int page = navigator_.page();
    const int count = navigator_.pageCount();
    if (page > 0)
        pageView_->showPage(static_cast<std::size_t>(page - 1), navigator_.zoom());
    QScrollBar& vertical = *ScrollBox1->verticalScrollBar();
    if (scroll == ScrollTo::Top)
        vertical.setValue(vertical.minimum());
    else if (scroll == ScrollTo::Bottom)
        vertical.setValue(vertical.maximum());
    setFieldText(*PageEdit, QString::number(page));
    const QString ofCount = QStringLiteral("of %1").arg(count);
    PageCountLabel->setText(ofCount);
    if (PageEdit->accessibleDescription() != ofCount)
        PageEdit->setAccessibleDescription(ofCount); // the field reads "Page, 3, of 186"
    const QString pageOfCount = QStringLiteral("Page %1 of %2").arg(page).arg(count);
    StatusText->setText(pageOfCount);
    actnPage_First->setEnabled(navigator_.canGoFirst());
    actnPage_Previous->setEnabled(navigator_.canGoPrevious());
    actnPage_Next->setEnabled(navigator_.canGoNext());
    actnPage_Last->setEnabled(navigator_.canGoLast());

    // A screen reader learns of a new page however it came, also while the focus is in a field;
    // not of the first, which it reads with the window.
    const PageStore* shownPages = pages_.get();
    if (page == shownPage_ && shownPages == shownPages_)
        return;
    const bool opening = shownPages_ == nullptr;
    shownPage_ = page;
    shownPages_ = shownPages;
    if (opening)
        return;
    reportPageAreaTextChanged(*ScrollBox1);
    // Last, so that what the reader says of the new text does not cut it short.
    announceToAssistiveTechnology(*this, pageOfCount);
}

void TRavePreviewForm::updateZoomDisplay() {
    setFieldText(*ZoomEdit, QString::number(navigator_.zoom(), 'f', 1));
}

// ---- files and printing -------------------------------------------------------------------------

void TRavePreviewForm::setPages(std::shared_ptr<const PageStore> pages) {
    pages_ = std::move(pages);
    navigator_ = PageNavigator(static_cast<int>(pages_->pageCount()), navigator_.zoom(),
                               settings_.systemPreview.zoomInc);
    pageView_->setPages(pages_);
    updatePageDisplay();
}

void TRavePreviewForm::openFile() {
    const QString fileName = prompts().openFileName(
        this, QStringLiteral("Open File"), toNameFilters(openFileFilter()), pageFileFormat().extension);
    if (fileName.isEmpty())
        return;
    runReported([&] {
        std::shared_ptr<const PageStore> pages;
        {
            BusyCursor busy;
            pages = std::make_shared<const PageStore>(openPageFile(fileName));
        }
        setPages(std::move(pages));
        setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" - [ ") +
                       QFileInfo(fileName).fileName() + QStringLiteral(" ]"));
    });
}

// The type follows the file name's extension when it is one of the offered types, else the type
// chosen in the dialog.
void TRavePreviewForm::saveFile() {
    const std::vector<const FileFormat*> formats = saveFormats();
    QString filter;
    for (const FileFormat* format : formats)
        filter += (filter.isEmpty() ? QString() : QStringLiteral("|")) + format->filter;
    const std::optional<SaveChoice> choice =
        prompts().saveFileName(this, QStringLiteral("Save File"), toNameFilters(filter));
    if (!choice || choice->fileName.isEmpty())
        return;
    const QString suffix = QFileInfo(choice->fileName).suffix();
    const FileFormat* format = formats[static_cast<std::size_t>(
        std::clamp(choice->filterIndex, 0, static_cast<int>(formats.size()) - 1))];
    for (const FileFormat* offered : formats) {
        if (suffix.compare(offered->extension, Qt::CaseInsensitive) == 0)
            format = offered;
    }
    runReported([&] {
        BusyCursor busy;
        format->write(*pages_, choice->fileName);
    });
}

void TRavePreviewForm::printPages() {
    runReported([&] {
        std::unique_ptr<QPrinter> printer = printers().currentPrinter();
        PrintRange range;
        PrinterSettings& printing = settings_.systemPrinter;
        if (settings_.systemSetups.testFlag(SystemSetup::AllowPreviewSetup)) {
            TRPSetupForm setup(settings_, navigator_.pageCount(), printer.get(), printers(), this);
            if (setup.exec() != QDialog::Accepted)
                return;
            range = setup.printRange();
            printing.copies = setup.copies().value_or(printing.copies);
            printing.collate = setup.collate();
            printing.duplex = setup.duplex();
        }
        if (!printer)
            throw ReportError("Cannot print: no printer is installed");
        const std::optional<std::vector<int>> pages = pagesInRange(range, navigator_.pageCount());
        if (!pages)
            throw ReportError("Cannot print: the page selection \"" + range.selection + "\" cannot be read");
        if (pages->empty())
            throw ReportError("Cannot print: the range holds no page of this report");
        BusyCursor busy;
        report::printPages(*printer, *pages_, *pages, {printing.copies, printing.collate, printing.duplex});
    });
}

} // namespace kodexa::report
