#pragma once

#include "design/FocusRing.h"

#include <QWidget>

#include <functional>

class QAbstractButton;

namespace kelvora::Focus {

// How the input being handled at this moment came: by a key, by the pointer, or by nothing
// the user did just now (a task that finished, a timer). Known once watchInput ran.
enum class Input { keyboard, pointer, none };
Input inputNow();
// How the user's latest input came, however long ago: what a task that ends later (a sheet
// prepared off the main thread) goes by, as the desktop shows rings while the keyboard is
// what the user last used.
Input lastInput();
// Starts following the user's input for the whole application; doing it again does nothing.
// It also keeps the ring of a focus that arrives with a window's activation, when the
// keyboard gave it or opened the window, and rings the focus the menu bar hands back when
// the keyboard leaves a menu.
void watchInput();

// Puts the focus on `target`, ringed when the keyboard is what moved it: the input being
// handled, or when there is none, the user's latest.
void give(QWidget& target);
void give(QWidget& target, Input how);
// Where the keyboard goes in a pane it opens: the first list in Tab order with a row that
// offers something, else the first control; none when the pane shows neither.
QWidget* entryOf(QWidget& pane);

// Moves `widget` in the order of Tab to right after the last control of `group`, so a
// part laid out below a pane made later still comes after it.
void placeAfter(QWidget& group, QWidget& widget);

// Return and Enter press the focused button as Space does, before a window's shortcut
// gives them to its default button. `press` does the press; by default the button's click.
void pressOnReturn(QAbstractButton& button, std::function<void()> press = {});

} // namespace kelvora::Focus
