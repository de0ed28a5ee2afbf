#include "onboarding/SettingsControls.h"

#include "design/Accessibility.h"
#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/Theme.h"

#include <QAccessibleWidget>
#include <QActionGroup>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <mutex>

namespace kelvora {

// SwitchButton

SwitchButton::SwitchButton(const QString& title, QWidget* parent) : PaintedButton(title, parent) {
    setAccessibleName(title);
    // Checked as the setting is, never by a press of its own: the window sets it.
    setCheckable(true);
    Accessibility::markToggle(*this, QAccessible::CheckBox);
}

void SwitchButton::setOn(bool on) {
    if (on_ == on) return;
    on_ = on;
    setChecked(on);
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    update();
}

void SwitchButton::paint(QPainter& painter, const QRectF& rect, bool on) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF track(rect.left(), rect.center().y() - kHeight / 2, kWidth, kHeight);
    if (on)
        Shapes::fillRounded(painter, track, kHeight / 2, Theme::signal());
    else
        Shapes::fillRounded(painter, track, kHeight / 2, Theme::track(), Theme::line());
    qreal knob = kHeight - 4;
    QRectF circle(on ? track.right() - 2 - knob : track.left() + 2, track.top() + 2, knob, knob);
    // The knob stays light in both appearances, as on any switch.
    painter.setPen(QPen(Theme::color(Token::line, Appearance::light), 0.5));
    painter.setBrush(Theme::color(Token::panel, Appearance::light));
    painter.drawEllipse(circle);
    painter.restore();
}

void SwitchButton::focusRingChanged() {
    Focus::lightHalo(halo_, *this, showsFocusRing(), kRingOutset, kHeight / 2 + kRingOutset.top());
}

void SwitchButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!isEnabled()) painter.setOpacity(kDisabledOpacity);
    paint(painter, rect(), on_);
}

// ChoiceButton

ChoiceButton::ChoiceButton(const QString& title, std::vector<Entry> entries, QWidget* parent)
    : PaintedButton({}, parent), entries_(std::move(entries)) {
    setAccessibleName(title);
    connect(this, &QPushButton::clicked, this, &ChoiceButton::openMenu);
}

void ChoiceButton::setValue(int value) {
    value_ = value;
    setText(shownLabel());
    setAccessibleDescription(shownLabel());
    update();
}

QString ChoiceButton::shownLabel() const {
    for (const Entry& entry : entries_)
        if (entry.value == value_) return entry.label;
    return {};
}

void ChoiceButton::openMenu() {
    delete menu_;
    menu_ = new QMenu(this);
    menu_->setFont(Fonts::text(13));
    auto* group = new QActionGroup(menu_);
    for (const Entry& entry : entries_) {
        QAction* action = menu_->addAction(entry.label);
        action->setCheckable(true);
        action->setChecked(entry.value == value_);
        group->addAction(action);
        int value = entry.value;
        connect(action, &QAction::triggered, this, [this, value] { emit chosen(value); });
    }
    menu_->popup(mapToGlobal(QPoint(0, height())));
}

void ChoiceButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    Shapes::fillRounded(painter, box, 6, Theme::panel(), Theme::line());
    QFont font = Fonts::text(13);
    painter.setFont(font);
    painter.setPen(Theme::ink());
    QRectF label = box.adjusted(10, 0, -26, 0);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(font).elidedText(text(), Qt::ElideRight, label.width()));
    // Up and down chevrons: a pop-up, not a menu that drops down only.
    QPointF center(box.right() - 14, box.center().y());
    QPainterPath chevrons;
    chevrons.moveTo(center + QPointF(-3.5, -2));
    chevrons.lineTo(center + QPointF(0, -5.5));
    chevrons.lineTo(center + QPointF(3.5, -2));
    chevrons.moveTo(center + QPointF(-3.5, 2));
    chevrons.lineTo(center + QPointF(0, 5.5));
    chevrons.lineTo(center + QPointF(3.5, 2));
    painter.setPen(QPen(Theme::muted(), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevrons);
    if (showsFocusRing()) Focus::paintRing(painter, box, 6);
}

// SegmentedControl

namespace {

// One segment to assistive technology: a tab, selected while chosen, whose press chooses it.
class SegmentAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SegmentAccessible(SegmentedControl* control, int index) : control_(control), index_(index) {}

    int index() const { return index_; }
    bool isValid() const override { return control_ && index_ < control_->segments().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return control_ ? control_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return control_ ? QAccessible::queryAccessibleInterface(control_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return isValid() && t == QAccessible::Name ? control_->segments()[index_] : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        QRect local = control_->segmentRect(index_).toAlignedRect();
        return {control_->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = isValid() && control_->current() == index_;
        state.invisible = !isValid() || !control_->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& action) override {
        if (isValid() && action == pressAction()) control_->choose(index_);
    }

private:
    QPointer<SegmentedControl> control_;
    int index_;
};

// The control is a row of tabs, named as the control is.
class SegmentedAccessible : public QAccessibleWidget {
public:
    explicit SegmentedAccessible(SegmentedControl* control)
        : QAccessibleWidget(control, QAccessible::PageTabList) {}
    ~SegmentedAccessible() override {
        for (QAccessible::Id id : children_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return static_cast<int>(control()->segments().size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        while (static_cast<int>(children_.size()) <= index)
            children_.push_back(QAccessible::registerAccessibleInterface(
                new SegmentAccessible(control(), static_cast<int>(children_.size()))));
        return QAccessible::accessibleInterface(children_[static_cast<size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        auto* segment = dynamic_cast<const SegmentAccessible*>(child);
        return segment && segment->index() < childCount() ? segment->index() : -1;
    }

private:
    SegmentedControl* control() const { return static_cast<SegmentedControl*>(widget()); }
    mutable std::vector<QAccessible::Id> children_;
};

QAccessibleInterface* segmentedFactory(const QString& key, QObject* object) {
    if (key == "kelvora::SegmentedControl")
        return new SegmentedAccessible(static_cast<SegmentedControl*>(object));
    return nullptr;
}

} // namespace

SegmentedControl::SegmentedControl(const QString& name, const QStringList& segments,
                                   QWidget* parent)
    : Ringed(parent), segments_(segments) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(segmentedFactory); });
    setAccessibleName(name);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void SegmentedControl::setCurrent(int index) {
    if (current_ == index) return;
    current_ = index;
    setAccessibleDescription(index >= 0 && index < segments_.size() ? segments_[index] : QString());
    update();
}

// Each segment as wide as its label, and the room left over shared out evenly, so a long
// label is never cut while the control keeps its width.
QRectF SegmentedControl::segmentRect(int index) const {
    QFontMetricsF metrics(Fonts::text(12.5, QFont::DemiBold));
    qreal labels = 0, before = 0;
    for (int i = 0; i < segments_.size(); ++i) {
        qreal label = metrics.horizontalAdvance(segments_[i]);
        labels += label;
        if (i < index) before += label;
    }
    qreal count = std::max<qsizetype>(segments_.size(), 1);
    qreal spare = std::max<qreal>(0, width() - 4.0 - labels) / count;
    qreal label = index < segments_.size() ? metrics.horizontalAdvance(segments_[index]) : 0;
    return QRectF(2 + before + index * spare, 2, label + spare, height() - 4.0);
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    Shapes::fillRounded(painter, box, 7, Theme::chip(), Theme::line());
    for (int i = 0; i < segments_.size(); ++i) {
        QRectF segment = segmentRect(i);
        bool chosen = i == current_;
        if (chosen) Shapes::fillRounded(painter, segment, 5.5, Theme::panel(), Theme::line());
        painter.setFont(Fonts::text(12.5, chosen ? QFont::DemiBold : QFont::Medium));
        painter.setPen(chosen ? Theme::ink() : Theme::muted());
        painter.drawText(segment, Qt::AlignCenter | Qt::TextSingleLine, segments_[i]);
    }
    if (showsFocusRing()) Focus::paintRing(painter, box, 7);
}

void SegmentedControl::choose(int index) {
    if (index >= 0 && index < segments_.size() && index != current_) emit chosen(index);
}

void SegmentedControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < segments_.size(); ++i)
        if (segmentRect(i).contains(event->position())) return choose(i);
}

void SegmentedControl::keyPressEvent(QKeyEvent* event) {
    int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    int next = std::clamp(current_ + step, 0, static_cast<int>(segments_.size()) - 1);
    if (step == 0 || next == current_) {
        QWidget::keyPressEvent(event);
        return;
    }
    emit chosen(next);
}

// RemoveButton

RemoveButton::RemoveButton(const QString& name, const QString& description, QWidget* parent)
    : PaintedButton({}, parent) {
    setAccessibleName(name);
    setAccessibleDescription(description);
    setToolTip(name);
}

void RemoveButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(painter, "minus.circle", rect(), 14, Theme::muted());
    if (showsFocusRing()) Focus::paintRing(painter, rect(), kSide / 2);
}

} // namespace kelvora
