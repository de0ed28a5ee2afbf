#pragma once

#include "catalog/Catalog.h"
#include "model/ScanResult.h"
#include "window/PickTotals.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// What the overview of every category shows, worked out from a result and the picks.
namespace Overview {

inline constexpr const char* kHint =
    "Untick anything you want to keep. Nothing moves until you press Clean up.";

struct Summary {
    double used = 0;  // share of the disk in use at the end of the scan
    double after = 0; // the same once the picks are cleaned
    int64_t totalBytes = 0;
    std::string number; // "12.6"
    std::string unit;   // "GB"
    std::string foundLine;
    bool operator==(const Summary&) const = default;
};
Summary summary(const ScanResult& result, const PickTotals& totals);

struct Row {
    JunkKind kind = JunkKind::caches;
    std::string title;
    std::string symbol;
    std::string subtitle;
    Verdict verdict = Verdict::safe;
    double meter = 0; // against the category that could free the most
    std::string size;
    bool faintSize = false;
    bool divider = true;
    bool operator==(const Row&) const = default;
};
std::vector<Row> rows(const Catalog& catalog, const ScanResult& result, const PickTotals& totals);

// "3 items are open in apps right now, like Safari. Kelvora leaves them alone."; none when
// nothing is in use.
std::optional<std::string> inUseNotice(const ScanResult& result);

} // namespace Overview
} // namespace kelvora
