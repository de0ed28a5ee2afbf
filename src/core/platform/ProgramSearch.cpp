#include "platform/ProgramSearch.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace kelvora {

namespace {

// The name without its folder, in lower case and without a version ("python3.11": python).
std::string bareName(const std::string& program) {
    std::string name = lowercased(lastComponent(program));
    while (!name.empty() &&
           (std::isdigit(static_cast<unsigned char>(name.back())) || name.back() == '.'))
        name.pop_back();
    return name;
}

} // namespace

std::optional<std::string> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path || name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    for (const std::string& folder : splitNonEmpty(path, ':')) {
        std::string candidate = joinPath(folder, name);
        if (isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

bool startsAnotherProgram(const std::string& program) {
    static constexpr std::array<std::string_view, 25> launchers = {
        "sh",     "bash", "dash", "zsh",  "fish",       "ksh",       "env",      "flatpak", "snap",
        "python", "perl", "ruby", "node", "gjs",        "java",      "xdg-open", "lua",     "php",
        "wine",   "mono", "gio",  "dex",  "gtk-launch", "kioclient", "electron"};
    const std::string name = bareName(program);
    return std::find(launchers.begin(), launchers.end(), name) != launchers.end();
}

bool isGenericTool(const std::string& program) {
    static constexpr std::array<std::string_view, 7> tools = {
        "true", "false", "nohup", "setsid", "systemctl", "dbus-send", "busctl"};
    const std::string name = bareName(program);
    return startsAnotherProgram(program) ||
           std::find(tools.begin(), tools.end(), name) != tools.end();
}

std::optional<std::string> findInFolders(const std::string& name,
                                         const std::vector<std::string>& folders,
                                         const DiskPlaces& places) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    std::optional<std::string> unsure;
    for (const std::string& folder : folders) {
        const std::string candidate = joinPath(folder, name);
        if (folder.front() != '/') {
            if (!unsure) unsure = candidate;
            continue;
        }
        if (isExecutableFile(candidate)) return candidate;
        if (!unsure && presenceOf(candidate, places) != Presence::gone) unsure = candidate;
    }
    return unsure;
}

} // namespace kelvora
