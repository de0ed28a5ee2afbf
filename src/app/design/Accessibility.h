#pragma once

#include <QAccessible>

class QAbstractButton;
class QWidget;

namespace kelvora::Accessibility {

// Teaches assistive technology what the painted controls are: a pick box is a check box
// with the value "picked" or "not picked", the dial is a read-only progress bar that says
// both its percentages and offers no action, a verdict badge is a sentence, a meter is left out,
// and a widget painting rows (PaintedRows) is a list whose children are its rows, each with its
// name, description, pick and selection, and its offers as actions. The controls call it
// themselves; doing it again does nothing.
void install();

// A checkable button that its owner sets after each press (a switch, a segment of a
// switch): assistive technology hears it with `role` and whether it is checked, and its
// Toggle presses it as a click does. Call before anything asks about the button.
void markToggle(QAbstractButton& button, QAccessible::Role role);

// A widget that paints what a plain widget does not say (a text, a sheet): assistive
// technology hears it with `role`, under its accessible name and description.
void markRole(QWidget& widget, QAccessible::Role role);

// Tell assistive technology, when it listens, that a painted list's rows changed, or that
// the keyboard is on one of them.
void rowsChanged(QWidget& widget);
void rowFocused(QWidget& widget, int row);

} // namespace kelvora::Accessibility
