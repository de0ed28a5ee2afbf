#pragma once

#include "model/JunkKind.h"
#include "model/ScanItem.h"

#include <string>

namespace kelvora::ShelfLabels {

// The category's name in full, as the receipt prints it.
std::string categoryTitle(JunkKind kind);
// The plain name an item keeps on the Undo Shelf: an application's or removed
// application's name, a login item's name, the extras of a photo, else its category.
std::string name(const ScanItem& item);

} // namespace kelvora::ShelfLabels
