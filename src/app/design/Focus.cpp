#include "design/Focus.h"

#include "design/PaintedRows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace kelvora::Focus {

namespace {

// Notes what kind of input the application is handling; the note lasts until the event
// loop comes round again, so what a key press sets off at once counts as the keyboard's.
// A key that is a shortcut reaches the application only as the shortcut's events.
//
// It also keeps the focus a window takes as it becomes active from losing how it was
// given: the toolkit hands it on with the activation as its reason, which shows no ring.
// A window opened by the keyboard, or given the keyboard's focus while another window was
// active, takes that first focus as Tab would. So does the control the menu bar gives the
// focus back to when a menu opened with Alt closes by a key.
class InputWatch : public QObject {
public:
    Input last = Input::none;

    // The input being handled now: the last, until the event loop has dealt with it.
    Input now() const { return pending_ ? last : Input::none; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
            note(Input::keyboard);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            note(Input::pointer);
            break;
        case QEvent::Show:
            if (now() == Input::keyboard && watched->isWidgetType())
                awaitKeyboardFocus(*static_cast<QWidget*>(watched), true);
            break;
        case QEvent::WindowDeactivate:
            if (watched->isWidgetType()) forget(static_cast<QWidget*>(watched));
            break;
        case QEvent::FocusIn:
            if (watched->isWidgetType())
                return focusedByKeyboard(*static_cast<QWidget*>(watched),
                                         *static_cast<QFocusEvent*>(event));
            break;
        default:
            break;
        }
        return false;
    }

    // Whether the next focus that comes with `window`'s activation is the keyboard's.
    void awaitKeyboardFocus(QWidget& widget, bool keyboard) {
        QWidget* window = widget.window();
        if (!widget.isWindow() || window->windowType() == Qt::Popup ||
            window->windowType() == Qt::ToolTip)
            return;
        forget(window);
        if (keyboard) awaiting_.emplace_back(window);
    }

private:
    void note(Input input) {
        last = input;
        if (pending_) return;
        pending_ = true;
        QTimer::singleShot(0, this, [this] { pending_ = false; });
    }

    void forget(QWidget* window) {
        std::erase_if(awaiting_, [window](const QPointer<QWidget>& awaiting) {
            return !awaiting || awaiting == window;
        });
    }

    // The activation's focus in a window that awaits the keyboard's, and the focus the menu
    // bar hands back when the keyboard leaves a menu, are handed on as Tab's.
    bool focusedByKeyboard(QWidget& widget, const QFocusEvent& event) {
        if (!givenByKeyboard(widget, event.reason())) return false;
        QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(&widget, &tab);
        return true;
    }

    bool givenByKeyboard(QWidget& widget, Qt::FocusReason reason) {
        if (reason == Qt::MenuBarFocusReason)
            return last == Input::keyboard && !qobject_cast<QMenuBar*>(&widget);
        if (reason != Qt::ActiveWindowFocusReason) return false;
        QWidget* window = widget.window();
        if (std::find(awaiting_.begin(), awaiting_.end(), window) == awaiting_.end()) return false;
        forget(window);
        return true;
    }

    bool pending_ = false;
    std::vector<QPointer<QWidget>> awaiting_;
};

InputWatch* watch() {
    static QPointer<InputWatch> made;
    if (!made && QCoreApplication::instance()) {
        made = new InputWatch;
        made->moveToThread(QCoreApplication::instance()->thread());
        made->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(made);
    }
    return made;
}

bool takesTab(const QWidget& widget) {
    return (widget.focusPolicy() & Qt::TabFocus) && widget.isVisible() && widget.isEnabled();
}

class ReturnPresses : public QObject {
public:
    ReturnPresses(QAbstractButton& button, std::function<void()> press)
        : QObject(&button), button_(button), press_(std::move(press)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) || !button_.isEnabled())
            return false;
        event->accept();
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
            if (press_)
                press_();
            else
                button_.click();
        }
        return true;
    }

private:
    QAbstractButton& button_;
    std::function<void()> press_;
};

} // namespace

Input inputNow() {
    InputWatch* known = watch();
    return known ? known->now() : Input::none;
}

Input lastInput() {
    InputWatch* known = watch();
    return known ? known->last : Input::none;
}

void watchInput() {
    watch();
}

void give(QWidget& target) {
    give(target, lastInput());
}

void give(QWidget& target, Input how) {
    // Given while its window is not the active one, the focus arrives with the activation.
    if (!target.isActiveWindow())
        if (InputWatch* known = watch())
            known->awaitKeyboardFocus(*target.window(), how == Input::keyboard);
    target.setFocus(how == Input::keyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
}

QWidget* entryOf(QWidget& pane) {
    QWidget* control = nullptr;
    // The chain runs through the whole window; the pane's own part of it is what counts.
    QWidget* widget = pane.nextInFocusChain();
    for (int steps = 0; widget && widget != &pane && steps < 2000;
         widget = widget->nextInFocusChain(), ++steps) {
        if (!pane.isAncestorOf(widget) || !takesTab(*widget)) continue;
        auto* rows = dynamic_cast<PaintedRows*>(widget);
        if (rows && rows->offersAnything()) return widget;
        if (!control && !rows) control = widget;
    }
    return control;
}

void placeAfter(QWidget& group, QWidget& widget) {
    QWidget* last = nullptr;
    QWidget* next = group.nextInFocusChain();
    for (int steps = 0; next && next != &group && steps < 2000;
         next = next->nextInFocusChain(), ++steps)
        if (group.isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus)) last = next;
    if (last && last != &widget) QWidget::setTabOrder(last, &widget);
}

void pressOnReturn(QAbstractButton& button, std::function<void()> press) {
    button.installEventFilter(new ReturnPresses(button, std::move(press)));
}

} // namespace kelvora::Focus
