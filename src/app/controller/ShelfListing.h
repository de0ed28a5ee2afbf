#pragma once

#include "clean/UndoShelf.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kelvora {

// The Undo Shelf as last read, shared by the controller and the views and never copied: a
// shelf of a hundred thousand entries takes longer to copy, order or free than a frame. It
// is made on the pool thread that read the shelf, and freed on a pool thread too.
struct ShelfListing {
    std::vector<UndoShelf::Sweep> sweeps; // newest first
    // For each clean-up, the indices of its entries largest first.
    std::vector<std::vector<uint32_t>> largestFirst;
    int64_t bytes = 0; // of every clean-up, pinned at the largest figure

    static std::shared_ptr<const ShelfListing> of(std::vector<UndoShelf::Sweep> sweeps);
    // Entries of equal size keep the order they were stored in.
    static std::vector<uint32_t> orderLargestFirst(const UndoShelf::Sweep& sweep);
};

} // namespace kelvora
