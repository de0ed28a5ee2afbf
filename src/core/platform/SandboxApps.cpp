#include "platform/SandboxApps.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <set>
#include <sstream>
#include <sys/stat.h>

namespace kelvora {

SandboxRoots SandboxRoots::live(const URL& dataHome) {
    return under(URL::fileURL("/", true), dataHome);
}

SandboxRoots SandboxRoots::under(const URL& root, const URL& dataHome) {
    return {dataHome.appending("flatpak", true), root.appending("var/lib/flatpak", true),
            root.appending("etc/flatpak", true), root.appending("snap", true),
            root.appending("var/lib/snapd", true)};
}

namespace SandboxApps {

namespace {

// A configuration file of a few lines; anything larger is not one.
constexpr size_t kMaxConfigBytes = 64 * 1024;

// The system's places may be links to another disk; they are read through them.
bool isFolder(const URL& url) {
    struct stat info {};
    return stat(url.path().c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The Path= lines of an installations.d file ("[Installation "extra"]" groups).
std::vector<URL> configuredPaths(const URL& file) {
    BoundedRead read = readFileAtMost(file.path(), kMaxConfigBytes);
    std::vector<URL> paths;
    if (!read.ok()) return paths;
    std::istringstream lines(read.bytes);
    std::string line;
    while (std::getline(lines, line)) {
        line = trimmed(line);
        if (!startsWith(line, "Path=")) continue;
        std::string path = trimmed(line.substr(5));
        if (startsWith(path, "/")) paths.push_back(URL::fileURL(path, true));
    }
    return paths;
}

// A snap's name from its file in snapd's folder: "<name>_<revision>.snap".
std::optional<std::string> snapName(const std::string& fileName) {
    if (!endsWith(fileName, ".snap")) return std::nullopt;
    size_t underscore = fileName.rfind('_');
    if (underscore == std::string::npos || underscore == 0) return std::nullopt;
    return fileName.substr(0, underscore);
}

} // namespace

std::vector<URL> flatpakInstallations(const SandboxRoots& roots) {
    std::vector<URL> candidates = {roots.flatpakUser, roots.flatpakSystem};
    for (const auto& entry :
         listFolderThroughLink(roots.flatpakConfig.appending("installations.d", true)).entries)
        if (entry.isRegularFile() && endsWith(entry.name, ".conf"))
            for (auto& path : configuredPaths(entry.url))
                candidates.push_back(std::move(path));
    std::vector<URL> found;
    std::set<std::string> seen;
    for (const auto& folder : candidates)
        if (isFolder(folder) && seen.insert(folder.standardized().path()).second)
            found.push_back(folder);
    return found;
}

std::vector<SandboxApp> flatpakApps(const SandboxRoots& roots) {
    return flatpakApps(flatpakInstallations(roots));
}

std::vector<SandboxApp> flatpakApps(const std::vector<URL>& installations) {
    std::vector<SandboxApp> apps;
    for (const auto& installation : installations)
        for (const auto& entry : listFolderThroughLink(installation.appending("app", true)).entries)
            if (entry.isDirectory())
                apps.push_back({SandboxApp::Kind::flatpak, entry.name, entry.url});
    return apps;
}

FlatpakApps readFlatpakApps(const SandboxRoots& roots) {
    FlatpakApps found;
    found.installations = flatpakInstallations(roots);
    auto readable = [](const URL& folder) {
        ListError error = listingError(folder, true);
        return error == ListError::none || error == ListError::notFound;
    };
    found.complete = readable(roots.flatpakConfig.appending("installations.d", true));
    for (const auto& installation : found.installations)
        found.complete = found.complete && readable(installation.appending("app", true));
    found.apps = flatpakApps(found.installations);
    return found;
}

URL flatpakEntries(const URL& installation) {
    return installation.appending("exports/share/applications", true);
}

URL snapEntries(const SandboxRoots& roots) {
    return roots.snapd.appending("desktop/applications", true);
}

bool hasSnapd(const SandboxRoots& roots) {
    return isFolder(roots.snapd);
}

std::vector<SandboxApp> snaps(const SandboxRoots& roots) {
    std::vector<SandboxApp> found;
    std::set<std::string> names;
    // /snap/bin holds the commands of every snap, not a snap of its own.
    for (const auto& entry : listFolderThroughLink(roots.snapMounts).entries)
        if (entry.isDirectory() && entry.name != "bin" && names.insert(entry.name).second)
            found.push_back({SandboxApp::Kind::snap, entry.name, entry.url});
    for (const auto& entry : listFolderThroughLink(roots.snapd.appending("snaps", true)).entries) {
        auto name = snapName(entry.name);
        if (name && entry.isRegularFile() && names.insert(*name).second)
            found.push_back({SandboxApp::Kind::snap, *name, entry.url});
    }
    return found;
}

std::vector<URL> appFolders(const SandboxRoots& roots) {
    std::vector<URL> folders;
    for (const auto& installation : flatpakInstallations(roots))
        folders.push_back(installation.appending("app", true));
    folders.push_back(roots.snapMounts);
    return folders;
}

} // namespace SandboxApps
} // namespace kelvora
