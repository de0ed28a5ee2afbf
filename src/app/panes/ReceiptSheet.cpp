#include "panes/ReceiptSheet.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

ReceiptSheet::ReceiptSheet(const Receipt&, std::function<void()>, QWidget* parent)
    : QWidget(parent) {
    setObjectName("ReceiptSheet");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Receipt", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
