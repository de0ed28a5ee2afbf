#pragma once

#include <functional>

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

// Drives `step` with the spring's progress, after `delaySeconds`, on the main thread's
// timer; `step(1)` is always the last call. The animation belongs to `owner` and ends with
// it; stop it (QAbstractAnimation::stop) to cut it short.
QVariantAnimation* animate(QObject* owner, Spring spring, std::function<void(double)> step,
                           double delaySeconds = 0);

} // namespace Motion
} // namespace kelvora
