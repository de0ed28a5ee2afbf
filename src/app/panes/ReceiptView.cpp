#include "panes/ReceiptView.h"

#include <QPainter>

#include <cmath>

namespace kelvora {

ReceiptView::ReceiptView(const Receipt& receipt, QWidget* parent)
    : QWidget(parent), layout_(receipt) {
    setObjectName("ReceiptView");
    setAccessibleName("Receipt");
    setFixedSize(sizeHint());
}

QSize ReceiptView::sizeHint() const {
    return {static_cast<int>(std::ceil(layout_.size().width())),
            static_cast<int>(std::ceil(layout_.size().height()))};
}

void ReceiptView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    layout_.paint(painter);
}

} // namespace kelvora
