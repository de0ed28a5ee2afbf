#pragma once

#include "controller/Receipt.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace kelvora::ReceiptImage {

// The receipt drawn at twice its size as PNG data; nothing when it cannot be drawn.
std::optional<QByteArray> png(const Receipt& receipt);

// "Kelvora receipt 2025-03-07.png": the day the receipt was made, as a calendar date in UTC.
QString fileName(Date date);

// Writes the PNG into the temporary folder under `fileName`, replacing a file of that name;
// its path, or nothing when it could not be drawn or written.
std::optional<std::string> file(const Receipt& receipt);

} // namespace kelvora::ReceiptImage
