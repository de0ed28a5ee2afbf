#include "controller/ShelfListing.h"

#include "platform/Saturating.h"

#include <QThreadPool>

#include <malloc.h>

#include <algorithm>
#include <utility>

namespace kelvora {

namespace {

// The allocator keeps what reading a large shelf used, hundreds of megabytes for a hundred
// thousand entries, unless it is told to give back what it no longer holds.
void giveBackFreedMemory() {
    malloc_trim(0);
}

} // namespace

std::shared_ptr<const ShelfListing> ShelfListing::of(std::vector<UndoShelf::Sweep> sweeps) {
    auto* listing = new ShelfListing{std::move(sweeps), {}, 0};
    listing->largestFirst.reserve(listing->sweeps.size());
    for (const auto& sweep : listing->sweeps) {
        listing->largestFirst.push_back(orderLargestFirst(sweep));
        addSaturating(listing->bytes, sweep.bytes());
    }
    giveBackFreedMemory();
    // The last holder is usually on the main thread; the entries' strings are freed elsewhere.
    return std::shared_ptr<const ShelfListing>(listing, [](const ShelfListing* gone) {
        if (QThreadPool* pool = QThreadPool::globalInstance())
            pool->start([gone] {
                delete gone;
                giveBackFreedMemory();
            });
        else
            delete gone; // the process is ending
    });
}

std::vector<uint32_t> ShelfListing::orderLargestFirst(const UndoShelf::Sweep& sweep) {
    // Sorting the sizes beside their places reads each entry once, not at every comparison.
    std::vector<std::pair<int64_t, uint32_t>> keys;
    keys.reserve(sweep.entries.size());
    for (uint32_t i = 0; i < sweep.entries.size(); ++i)
        keys.emplace_back(sweep.entries[i].bytes, i);
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<uint32_t> order;
    order.reserve(keys.size());
    for (const auto& key : keys)
        order.push_back(key.second);
    return order;
}

} // namespace kelvora
