#include "catalog/AppNames.h"
#include "engine/DiskScanner.h"
#include "platform/Url.h"

#include <map>

namespace kelvora {

std::string DiskScanner::applicationName(const RunningProcess& process,
                                         const std::vector<std::string>& desktopEntryFolders) {
    const std::string program =
        process.executable.empty() ? process.name : lastComponent(process.executable);
    if (auto name = AppNames::desktopEntryName(program, desktopEntryFolders)) return *name;
    return program;
}

std::vector<RunningProcess> DiskScanner::liveOpenFiles() {
    auto processes = ProcessTable::holdingFiles();
    const auto folders = AppNames::desktopEntryFolders();
    // Many processes run one program (a browser's tabs): each program is looked up once.
    std::map<std::string, std::string> names;
    for (auto& process : processes) {
        auto [known, fresh] = names.try_emplace(process.executable + '\n' + process.name);
        if (fresh) known->second = applicationName(process, folders);
        process.name = known->second;
    }
    return processes;
}

} // namespace kelvora
