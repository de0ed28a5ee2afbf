#include "design/Spinner.h"

#include "design/Motion.h"
#include "design/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace kelvora {

namespace {

// A standing spinner's phase steps once per spoke each second.
constexpr int kStandingSpokes = 8;

} // namespace

SpinnerShape SpinnerShape::standing(qreal side) {
    return {kStandingSpokes, side * 0.25, side * 0.45, std::max<qreal>(1.5, side / 11), 0.3};
}

void paintSpinner(QPainter& painter, QPointF center, const SpinnerShape& shape, const QColor& color,
                  int phase) {
    const int n = shape.spokes;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < n; ++i) {
        int age = ((phase - i) % n + n) % n;
        QColor spoke = color;
        spoke.setAlphaF(1.0 - (1.0 - shape.faintest) * age / (n - 1));
        painter.setPen(QPen(spoke, shape.width, Qt::SolidLine, Qt::RoundCap));
        double angle = -M_PI / 2 + 2 * M_PI * i / n;
        QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(center + direction * shape.inner, center + direction * shape.outer);
    }
    painter.restore();
}

void paintSpinner(QPainter& painter, QPointF center, const QColor& color, int phase) {
    paintSpinner(painter, center, SpinnerShape::small(), color, phase);
}

// ---- SpinnerClock ----

SpinnerClock::SpinnerClock(QWidget* view, int intervalMs, std::function<void()> stepped)
    : QObject(view), view_(view), timer_(new QTimer(this)) {
    timer_->setInterval(intervalMs);
    connect(timer_, &QTimer::timeout, this, [this, stepped = std::move(stepped)] {
        ++phase_;
        stepped();
    });
    view->installEventFilter(this);
}

void SpinnerClock::setWanted(bool wanted) {
    wanted_ = wanted;
    follow();
}

void SpinnerClock::follow() {
    bool turning = wanted_ && view_->isVisible() && Motion::animates(view_);
    if (turning && !timer_->isActive()) timer_->start();
    if (!turning) {
        timer_->stop();
        phase_ = 0;
    }
}

bool SpinnerClock::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        follow();
    return QObject::eventFilter(watched, event);
}

// ---- Spinner ----

Spinner::Spinner(qreal side, QWidget* parent)
    : Spinner(side, SpinnerShape::standing(side), 1000 / kStandingSpokes, parent) {}

Spinner::Spinner(qreal side, const SpinnerShape& shape, int intervalMs, QWidget* parent)
    : QWidget(parent), side_(side), shape_(shape),
      clock_(new SpinnerClock(this, intervalMs, [this] { update(); })) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    clock_->setWanted(true);
}

QSize Spinner::sizeHint() const {
    int side = static_cast<int>(std::ceil(side_));
    return {side, side};
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSpinner(painter, QRectF(rect()).center(), shape_, Theme::muted(), clock_->phase());
}

} // namespace kelvora
