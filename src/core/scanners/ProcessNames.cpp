#include "catalog/AppNames.h"
#include "engine/DiskScanner.h"

namespace kelvora {

std::map<std::string, std::string>
DiskScanner::programNames(const std::set<std::string>& programs) {
    const auto entries = AppNames::installedEntries();
    std::map<std::string, std::string> names;
    for (const auto& program : programs) {
        const auto* app = AppNames::entryFor(program, *entries);
        names[program] = app ? app->name : program;
    }
    return names;
}

std::vector<RunningProcess> DiskScanner::liveOpenFiles() {
    auto processes = ProcessTable::holdingFiles();
    // Many processes run one program (a browser's tabs): each program is looked up once.
    std::set<std::string> programs;
    for (const auto& process : processes)
        programs.insert(process.name);
    const auto names = programNames(programs);
    for (auto& process : processes)
        process.name = names.at(process.name);
    return processes;
}

} // namespace kelvora
