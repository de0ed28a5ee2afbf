#include "engine/ScanFolderLog.h"

#include "engine/PathRules.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace kelvora {

namespace {

// The folder `levels` steps above an open one, through ".." alone, so it is the folder the
// listing really went through, whatever links its path crossed.
std::optional<FolderIdentity> ancestorOf(int fd, size_t levels) {
    std::string up = "..";
    for (size_t level = 1; level < levels; ++level)
        up += "/..";
    int ancestor = openat(fd, up.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (ancestor < 0) return std::nullopt;
    auto identity = folderIdentityOf(ancestor);
    close(ancestor);
    return identity;
}

} // namespace

ScanFolderLog::ScanFolderLog(const std::vector<URL>& folders)
    : watch_([this](const std::string& path, int fd) { listed(path, fd); }) {
    for (const auto& folder : folders)
        folders_.push_back(folder.standardized().path());
}

void ScanFolderLog::listed(const std::string& path, int fd) {
    const std::string listed = standardizedPath(path);
    const std::string* folder = nullptr;
    for (const auto& candidate : folders_)
        if (isSameOrInside(listed, candidate) && (!folder || candidate.size() > folder->size()))
            folder = &candidate;
    if (!folder) return;
    if (listed == *folder) {
        if (auto identity = folderIdentityOf(fd)) note(*folder, *identity);
        return;
    }
    {
        // Below a folder already seen, a listing tells nothing new that is worth its cost.
        std::lock_guard guard(lock_);
        if (seen_.count(*folder)) return;
    }
    const std::string below = listed.substr(folder->size() == 1 ? 1 : folder->size() + 1);
    const size_t levels = 1 + std::count(below.begin(), below.end(), '/');
    auto ancestor = ancestorOf(fd, levels);
    // A link on the way below the folder makes the ancestor some other folder: only one
    // that is where the folder's path leads counts.
    if (ancestor && ancestor == folderIdentityAt(*folder)) note(*folder, *ancestor);
}

void ScanFolderLog::note(const std::string& folder, const FolderIdentity& identity) {
    std::lock_guard guard(lock_);
    auto [at, fresh] = seen_.try_emplace(folder, Seen{identity, false});
    if (!fresh && at->second.identity != identity) at->second.changed = true;
}

std::optional<ScanFolderLog::Seen> ScanFolderLog::seen(const URL& folder) const {
    std::lock_guard guard(lock_);
    auto at = seen_.find(folder.standardized().path());
    if (at == seen_.end()) return std::nullopt;
    return at->second;
}

} // namespace kelvora
