#include "AnnouncementWhenActive.h"

#include "AccessibleAnnouncement.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

namespace kodexa {
namespace {

// Holds a window's waiting message; a child of the window, found again by its name.
class PendingAnnouncement final : public QObject {
public:
    explicit PendingAnnouncement(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(QStringLiteral("kodexa-pending-announcement"));
        window.installEventFilter(this);
    }

    void wait(const QString& message) {
        message_ = message;
        if (window_.isActiveWindow())
            announceLater();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::WindowActivate && !message_.isEmpty())
            announceLater();
        return false;
    }

private:
    // Activating a window reports its focus after the window's own activation event: the message
    // follows once that is done.
    void announceLater() {
        QMetaObject::invokeMethod(this, &PendingAnnouncement::announce, Qt::QueuedConnection);
    }

    void announce() {
        if (message_.isEmpty() || !window_.isActiveWindow())
            return;
        const QString message = message_;
        message_.clear();
        announceToAssistiveTechnology(window_, message);
    }

    QWidget& window_;
    QString message_;
};

} // namespace

void announceWhenActive(QWidget& window, const QString& message) {
    auto* pending = window.findChild<PendingAnnouncement*>(QStringLiteral("kodexa-pending-announcement"),
                                                           Qt::FindDirectChildrenOnly);
    if (pending == nullptr)
        pending = new PendingAnnouncement(window);
    pending->wait(message);
}

} // namespace kodexa
