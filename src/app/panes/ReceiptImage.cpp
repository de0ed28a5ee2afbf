#include "panes/ReceiptImage.h"

namespace kelvora::ReceiptImage {

// Placeholder until the receipt is drawn.
std::optional<QByteArray> png(const Receipt&) {
    return std::nullopt;
}

} // namespace kelvora::ReceiptImage
