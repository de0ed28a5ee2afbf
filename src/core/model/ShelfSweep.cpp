#include "model/ShelfSweep.h"

#include "platform/Hash.h"
#include "platform/Saturating.h"

#include <algorithm>
#include <cmath>

namespace kelvora {

int64_t ShelfSweep::bytes() const {
    int64_t total = 0;
    for (const auto& entry : entries)
        addSaturating(total, entry.bytes);
    return total;
}

bool ShelfEntry::canGoBack() const {
    return anyGoesBack && std::any_of(files.begin(), files.end(),
                                      [](const File& file) { return !file.original.empty(); });
}

int ShelfSweep::daysLeft(Date now) const {
    double days = std::ceil(secondsBetween(now, expires) / 86400.0);
    return static_cast<int>(std::max(1.0, days));
}

} // namespace kelvora

using namespace kelvora;

std::size_t std::hash<ShelfEntry::File::Identity>::operator()(
    const ShelfEntry::File::Identity& v) const noexcept {
    return hashAll(v.size, v.device, v.inode);
}
std::size_t std::hash<ShelfEntry::Folder>::operator()(const ShelfEntry::Folder& v) const noexcept {
    if (!v.identity) return hashAll(v.path, false);
    return hashAll(v.path, true, v.identity->device, v.identity->inode);
}
std::size_t std::hash<ShelfEntry::File>::operator()(const ShelfEntry::File& v) const noexcept {
    return hashAll(v.original, v.stored, v.identity);
}
std::size_t std::hash<ShelfEntry>::operator()(const ShelfEntry& v) const noexcept {
    return hashAll(v.id, v.label, v.kind, v.location, v.bytes, v.files, v.scannedIn, v.partlyRead,
                   v.whyItStays, v.anyGoesBack);
}
std::size_t std::hash<ShelfSweep>::operator()(const ShelfSweep& v) const noexcept {
    return hashAll(v.id, v.date, v.expires, v.entries);
}
