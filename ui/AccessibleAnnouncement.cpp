#include "AccessibleAnnouncement.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QCoreApplication>
#include <QObject>
#include <QWidget>

namespace kodexa {
namespace {

// Holds a window's current announcement; the accessible interface reads it from here. Not a
// widget, so nothing is drawn and focus never reaches it.
class AnnouncementHolder final : public QObject {
public:
    explicit AnnouncementHolder(QWidget& window) : QObject(&window) {
        setObjectName(QStringLiteral("kodexa-announcement"));
    }
    QString message;
};

class AccessibleAnnouncementObject final : public QAccessibleObject {
public:
    explicit AccessibleAnnouncementObject(AnnouncementHolder* holder) : QAccessibleObject(holder) {}

    // The application, so that a screen reader speaks the message without the window around it.
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name)
            return {};
        return static_cast<const AnnouncementHolder*>(object())->message;
    }
};

QAccessibleInterface* announcementFactory(const QString& className, QObject* object) {
    Q_UNUSED(className); // the holder has no meta-object of its own
    if (auto* holder = dynamic_cast<AnnouncementHolder*>(object))
        return new AccessibleAnnouncementObject(holder);
    return nullptr;
}

AnnouncementHolder* holderOf(const QWidget& window) {
    for (QObject* child : window.children())
        if (auto* holder = dynamic_cast<AnnouncementHolder*>(child))
            return holder;
    return nullptr;
}

} // namespace

void announceToAssistiveTechnology(QWidget& window, const QString& message) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(announcementFactory);
        return true;
    }();
    (void)factoryInstalled;

    AnnouncementHolder* holder = holderOf(window);
    if (!holder)
        holder = new AnnouncementHolder(window);
    holder->message = message;
    QAccessibleEvent nameChanged(holder, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent shown(holder, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

QString lastAnnouncement(const QWidget& window) {
    const AnnouncementHolder* holder = holderOf(window);
    return holder ? holder->message : QString();
}

} // namespace kodexa
