#pragma once

#include "model/ScanItem.h"
#include "platform/FileIdentity.h"
#include "platform/ProcessTable.h"
#include "platform/Url.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelvora {

using OpenFilesFunction = std::function<std::vector<RunningProcess>()>;

// What running processes hold, asked which process holds something at or below a place.
class HeldFiles {
public:
    explicit HeldFiles(std::vector<RunningProcess> processes);

    // The process holding the place or something below it: by identity, so a process
    // working there, holding the folder open, or reaching it through a link or from another
    // mount namespace is found; and by the path the kernel names its files by, reached as
    // written or through the links of the folders above it.
    const RunningProcess* holderOf(const URL& place) const;
    // The process holding something at or below any of the item's targets or, for a process
    // whose files cannot be read, the one the item's folder is named after, by its name or a
    // word of its command line, or whose command line names the item's place or one of its
    // targets (as written or with links resolved), whole or within a word (as the code a
    // script is started with does).
    const RunningProcess* holderOf(const ScanItem& item) const;

private:
    using RealFolders = std::map<std::string, std::string>; // folder -> with links resolved
    const RunningProcess* holderOf(const URL& place, RealFolders& realFolders) const;
    const RunningProcess* holderOfPath(const std::string& path) const;
    const RunningProcess* holderByName(const ScanItem& item) const;

    std::vector<RunningProcess> processes_;
    std::vector<std::pair<std::string, size_t>> files_;   // path and holder, by path
    std::vector<std::pair<FileIdentity, size_t>> places_; // identity and holder, sorted
};

// The items whose use is checked before they are offered and again before they are
// removed: caches, temp files, applications, Mail, developer and AI files.
bool isCheckedForUse(const ScanItem& item);

// Marks every item checked for use that a process holds a file in as in use by that
// process, unless something already holds it. The processes are asked only when such an
// item exists.
void markHeldOpen(std::vector<ScanItem>& items, const OpenFilesFunction& openFiles);

} // namespace kelvora
