#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cctype>
#include <set>

namespace kelvora {

namespace {

// Disk images and packages, and the packages and bundles of this system's installers.
const std::set<std::string>& installerExtensions() {
    static const std::set<std::string> extensions = {
        "dmg", "pkg", "mpkg", "xip", "deb", "rpm", "appimage", "flatpak", "flatpakref", "snap"};
    return extensions;
}

// Words that begin installer names without naming the application: "Install Spotify.dmg",
// and the reverse domain of a Flatpak reference ("org.gimp.GIMP.flatpakref").
bool namesNoApplication(const std::string& word) {
    static const std::set<std::string> words = {"install", "setup", "org", "com", "net"};
    return words.count(word) > 0;
}

const std::vector<std::string>& archiveSuffixes() {
    static const std::vector<std::string> suffixes = {".tar.gz", ".tar.bz2", ".tar.xz", ".tgz",
                                                      ".zip",    ".tar",     ".rar",    ".7z"};
    return suffixes;
}

bool isAlphanumeric(unsigned char c) {
    return std::isalnum(c) || c >= 0x80;
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

std::string keyOf(const std::string& name) {
    std::string key;
    for (unsigned char c : lowercased(name))
        if (isAlphanumeric(c)) key += static_cast<char>(c);
    return key;
}

// A desktop entry's identifier without its reverse domain: "org.mozilla.firefox" is known
// as firefox, "google-chrome" as itself.
std::string entryKey(const std::string& id) {
    const auto pieces = splitNonEmpty(id, '.');
    return keyOf(pieces.size() >= 3 ? pieces.back() : id);
}

} // namespace

std::vector<DiskScanner::InstalledAppKey> DiskScanner::installedAppKeys() const {
    std::vector<InstalledAppKey> keys;
    for (const auto& bundle : appBundles()) {
        std::string name = bundle.app.deletingPathExtension().lastPathComponent();
        keys.push_back({keyOf(name), name});
    }
    // An application of this system is known by its entry's file name ("code") and by the
    // name it shows ("Visual Studio Code").
    if (desktopApplications)
        for (const auto& app : desktopApplications()) {
            keys.push_back({entryKey(app.id), app.name});
            keys.push_back({keyOf(app.name), app.name});
        }
    std::erase_if(keys, [](const InstalledAppKey& key) { return key.key.empty(); });
    return keys;
}

std::optional<std::string> DiskScanner::matchingApp(const std::string& installerName,
                                                    const std::vector<InstalledAppKey>& installed) {
    std::string stem =
        URL::fileURL("/" + installerName).deletingPathExtension().lastPathComponent();
    std::vector<std::string> candidates;
    for (const auto& word : words(stem)) {
        if (word.size() < 3) continue;
        if (candidates.size() < 2) candidates.push_back(lowercased(word));
    }
    for (const auto& candidate : candidates) {
        if (namesNoApplication(candidate)) continue;
        for (const auto& app : installed) {
            if (startsWith(app.key, candidate) ||
                (startsWith(candidate, app.key) && app.key.size() > 3))
                return app.name;
        }
    }
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

    std::vector<ScanItem> items;
    for (const auto& entry : listing.entries) {
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
