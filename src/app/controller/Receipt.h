#pragma once

#include "model/CleanReport.h"
#include "model/ScanResult.h"
#include "platform/Date.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvora {

// What a finished clean-up got back, by category, with the free space before and after.
struct Receipt {
    struct Line {
        std::string title;
        int64_t bytes = 0;
        bool operator==(const Line&) const = default;
    };

    Date date{};
    std::vector<Line> lines; // in category order
    int64_t total = 0;       // deleted plus shelved
    int64_t shelved = 0;
    int holdDays = 7;
    int64_t freeBefore = 0;
    int64_t freeAfter = 0;
    int64_t diskTotal = 0;

    static Receipt make(const ScanResult& before, const CleanReport& report, const DiskSpace& disk,
                        int holdDays, Date date);

    bool operator==(const Receipt&) const = default;
};

} // namespace kelvora
