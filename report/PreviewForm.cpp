#include "PreviewForm.h"

#include "PagePainter.h"

#include <QAction>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <climits>
#include <cmath>

namespace kodexa::report {

namespace {
constexpr double ScreenPixelsPerInch = 96; // at 100 %
constexpr int ToolBarHeight = 25;
constexpr int PageEditWidth = 49;
constexpr int LabelPadding = 4;
} // namespace

// ---- PageView -----------------------------------------------------------------------------------

PageView::PageView(std::shared_ptr<const PageStore> pages, QWidget* parent)
    : QWidget(parent), pages_(std::move(pages)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double PageView::pixelsPerInch() const {
    return ScreenPixelsPerInch * zoom_ / 100;
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

void PageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    paintPage(painter, *pages_, index_, pixelsPerInch());
}

// ---- TRavePreviewForm ---------------------------------------------------------------------------

TRavePreviewForm::TRavePreviewForm(std::shared_ptr<const PageStore> pages, const SystemSettings& settings,
                                   QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      pages_(std::move(pages)), settings_(settings),
      navigator_(static_cast<int>(pages_->pageCount()), settings.systemPreview.zoomFactor,
                 settings.systemPreview.zoomInc) {
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

    resize(settings_.systemPreview.formWidth, settings_.systemPreview.formHeight);
    centreOnScreen();
    if (settings_.systemPreview.formState == FormState::Maximized)
        setWindowState(Qt::WindowMaximized);
    updatePageDisplay();
}

void TRavePreviewForm::createActions() {
    auto makeAction = [this](const char* objectName, const QString& text, const QString& hint,
                             QStyle::StandardPixmap icon, const QKeySequence& shortcut) {
        auto* action = new QAction(style()->standardIcon(icon), text, this);
        action->setObjectName(QString::fromLatin1(objectName));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        action->setShortcut(shortcut);
        return action;
    };
    actnFile_Exit = makeAction("actnFile_Exit", QStringLiteral("E&xit"), QStringLiteral("Exit viewer"),
                               QStyle::SP_DialogCloseButton, QKeySequence());
    actnPage_First =
        makeAction("actnPage_First", QStringLiteral("&First"), QStringLiteral("Move to first page"),
                   QStyle::SP_MediaSkipBackward, QKeySequence(Qt::CTRL | Qt::Key_Home));
    actnPage_Previous =
        makeAction("actnPage_Previous", QStringLiteral("&Previous"), QStringLiteral("Move to previous page"),
                   QStyle::SP_MediaSeekBackward, QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    actnPage_Next = makeAction("actnPage_Next", QStringLiteral("&Next"), QStringLiteral("Move to next page"),
                               QStyle::SP_MediaSeekForward, QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    actnPage_Last = makeAction("actnPage_Last", QStringLiteral("&Last"), QStringLiteral("Move to last page"),
                               QStyle::SP_MediaSkipForward, QKeySequence(Qt::CTRL | Qt::Key_End));

    connect(actnFile_Exit, &QAction::triggered, this, &QDialog::close);
    connect(actnPage_First, &QAction::triggered, this, &TRavePreviewForm::goFirst);
    connect(actnPage_Previous, &QAction::triggered, this, &TRavePreviewForm::goPrevious);
    connect(actnPage_Next, &QAction::triggered, this, &TRavePreviewForm::goNext);
    connect(actnPage_Last, &QAction::triggered, this, &TRavePreviewForm::goLast);
}

void TRavePreviewForm::createMenus() {
    MainMenu = new QMenuBar(this);
    QMenu* fileMenu = MainMenu->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    fileMenu->addAction(actnFile_Exit);
    QMenu* pageMenu = MainMenu->addMenu(QStringLiteral("&Page"));
    pageMenu->setObjectName(QStringLiteral("PageMenu"));
    pageMenu->addActions({actnPage_First, actnPage_Previous, actnPage_Next, actnPage_Last});
}

void TRavePreviewForm::createToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(ToolBarHeight);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->addActions({actnPage_First, actnPage_Previous, actnPage_Next, actnPage_Last});

    auto* pageLabel = new QLabel(QStringLiteral("Page"), ToolBar1);
    pageLabel->setContentsMargins(LabelPadding, 0, LabelPadding, 0);
    ToolBar1->addWidget(pageLabel);
    PageEdit = new QLineEdit(ToolBar1);
    PageEdit->setObjectName(QStringLiteral("PageEdit"));
    PageEdit->setFixedWidth(PageEditWidth);
    PageEdit->setValidator(new QIntValidator(0, INT_MAX, PageEdit));
    ToolBar1->addWidget(PageEdit);
    PageCountLabel = new QLabel(ToolBar1);
    PageCountLabel->setObjectName(QStringLiteral("PageCountLabel"));
    PageCountLabel->setContentsMargins(LabelPadding, 0, LabelPadding, 0);
    ToolBar1->addWidget(PageCountLabel);
    ToolBar1->addSeparator();
    ToolBar1->addAction(actnFile_Exit);

    connect(PageEdit, &QLineEdit::editingFinished, this, &TRavePreviewForm::pageEditConfirmed);
    connect(PageEdit, &QLineEdit::returnPressed, PageEdit, &QLineEdit::selectAll);
}

void TRavePreviewForm::createPageArea() {
    pageView_ = new PageView(pages_);
    pageView_->setObjectName(QStringLiteral("PageView"));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    ScrollBox1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ScrollBox1->setWidget(pageView_);
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

void TRavePreviewForm::centreOnScreen() {
    const QScreen* target = screen();
    if (!target)
        return;
    const QRect available = target->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
}

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
    PageEdit->setText(QString::number(navigator_.page()));
}

void TRavePreviewForm::updatePageDisplay() {
    const int page = navigator_.page();
    const int count = navigator_.pageCount();
    if (page > 0)
        pageView_->showPage(static_cast<std::size_t>(page - 1), navigator_.zoom());
    ScrollBox1->ensureVisible(0, 0);
    PageEdit->setText(QString::number(page));
    PageCountLabel->setText(QStringLiteral("of %1").arg(count));
    StatusText->setText(QStringLiteral("Page %1 of %2").arg(page).arg(count));
    actnPage_First->setEnabled(navigator_.canGoFirst());
    actnPage_Previous->setEnabled(navigator_.canGoPrevious());
    actnPage_Next->setEnabled(navigator_.canGoNext());
    actnPage_Last->setEnabled(navigator_.canGoLast());
}

} // namespace kodexa::report
