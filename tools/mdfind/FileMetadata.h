#pragma once

#include "platform/Date.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::mdfind {

// What the search can ask of one item, worked out from its name and status; the costlier
// values are read only when a query asks for them.
class FileMetadata {
public:
    explicit FileMetadata(FileInfo info);

    const std::string& name() const { return info_.name; }
    const std::string& contentType() const { return tree_.front(); }
    // The content type and every type it conforms to, itself first.
    const std::vector<std::string>& contentTypeTree() const { return tree_; }
    bool isScreenCapture() const;
    // A file's length; a package's is the length of everything in it; a folder has none.
    std::optional<int64_t> size() const;
    Date contentChanged() const { return info_.modified; }
    // The recorded last use; without one, a file's is the later of its access and
    // modification times, and an application has none.
    std::optional<Date> lastUsed() const;

private:
    FileInfo info_;
    std::vector<std::string> tree_;
    mutable std::optional<std::optional<int64_t>> size_;
    mutable std::optional<std::optional<Date>> lastUsed_;
};

std::vector<std::string> contentTypeTree(const std::string& name, bool isDirectory);
bool isScreenCapture(const URL& url);

} // namespace kelvora::mdfind
