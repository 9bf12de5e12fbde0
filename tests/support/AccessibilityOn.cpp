#include "AccessibilityOn.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <stdexcept>

namespace kodexa::testing {
namespace {
AccessibleEventLog* currentLog = nullptr;
}

void switchAccessibilityOn() {
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    QPlatformAccessibility* accessibility = integration ? integration->accessibility() : nullptr;
    if (!accessibility)
        throw std::runtime_error("the platform plugin has no accessibility");
    accessibility->setActive(true);
}

AccessibleEventLog::AccessibleEventLog() {
    if (currentLog)
        throw std::logic_error("only one accessible event log at a time");
    currentLog = this;
    QAccessible::installUpdateHandler(&AccessibleEventLog::record);
}

AccessibleEventLog::~AccessibleEventLog() {
    QAccessible::installUpdateHandler(nullptr);
    currentLog = nullptr;
}

void AccessibleEventLog::record(QAccessibleEvent* event) {
    if (!currentLog)
        return;
    Entry entry{event->type(), QAccessible::NoRole, {}, event->object(), nullptr, {}};
    if (QAccessibleInterface* iface = event->accessibleInterface()) {
        entry.role = iface->role();
        entry.name = iface->text(QAccessible::Name);
        if (QAccessibleInterface* parent = iface->parent())
            entry.parentObject = parent->object();
    }
    if (event->type() == QAccessible::StateChanged)
        entry.changedStates = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
    currentLog->entries_.push_back(entry);
}

std::vector<QString> AccessibleEventLog::announcements() const {
    std::vector<QString> names;
    for (const Entry& entry : entries_)
        if (entry.type == QAccessible::ObjectShow && entry.role == QAccessible::Notification)
            names.push_back(entry.name);
    return names;
}

} // namespace kodexa::testing
