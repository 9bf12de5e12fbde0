#include "AccessibilityOn.h"
#include "AccessibleAnnouncement.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

using namespace kodexa;
using kodexa::testing::AccessibleEventLog;

class AnnouncementTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::switchAccessibilityOn(); }
    void announcementIsANotificationOfTheWindowThatShowsNothing();
};

void AnnouncementTest::announcementIsANotificationOfTheWindowThatShowsNothing() {
    QWidget window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage before = window.grab().toImage();

    AccessibleEventLog log;
    announceToAssistiveTechnology(window, QStringLiteral("34 Codes gefunden"));
    announceToAssistiveTechnology(window, QStringLiteral("Keine Codes gefunden"));
    announceToAssistiveTechnology(window, QStringLiteral("Keine Codes gefunden"));

    // Each message is shown in order, a repeated one again: the reader speaks every search.
    QCOMPARE(log.announcements(), (std::vector<QString>{QStringLiteral("34 Codes gefunden"),
                                                        QStringLiteral("Keine Codes gefunden"),
                                                        QStringLiteral("Keine Codes gefunden")}));
    for (const AccessibleEventLog::Entry& entry : log.entries()) {
        QCOMPARE(entry.role, QAccessible::Notification);
        // Under the application, so that a reader does not speak the window around each message.
        QCOMPARE(entry.parentObject, qApp);
    }
    QCOMPARE(lastAnnouncement(window), QStringLiteral("Keine Codes gefunden"));
    // One holder per window, and nothing visible changes.
    QCOMPARE(window.findChildren<QObject*>(QStringLiteral("kodexa-announcement")).size(), 1);
    QCOMPARE(window.grab().toImage(), before);
}

QTEST_MAIN(AnnouncementTest)
#include "AnnouncementTest.moc"
