#include "design/DialView.h"

#include "design/Accessibility.h"
#include "design/DialGeometry.h"
#include "design/Motion.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace kelvora {

namespace {

// A gauge nothing moves: its value is read from its description, which says both
// percentages. It implements no value interface, because the bridge offers Increase and
// Decrease on anything that has one, and nothing it could act on.
class DialAccessible : public QAccessibleWidget {
public:
    explicit DialAccessible(DialView* dial) : QAccessibleWidget(dial, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value || t == QAccessible::Description)
            return dial()->accessibleValue();
        return QAccessibleWidget::text(t);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface || type == QAccessible::ValueInterface)
            return nullptr;
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
    // One element: whatever it might hold is not read separately.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }

private:
    DialView* dial() const { return static_cast<DialView*>(widget()); }
};

QAccessibleInterface* makeDial(const QString& key, QObject* object) {
    return key == "kelvora::DialView" ? new DialAccessible(static_cast<DialView*>(object))
                                      : nullptr;
}

} // namespace

DialView::DialView(QWidget* parent) : QWidget(parent) {
    Accessibility::install(makeDial);
    setAccessibleName("Disk dial");
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void DialView::setValues(double used, double after, int64_t totalBytes) {
    used_ = used;
    after_ = after;
    totalBytes_ = totalBytes;
    swing(drawnUsed_, used, usedSwing_);
    swing(drawnAfter_, after, afterSwing_);
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
    update();
}

// Each share swings on a spring of its own, from wherever it is drawn now.
void DialView::swing(double& drawn, double target, QPointer<QVariantAnimation>& animation) {
    if (animation) animation->stop();
    if (!isVisible() || !Motion::animates(this)) {
        drawn = target;
        return;
    }
    double start = drawn;
    animation = Motion::animate(this, Dial::kChangeSpring, [this, &drawn, start, target](double t) {
        drawn = start + (target - start) * t;
        update();
    });
}

QString DialView::accessibleValue() const {
    return Dial::accessibleValue(used_, after_);
}

int DialView::heightForWidth(int width) const {
    return static_cast<int>(
        std::lround(width * DialGeometry::kDrawnHeight / DialGeometry::kDesignWidth));
}

QSize DialView::sizeHint() const {
    return {520, heightForWidth(520)};
}

void DialView::setAppear(Motion::Curve curve, double delaySeconds) {
    appearCurve_ = curve;
    appearDelay_ = delaySeconds;
}

double DialView::needle() const {
    return drawnUsed_ * progress();
}

double DialView::progress() const {
    return Motion::animates(this) ? shown_ : 1.0;
}

void DialView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Dial::paint(painter, DialGeometry::fittedBox(rect()), drawnUsed_ * progress(),
                drawnAfter_ * progress(), totalBytes_);
}

void DialView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    drawnUsed_ = used_;
    drawnAfter_ = after_;
    if (!Motion::animates(this)) {
        shown_ = 1;
        return;
    }
    shown_ = 0;
    appear_ = Motion::animate(
        this, appearCurve_,
        [this](double t) {
            shown_ = t;
            update();
        },
        appearDelay_);
}

void DialView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (appear_) appear_->stop();
    shown_ = 0;
}

} // namespace kelvora
