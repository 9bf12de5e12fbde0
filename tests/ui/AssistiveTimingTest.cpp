// When assistive technology hears what the window helpers tell it: an announcement once its
// window is active again, a view's current item right after the view's own focus report.
#include "AccessibilityOn.h"
#include "AccessibleAnnouncement.h"
#include "AccessibleFocus.h"
#include "AnnouncementWhenActive.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace kodexa;
using kodexa::testing::AccessibleEventLog;

namespace {

void makeActive(QWidget& window) {
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// The roles of the objects reported as focused, in order.
std::vector<QAccessible::Role> focusedRoles(const AccessibleEventLog& log) {
    std::vector<QAccessible::Role> roles;
    for (const AccessibleEventLog::Entry& entry : log.entries())
        if (entry.type == QAccessible::Focus)
            roles.push_back(entry.role);
    return roles;
}

} // namespace

class AssistiveTimingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::switchAccessibilityOn(); }
    void anActiveWindowAnnouncesAtTheNextTurnOfTheEventLoop();
    void anInactiveWindowAnnouncesItsNewestMessageOnceActivated();
    void aViewReportsItsCurrentItemAfterItsOwnFocus();
    void aViewWithoutCurrentItemOrFocusReportsNoItem();
};

void AssistiveTimingTest::anActiveWindowAnnouncesAtTheNextTurnOfTheEventLoop() {
    QWidget window;
    window.resize(200, 100);
    window.show();
    makeActive(window);
    AccessibleEventLog log;
    announceWhenActive(window, QStringLiteral("34 Codes gefunden"));
    QCOMPARE(log.announcements(), std::vector<QString>{}); // the focus reports of this turn come first
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements(), std::vector<QString>{QStringLiteral("34 Codes gefunden")});
    QCOMPARE(lastAnnouncement(window), QStringLiteral("34 Codes gefunden"));
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements().size(), 1U);
}

void AssistiveTimingTest::anInactiveWindowAnnouncesItsNewestMessageOnceActivated() {
    QWidget window;
    QWidget other;
    for (QWidget* each : {&window, &other}) {
        each->resize(200, 100);
        each->show();
    }
    makeActive(other);
    AccessibleEventLog log;
    announceWhenActive(window, QStringLiteral("34 Codes gefunden"));
    announceWhenActive(window, QStringLiteral("Sortiert nach Code"));
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements(), std::vector<QString>{});

    makeActive(window);
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements(), std::vector<QString>{QStringLiteral("Sortiert nach Code")});
    // Told once: a later activation says nothing more.
    makeActive(other);
    makeActive(window);
    QCoreApplication::processEvents();
    QCOMPARE(log.announcements().size(), 1U);
    // The other window's announcements are its own.
    QCOMPARE(lastAnnouncement(other), QString());
}

void AssistiveTimingTest::aViewReportsItsCurrentItemAfterItsOwnFocus() {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* table = new QTableWidget(3, 2, &window);
    table->setItem(1, 0, new QTableWidgetItem(QStringLiteral("03100000")));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(table);
    reportCurrentItemOnFocus(*table);
    window.show();
    makeActive(window);
    table->setCurrentCell(1, 0);
    edit->setFocus();

    AccessibleEventLog log;
    table->setFocus(Qt::TabFocusReason);
    QCOMPARE(focusedRoles(log), std::vector<QAccessible::Role>{QAccessible::Table});
    QCoreApplication::processEvents();
    QCOMPARE(focusedRoles(log), (std::vector<QAccessible::Role>{QAccessible::Table, QAccessible::Cell}));
    QCOMPARE(log.entries().back().name, QStringLiteral("03100000"));
}

void AssistiveTimingTest::aViewWithoutCurrentItemOrFocusReportsNoItem() {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* table = new QTableWidget(0, 2, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(table);
    reportCurrentItemOnFocus(*table);
    window.show();
    makeActive(window);
    edit->setFocus();

    AccessibleEventLog log;
    table->setFocus(Qt::TabFocusReason); // an empty table has no current item
    QCoreApplication::processEvents();
    QCOMPARE(focusedRoles(log), std::vector<QAccessible::Role>{QAccessible::Table});

    // The focus gone again before the event loop turns: nothing is reported for the table.
    table->setRowCount(2);
    table->setCurrentCell(0, 0);
    edit->setFocus();
    log.clear();
    table->setFocus(Qt::TabFocusReason);
    edit->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(focusedRoles(log),
             (std::vector<QAccessible::Role>{QAccessible::Table, QAccessible::EditableText}));
}

QTEST_MAIN(AssistiveTimingTest)
#include "AssistiveTimingTest.moc"
