#pragma once

#include "design/DialGeometry.h"
#include "design/Motion.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <cstdint>

namespace kelvora {

// The disk dial: a semicircular gauge whose needle stands at the share of the disk in use
// and whose orange band shows how far it would fall if the picks were cleaned. It keeps its
// ratio (400 : 206, and room below for the hub: 400 : 215 in all), centred in whatever frame
// it gets. When it appears it sweeps up from the
// left end, and new values swing into place; in a still picture or under reduced motion it
// stands at its values at once. Assistive technology reads it as "Disk dial" with
// "87 percent used now, 85 percent after cleaning".
class DialView : public QWidget {
    Q_OBJECT

public:
    explicit DialView(QWidget* parent = nullptr);

    // `used` and `after` are shares of the disk (0 to 1); `totalBytes` places the ticks.
    void setValues(double used, double after, int64_t totalBytes);
    double used() const { return used_; }
    double after() const { return after_; }
    int64_t totalBytes() const { return totalBytes_; }
    QString accessibleValue() const;
    // How the dial sweeps up each time it appears; a spring after a short pause unless told.
    void setAppear(Motion::Curve curve, double delaySeconds);
    // The share the needle points at this moment, on its way or at rest.
    double needle() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    double progress() const;
    void swing(double& drawn, double target, QPointer<QVariantAnimation>& animation);

    double used_ = 0;
    double after_ = 0;
    int64_t totalBytes_ = 0;
    // What is drawn now: the appear progress and the two shares on their way to the values.
    double shown_ = 0;
    Motion::Curve appearCurve_ = Dial::kAppearSpring;
    double appearDelay_ = Dial::kAppearDelay;
    double drawnUsed_ = 0;
    double drawnAfter_ = 0;
    QPointer<QVariantAnimation> appear_;
    QPointer<QVariantAnimation> usedSwing_;
    QPointer<QVariantAnimation> afterSwing_;
};

} // namespace kelvora
