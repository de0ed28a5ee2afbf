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
    std::vector<ScanItem> picked(const ScanResult& result,
                                 std::optional<JunkKind> kind = std::nullopt) const;
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
