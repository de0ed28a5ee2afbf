#pragma once

#include "clean/UndoShelf.h"
#include "model/JunkKind.h"
#include "platform/Url.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

struct CleanReport {
    using Failure = UndoShelf::Failure;

    int64_t freed = 0;
    int64_t shelved = 0;
    std::optional<UndoShelf::Sweep> sweep;
    int skippedInUse = 0;
    std::vector<Failure> failures;
    std::map<JunkKind, int64_t> byKind; // only categories that freed 1 byte or more
};

} // namespace kelvora
