#pragma once

#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/Url.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// What each folder a scan looks in was when the scan listed it, read from the descriptor the
// listing read through rather than from the folder's path at the end, so that a folder
// swapped for a link later in the scan, or after it, no longer matches. It hears of the
// listings of the thread that made it while it lives, and of those any thread tells it.
class ScanFolderLog {
public:
    struct Seen {
        FolderIdentity identity;
        bool changed = false; // seen as two different folders during the scan
    };

    explicit ScanFolderLog(const std::vector<URL>& folders);
    ScanFolderLog(const ScanFolderLog&) = delete;
    ScanFolderLog& operator=(const ScanFolderLog&) = delete;

    // A listing opened the folder at this path (as the scanner wrote it) as fd.
    void listed(const std::string& path, int fd);
    // How a scan folder was first seen; none when no listing reached it.
    std::optional<Seen> seen(const URL& folder) const;

private:
    void note(const std::string& folder, const FolderIdentity& identity);

    std::vector<std::string> folders_;
    mutable std::mutex lock_;
    std::map<std::string, Seen> seen_;
    ListingWatch watch_;
};

} // namespace kelvora
