#pragma once

#include <QColor>
#include <QFocusEvent>
#include <QMargins>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QPainter;

namespace kelvora::Focus {

// A control shows its focus ring only when the keyboard brought the focus there; a click
// already shows where the user is. Call from focusInEvent and focusOutEvent with the
// control's flag: leaving and coming back to the window keeps what the flag was.
inline void track(bool& keyboardFocus, const QFocusEvent* event) {
    Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    keyboardFocus =
        event->gotFocus() && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                              reason == Qt::ShortcutFocusReason);
}

// A control of base `Control` that rings itself by `track`: `showsFocusRing` says whether to
// draw the ring, and `focusRingChanged` runs whenever the focus comes or goes, once
// `showsFocusRing` tells the new state.
template <class Control> class Ringed : public Control {
public:
    using Control::Control;

protected:
    bool showsFocusRing() const { return keyboardFocus_ && this->hasFocus(); }
    virtual void focusRingChanged() {}

    void focusInEvent(QFocusEvent* event) override {
        track(keyboardFocus_, event);
        Control::focusInEvent(event);
        focusRingChanged();
    }
    void focusOutEvent(QFocusEvent* event) override {
        track(keyboardFocus_, event);
        Control::focusOutEvent(event);
        focusRingChanged();
    }

private:
    bool keyboardFocus_ = false;
};

// How the input being handled at this moment came: by a key, by the pointer, or by nothing
// the user did just now (a task that finished, a timer). Known once watchInput ran.
enum class Input { keyboard, pointer, none };
Input inputNow();
// What the user's input was last, kept after it was handled: what a focus the program moves
// by itself (a task that ended took away the focused control) counts as.
Input latestInput();
// Starts following the user's input for the whole application; doing it again does nothing.
// It also keeps the ring of a focus that arrives with a window's activation, when the
// keyboard gave it or opened the window.
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

// A 2 px ring drawn just inside `rect`'s rounded edge, by default in the accent colour.
void paintRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color = {});

// The ring of a control with no shape of its own to draw it in, such as a text link: a
// widget laid over the control's place grown by `outset`, drawing only the ring, so the
// ring stands clear of the control's text. It lies on the nearest ancestor with room for the
// whole ring, short of a scrolled area's edge; it follows the control, takes no clicks and
// goes when the control goes.
class Halo : public QWidget {
public:
    Halo(QWidget* control, QMargins outset, qreal radius);

    // Shows the ring around the control, or takes it away.
    void setLit(bool lit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    QPointer<QWidget> control_;
    QMargins outset_;
    qreal radius_;
    bool lit_ = false;
};

// Shows or takes away the ring of `control` in `halo`, which is made the first time it is lit.
void lightHalo(QPointer<Halo>& halo, QWidget& control, bool lit, QMargins outset, qreal radius);

} // namespace kelvora::Focus
