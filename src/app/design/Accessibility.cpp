#include "design/Accessibility.h"

#include "design/DialView.h"
#include "design/Meter.h"
#include "design/PaintedRows.h"
#include "design/PickBox.h"
#include "design/VerdictBadge.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace kelvora::Accessibility {

namespace {

// A gauge nothing moves: its value is read from its description, which says both
// percentages. It implements no value interface, because the bridge offers Increase and
// Decrease on anything that has one, and nothing it could act on.
class DialAccessible : public QAccessibleWidget {
public:
    explicit DialAccessible(DialView* dial) : QAccessibleWidget(dial, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value || t == QAccessible::Description)
            return dial()->accessibleValue();
        return QAccessibleWidget::text(t);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface || type == QAccessible::ValueInterface)
            return nullptr;
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
    // One element: whatever it might hold is not read separately.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }

private:
    DialView* dial() const { return static_cast<DialView*>(widget()); }
};

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
    virtual bool on() const { return button()->isChecked(); }
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

class PickBoxAccessible : public ToggleAccessible {
public:
    explicit PickBoxAccessible(PickBox* box) : ToggleAccessible(box, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return PickBox::accessibleValue(on());
        return ToggleAccessible::text(t);
    }

protected:
    bool on() const override { return static_cast<PickBox*>(widget())->isOn(); }
};

constexpr const char* kToggleRole = "kelvoraToggleRole";
constexpr const char* kRole = "kelvoraRole";

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

// One painted row: a view onto the row at its index, so it never holds a stale copy.
class PaintedRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PaintedRowAccessible(QWidget* widget, PaintedRows* rows, int row)
        : widget_(widget), rows_(rows), row_(row) {}

    int row() const { return row_; }
    const QWidget* list() const { return widget_; }

    bool isValid() const override { return widget_ && row_ < rows_->paintedRowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return widget_ ? widget_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return widget_ ? QAccessible::queryAccessibleInterface(widget_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        PaintedRow row = rows_->paintedRow(row_);
        switch (t) {
        case QAccessible::Name:
            return row.name;
        case QAccessible::Description:
            return row.description;
        case QAccessible::Value:
            return row.picked ? PickBox::accessibleValue(*row.picked) : QString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        QRect local = rows_->paintedRowRect(row_);
        return {widget_->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override {
        return isValid() ? rows_->paintedRow(row_).role : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        PaintedRow row = rows_->paintedRow(row_);
        state.invisible = !widget_->isVisible();
        state.offscreen = !widget_->visibleRegion().intersects(rows_->paintedRowRect(row_));
        state.focusable = !row.actions.isEmpty();
        state.focused = widget_->hasFocus() && rows_->currentRow() == row_;
        if (row.selected) {
            state.selectable = true;
            state.selected = *row.selected;
        }
        if (row.picked) {
            state.checkable = true;
            state.checked = *row.picked;
        }
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        return isValid() ? rows_->paintedRow(row_).actions : QStringList();
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        QStringList actions = actionNames();
        return !actions.isEmpty() && actions.first() == action ? QStringList{"Space", "Return"}
                                                               : QStringList();
    }
    QString localizedActionDescription(const QString& action) const override {
        if (!isValid()) return {};
        PaintedRow row = rows_->paintedRow(row_);
        if (!row.actions.isEmpty() && row.actions.first() == action &&
            !row.firstActionHelp.isEmpty())
            return row.firstActionHelp;
        return QAccessibleActionInterface::localizedActionDescription(action);
    }
    void doAction(const QString& action) override {
        if (actionNames().contains(action)) rows_->actOnRow(row_, action);
    }

private:
    QPointer<QWidget> widget_;
    PaintedRows* rows_;
    int row_;
};

// A widget that paints rows: its children are the rows, then the real controls it holds
// (a list view's viewport and scroll bars are not controls of their own).
class PaintedListAccessible : public QAccessibleWidget {
public:
    PaintedListAccessible(QWidget* widget, PaintedRows* rows)
        : QAccessibleWidget(widget, QAccessible::List), rows_(rows),
          controls_(!qobject_cast<QAbstractScrollArea*>(widget)) {}
    ~PaintedListAccessible() override {
        for (const auto& [row, id] : children_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override {
        return rows_->paintedRowCount() + (controls_ ? QAccessibleWidget::childCount() : 0);
    }
    QAccessibleInterface* child(int index) const override {
        int rows = rows_->paintedRowCount();
        if (index < 0) return nullptr;
        if (index < rows) return rowChild(index);
        return controls_ ? QAccessibleWidget::child(index - rows) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (auto* row = dynamic_cast<const PaintedRowAccessible*>(child))
            return row->list() == widget() && row->isValid() ? row->row() : -1;
        if (!controls_) return -1;
        int index = QAccessibleWidget::indexOfChild(child);
        return index < 0 ? -1 : index + rows_->paintedRowCount();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (controls_)
            if (QAccessibleInterface* control = QAccessibleWidget::childAt(x, y)) return control;
        int row = rows_->paintedRowAt(widget()->mapFromGlobal(QPoint(x, y)));
        return row >= 0 ? rowChild(row) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        int row = rows_->currentRow();
        return widget()->hasFocus() && row >= 0 && row < rows_->paintedRowCount() ? rowChild(row)
                                                                                  : nullptr;
    }

private:
    QAccessibleInterface* rowChild(int row) const {
        auto found = children_.find(row);
        if (found != children_.end())
            if (QAccessibleInterface* known = QAccessible::accessibleInterface(found->second))
                return known;
        auto* made = new PaintedRowAccessible(widget(), rows_, row);
        children_[row] = QAccessible::registerAccessibleInterface(made);
        return made;
    }

    PaintedRows* rows_;
    bool controls_;
    mutable std::unordered_map<int, QAccessible::Id> children_;
};

QAccessibleInterface* factory(const QString& key, QObject* object) {
    if (auto* rows = dynamic_cast<PaintedRows*>(object))
        return new PaintedListAccessible(static_cast<QWidget*>(object), rows);
    if (key == "kelvora::PickBox") return new PickBoxAccessible(static_cast<PickBox*>(object));
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        if (QVariant role = button->property(kToggleRole); role.isValid())
            return new ToggleAccessible(button, static_cast<QAccessible::Role>(role.toInt()));
    if (QVariant role = object->property(kRole); role.isValid() && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object),
                                     static_cast<QAccessible::Role>(role.toInt()));
    if (key == "kelvora::DialView") return new DialAccessible(static_cast<DialView*>(object));
    if (key == "kelvora::VerdictBadge") return new BadgeAccessible(static_cast<QWidget*>(object));
    if (key == "kelvora::Meter") return new HiddenAccessible(static_cast<QWidget*>(object));
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
// and the next question makes the right one.
template <class Own> void dropUnless(QWidget& widget, Own own) {
    if (!QAccessible::isActive()) return;
    QAccessibleInterface* known = QAccessible::queryAccessibleInterface(&widget);
    if (known && !own(known)) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
}

} // namespace

void install() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(factory); });
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

void rowsChanged(QWidget& widget) {
    if (!QAccessible::isActive()) return;
    dropUnless(widget, [](QAccessibleInterface* known) {
        return dynamic_cast<PaintedListAccessible*>(known) != nullptr;
    });
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
