#pragma once

#include <functional>
#include <variant>

class QObject;
class QVariantAnimation;
class QWidget;

namespace kelvora {

// Animation that every view shares, and the rule for when there is none.
namespace Motion {

// True when the environment variable KELVORA_REDUCE_MOTION is set to anything but "" or
// "0": the user asked for no movement, so values change at once.
bool reduceMotion();
// Whether a view may animate: not in a still picture and not under reduced motion.
bool animates(const QWidget* widget);

// A damped spring, described as a response (the period of the undamped swing, in seconds)
// and a damping fraction (1 settles without overshoot, less overshoots a little).
struct Spring {
    double response = 0.5;
    double damping = 0.85;

    // Progress at `seconds` after the start: 0 at the start, settling at 1.
    double value(double seconds) const;
    // Seconds until the progress stays within 0.001 of 1.
    double settleTime() const;
};

// An ease-out over a fixed time: quick at first, slowing into its end (cubic, as every
// ease-out of the window), never past it.
struct EaseOut {
    double duration = 0.3;

    // Progress at `seconds` after the start: 0 before it, 1 from `duration` on.
    double value(double seconds) const;
    double settleTime() const { return duration; }
};

// How a change travels from 0 to 1.
using Curve = std::variant<Spring, EaseOut>;
double value(const Curve& curve, double seconds);
double settleTime(const Curve& curve);

// Drives `step` with the curve's progress, after `delaySeconds`, on the main thread's
// timer; `step(1)` is always the last call. The animation belongs to `owner` and ends with
// it; stop it (QAbstractAnimation::stop) to cut it short.
QVariantAnimation* animate(QObject* owner, Curve curve, std::function<void(double)> step,
                           double delaySeconds = 0);

} // namespace Motion
} // namespace kelvora
