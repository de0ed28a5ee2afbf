#pragma once

#ifndef Q_MOC_RUN
#include "model/Format.h"
#include "spacemap/FolderGuide.h"
#include "spacemap/SpaceMap.h"
#endif

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::SpaceMapText {

inline constexpr const char* kTitle = "Space map";
inline constexpr const char* kOnlyReading = "Only reading. Nothing changes.";
inline constexpr const char* kNothingHere = "Nothing here takes up space.";
inline constexpr const char* kHint = "Click a tile to see what it is. Double-click a folder to "
                                     "zoom in.";
inline constexpr const char* kUnknown = "Kelvora doesn’t know this one. It’s most likely your "
                                        "own files, or an app’s data. Nothing here is removed "
                                        "unless you do it.";

// One step of the path bar.
struct Crumb {
    URL url;
    std::string label;
    bool current = false; // the folder shown: not a button that goes anywhere
    bool operator==(const Crumb&) const = default;
};

// "Home" for the home folder, however it is reached; else the folder's name.
std::string rootName(const URL& url, const URL& home);
// From the map's root (or the folder itself when it lies above the root) down to the folder.
std::vector<Crumb> breadcrumb(const URL& root, const URL& folder, const URL& home);
// "Back" is offered everywhere but at the map's root.
bool showsBack(const URL& root, const URL& folder);
URL backTarget(const URL& folder);

std::string measuringText(int64_t files);
// The children without a measured size, named on one line; none when there are none.
std::optional<std::string> privateLine(const std::vector<SpaceMap::Entry>& children);
// The children drawn as tiles: those of at least one byte, in the same order.
std::vector<SpaceMap::Entry> measured(const std::vector<SpaceMap::Entry>& children);

// A path as the user reads it: "/private/var/" as "/var/", the home folder as "~".
std::string displayPath(const URL& url, const URL& home);

struct Advice {
    std::string text;
    std::string symbol;
};
Advice advice(FolderGuide::Advice advice);

// What the inspector shows about the selected item.
struct Inspection {
    SpaceMap::Entry entry;
    std::optional<Format::SizeParts> size;
    std::optional<std::string> share; // "12% of this folder"
    std::string path;
    std::optional<FolderGuide::Answer> answer;
};

// The selected item among the children of its folder; none when it is not among them.
std::optional<SpaceMap::Entry> selectedEntry(const URL& selection,
                                             const std::vector<SpaceMap::Entry>& siblings);
// "<p>% of this folder", p rounded half away from zero; none without a folder size of at
// least one byte.
std::optional<std::string> shareText(int64_t bytes, std::optional<int64_t> folderSize);
Inspection inspect(const SpaceMap::Entry& entry, std::optional<int64_t> folderSize, const URL& home,
                   const FolderGuide::AppLocator& locateApp = {},
                   const FolderGuide::CacheRules& caches = {});

} // namespace kelvora::SpaceMapText
