#include "model/ScanResult.h"

#include "platform/Saturating.h"

namespace kelvora {

std::vector<ScanItem> ScanResult::itemsOf(JunkKind kind) const {
    std::vector<ScanItem> out;
    for (const auto& item : items)
        if (item.kind == kind) out.push_back(item);
    return out;
}

int64_t ScanResult::reclaimable(JunkKind kind) const {
    int64_t total = 0;
    for (const auto& item : items)
        if (item.kind == kind && item.isRemovable()) addSaturating(total, item.bytes);
    return total;
}

int64_t ScanResult::reclaimable() const {
    int64_t total = 0;
    for (JunkKind kind : JunkKinds::allCases())
        addSaturating(total, reclaimable(kind));
    return total;
}

std::vector<ScanItem> ScanResult::inUseItems() const {
    std::vector<ScanItem> out;
    for (const auto& item : items)
        if (item.inUseBy) out.push_back(item);
    return out;
}

} // namespace kelvora
