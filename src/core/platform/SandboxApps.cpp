#include "platform/SandboxApps.h"

#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cstdlib>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace kelvora {

SandboxRoots SandboxRoots::live(const URL& dataHome) {
    SandboxRoots roots = under(URL::fileURL("/", true), dataHome);
    for (const char* variable : {"FLATPAK_USER_DIR", "FLATPAK_SYSTEM_DIR"}) {
        const char* value = std::getenv(variable);
        if (value && *value == '/') roots.flatpakMoved.push_back(URL::fileURL(value, true));
    }
    return roots;
}

SandboxRoots SandboxRoots::under(const URL& root, const URL& dataHome) {
    return {dataHome.appending("flatpak", true),   root.appending("var/lib/flatpak", true),
            root.appending("etc/flatpak", true),   root.appending("snap", true),
            root.appending("var/lib/snapd", true), {}};
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

// The installations a file of installations.d names: each group [Installation "id"] with its
// Path, read as a key file (blanks around "=", comments, escapes). None when the file could
// not be read or a group names no absolute path, as then no one knows where that one is.
std::optional<std::vector<URL>> configuredPaths(const URL& file) {
    BoundedRead read = readFileAtMost(file.path(), kMaxConfigBytes);
    if (!read.ok()) return std::nullopt;
    std::vector<URL> paths;
    std::istringstream lines(read.bytes);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string header = trimmed(line);
        if (!startsWith(header, "[Installation ") || !endsWith(header, "]")) continue;
        auto path = DesktopEntry::parse(read.bytes, header).value("Path");
        if (!path || !startsWith(*path, "/")) return std::nullopt;
        paths.push_back(URL::fileURL(*path, true));
    }
    return paths;
}

// An installation reached through an empty folder may lie on a disk that is away, wherever
// that folder is: taking it for gone would give up the data of every app it holds, so the
// places where an empty folder is only empty for a program are not such places for it.
DiskPlaces installationPlaces(DiskPlaces places) {
    places.programRoots.clear();
    return places;
}

// Whether the applications an installation holds can be read: its app folder is there and
// can be listed, or is surely not there (one that has installed nothing yet).
bool appsReadable(const URL& installation, const DiskPlaces& places) {
    const URL apps = installation.appending("app", true);
    switch (presenceOf(apps.path(), places)) {
    case Presence::gone:
        return true;
    case Presence::unknown:
        return false;
    case Presence::present:
        break;
    }
    return listingError(apps, true) == ListError::none;
}

// The applications of one installation; none when its app folder could not be listed.
std::optional<std::vector<SandboxApp>> appsOf(const URL& installation) {
    Listing listing = listFolderThroughLink(installation.appending("app", true));
    if (!listing.ok() && listing.error != ListError::notFound) return std::nullopt;
    std::vector<SandboxApp> apps;
    for (const auto& entry : listing.entries)
        if (entry.isDirectory()) apps.push_back({SandboxApp::Kind::flatpak, entry.name, entry.url});
    return apps;
}

// A snap's name from its file in snapd's folder: "<name>_<revision>.snap".
std::optional<std::string> snapName(const std::string& fileName) {
    if (!endsWith(fileName, ".snap")) return std::nullopt;
    size_t underscore = fileName.rfind('_');
    if (underscore == std::string::npos || underscore == 0) return std::nullopt;
    return fileName.substr(0, underscore);
}

} // namespace

std::vector<FlatpakInstallation> knownFlatpakInstallations(const SandboxRoots& roots,
                                                           const DiskPlaces& places) {
    const DiskPlaces disks = installationPlaces(places);
    std::vector<URL> candidates = {roots.flatpakUser, roots.flatpakSystem};
    candidates.insert(candidates.end(), roots.flatpakMoved.begin(), roots.flatpakMoved.end());
    std::vector<FlatpakInstallation> unreadConfiguration;
    const URL configured = roots.flatpakConfig.appending("installations.d", true);
    const Listing listing = listFolderThroughLink(configured);
    if (!listing.ok() && (listing.error != ListError::notFound ||
                          presenceOf(configured.path(), disks) == Presence::unknown))
        unreadConfiguration.push_back({configured, false});
    for (const auto& entry : listing.entries) {
        if (entry.isDirectory() || !endsWith(entry.name, ".conf")) continue;
        if (auto paths = configuredPaths(entry.url))
            candidates.insert(candidates.end(), paths->begin(), paths->end());
        else
            unreadConfiguration.push_back({entry.url, false});
    }
    std::vector<FlatpakInstallation> found;
    std::set<std::string> seen;
    for (const auto& folder : candidates) {
        if (!seen.insert(folder.standardized().path()).second) continue;
        const Presence presence = presenceOf(folder.path(), disks);
        // A file where an installation would be is none.
        if (presence == Presence::gone || (presence == Presence::present && !isFolder(folder)))
            continue;
        found.push_back({folder, presence == Presence::present && appsReadable(folder, disks)});
    }
    found.insert(found.end(), unreadConfiguration.begin(), unreadConfiguration.end());
    return found;
}

std::vector<URL> flatpakInstallations(const SandboxRoots& roots, const DiskPlaces& places) {
    return readableFolders(knownFlatpakInstallations(roots, places));
}

std::vector<URL> readableFolders(const std::vector<FlatpakInstallation>& known) {
    std::vector<URL> folders;
    for (const auto& installation : known)
        if (installation.readable) folders.push_back(installation.folder);
    return folders;
}

std::vector<SandboxApp> flatpakApps(const SandboxRoots& roots, const DiskPlaces& places) {
    return flatpakApps(flatpakInstallations(roots, places));
}

std::vector<SandboxApp> flatpakApps(const std::vector<URL>& installations) {
    std::vector<SandboxApp> apps;
    for (const auto& installation : installations)
        if (auto held = appsOf(installation)) apps.insert(apps.end(), held->begin(), held->end());
    return apps;
}

std::optional<std::vector<SandboxApp>> everyFlatpakApp(const SandboxRoots& roots,
                                                       const DiskPlaces& places) {
    return everyFlatpakApp(knownFlatpakInstallations(roots, places));
}

std::optional<std::vector<SandboxApp>>
everyFlatpakApp(const std::vector<FlatpakInstallation>& known) {
    if (known.empty()) return std::nullopt;
    std::vector<SandboxApp> apps;
    for (const auto& installation : known) {
        auto held = installation.readable ? appsOf(installation.folder) : std::nullopt;
        if (!held) return std::nullopt;
        apps.insert(apps.end(), held->begin(), held->end());
    }
    return apps;
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

std::vector<URL> appFolders(const SandboxRoots& roots, const DiskPlaces& places) {
    std::vector<URL> folders;
    for (const auto& installation : flatpakInstallations(roots, places))
        folders.push_back(installation.appending("app", true));
    folders.push_back(roots.snapMounts);
    return folders;
}

} // namespace SandboxApps
} // namespace kelvora
