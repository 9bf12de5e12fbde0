#pragma once

#include <QAccessible>

#include <functional>
#include <vector>

namespace kodexa::testing {

// Switches the toolkit's accessibility on, as a screen reader does through the platform, so that
// widgets send their accessibility events and the tests can hear them; without an assistive
// technology the toolkit keeps silent. Call once after the application exists.
void switchAccessibilityOn();

// Records the accessibility events sent while it lives, with what the event's object said at
// that moment (the object may be gone when the test looks).
class AccessibleEventLog {
public:
    struct Entry {
        QAccessible::Event type;
        QAccessible::Role role;
        QString name;
        QObject* object;                  // the event's object, for comparison only
        QObject* parentObject;            // the object of the interface's accessible parent
        QAccessible::State changedStates; // for QAccessible::StateChanged
    };

    AccessibleEventLog();
    ~AccessibleEventLog();
    AccessibleEventLog(const AccessibleEventLog&) = delete;
    AccessibleEventLog& operator=(const AccessibleEventLog&) = delete;

    const std::vector<Entry>& entries() const { return entries_; }
    void clear() { entries_.clear(); }
    // The names of the notifications shown since the last clear(), in order: what a screen reader
    // speaks as announcements.
    std::vector<QString> announcements() const;

private:
    static void record(QAccessibleEvent* event);
    std::vector<Entry> entries_;
};

} // namespace kodexa::testing
