#include "design/Meter.h"

#include "design/Accessibility.h"
#include "design/Shapes.h"
#include "design/Theme.h"

#include <QPainter>

#include <algorithm>

namespace kelvora {

Meter::Meter(double fraction, QWidget* parent) : QWidget(parent), fraction_(fraction) {
    Accessibility::install();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Meter::setFraction(double fraction) {
    if (fraction == fraction_) return;
    fraction_ = fraction;
    update();
}

qreal Meter::fillWidth(double fraction, qreal trackWidth) {
    if (!(fraction > 0)) return 0;
    return std::max(4.0, trackWidth * std::min(fraction, 1.0));
}

void Meter::paint(QPainter& painter, const QRectF& track, double fraction) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(Shapes::capsule(track), Theme::chip());
    qreal width = fillWidth(fraction, track.width());
    if (width > 0)
        painter.fillPath(Shapes::capsule(QRectF(track.topLeft(), QSizeF(width, track.height()))),
                         Theme::ink());
    painter.restore();
}

QSize Meter::sizeHint() const {
    return QSize(120, static_cast<int>(kHeight));
}

void Meter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRectF track(0, (height() - kHeight) / 2, width(), kHeight);
    paint(painter, track, fraction_);
}

} // namespace kelvora
