#include "catalog/AppNames.h"
#include "engine/DiskScanner.h"
#include "platform/DesktopEntries.h"

#include <map>

namespace kelvora {

std::vector<RunningProcess> DiskScanner::liveOpenFiles() {
    auto processes = ProcessTable::holdingFiles();
    const auto folders = AppNames::desktopEntryFolders();
    // Many processes run one program (a browser's tabs): each program is looked up once.
    std::map<std::string, std::string> names;
    for (auto& process : processes) {
        auto [known, fresh] = names.try_emplace(process.name);
        if (fresh)
            known->second = DesktopEntries::nameOf(process.name, folders).value_or(process.name);
        process.name = known->second;
    }
    return processes;
}

} // namespace kelvora
