#include "design/PaintedRows.h"

#include "design/Accessibility.h"
#include "design/FocusRing.h"

#include <QAbstractScrollArea>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace kelvora {

namespace {

constexpr qreal kRingInset = 4;
constexpr qreal kRingRadius = 8;

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
            return row.picked ? Accessibility::pickValue(*row.picked) : QString();
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

QAccessibleInterface* makeList(const QString&, QObject* object) {
    auto* rows = dynamic_cast<PaintedRows*>(object);
    return rows ? new PaintedListAccessible(static_cast<QWidget*>(object), rows) : nullptr;
}

bool isList(QAccessibleInterface* known) {
    return dynamic_cast<PaintedListAccessible*>(known) != nullptr;
}

} // namespace

// Sees the widget's keys and focus before the widget does. While the rows have the
// keyboard, the keys they use are theirs, even where the window gives one to a button.
class PaintedRows::Events : public QObject {
public:
    explicit Events(PaintedRows& rows) : rows_(rows) {}

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            if (!claims(static_cast<QKeyEvent*>(event))) return false;
            event->accept();
            return true;
        case QEvent::KeyPress:
            return rows_.keyPress(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            rows_.focusChange(static_cast<QFocusEvent*>(event));
            return false;
        default:
            return false;
        }
    }

private:
    PaintedRows& rows_;
};

PaintedRows::PaintedRows(QWidget& widget) : widget_(widget), events_(new Events(*this)) {
    Accessibility::install(makeList);
    widget_.setFocusPolicy(Qt::StrongFocus);
    widget_.installEventFilter(events_.get());
}

PaintedRows::~PaintedRows() = default;

bool PaintedRows::offers(int row) const {
    return row >= 0 && row < paintedRowCount() && !paintedRow(row).actions.isEmpty();
}

int PaintedRows::nextOffering(int from, int step) const {
    for (int row = from + step; row >= 0 && row < paintedRowCount(); row += step)
        if (offers(row)) return row;
    return -1;
}

void PaintedRows::followRow(int row) {
    if (row == current_ || (row != -1 && !offers(row))) return;
    move(row, false);
}

void PaintedRows::move(int row, bool entered) {
    int before = current_;
    current_ = row;
    if (before >= 0 && before < paintedRowCount()) repaintRow(before);
    if (row >= 0) {
        repaintRow(row);
        revealRow(row);
    }
    tellFocus();
    if (entered && row >= 0) onRowEntered(row);
}

int PaintedRows::paintedRowAt(const QPoint& point) const {
    for (int row = 0; row < paintedRowCount(); ++row)
        if (paintedRowRect(row).contains(point)) return row;
    return -1;
}

void PaintedRows::repaintRow(int row) {
    widget_.update(paintedRowRect(row));
}

bool PaintedRows::showsFocusOn(int row) const {
    return row == current_ && keyboard_ && widget_.hasFocus();
}

bool PaintedRows::claims(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

bool PaintedRows::keyPress(QKeyEvent* event) {
    if (!claims(event)) return false;
    int rows = paintedRowCount();
    if (rows == 0) return true;
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Down:
        target = current_ < 0 ? nextOffering(-1, 1) : nextOffering(current_, 1);
        break;
    case Qt::Key_Up:
        target = current_ < 0 ? nextOffering(rows, -1) : nextOffering(current_, -1);
        break;
    case Qt::Key_Home:
        target = nextOffering(-1, 1);
        break;
    case Qt::Key_End:
        target = nextOffering(rows, -1);
        break;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
        int step = event->key() == Qt::Key_PageDown ? 1 : -1;
        int from = std::max(current_, 0);
        int rowHeight = std::max(1, paintedRowRect(from).height());
        int page = std::max(1, widget_.visibleRegion().boundingRect().height() / rowHeight);
        int landing = std::clamp(from + step * page, 0, std::max(rows - 1, 0));
        target = offers(landing) ? landing : nextOffering(landing, step);
        if (target < 0) target = nextOffering(landing, -step);
        break;
    }
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        keyboard_ = true;
        // With no row yet, the first press only shows where the keyboard is.
        if (current_ < 0) {
            target = nextOffering(-1, 1);
            break;
        }
        repaintRow(current_);
        if (offers(current_)) actOnRow(current_, paintedRow(current_).actions.first());
        return true;
    }
    keyboard_ = true;
    if (target >= 0) move(target, true);
    return true;
}

void PaintedRows::focusChange(QFocusEvent* event) {
    Focus::track(keyboard_, event);
    if (event->gotFocus() && current_ < 0 && event->reason() != Qt::MouseFocusReason) {
        int first = event->reason() == Qt::BacktabFocusReason ? nextOffering(paintedRowCount(), -1)
                                                              : nextOffering(-1, 1);
        if (first >= 0) move(first, true);
    }
    if (current_ >= 0 && current_ < paintedRowCount()) {
        repaintRow(current_);
        // A scroll area shows a widget that takes the focus from its middle; the row the
        // keyboard is on matters more, so it is shown after.
        if (event->gotFocus())
            QMetaObject::invokeMethod(
                &widget_,
                [this] {
                    if (current_ >= 0 && current_ < paintedRowCount()) revealRow(current_);
                },
                Qt::QueuedConnection);
    }
    if (event->gotFocus()) tellFocus();
}

void PaintedRows::rowsChanged() {
    int rows = paintedRowCount();
    if (current_ >= rows) current_ = rows - 1;
    if (current_ >= 0 && !offers(current_)) {
        int next = nextOffering(current_, 1);
        current_ = next >= 0 ? next : nextOffering(current_, -1);
    }
    // Rows that arrive while the keyboard waits in an empty list take it at once.
    if (current_ < 0 && widget_.hasFocus()) current_ = nextOffering(-1, 1);
    // A list with no row to stop on has nothing to ring: Tab passes it by.
    widget_.setFocusPolicy(offersAnything() ? Qt::StrongFocus : Qt::ClickFocus);
    Accessibility::rowsChanged(widget_, isList);
    tellFocus();
}

bool PaintedRows::pressRow(const QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? paintedRowAt(event->position().toPoint()) : -1;
    return pressed_ >= 0;
}

int PaintedRows::releaseRow(const QMouseEvent* event) {
    const int pressed = std::exchange(pressed_, -1);
    if (pressed < 0 || event->button() != Qt::LeftButton ||
        paintedRowAt(event->position().toPoint()) != pressed)
        return -1;
    followRow(pressed);
    return pressed;
}

void PaintedRows::paintRowFocus(QPainter& painter, int row, const QRectF& rect) const {
    if (!showsFocusOn(row)) return;
    Focus::paintRing(painter, rect.adjusted(kRingInset, kRingInset, -kRingInset, -kRingInset),
                     kRingRadius);
}

void PaintedRows::revealRow(int row) {
    QRect rect = paintedRowRect(row);
    for (QWidget* parent = widget_.parentWidget(); parent; parent = parent->parentWidget()) {
        auto* area = qobject_cast<QScrollArea*>(parent);
        QWidget* content = area ? area->widget() : nullptr;
        if (!content || !(content == &widget_ || content->isAncestorOf(&widget_))) continue;
        QPoint centre = widget_.mapTo(content, rect.center());
        area->ensureVisible(centre.x(), centre.y(), rect.width() / 2, rect.height() / 2);
        return;
    }
}

void PaintedRows::tellFocus() const {
    if (widget_.hasFocus() && current_ >= 0) Accessibility::rowFocused(widget_, current_);
}

} // namespace kelvora
