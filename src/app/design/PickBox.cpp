#include "design/PickBox.h"

#include "design/Accessibility.h"
#include "design/Focus.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/Theme.h"

#include <QPainter>

namespace kelvora {

namespace {

constexpr qreal kBox = 16;
constexpr qreal kRadius = 4;
constexpr qreal kBorder = 1.2;
constexpr qreal kDisabledOpacity = 0.35;

class PickBoxAccessible : public Accessibility::ToggleAccessible {
public:
    explicit PickBoxAccessible(PickBox* box) : ToggleAccessible(box, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Accessibility::pickValue(on());
        return ToggleAccessible::text(t);
    }
};

QAccessibleInterface* makePickBox(const QString& key, QObject* object) {
    return key == "kelvora::PickBox" ? new PickBoxAccessible(static_cast<PickBox*>(object))
                                     : nullptr;
}

} // namespace

PickBox::PickBox(const QString& label, QWidget* parent) : Ringed(parent) {
    Accessibility::install(makePickBox);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(label);
}

void PickBox::paint(QPainter& painter, const QRectF& square, bool on, bool enabled,
                    bool focusRing) {
    painter.save();
    painter.setOpacity(painter.opacity() * (enabled ? 1.0 : kDisabledOpacity));
    QRectF box(square.center() - QPointF(kBox / 2, kBox / 2), QSizeF(kBox, kBox));
    Shapes::fillRounded(painter, box, kRadius, on ? Theme::ink() : Theme::panel(),
                        on ? Theme::ink() : Theme::faint(), kBorder);
    if (on) Symbols::paint(painter, "checkmark", box, 9.5, Theme::panel());
    if (focusRing) Focus::paintRing(painter, box.adjusted(-4, -4, 4, 4), kRadius + 4);
    painter.restore();
}

QSize PickBox::sizeHint() const {
    return QSize(kSide, kSide);
}

void PickBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRectF square(QPointF(0, 0), QSizeF(kSide, kSide));
    square.moveCenter(QRectF(rect()).center());
    paint(painter, square, isOn(), isEnabled(), showsFocusRing());
}

} // namespace kelvora
