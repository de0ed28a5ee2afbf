#include "engine/DiskScanner.h"
#include "engine/PathRules.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>

namespace kelvora {

namespace {

using Kind = SandboxApp::Kind;

bool isNameCharacter(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '-';
}

// A Flatpak application's id, as Flatpak accepts one: a D-Bus name of three or more pieces of
// letters, digits, "_" and "-", none beginning with a digit, "-" in the last piece only.
bool isFlatpakID(const std::string& id) {
    constexpr size_t kMaxLength = 255;
    if (id.empty() || id.size() > kMaxLength || id.front() == '.' || id.back() == '.' ||
        id.find("..") != std::string::npos)
        return false;
    const auto pieces = splitNonEmpty(id, '.');
    if (pieces.size() < 3) return false;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
        if (std::isdigit(static_cast<unsigned char>(piece.front()))) return false;
        if (i + 1 < pieces.size() && piece.find('-') != std::string::npos) return false;
        if (!std::all_of(piece.begin(), piece.end(), isNameCharacter)) return false;
    }
    return true;
}

// A snap's name, "<name>" or "<name>_<instance>": lower-case letters, digits and "-".
bool isSnapName(const std::string& name) {
    if (name.empty() || name.front() == '-' || name.front() == '_') return false;
    if (std::count(name.begin(), name.end(), '_') > 1) return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::islower(c) || std::isdigit(c) || c == '-' || c == '_';
    });
}

URL dataFolderOf(const URL& home, Kind kind) {
    return kind == Kind::flatpak ? home.appending(".var/app", true) : home.appending("snap", true);
}

// An app's data is a folder the home holds itself: one a link leads to, or that lies behind
// one, may be anything of the user's and is never offered.
bool isOwnDataFolder(const URL& home, const URL& folder) {
    auto info = fileInfo(folder);
    return info && info->isDirectory() && !reachedThroughLink(home, folder);
}

ScanItem sandboxItem(const SandboxApp& gone, const DiskScanner::Measured& measured,
                     std::optional<Date> lastChanged) {
    ScanItem item;
    item.kind = JunkKind::leftovers;
    item.location = gone.folder;
    item.targets = {gone.folder};
    item.bytes = std::max<int64_t>(measured.bytes, 1);
    item.baseVerdict = Verdict::youDecide;
    const bool flatpak = gone.kind == Kind::flatpak;
    item.record = ScanItem::LeftoverInfo{flatpak ? ScanItem::LeftoverInfo::Kind::flatpakData
                                                 : ScanItem::LeftoverInfo::Kind::snapData,
                                         gone.id,
                                         gone.id,
                                         {flatpak ? "~/.var/app" : "~/snap"},
                                         lastChanged,
                                         measured.files};
    return item;
}

} // namespace

// None when the tool is not on this computer, or when an installation of it could not be read
// now: then nothing says its apps are gone.
std::optional<std::set<std::string>> DiskScanner::sandboxInstalled(SandboxApp::Kind kind) const {
    std::set<std::string> ids;
    if (kind == Kind::snap) {
        if (!SandboxApps::hasSnapd(sandboxRoots)) return std::nullopt;
        for (const auto& snap : SandboxApps::snaps(sandboxRoots))
            ids.insert(snap.id);
        return ids;
    }
    const auto apps = SandboxApps::everyFlatpakApp(sandboxRoots, diskPlaces());
    if (!apps) return std::nullopt;
    for (const auto& app : *apps)
        ids.insert(app.id);
    // An entry named after the id, in any folder the desktop reads, comes from an
    // installation that is installed somewhere after all.
    if (desktopApplications)
        for (const auto& app : desktopApplications())
            ids.insert(app.id);
    return ids;
}

std::vector<ScanItem> DiskScanner::sandboxLeftovers(const std::vector<RunningApp>& apps,
                                                    FileCounter& counter) const {
    std::set<std::string> running;
    for (const auto& app : apps) {
        running.insert(lowercased(app.bundleID));
        running.insert(lowercased(app.name));
    }
    const Date cutoff = addSeconds(now(), -leftoverQuietPeriod);
    std::vector<SandboxApp> gone;
    for (Kind kind : {Kind::flatpak, Kind::snap}) {
        const auto installed = sandboxInstalled(kind);
        if (!installed) continue;
        const URL data = dataFolderOf(home, kind);
        if (!isOwnDataFolder(home, data)) continue;
        for (const auto& entry : listFolder(data).entries) {
            const std::string& id = entry.name;
            if (!entry.isDirectory() || installed->count(id)) continue;
            if (!(kind == Kind::flatpak ? isFlatpakID(id) : isSnapName(id))) continue;
            const std::string last = lowercased(splitNonEmpty(id, '.').back());
            if (running.count(lowercased(id)) || running.count(last)) continue;
            auto changed = newestChange(entry.url, counter);
            if (changed && !(*changed < cutoff)) continue;
            gone.push_back({kind, id, entry.url});
        }
    }
    std::vector<std::vector<URL>> groups;
    for (const auto& app : gone)
        groups.push_back({app.folder});
    const auto measured = measure(groups, counter);
    std::vector<ScanItem> items;
    for (size_t i = 0; i < gone.size(); ++i)
        items.push_back(sandboxItem(gone[i], measured[i], modificationDate(gone[i].folder)));
    return items;
}

std::optional<SandboxApp> DiskScanner::sandboxAppAt(const InstalledApp& app) const {
    const URL place = URL::fileURL(app.path).deletingLastPathComponent().standardized();
    // Every installation counts, one that cannot be read now included: its apps are not gone.
    for (const auto& installation :
         SandboxApps::knownFlatpakInstallations(sandboxRoots, diskPlaces()))
        if (place == installation.folder.appending("app", true).standardized())
            return SandboxApp{Kind::flatpak, app.bundleID, URL::fileURL(app.path, true)};
    for (const URL& folder : {sandboxRoots.snapMounts, sandboxRoots.snapd.appending("snaps", true)})
        if (place == folder.standardized())
            return SandboxApp{Kind::snap, app.bundleID, URL::fileURL(app.path, true)};
    return std::nullopt;
}

std::optional<ScanItem> DiskScanner::sandboxLeftover(const SandboxApp& app) const {
    const auto installed = sandboxInstalled(app.kind);
    if (!installed || installed->count(app.id)) return std::nullopt;
    if (!(app.kind == Kind::flatpak ? isFlatpakID(app.id) : isSnapName(app.id)))
        return std::nullopt;
    const URL data = dataFolderOf(home, app.kind).appending(app.id, true);
    auto info = fileInfo(data);
    if (!info || !info->isDirectory() || reachedThroughLink(home, data)) return std::nullopt;
    FileCounter counter;
    const auto measured = measure({{data}}, counter).front();
    return noted(sandboxItem({app.kind, app.id, data}, measured, info->modified));
}

} // namespace kelvora
