#include "design/Accessibility.h"

#include "design/DialView.h"
#include "design/Meter.h"
#include "design/PickBox.h"
#include "design/VerdictBadge.h"

#include <QAccessibleWidget>

#include <mutex>

namespace kelvora::Accessibility {

namespace {

class PickBoxAccessible : public QAccessibleWidget {
public:
    explicit PickBoxAccessible(PickBox* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return PickBox::accessibleValue(box()->isOn());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = box()->isOn();
        return s;
    }
    QStringList actionNames() const override {
        return box()->isEnabled() ? QStringList{toggleAction(), pressAction()} : QStringList{};
    }
    void doAction(const QString& action) override {
        if (box()->isEnabled() && (action == toggleAction() || action == pressAction()))
            box()->click();
    }

private:
    PickBox* box() const { return static_cast<PickBox*>(widget()); }
};

class DialAccessible : public QAccessibleWidget {
public:
    explicit DialAccessible(DialView* dial) : QAccessibleWidget(dial, QAccessible::Indicator) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return static_cast<DialView*>(widget())->accessibleValue();
        return QAccessibleWidget::text(t);
    }
    // One element: whatever it might hold is not read separately.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
};

class BadgeAccessible : public QAccessibleWidget {
public:
    explicit BadgeAccessible(QWidget* badge) : QAccessibleWidget(badge, QAccessible::StaticText) {}
};

class HiddenAccessible : public QAccessibleWidget {
public:
    explicit HiddenAccessible(QWidget* widget) : QAccessibleWidget(widget) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        return s;
    }
};

QAccessibleInterface* factory(const QString& key, QObject* object) {
    if (key == "kelvora::PickBox") return new PickBoxAccessible(static_cast<PickBox*>(object));
    if (key == "kelvora::DialView") return new DialAccessible(static_cast<DialView*>(object));
    if (key == "kelvora::VerdictBadge") return new BadgeAccessible(static_cast<QWidget*>(object));
    if (key == "kelvora::Meter") return new HiddenAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void install() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(factory); });
}

} // namespace kelvora::Accessibility
