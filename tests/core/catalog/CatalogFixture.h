#pragma once

#include "catalog/Catalog.h"
#include "platform/Calendar.h"

#include <map>
#include <string>

namespace kelvora::testing {

// A catalog with fixed settings, clock and home, and a list of installed applications
// instead of the machine's.
struct CatalogFixture {
    Catalog::Settings settings;
    std::map<std::string, std::string> installed = {{"com.example.sketchpad", "Sketchpad"}};
    Date now = Calendar::fromLocal({2024, 3, 31, 12, 0, 0});

    Catalog catalog() const {
        return Catalog([this] { return settings; },
                       [this](const std::string& id) -> std::optional<std::string> {
                           auto it = installed.find(id);
                           if (it == installed.end()) return std::nullopt;
                           return it->second;
                       },
                       [this] { return now; }, "/home/ann");
    }

    Date daysAgo(int days) const { return Calendar::addingDays(now, -days); }
};

inline ScanItem makeItem(JunkKind kind, const std::string& path, int64_t bytes = 1000,
                         Verdict verdict = Verdict::youDecide) {
    ScanItem item;
    item.kind = kind;
    item.location = URL::fileURL(path);
    item.targets = {item.location};
    item.bytes = bytes;
    item.baseVerdict = verdict;
    return item;
}

} // namespace kelvora::testing
