#include "design/Motion.h"

#include "design/Snapshot.h"

#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace kelvora::Motion {

namespace {

constexpr double kSettled = 0.001;

double angularFrequency(const Spring& spring) {
    return 2 * std::numbers::pi / std::max(spring.response, 1e-3);
}

} // namespace

bool reduceMotion() {
    const char* value = std::getenv("KELVORA_REDUCE_MOTION");
    return value && *value && std::string_view(value) != "0";
}

bool animates(const QWidget* widget) {
    return !reduceMotion() && !Snapshot::isSnapshot(widget);
}

double Spring::value(double seconds) const {
    if (seconds <= 0) return 0;
    double omega = angularFrequency(*this);
    double zeta = std::clamp(damping, 0.0, 1.0);
    double decay = std::exp(-zeta * omega * seconds);
    if (zeta >= 1) return 1 - decay * (1 + omega * seconds);
    double damped = omega * std::sqrt(1 - zeta * zeta);
    return 1 - decay * (std::cos(damped * seconds) +
                        zeta * omega / damped * std::sin(damped * seconds));
}

double Spring::settleTime() const {
    double omega = angularFrequency(*this);
    double zeta = std::clamp(damping, 0.05, 1.0);
    // The swing never leaves the envelope amplitude × e^(−ζωt); an overdamped spring is
    // bounded by (1 + ωt)e^(−ωt), which the same reckoning with a larger amplitude covers.
    double amplitude = zeta < 1 ? 1 / std::sqrt(1 - zeta * zeta) : 10;
    return std::log(amplitude / kSettled) / (zeta * omega);
}

double EaseOut::value(double seconds) const {
    if (seconds <= 0) return 0;
    if (seconds >= duration) return 1;
    double left = 1 - seconds / duration;
    return 1 - left * left * left;
}

double value(const Curve& curve, double seconds) {
    return std::visit([seconds](const auto& c) { return c.value(seconds); }, curve);
}

double settleTime(const Curve& curve) {
    return std::visit([](const auto& c) { return c.settleTime(); }, curve);
}

QVariantAnimation* animate(QObject* owner, Curve curve, std::function<void(double)> step,
                           double delaySeconds) {
    auto* animation = new QVariantAnimation(owner);
    double total = delaySeconds + settleTime(curve);
    animation->setStartValue(0.0);
    animation->setEndValue(total);
    animation->setDuration(static_cast<int>(std::ceil(total * 1000)));
    QObject::connect(animation, &QVariantAnimation::valueChanged, owner,
                     [curve, step, delaySeconds](const QVariant& seconds) {
                         step(value(curve, seconds.toDouble() - delaySeconds));
                     });
    QObject::connect(animation, &QVariantAnimation::finished, owner, [step] { step(1); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

} // namespace kelvora::Motion
