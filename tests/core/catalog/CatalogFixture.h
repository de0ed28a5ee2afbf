#pragma once

#include "catalog/Catalog.h"
#include "platform/Calendar.h"

#include <map>
#include <optional>
#include <string>

namespace kelvora::testing {

// A catalog with fixed settings, clock and home, and one installed application instead of
// the machine's.
struct CatalogFixture {
    Catalog::Settings settings;
    std::map<std::string, std::string> installed = {{"com.example.sketchpad", "Sketchpad"}};
    Date now = Calendar::fromLocal({2024, 3, 31, 12, 0, 0});

    // The catalog reads the fixture's fields as they are at each call, so it must not outlive
    // the fixture: a temporary fixture cannot give one.
    Catalog catalog() const& {
        auto lookup = [this](const std::string& id) -> std::optional<std::string> {
            auto it = installed.find(id);
            return it == installed.end() ? std::nullopt : std::optional(it->second);
        };
        return Catalog([this] { return settings; }, lookup, [this] { return now; }, "/home/ann");
    }
    Catalog catalog() const&& = delete;
    Date daysAgo(int days) const { return Calendar::addingDays(now, -days); }
};

// An item at `path` (under ~/Library unless absolute), with one of its records set.
inline ScanItem makeItem(JunkKind kind, const std::string& path,
                         Verdict verdict = Verdict::youDecide) {
    ScanItem item;
    item.kind = kind;
    item.location = URL::fileURL(path.starts_with("/") ? path : "/home/ann/Library/" + path);
    item.targets = {item.location};
    item.bytes = 1000;
    item.baseVerdict = verdict;
    return item;
}

template <class Record>
ScanItem makeItem(JunkKind kind, const std::string& path, Record record,
                  Verdict verdict = Verdict::youDecide) {
    ScanItem item = makeItem(kind, path, verdict);
    item.record = std::move(record);
    return item;
}

inline ScanItem changed(ScanItem item, void (*change)(ScanItem&)) {
    change(item);
    return item;
}

} // namespace kelvora::testing
