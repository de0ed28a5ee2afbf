#pragma once

#include "model/JunkKind.h"
#include "model/ShelfSweep.h"
#include "platform/Url.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

struct CleanReport {
    // What a clean could not remove or move, and why.
    struct Failure {
        URL url;
        std::string reason; // plain words for the user
        bool operator==(const Failure&) const = default;
    };

    int64_t freed = 0;
    int64_t shelved = 0;
    std::optional<ShelfSweep> sweep;
    int skippedInUse = 0;
    std::vector<Failure> failures;
    std::map<JunkKind, int64_t> byKind; // only categories that freed 1 byte or more
};

} // namespace kelvora
