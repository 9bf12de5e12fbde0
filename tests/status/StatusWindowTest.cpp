#include "DlgStatus.h"
#include "WindowPlacement.h"
#include "ClassicFonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <memory>
#include <stdexcept>

using namespace kodexa;

namespace {

const QString kSearchText = QStringLiteral("Suche passende CPV-Codes ...");
const QString kSortText = QStringLiteral("Datensätze werden sortiert ...");

int textWidth(const TDlgStatus& dlg, const QString& text) {
    return dlg.Label1->fontMetrics().horizontalAdvance(text);
}

// The window as it is on the screen now.
QImage onScreen(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels of the window, as it is on the screen now, have the colour.
int countPixelsOnScreen(QWidget& window, QColor colour) {
    const QImage image = onScreen(window);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

} // namespace

class StatusWindowTest : public QObject {
    Q_OBJECT

private slots:
    void firstShowingFitsTextAndCentres();
    void laterShowingKeepsTopLeftAndFitsNewText();
    void showingWhileVisibleFitsNewText();
    void onlyTheProgramHidesIt();
    void theOwnerKeepsTheActivation();
    void textIsOnScreenAtOnce();
    void refusesMissingWindow();
    void centringKeepsTitleBarOnDesktop();
    void classicFontKeepsPixelHeight();
};

void StatusWindowTest::firstShowingFitsTextAndCentres() {
    TDlgStatus dlg;
    ShowStatus(&dlg, kSearchText);

    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.Label1->text(), kSearchText);
    QCOMPARE(dlg.frameGeometry().width(), textWidth(dlg, kSearchText) + 16);
    QCOMPARE(dlg.height(), 51);
    QCOMPARE(dlg.frameGeometry().topLeft(), screenCentredTopLeft(dlg.frameGeometry().size()));
}

void StatusWindowTest::laterShowingKeepsTopLeftAndFitsNewText() {
    TDlgStatus dlg;
    ShowStatus(&dlg, kSearchText);
    const QPoint firstTopLeft = dlg.frameGeometry().topLeft();
    dlg.hide();
    QVERIFY(!dlg.isVisible());

    ShowStatus(&dlg, kSortText);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.frameGeometry().topLeft(), firstTopLeft);
    QCOMPARE(dlg.frameGeometry().width(), textWidth(dlg, kSortText) + 16);
    QVERIFY(textWidth(dlg, kSortText) != textWidth(dlg, kSearchText));
}

void StatusWindowTest::showingWhileVisibleFitsNewText() {
    TDlgStatus dlg;
    ShowStatus(&dlg, kSortText);
    ShowStatus(&dlg, kSearchText);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.frameGeometry().width(), textWidth(dlg, kSearchText) + 16);
}

void StatusWindowTest::onlyTheProgramHidesIt() {
    TDlgStatus dlg;
    const Qt::WindowFlags flags = dlg.windowFlags();
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowTitleHint);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Status"));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());

    ShowStatus(&dlg, kSearchText);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isVisible());
    dlg.close();
    QVERIFY(dlg.isVisible());
    dlg.hide();
    QVERIFY(!dlg.isVisible());
}

// The window only tells: the window that had the keyboard keeps the activation while it shows
// and after it is hidden. (The offscreen platform activates every window it shows; the keys that
// follow a search on a real X server are tested under window managers in the main window's tests.)
void StatusWindowTest::theOwnerKeepsTheActivation() {
    QWidget owner;
    owner.resize(300, 200);
    owner.show();
    owner.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&owner));
    auto* dlg = new TDlgStatus(&owner);

    ShowStatus(dlg, kSearchText);
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(dlg->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    dlg->hide();
    QVERIFY(QTest::qWaitForWindowActive(&owner));
}

void StatusWindowTest::textIsOnScreenAtOnce() {
    // No event is processed between showing and looking, as in a search that blocks the thread.
    TDlgStatus dlg;
    ShowStatus(&dlg, kSearchText);
    QVERIFY(countPixelsOnScreen(dlg, QColor(0, 128, 128)) > 50);

    // Hidden and shown again within one handler: the window system hides and re-exposes it.
    dlg.hide();
    ShowStatus(&dlg, kSortText);
    QCOMPARE(onScreen(dlg), dlg.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

void StatusWindowTest::refusesMissingWindow() {
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ShowStatus(nullptr, kSearchText));
}

void StatusWindowTest::centringKeepsTitleBarOnDesktop() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    const QPoint small = screenCentredTopLeft(QSize(100, 50));
    QCOMPARE(small,
             QPoint(screen.left() + (screen.width() - 100) / 2, screen.top() + (screen.height() - 50) / 2));

    const QPoint huge = screenCentredTopLeft(screen.size() + QSize(400, 400));
    QCOMPARE(huge, desktop.topLeft());
}

void StatusWindowTest::classicFontKeepsPixelHeight() {
    // MS Sans Serif comes as an 11 px bitmap only; other heights and bold fall back, keeping the
    // height that was asked for.
    for (const int height : {16, 13}) {
        const QFont font = classicFont(QStringLiteral("MS Sans Serif"), height, QFont::Bold);
        QCOMPARE(QFontInfo(font).pixelSize(), height);
        QVERIFY(QFontInfo(font).bold());
    }
    const QFont missing = classicFont(QStringLiteral("No Such Family Kodexa"), 13);
    QCOMPARE(QFontInfo(missing).pixelSize(), 13);

    if (!QFontDatabase::families().contains(QStringLiteral("MS Sans Serif")))
        QSKIP("fonts-wine is not installed");
    const QFont classic = classicFont(QStringLiteral("MS Sans Serif"), 11);
    QCOMPARE(QFontInfo(classic).family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(QFontMetrics(classic).ascent() + QFontMetrics(classic).descent(), 13);
}

QTEST_MAIN(StatusWindowTest)
#include "StatusWindowTest.moc"
