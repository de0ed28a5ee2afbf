#pragma once

#include "model/ScanResult.h"

#include <optional>
#include <string>
#include <unordered_set>

namespace kelvora {

// The user's picks, stored as departures from each category's default: un-picked items of
// the categories picked by default, and picked items of the others.
struct PickList {
    std::unordered_set<URL> excluded;
    std::unordered_set<URL> included;

    bool isPicked(const ScanItem& item) const;
    // Copies of the picked items, for work that outlives the result (a clean-up).
    std::vector<ScanItem> picked(const ScanResult& result,
                                 std::optional<JunkKind> kind = std::nullopt) const;
    // Calls `visit` with each picked item in place. Views sum and count picks of results of
    // tens of thousands of items at every change, so they read them here without copying.
    template <class Visit>
    void forEachPicked(const ScanResult& result, std::optional<JunkKind> kind,
                       Visit&& visit) const {
        for (const auto& item : result.items)
            if ((!kind || item.kind == *kind) && isPicked(item)) visit(item);
    }
    int64_t pickedBytes(const ScanResult& result,
                        std::optional<JunkKind> kind = std::nullopt) const;
    void toggle(const ScanItem& item);
    void pickAll(JunkKind kind, const ScanResult& result, bool picked);

    // {"excluded": [...], "included": [...]} with absolute URL texts.
    std::string toJson() const;
    // Nothing when either key is missing or holds anything but an array of URL texts.
    static std::optional<PickList> fromJson(const std::string& text);

    bool operator==(const PickList&) const = default;

private:
    void set(const ScanItem& item, bool picked);
};

} // namespace kelvora
