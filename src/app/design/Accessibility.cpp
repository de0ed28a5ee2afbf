#include "design/Accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <mutex>
#include <vector>

namespace kelvora::Accessibility {

namespace {

constexpr const char* kToggleRole = "kelvoraToggleRole";
constexpr const char* kRole = "kelvoraRole";

std::vector<Maker>& makers() {
    static std::vector<Maker> given;
    return given;
}

QAccessibleInterface* factory(const QString& key, QObject* object) {
    for (Maker maker : makers())
        if (QAccessibleInterface* made = maker(key, object)) return made;
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        if (QVariant role = button->property(kToggleRole); role.isValid())
            return new ToggleAccessible(button, static_cast<QAccessible::Role>(role.toInt()));
    if (QVariant role = object->property(kRole); role.isValid() && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object),
                                     static_cast<QAccessible::Role>(role.toInt()));
    // A plain widget standing as a window of its own (the settings window) is heard as a
    // window, as the main window is, rather than as an unnamed filler.
    if (key == "QWidget" && object->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(object);
        if (widget->windowType() == Qt::Window)
            return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

// Asked about before it was marked or filled (naming a widget asks), a widget may hold the
// toolkit's interface rather than its own: that one is dropped unless `own` says it is it,
// and the next question makes the right one. It is dropped also while no assistive
// technology listens yet, as at start-up: the toolkit keeps it for when one does.
void dropUnless(QWidget& widget, const std::function<bool(QAccessibleInterface*)>& own) {
    QAccessibleInterface* known = QAccessible::queryAccessibleInterface(&widget);
    if (known && !own(known)) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
}

} // namespace

void install() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(factory); });
}

void install(Maker maker) {
    install();
    if (std::find(makers().begin(), makers().end(), maker) == makers().end())
        makers().push_back(maker);
}

QString pickValue(bool picked) {
    return picked ? "picked" : "not picked";
}

void markToggle(QAbstractButton& button, QAccessible::Role role) {
    install();
    button.setProperty(kToggleRole, static_cast<int>(role));
    dropUnless(button, [](QAccessibleInterface* known) {
        return dynamic_cast<ToggleAccessible*>(known) != nullptr;
    });
}

void markRole(QWidget& widget, QAccessible::Role role) {
    install();
    widget.setProperty(kRole, static_cast<int>(role));
    dropUnless(widget, [role](QAccessibleInterface* known) { return known->role() == role; });
}

void rowsChanged(QWidget& widget, const std::function<bool(QAccessibleInterface*)>& own) {
    if (!QAccessible::isActive()) return;
    dropUnless(widget, own);
    QAccessibleEvent event(&widget, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}

void rowFocused(QWidget& widget, int row) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(&widget, QAccessible::Focus);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

} // namespace kelvora::Accessibility
