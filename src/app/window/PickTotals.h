#pragma once

#include "model/PickList.h"
#include "model/ScanResult.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// What a result holds and what the picks take of it, per category and in all. The
// sidebar, the overview and the footer show running totals that change with every pick, so
// they are counted in one pass over the items instead of one per figure.
struct PickTotals {
    struct Counts {
        int items = 0;
        int removable = 0;       // items a clean-up could take at all
        int64_t reclaimable = 0; // their bytes
        int picked = 0;
        int64_t pickedBytes = 0;
    };

    std::array<Counts, 15> kinds{};
    Counts all;

    const Counts& of(JunkKind kind) const { return kinds[static_cast<size_t>(kind)]; }
    // The category that could free the most, at least 1 so it can divide.
    int64_t largestReclaimable() const;

    static PickTotals count(const ScanResult& result, const PickList& picks);
};

// The figure a category shows beside its name: what is picked in it; for a category the
// user opts into, while nothing of it is picked, what it could free instead, drawn faint.
struct CategoryFigure {
    int64_t bytes = 0;
    bool onlyFound = false;
};
CategoryFigure categoryFigure(const PickTotals& totals, JunkKind kind);

// Whether the scan was refused the folder this category lives in.
bool isPrivate(const ScanResult& result, JunkKind kind);

// A sum that stops at the largest size instead of wrapping round.
int64_t addBytes(int64_t a, int64_t b);

} // namespace kelvora
