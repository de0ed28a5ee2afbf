#pragma once

#include "platform/StopToken.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelvora {

// Parallel folder walker that measures what removing files and folders would free:
// the files' blocks and each folder's own. Hard-linked files count only when every one
// of their links was met.
struct FastSize {
    struct Entry {
        std::string name;
        uint32_t type = 0; // 1 regular file, 2 directory, anything else ignored
        int32_t device = 0;
        uint64_t fileID = 0;
        uint32_t links = 1;
        int64_t allocated = 0;
        std::optional<int64_t> privateSize;

        bool operator==(const Entry&) const = default;
    };

    static constexpr uint32_t kRegularFile = 1;
    static constexpr uint32_t kDirectory = 2;
    static constexpr uint32_t kSymbolicLink = 5;
    static constexpr uint32_t kOther = 0;

    struct Total {
        struct Linked {
            int64_t links = 0;
            int64_t seen = 0;
            int64_t bytes = 0;
            bool operator==(const Linked&) const = default;
        };

        int64_t bytes = 0;
        int64_t files = 0;
        std::unordered_map<std::string, Linked> linked;
        int64_t folders = 0; // the folders' own blocks

        void add(const Entry& entry);
        // A folder's own blocks; a folder is never hard-linked and is not a file.
        void addFolder(int64_t allocated);
        void merge(const Total& other);
        int64_t freed() const;
        // What the files alone free, the folders holding them left out.
        int64_t freedByFiles() const;
    };

    // Once `stop` is set the totals hold only what was counted so far.
    static std::vector<Total> walk(const std::vector<std::vector<std::string>>& groups,
                                   const StopToken& stop = {});
    static std::optional<std::vector<Entry>> read(const std::string& folder);
};

} // namespace kelvora
