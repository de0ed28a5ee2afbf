#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>

#include <functional>

class QWidget;

namespace kelvora::Accessibility {

// Makes the interface of an object that is its control's, nullptr for any other object.
using Maker = QAccessibleInterface* (*)(const QString& key, QObject* object);

// Teaches assistive technology what the painted controls are: each control gives its maker
// (asked before anything else, in the order given), a button marked a toggle and a widget
// marked with a role are heard as marked, and a plain widget standing as a window of its own
// (the settings window) is a window, as the main window is. The controls call it themselves;
// doing it again, or giving a maker again, does nothing.
void install();
void install(Maker maker);

// "picked" or "not picked": what a pick sounds like, in a pick box or a painted row.
QString pickValue(bool picked);

// A painted button showing a state its owner sets after each press (a switch, a segment, a
// pick box): its role and whether it is on, and Toggle and Press both press it, so the
// owner decides.
class ToggleAccessible : public QAccessibleWidget {
public:
    ToggleAccessible(QAbstractButton* button, QAccessible::Role role)
        : QAccessibleWidget(button, role) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = on();
        return s;
    }
    QStringList actionNames() const override {
        return button()->isEnabled() ? QStringList{toggleAction(), pressAction()} : QStringList{};
    }
    void doAction(const QString& action) override {
        if (button()->isEnabled() && (action == toggleAction() || action == pressAction()))
            button()->click();
    }

protected:
    bool on() const { return button()->isChecked(); }
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// A checkable button that its owner sets after each press (a switch, a segment of a
// switch): assistive technology hears it with `role` and whether it is checked, and its
// Toggle presses it as a click does. An interface the toolkit made for the button before
// (naming it makes one) is replaced, whether or not assistive technology listens yet.
void markToggle(QAbstractButton& button, QAccessible::Role role);

// A widget that paints what a plain widget does not say (a text, a sheet): assistive
// technology hears it with `role`, under its accessible name and description.
void markRole(QWidget& widget, QAccessible::Role role);

// Tell assistive technology, when it listens, that a painted list's rows changed, or that
// the keyboard is on one of them. An interface the widget was given before it could answer
// as a list, one `own` does not recognise, is dropped so that the next question makes it anew.
void rowsChanged(QWidget& widget, const std::function<bool(QAccessibleInterface*)>& own);
void rowFocused(QWidget& widget, int row);

} // namespace kelvora::Accessibility
