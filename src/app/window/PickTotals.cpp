#include "window/PickTotals.h"

#include <algorithm>

namespace kelvora {

int64_t addBytes(int64_t a, int64_t b) {
    int64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? (b > 0 ? INT64_MAX : INT64_MIN) : sum;
}

int64_t PickTotals::largestReclaimable() const {
    int64_t largest = 0;
    for (const Counts& counts : kinds)
        largest = std::max(largest, counts.reclaimable);
    return std::max<int64_t>(largest, 1);
}

PickTotals PickTotals::count(const ScanResult& result, const PickList& picks) {
    PickTotals totals;
    for (const ScanItem& item : result.items) {
        Counts& counts = totals.kinds[static_cast<size_t>(item.kind)];
        ++counts.items;
        if (!item.isRemovable()) continue;
        ++counts.removable;
        counts.reclaimable = addBytes(counts.reclaimable, item.bytes);
        if (!picks.isPicked(item)) continue;
        ++counts.picked;
        counts.pickedBytes = addBytes(counts.pickedBytes, item.bytes);
    }
    for (const Counts& counts : totals.kinds) {
        totals.all.items += counts.items;
        totals.all.removable += counts.removable;
        totals.all.reclaimable = addBytes(totals.all.reclaimable, counts.reclaimable);
        totals.all.picked += counts.picked;
        totals.all.pickedBytes = addBytes(totals.all.pickedBytes, counts.pickedBytes);
    }
    return totals;
}

CategoryFigure categoryFigure(const PickTotals& totals, JunkKind kind) {
    const PickTotals::Counts& counts = totals.of(kind);
    bool optIn = !JunkKinds::pickedByDefault(kind);
    if (optIn && counts.pickedBytes == 0 && counts.reclaimable > 0)
        return {counts.reclaimable, true};
    return {counts.pickedBytes, optIn && counts.pickedBytes == 0};
}

bool isPrivate(const ScanResult& result, JunkKind kind) {
    switch (kind) {
    case JunkKind::trash:
        return result.trashAccess == FolderAccess::blocked;
    case JunkKind::mail:
        return result.mailAccess == FolderAccess::blocked;
    case JunkKind::downloads:
        return result.downloadsAccess == FolderAccess::blocked;
    default:
        return false;
    }
}

} // namespace kelvora
