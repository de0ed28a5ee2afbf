#include "panes/Spinner.h"

#include "design/Motion.h"
#include "design/Theme.h"

#include <QPainter>
#include <QTimer>

#include <cmath>

namespace kelvora {

namespace {

constexpr int kSpokes = 8;

} // namespace

Spinner::Spinner(int size, QWidget* parent)
    : QWidget(parent), size_(size), timer_(new QTimer(this)) {
    setFixedSize(size, size);
    setAccessibleName("In progress");
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, [this] {
        phase_ = (phase_ + 1) % kSpokes;
        update();
    });
}

void Spinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (Motion::animates(this)) timer_->start();
}

void Spinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_->stop();
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPointF center = QRectF(rect()).center();
    qreal outer = size_ / 2.0;
    qreal inner = outer * 0.5;
    for (int i = 0; i < kSpokes; ++i) {
        int age = ((phase_ - i) % kSpokes + kSpokes) % kSpokes;
        QColor spoke = Theme::muted();
        spoke.setAlphaF(1.0 - 0.75 * age / (kSpokes - 1));
        painter.setPen(QPen(spoke, size_ / 9.0, Qt::SolidLine, Qt::RoundCap));
        double angle = -M_PI / 2 + 2 * M_PI * i / kSpokes;
        QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(center + direction * inner, center + direction * (outer - size_ / 16.0));
    }
}

} // namespace kelvora
