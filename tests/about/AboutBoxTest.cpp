#include "DlgAbout.h"
#include "JpegDecoder.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

using namespace kodexa;

namespace {

// A clock that only moves when slept on, by the time asked for plus an overshoot.
class FakeClock final : public SystemClock {
public:
    FakeClock(std::uint32_t start, std::uint32_t overshoot) : now_(start), overshoot_(overshoot) {}

    std::uint32_t tickCount() override { return now_; }
    void sleep(std::uint32_t milliseconds) override {
        ++sleeps;
        if (onSleep)
            onSleep();
        now_ += milliseconds + overshoot_; // wraps like the real counter
    }

    int sleeps = 0;
    std::function<void()> onSleep;

private:
    std::uint32_t now_;
    std::uint32_t overshoot_;
};

bool hasAboutBox() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<TDlgAbout*>(window))
            return true;
    }
    return false;
}

int countSilverPixelsOnScreen(QWidget& window, QRect area) {
    const QImage image = window.screen()->grabWindow(window.winId()).toImage();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) == QColor(192, 192, 192) ? 1 : 0;
    return count;
}

// The box as it should come out on the screen, in device pixels: the decoded picture, pixel for
// pixel, with the labels' texts drawn onto it at their pixel sizes.
QImage expectedBox(const TDlgAbout& box) {
    const QByteArray artwork = carriedArtwork();
    QImage picture = decodeJpeg(std::as_bytes(std::span(artwork.constData(), std::size_t(artwork.size()))))
                         .convertToFormat(QImage::Format_RGB32);
    QPainter painter(&picture);
    const int tops[] = {32, 48, 64, 80, 104, 120, 144, 160};
    const TPictureLabel* labels[] = {box.Label1, box.Label2, box.Label3, box.Label4,
                                     box.Label5, box.Label6, box.Label7, box.Label8};
    for (int i = 0; i < 8; ++i) {
        painter.setFont(labels[i]->font());
        painter.setPen(QColor(192, 192, 192));
        painter.drawText(QRect(40, tops[i], 798, 16), Qt::AlignLeft | Qt::AlignVCenter, labels[i]->text());
    }
    return picture;
}

const std::vector<std::byte> kNotAPicture{std::byte{0xFF}, std::byte{0xD8}, std::byte{0xFF}, std::byte{0x00}};

} // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void modalBoxClosesWithOk_data();
    void modalBoxClosesWithOk();
    void boxIsThePictureWithOneFocusableButton();
    void titleBarHasNoButtons();
    void boxKeepsItsDevicePixelsAtAnyScale();
    void splashWaitsFiveSecondsOnTheClock_data();
    void splashWaitsFiveSecondsOnTheClock();
    void splashShowsPictureWithoutButton();
    void splashCannotBeClosedByTheUser();
    void splashWithBrokenPictureIsDropped();
};

void AboutBoxTest::modalBoxClosesWithOk_data() {
    QTest::addColumn<int>("key"); // 0: a click on OK
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("click") << 0;
}

void AboutBoxTest::modalBoxClosesWithOk() {
    QFETCH(int, key);
    // Each opening shows a fresh box, destroyed when it closes.
    for (int opening = 0; opening < 2; ++opening) {
        QPointer<TDlgAbout> shown;
        bool buttonWasVisible = false;
        QTimer::singleShot(0, this, [&] {
            shown = DlgAbout;
            QVERIFY(shown && shown->isModal() && shown->isVisible());
            buttonWasVisible = shown->BitBtn1->isVisible();
            if (key == 0)
                QTest::mouseClick(shown->BitBtn1, Qt::LeftButton);
            else
                QTest::keyClick(shown->BitBtn1, Qt::Key(key));
        });
        // Ends a box that the key left open, so that a failure cannot hang the test.
        QTimer::singleShot(2000, this, [&] {
            if (shown)
                shown->done(-1);
        });

        QCOMPARE(ShowAboutModal(nullptr), int(QDialog::Accepted));
        QVERIFY(buttonWasVisible);
        QVERIFY(shown.isNull());
        QVERIFY(DlgAbout.isNull());
    }
}

void AboutBoxTest::boxIsThePictureWithOneFocusableButton() {
    TDlgAbout box(nullptr);
    QCOMPARE(box.size(), QSize(798, 475));
    QCOMPARE(box.Image1->geometry(), QRect(0, 0, 798, 475));
    QCOMPARE(box.BitBtn1->geometry(), QRect(358, 434, 75, 25));
    QCOMPARE(box.BitBtn1->text(), QStringLiteral("OK"));
    QVERIFY(box.BitBtn1->isDefault());
    QVERIFY(!box.BitBtn1->icon().isNull());
    for (QWidget* child : box.findChildren<QWidget*>()) {
        if (child != box.BitBtn1)
            QCOMPARE(child->focusPolicy(), Qt::NoFocus);
    }

    const QList<QLabel*> labels{box.Label1, box.Label2, box.Label3, box.Label4,
                                box.Label5, box.Label6, box.Label7, box.Label8};
    const int tops[] = {32, 48, 64, 80, 104, 120, 144, 160};
    for (int i = 0; i < labels.size(); ++i) {
        QCOMPARE(labels[i]->pos(), QPoint(40, tops[i]));
        QVERIFY(!labels[i]->text().isEmpty());
        QVERIFY(labels[i]->geometry().right() < box.width());
    }
}

void AboutBoxTest::titleBarHasNoButtons() {
    TDlgAbout box(nullptr);
    const Qt::WindowFlags flags = box.windowFlags();
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                       Qt::WindowMaximizeButtonHint)));
    QCOMPARE(box.windowTitle(), QStringLiteral("Über"));
    QCOMPARE(box.minimumSize(), box.maximumSize());
}

void AboutBoxTest::boxKeepsItsDevicePixelsAtAnyScale() {
    TDlgAbout box(nullptr);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const qreal scale = box.devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QCOMPARE(scale, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());

    box.BitBtn1->hide();
    QImage shot = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.setDevicePixelRatio(1); // compared in device pixels
    // 798 × 475 device pixels. A fractional scale may give no whole number of logical pixels for
    // that; then the box is one device pixel larger, never smaller, and the extra is button face.
    if (scale == 1.0)
        QCOMPARE(shot.size(), QSize(798, 475));
    QVERIFY2(shot.width() >= 798 && shot.width() <= 799 && shot.height() >= 475 && shot.height() <= 476,
             qPrintable(QStringLiteral("%1 x %2").arg(shot.width()).arg(shot.height())));
    const QColor face = box.palette().color(QPalette::Button);
    for (int x = 798; x < shot.width(); ++x)
        QCOMPARE(shot.pixelColor(x, 0), face);
    for (int y = 475; y < shot.height(); ++y)
        QCOMPARE(shot.pixelColor(0, y), face);

    // The picture pixel for pixel, the labels at their pixel sizes: exactly what a plain image
    // with the same drawing shows (without the button, as the splash shows it).
    for (const TPictureLabel* label : {box.Label1, box.Label8})
        QCOMPARE(label->font().pixelSize(), 13); // a character height of 13 pixels: 10 point at 96 dpi
    QCOMPARE(shot.copy(0, 0, 798, 475), expectedBox(box));

    // The OK button keeps its place on the picture (to within the rounding to logical pixels).
    const QRect button(box.BitBtn1->geometry().topLeft() * scale, box.BitBtn1->size() * scale);
    QVERIFY2((button.topLeft() - QPoint(358, 434)).manhattanLength() <= 2 && qAbs(button.width() - 75) <= 1 &&
                 qAbs(button.height() - 25) <= 1,
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(button.x())
                            .arg(button.y())
                            .arg(button.width())
                            .arg(button.height())));
}

void AboutBoxTest::splashWaitsFiveSecondsOnTheClock_data() {
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("overshoot");
    QTest::addColumn<int>("sleeps");
    QTest::newRow("exact sleeps") << quint32(1000) << quint32(0) << 50;
    QTest::newRow("counter wraps during the wait") << quint32(0xFFFFFFFFu - 2000) << quint32(0) << 50;
    QTest::newRow("counter at its top") << quint32(0xFFFFFFFFu) << quint32(0) << 50;
    QTest::newRow("coarse sleeps") << quint32(0) << quint32(15) << 44; // 44 × 115 = 5060
}

void AboutBoxTest::splashWaitsFiveSecondsOnTheClock() {
    QFETCH(quint32, start);
    QFETCH(quint32, overshoot);
    QFETCH(int, sleeps);
    FakeClock clock(start, overshoot);
    RunStartupSplash(nullptr, clock);
    QCOMPARE(clock.sleeps, sleeps);
    QCOMPARE(clock.tickCount() - start >= 5000u, true);
    QVERIFY(DlgAbout.isNull());
    QVERIFY(!hasAboutBox());
}

void AboutBoxTest::splashShowsPictureWithoutButton() {
    FakeClock clock(0, 0);
    bool checked = false;
    clock.onSleep = [&] {
        if (checked)
            return;
        checked = true;
        QVERIFY(DlgAbout && DlgAbout->isVisible());
        QVERIFY(!DlgAbout->isModal());
        QVERIFY(!DlgAbout->BitBtn1->isVisible());
        // Painted before the wait: the labels are on the screen, silver over the picture.
        QVERIFY(countSilverPixelsOnScreen(*DlgAbout, QRect(40, 32, 200, 144)) > 100);
    };
    RunStartupSplash(nullptr, clock);
    QVERIFY(checked);
}

void AboutBoxTest::splashCannotBeClosedByTheUser() {
    FakeClock clock(0, 0);
    int visibleSleeps = 0;
    clock.onSleep = [&] {
        if (clock.sleeps == 1) {
            QTest::keyClick(DlgAbout, Qt::Key_Escape);
            QTest::keyClick(DlgAbout, Qt::Key_Return);
            DlgAbout->close();
        }
        visibleSleeps += DlgAbout && DlgAbout->isVisible() ? 1 : 0;
    };
    RunStartupSplash(nullptr, clock);
    QCOMPARE(visibleSleeps, 50);
}

void AboutBoxTest::splashWithBrokenPictureIsDropped() {
    FakeClock clock(0, 0);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, RunStartupSplash(nullptr, clock, kNotAPicture));
    QVERIFY(DlgAbout.isNull());
    QVERIFY(!hasAboutBox());

    QWidget owner;
    RunStartupSplashQuietly(&owner, clock, kNotAPicture);
    QCOMPARE(clock.sleeps, 0);
    QVERIFY(DlgAbout.isNull());
    QVERIFY(owner.findChildren<TDlgAbout*>().isEmpty());
}

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
