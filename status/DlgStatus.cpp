#include "DlgStatus.h"

#include "ClassicFonts.h"
#include "ImmediatePaint.h"
#include "TitleBar.h"
#include "WindowPlacement.h"

#include <QLabel>

#include <algorithm>
#include <stdexcept>

namespace kodexa {

QPointer<TDlgStatus> DlgStatus;

namespace {

constexpr int kClientWidth = 365;
constexpr int kClientHeight = 51;
constexpr QPoint kLabelPos{8, 16};
constexpr QRgb kTeal = qRgb(0, 128, 128);

// Sizes a label to its text in its font: one line, as wide as the text.
void fitToText(QLabel& label) {
    const QFontMetrics metrics = label.fontMetrics();
    label.resize(metrics.horizontalAdvance(label.text()), metrics.height());
}

// Gives the window the outer width, frame included, that leaves the label's left offset free on
// both sides of the text. The frame counts as far as the window system has reported it. Returns
// whether the width changed.
bool fitOuterWidth(TDlgStatus& dlg) {
    const int frameWidth = dlg.frameGeometry().width() - dlg.width();
    const int outerWidth = dlg.Label1->width() + 2 * dlg.Label1->x();
    const int clientWidth = std::max(1, outerWidth - frameWidth);
    if (clientWidth == dlg.width())
        return false;
    dlg.setFixedSize(clientWidth, kClientHeight);
    return true;
}

} // namespace

TDlgStatus::TDlgStatus(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint | Qt::WindowDoesNotAcceptFocus) {
    // The window only tells; it never takes the keyboard. A window that is activated while it is
    // shown and hidden again within one blocked handler leaves some window managers (openbox)
    // with the keyboard handed to neither window, and the keys typed next go nowhere; a screen
    // reader would also announce the main window anew after every search. So the main window
    // keeps the activation and the keyboard throughout, and keys typed meanwhile reach it once
    // the operation has ended.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Status"));
    setFont(classicFont(QStringLiteral("MS Sans Serif"), 11));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFixedSize(kClientWidth, kClientHeight);
    keepTitleBarWithoutButtons(*this);
    createLabel();
}

void TDlgStatus::createLabel() {
    Label1 = new QLabel(QStringLiteral("Sortiere Datensätze nach ..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(classicFont(QStringLiteral("MS Sans Serif"), 16));
    // The label would take its text colour from the window's button-face role; it has its own.
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, QColor(kTeal));
    Label1->setPalette(palette);
    Label1->setForegroundRole(QPalette::WindowText);
    Label1->setTextFormat(Qt::PlainText);
    Label1->move(kLabelPos);
    fitToText(*Label1);
}

void ShowStatus(TDlgStatus* dlg, const QString& text) {
    if (!dlg)
        throw std::invalid_argument("ShowStatus: kein Statusfenster");
    dlg->Label1->setText(text);
    fitToText(*dlg->Label1);
    fitOuterWidth(*dlg);

    if (dlg->isVisible())
        dlg->hide();
    const bool firstShowing = !dlg->placed_;
    if (firstShowing)
        centreOnScreen(*dlg);
    dlg->placed_ = true;
    ImmediatePaint immediatePaint(*dlg);
    dlg->show();
    immediatePaint.paint();

    // The window system reports a window's frame only once it shows the window, so the first
    // showing was fitted and centred without it; correct both now.
    const bool widthChanged = fitOuterWidth(*dlg);
    if (firstShowing)
        centreOnScreen(*dlg);
    if (widthChanged)
        dlg->repaint();
}

} // namespace kodexa
