#include "platform/StandIns.h"

#include "platform/AppPaths.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"

#include <cstdlib>
#include <map>

namespace kelvora {

namespace {

// The tool path as the scanners name it -> the name of our stand-in program.
const std::map<std::string, std::string>& standInTable() {
    static const std::map<std::string, std::string> table = {
        {"/bin/launchctl", "launchctl"},
        {"/usr/bin/osascript", "osascript"},
        {"/usr/bin/mdfind", "mdfind"},
    };
    return table;
}

} // namespace

std::string standInFolder() {
    if (const char* env = std::getenv("KELVORA_TOOLS_DIR"); env && *env) return env;
    std::string besideExecutable = joinPath(AppPaths::executableFolder(), "kelvora-tools");
    if (fileExists(besideExecutable)) return besideExecutable;
#ifdef KELVORA_TOOLS_BUILD_DIR
    return KELVORA_TOOLS_BUILD_DIR;
#else
    return besideExecutable;
#endif
}

std::optional<std::string> standInFor(const std::string& toolPath) {
    auto it = standInTable().find(toolPath);
    if (it == standInTable().end()) return std::nullopt;
    std::string folder = standInFolder();
    for (const std::string& candidate :
         {joinPath(joinPath(folder, it->second), it->second), joinPath(folder, it->second)})
        if (isExecutableFile(candidate)) return candidate;
    return std::nullopt;
}

bool isSystemTool(const std::string& toolPath) {
    if (!isExecutableFile(toolPath)) return false;
    auto standIn = standInFor(toolPath);
    return !standIn || identityOf(toolPath) != identityOf(*standIn);
}

} // namespace kelvora
