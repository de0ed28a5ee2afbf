#pragma once

#include "platform/StopToken.h"
#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kelvora {

// A folder tree measured once; answers the size and direct children of any folder in it
// without measuring again. Folders not entered are private: shown without a size.
class SpaceMap {
public:
    // One direct child of a folder, identified by its URL.
    struct Entry {
        URL url;
        std::string name;
        std::optional<int64_t> bytes; // absent for a private folder
        bool isFolder = false;        // a folder the map can open
        const URL& id() const { return url; }
        bool operator==(const Entry&) const = default;
    };

    using Progress = std::function<void(int64_t filesMeasured)>;

    // Places the system keeps private to the user's data, never entered.
    static std::set<std::string> protectedFolders(const URL& home);
    // Walks the tree under `root` (symbolic links never followed, pseudo file systems never
    // entered), reporting the file count every 5,000 files and once at the end. Once `stop`
    // is set the walk ends at the next folder or file, leaving a map that is incomplete.
    static std::shared_ptr<const SpaceMap> measure(const URL& root,
                                                   const std::set<std::string>& skipping,
                                                   const Progress& progress = {},
                                                   const StopToken& stop = {});

    const URL& root() const { return root_; }
    int64_t filesMeasured() const { return filesMeasured_; }
    // The measured size of a folder of the tree; none for files, private or unknown folders.
    std::optional<int64_t> size(const URL& folder) const;
    // The folder's children as the disk lists them now, largest first, private ones last.
    std::vector<Entry> children(const URL& folder) const;

private:
    SpaceMap(URL root, const std::set<std::string>& skipped);
    void walk(const Progress& progress, const StopToken& stop);

    URL root_;
    int64_t filesMeasured_ = 0;
    std::unordered_map<std::string, int64_t> folderSizes_;
    std::unordered_set<std::string> privateFolders_;
    std::unordered_set<std::string> skipped_;
};

} // namespace kelvora

template <> struct std::hash<kelvora::SpaceMap::Entry> {
    std::size_t operator()(const kelvora::SpaceMap::Entry& entry) const noexcept;
};
