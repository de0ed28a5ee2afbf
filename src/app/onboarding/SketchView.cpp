#include "onboarding/SketchView.h"

#include <QPainter>

#include <cmath>

namespace kelvora {

SketchView::SketchView(QWidget* parent) : QWidget(parent) {}

void SketchView::place(const QString& slot, QWidget* child) {
    child->setParent(this);
    children_[slot] = child;
}

void SketchView::relayout() {
    sketch_ = layout(size());
    for (const auto& [name, child] : children_) {
        if (!child) continue;
        auto slot = sketch_.places.find(name);
        if (slot == sketch_.places.end()) {
            child->hide();
            continue;
        }
        const QRectF& place = slot->second;
        child->setGeometry(QRect(QPoint(std::lround(place.left()), std::lround(place.top())),
                                 QSize(std::lround(place.width()), std::lround(place.height()))));
        child->show();
    }
    update();
}

void SketchView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void SketchView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    sketch_.paint(painter);
}

} // namespace kelvora
