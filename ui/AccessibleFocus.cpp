#include "AccessibleFocus.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QEvent>
#include <QMetaObject>
#include <QPointer>

namespace kodexa {
namespace {

// The toolkit tells of the focus widget after the widget has handled its focus-in event, so the
// item is reported from the event loop, once that has happened.
class CurrentItemOnFocus final : public QObject {
public:
    explicit CurrentItemOnFocus(QAbstractItemView& view) : QObject(&view), view_(&view) {
        view.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::FocusIn)
            QMetaObject::invokeMethod(this, &CurrentItemOnFocus::reportCurrentItem, Qt::QueuedConnection);
        return false;
    }

private:
    void reportCurrentItem() {
        if (view_ == nullptr || !view_->hasFocus() || !QAccessible::isActive())
            return;
        QAccessibleInterface* viewInterface = QAccessible::queryAccessibleInterface(view_);
        QAccessibleInterface* item = viewInterface != nullptr ? viewInterface->focusChild() : nullptr;
        if (item == nullptr || item == viewInterface)
            return;
        QAccessibleEvent focus(item, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }

    QPointer<QAbstractItemView> view_;
};

} // namespace

void reportCurrentItemOnFocus(QAbstractItemView& view) {
    new CurrentItemOnFocus(view);
}

} // namespace kodexa
