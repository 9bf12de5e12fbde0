#include "AccessibleTabStrip.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QStackedWidget>
#include <QTabBar>

namespace kodexa {
namespace {

QString withoutMnemonic(QString text) {
    for (qsizetype at = text.indexOf(u'&'); at >= 0 && at + 1 < text.size(); at = text.indexOf(u'&', at + 1))
        text.remove(at, 1);
    return text;
}

// One tab of the strip; it has no object of its own and stands for the tab at its index.
class AccessibleTab final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleTab(QTabBar* strip, int index) : strip_(strip), index_(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    bool isValid() const override { return strip_ != nullptr && index_ < strip_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent()->window(); }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(strip_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name:
            return withoutMnemonic(strip_->tabText(index_));
        case QAccessible::Description: {
            // Its place in the strip, which readers do not tell of a page tab on their own.
            const QString place = QStringLiteral("Seite %1 von %2").arg(index_ + 1).arg(strip_->count());
            const QString tip = strip_->tabToolTip(index_);
            return tip.isEmpty() ? place : tip + QStringLiteral("; ") + place;
        }
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect tab = strip_->tabRect(index_);
        return QRect(strip_->mapToGlobal(tab.topLeft()), tab.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.selectable = true;
        state.focusable = true;
        const bool current = strip_->currentIndex() == index_;
        state.selected = current;
        state.focused = current && strip_->hasFocus();
        state.disabled = !strip_->isTabEnabled(index_);
        state.invisible = !strip_->isVisible() || !strip_->isTabVisible(index_);
        state.offscreen = !strip_->rect().intersects(strip_->tabRect(index_));
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (isValid() && name == pressAction())
            strip_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QTabBar* strip_;
    int index_;
};

class AccessibleTabStrip final : public QAccessibleWidget {
public:
    explicit AccessibleTabStrip(QTabBar* strip) : QAccessibleWidget(strip, QAccessible::PageTabList) {
        // The toolkit tells only that the new current tab is selected; a reader that keeps the
        // tabs' states would still hold the old one selected. The old tab tells it is no longer.
        selected_ = strip->currentIndex();
        changes_ = QObject::connect(strip, &QTabBar::currentChanged, strip, [this, strip](int current) {
            if (selected_ >= 0 && selected_ < strip->count() && selected_ != current) {
                QAccessibleEvent event(strip, QAccessible::SelectionRemove);
                event.setChild(selected_);
                QAccessible::updateAccessibility(&event);
            }
            selected_ = current;
        });
    }
    ~AccessibleTabStrip() override {
        QObject::disconnect(changes_);
        for (const QAccessible::Id id : std::as_const(tabs_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return strip()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= strip()->count())
            return nullptr;
        if (const auto known = tabs_.constFind(index); known != tabs_.constEnd())
            return QAccessible::accessibleInterface(*known);
        auto* tab = new AccessibleTab(strip(), index);
        tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto it = tabs_.constBegin(); it != tabs_.constEnd(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        return strip()->hasFocus() ? child(strip()->currentIndex()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int index = strip()->tabAt(strip()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && strip()->currentIndex() >= 0)
            return withoutMnemonic(strip()->tabText(strip()->currentIndex()));
        return QAccessibleWidget::text(t);
    }

private:
    QTabBar* strip() const { return static_cast<QTabBar*>(object()); }

    mutable QHash<int, QAccessible::Id> tabs_;
    int selected_ = -1;
    QMetaObject::Connection changes_;
};

QAccessibleInterface* pageControlFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(QTabBar::staticMetaObject.className())) {
        auto* strip = qobject_cast<QTabBar*>(object);
        return strip != nullptr ? new AccessibleTabStrip(strip) : nullptr;
    }
    if (className == QLatin1String(QStackedWidget::staticMetaObject.className())) {
        auto* pages = qobject_cast<QStackedWidget*>(object);
        return pages != nullptr ? new QAccessibleWidget(pages, QAccessible::Client) : nullptr;
    }
    return nullptr;
}

} // namespace

void installPageControlAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(pageControlFactory);
        return true;
    }();
    (void)installed;
}

} // namespace kodexa
