#pragma once

#include "model/ScanItem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvora {

struct DiskSpace {
    int64_t total = 0;
    int64_t available = 0; // available for important use: purgeable space counts as free
    int64_t used() const { return total > available ? total - available : 0; }
    bool operator==(const DiskSpace&) const = default;
};

struct RunningApp {
    std::string name;
    std::string bundleID;
    bool operator==(const RunningApp&) const = default;
};

// The Mac's own apps and places that the scan met under the home folder: a text names one
// only where it is.
struct MacPlaces {
    bool library = false;       // the home's Library folder
    bool mail = false;          // Library/Mail
    bool messages = false;      // Library/Messages
    bool xcode = false;         // Xcode's data in Library/Developer
    bool photosLibrary = false; // a Photos library in the Pictures folder
    bool operator==(const MacPlaces&) const = default;
};

struct ScanResult {
    std::vector<ScanItem> items; // largest first
    FolderAccess trashAccess = FolderAccess::ok;
    FolderAccess mailAccess = FolderAccess::ok;
    FolderAccess downloadsAccess = FolderAccess::ok;
    DiskSpace disk;
    int64_t filesLookedAt = 0;
    double duration = 0;
    MacPlaces macPlaces;

    std::vector<ScanItem> itemsOf(JunkKind kind) const;
    // What the category can free: the removable items' bytes.
    int64_t reclaimable(JunkKind kind) const;
    int64_t reclaimable() const;
    std::vector<ScanItem> inUseItems() const;
};

} // namespace kelvora

template <> struct std::hash<kelvora::RunningApp> {
    std::size_t operator()(const kelvora::RunningApp& v) const noexcept {
        return std::hash<std::string>()(v.name) * 31 ^ std::hash<std::string>()(v.bundleID);
    }
};
