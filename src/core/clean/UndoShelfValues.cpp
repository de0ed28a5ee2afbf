#include "clean/UndoShelf.h"

#include "platform/Hash.h"
#include "platform/Saturating.h"

#include <algorithm>
#include <cmath>

namespace kelvora {

int64_t UndoShelf::Sweep::bytes() const {
    int64_t total = 0;
    for (const auto& entry : entries)
        addSaturating(total, entry.bytes);
    return total;
}

bool UndoShelf::Entry::canGoBack() const {
    return std::any_of(files.begin(), files.end(),
                       [](const File& file) { return !file.original.empty(); });
}

int UndoShelf::Sweep::daysLeft(Date now) const {
    double days = std::ceil(secondsBetween(now, expires) / 86400.0);
    return static_cast<int>(std::max(1.0, days));
}

} // namespace kelvora

using namespace kelvora;

std::size_t std::hash<UndoShelf::Entry::File::Identity>::operator()(
    const UndoShelf::Entry::File::Identity& v) const noexcept {
    return hashAll(v.size, v.device, v.inode);
}
std::size_t
std::hash<UndoShelf::Entry::File>::operator()(const UndoShelf::Entry::File& v) const noexcept {
    return hashAll(v.original, v.stored, v.identity);
}
std::size_t std::hash<UndoShelf::Entry>::operator()(const UndoShelf::Entry& v) const noexcept {
    return hashAll(v.id, v.label, v.kind, v.location, v.bytes, v.files, v.scannedIn);
}
std::size_t std::hash<UndoShelf::Sweep>::operator()(const UndoShelf::Sweep& v) const noexcept {
    return hashAll(v.id, v.date, v.expires, v.entries);
}
