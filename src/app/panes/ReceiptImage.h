#pragma once

#include "controller/Receipt.h"

#include <QByteArray>

#include <optional>

namespace kelvora::ReceiptImage {

// The receipt drawn at twice its size as PNG data; nothing when it cannot be drawn.
std::optional<QByteArray> png(const Receipt& receipt);

} // namespace kelvora::ReceiptImage
