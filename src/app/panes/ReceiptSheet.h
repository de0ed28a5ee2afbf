#pragma once

#include "controller/Receipt.h"
#include <QWidget>

#include <functional>

namespace kelvora {

// A plain placeholder for the receipt sheet until it is drawn.
class ReceiptSheet : public QWidget {
    Q_OBJECT

public:
    explicit ReceiptSheet(const Receipt& receipt, std::function<void()> close,
                          QWidget* parent = nullptr);
};

} // namespace kelvora
