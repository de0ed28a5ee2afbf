#include "engine/DiskScanner.h"

#include "platform/AppImages.h"
#include "platform/FileSystem.h"
#include "platform/PackageName.h"
#include "platform/Text.h"

#include <cctype>
#include <map>
#include <set>

namespace kelvora {

namespace {

// Disk images and packages, and the packages and bundles of this system's installers.
const std::set<std::string>& installerExtensions() {
    static const std::set<std::string> extensions = {
        "dmg", "pkg", "mpkg", "xip", "deb", "rpm", "appimage", "flatpak", "flatpakref", "snap"};
    return extensions;
}

// Words that begin installer names without naming the application: "Install Spotify.dmg".
bool namesNoApplication(const std::string& word) {
    static const std::set<std::string> words = {"install", "setup"};
    return words.count(word) > 0;
}

const std::vector<std::string>& archiveSuffixes() {
    static const std::vector<std::string> suffixes = {".tar.gz", ".tar.bz2", ".tar.xz", ".tgz",
                                                      ".zip",    ".tar",     ".rar",    ".7z"};
    return suffixes;
}

// Words of letters only; digits, blanks and punctuation all separate.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> found;
    std::string word;
    for (unsigned char c : text) {
        if (std::isalpha(c) || c >= 0x80) {
            word += static_cast<char>(c);
        } else if (!word.empty()) {
            found.push_back(word);
            word.clear();
        }
    }
    if (!word.empty()) found.push_back(word);
    return found;
}

// Disk images and installer packages, which name their application in their first words.
bool isBundleInstaller(const std::string& extension) {
    static const std::set<std::string> extensions = {"dmg", "pkg", "mpkg", "xip"};
    return extensions.count(extension) > 0;
}

// The keys a desktop entry is known by: its file name, and without its reverse domain
// ("org.gimp.GIMP" as gimp); the program its Exec runs ("google-chrome-stable"), an AppImage's
// by its package name; and the name it shows.
std::vector<std::string> entryKeys(const DesktopEntries::Application& app) {
    std::vector<std::string> keys = {comparableName(app.id)};
    const auto pieces = splitNonEmpty(app.id, '.');
    if (pieces.size() >= 3) keys.push_back(comparableName(pieces.back()));
    const std::string program = lastComponent(app.program);
    // Flatpak's entries all run flatpak itself, which names none of them.
    if (!program.empty() && program != "flatpak") {
        keys.push_back(
            comparableName(AppImages::hasAppImageName(program) ? packageName(program) : program));
    }
    keys.push_back(comparableName(app.name));
    return keys;
}

// The first words of a disk image's or installer package's name ("Install Spotify.dmg",
// "Firefox 121.0.dmg") against the application bundles.
std::optional<std::string> bundleMatch(const std::string& stem,
                                       const std::vector<DiskScanner::InstalledAppKey>& installed) {
    std::vector<std::string> candidates;
    for (const auto& word : words(stem)) {
        if (word.size() < 3) continue;
        if (candidates.size() < 2) candidates.push_back(lowercased(word));
    }
    for (const auto& candidate : candidates) {
        if (namesNoApplication(candidate)) continue;
        for (const auto& app : installed) {
            if (!app.bundle) continue;
            if (startsWith(app.key, candidate) ||
                (startsWith(candidate, app.key) && app.key.size() > 3))
                return app.name;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<DiskScanner::InstalledAppKey> DiskScanner::installedAppKeys() const {
    std::vector<InstalledAppKey> keys;
    for (const auto& bundle : appBundles()) {
        std::string name = bundle.app.deletingPathExtension().lastPathComponent();
        keys.push_back({comparableName(name), name});
    }
    auto add = [&](const std::string& key, const std::string& name) {
        keys.push_back({key, name, false});
    };
    std::map<std::string, std::string> entryNames; // by the entry's file name
    if (desktopApplications)
        for (const auto& app : desktopApplications()) {
            entryNames[app.id] = app.name;
            for (const auto& key : entryKeys(app))
                add(key, app.name);
        }
    // Applications without a menu entry are installed too.
    for (const URL& folder : AppImages::folders(home))
        for (const auto& entry : listFolder(folder).entries)
            if (entry.isRegularFile() && AppImages::hasAppImageName(entry.name)) {
                const std::string name = packageName(entry.name);
                add(comparableName(name), name);
            }
    for (const auto& app : SandboxApps::flatpakApps(sandboxRoots, diskPlaces())) {
        auto named = entryNames.find(app.id);
        const std::string name = named != entryNames.end() ? named->second : app.id;
        add(comparableName(app.id), name);
        add(comparableName(splitNonEmpty(app.id, '.').back()), name);
    }
    for (const auto& snap : SandboxApps::snaps(sandboxRoots))
        add(comparableName(snap.id), snap.id);
    std::erase_if(keys, [](const InstalledAppKey& key) { return key.key.empty(); });
    return keys;
}

std::optional<std::string> DiskScanner::matchingApp(const std::string& installerName,
                                                    const std::vector<InstalledAppKey>& installed) {
    const URL file = URL::fileURL("/" + installerName);
    if (isBundleInstaller(lowercased(file.pathExtension())))
        if (auto app = bundleMatch(file.deletingPathExtension().lastPathComponent(), installed))
            return app;
    // A package matches only the application of its whole name: codeblocks is not code.
    const std::string key = comparableName(packageName(installerName));
    if (key.empty()) return std::nullopt;
    for (const auto& app : installed)
        if (app.key == key) return app.name;
    return std::nullopt;
}

ItemsAndAccess DiskScanner::scanDownloads(FileCounter& counter) const {
    if (!mayRead(downloadsFolder)) return {{}, FolderAccess::blocked};
    Listing listing = listFolderThroughLink(downloadsFolder);
    if (listing.error == ListError::permissionDenied) return {{}, FolderAccess::blocked};
    if (!listing.ok()) return {{}, FolderAccess::ok};

    Date cutoff = addSeconds(now(), -downloadsAge);
    std::set<std::string> names;
    for (const auto& entry : listing.entries)
        names.insert(entry.name);
    auto installed = installedAppKeys();
    // An AppImage kept in Downloads and run from the menu, or running now, is the installed
    // application itself, however its name matches.
    std::optional<std::set<FileIdentity>> inUse;

    std::vector<ScanItem> items;
    for (const auto& entry : listing.entries) {
        if (AppImages::hasAppImageName(entry.name) && entry.isRegularFile()) {
            if (!inUse) inUse = appImagesInUse();
            if (inUse->count({entry.device, entry.inode})) continue;
        }
        auto download = judgeDownload(entry, names, installed, cutoff);
        if (!download) continue;
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = entry.url;
        item.targets = {entry.url};
        item.bytes = freedSizes({{entry.url}}, counter).front();
        item.baseVerdict = Verdict::youDecide;
        item.record = std::move(*download);
        items.push_back(std::move(item));
    }
    return {std::move(items), FolderAccess::ok};
}

std::optional<ScanItem::DownloadInfo>
DiskScanner::judgeDownload(const FileInfo& entry, const std::set<std::string>& names,
                           const std::vector<InstalledAppKey>& installed, Date cutoff) const {
    using Info = ScanItem::DownloadInfo;
    const URL& url = entry.url;
    const std::string& name = entry.name;
    std::string lower = lowercased(name);
    auto usage = appUsage ? appUsage(url) : std::nullopt;
    const std::optional<Date> lastOpened =
        lastOpenedDate(usage ? usage->lastOpened : std::nullopt, entry.accessed, entry.modified);
    std::optional<Date> openedLongAgo;
    if (lastOpened && *lastOpened < cutoff) openedLongAgo = lastOpened;

    if (installerExtensions().count(lowercased(url.pathExtension()))) {
        if (auto app = matchingApp(name, installed)) {
            Date downloaded = usage && usage->added ? *usage->added
                                                    : modificationDate(url).value_or(distantPast());
            if (downloaded < cutoff)
                return Info{Info::FileKind::installer, Info::Reason::appInstalled(*app)};
            return std::nullopt;
        }
        if (openedLongAgo)
            return Info{Info::FileKind::installer, Info::Reason::opened(*openedLongAgo)};
        return std::nullopt;
    }
    for (const auto& suffix : archiveSuffixes()) {
        if (!endsWith(lower, suffix)) continue;
        std::string base = name.substr(0, name.size() - suffix.size());
        for (const auto& unpacked : {base, base + " 2"})
            if (unpacked != name && names.count(unpacked))
                return Info{Info::FileKind::archive, Info::Reason::unpacked(unpacked)};
        if (openedLongAgo)
            return Info{Info::FileKind::archive, Info::Reason::opened(*openedLongAgo)};
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace kelvora
