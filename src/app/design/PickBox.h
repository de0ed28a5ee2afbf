#pragma once

#include "design/Focus.h"

#include <QAbstractButton>

namespace kelvora {

// The pick checkbox: a 16 px box in a 28 px square that takes the click. A click (or Space
// with keyboard focus) emits `clicked`; the box does not flip itself: the caller's model
// changes the pick and hands back the new state with `setOn`. Its label is never drawn,
// only spoken: assistive technology hears the label and "picked" or "not picked".
// Disabled, it ignores clicks and is drawn at 35 % opacity.
class PickBox : public Focus::Ringed<QAbstractButton> {
    Q_OBJECT

public:
    explicit PickBox(const QString& label = {}, QWidget* parent = nullptr);

    bool isOn() const { return isChecked(); }
    void setOn(bool on) { setChecked(on); }
    QString label() const { return accessibleName(); }
    void setLabel(const QString& label) { setAccessibleName(label); }

    static constexpr qreal kSide = 28;
    // Paints the box centred in `square` (its 28 px hit area).
    static void paint(QPainter& painter, const QRectF& square, bool on, bool enabled,
                      bool focusRing = false);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}
};

} // namespace kelvora
