#pragma once

#include "model/ScanItem.h"
#include "platform/ProcessTable.h"
#include "platform/Url.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelvora {

using OpenFilesFunction = std::function<std::vector<RunningProcess>()>;

// The files that running processes hold, asked which process holds one at or below a place.
class HeldFiles {
public:
    explicit HeldFiles(std::vector<RunningProcess> processes);

    // The process holding a file at or below the place, reached as written or through the
    // links of the folders above it (the kernel names held files by their real paths).
    const RunningProcess* holderOf(const URL& place) const;
    // The process holding a file at or below any of the item's targets.
    const RunningProcess* holderOf(const ScanItem& item) const;

private:
    using RealFolders = std::map<std::string, std::string>; // folder -> with links resolved
    const RunningProcess* holderOf(const URL& place, RealFolders& realFolders) const;
    const RunningProcess* holderOfPath(const std::string& path) const;

    std::vector<RunningProcess> processes_;
    std::vector<std::pair<std::string, size_t>> files_; // path and holder, sorted by path
};

// The items whose use is checked before they are offered and again before they are
// removed: caches, temp files, applications, Mail, developer and AI files.
bool isCheckedForUse(const ScanItem& item);

// Marks every item checked for use that a process holds a file in as in use by that
// process, unless something already holds it. The processes are asked only when such an
// item exists.
void markHeldOpen(std::vector<ScanItem>& items, const OpenFilesFunction& openFiles);

} // namespace kelvora
