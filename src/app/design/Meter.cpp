#include "design/Meter.h"

#include "design/Accessibility.h"
#include "design/Shapes.h"
#include "design/Theme.h"

#include <QAccessibleWidget>
#include <QPainter>

#include <algorithm>

namespace kelvora {

namespace {

// A meter only repeats a figure said beside it, so assistive technology passes it by.
class HiddenAccessible : public QAccessibleWidget {
public:
    explicit HiddenAccessible(QWidget* widget) : QAccessibleWidget(widget) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        return s;
    }
};

QAccessibleInterface* makeMeter(const QString& key, QObject* object) {
    return key == "kelvora::Meter" ? new HiddenAccessible(static_cast<QWidget*>(object)) : nullptr;
}

} // namespace

Meter::Meter(double fraction, QWidget* parent) : QWidget(parent), fraction_(fraction) {
    Accessibility::install(makeMeter);
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
