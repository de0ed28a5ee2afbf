#include "engine/DiskScanner.h"

#include "platform/AppImages.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/PackageName.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <set>
#include <unistd.h>

namespace kelvora {

namespace {

// One desktop entry, as far as an AppImage's removal needs it.
struct EntryFacts {
    URL file;
    std::string program; // the file its Exec runs, links resolved where it exists
    std::optional<FileIdentity> runs;
    std::string name;
    std::string icon;
    bool own = false; // in the user's applications or autostart folder, so it may go along
};

// A link in an AppImage folder ("~/.local/bin/obsidian") and where it leads.
struct LinkFacts {
    URL link;
    std::string target;
    std::optional<FileIdentity> leadsTo;
};

// What the AppImages of one look are judged against.
struct Surroundings {
    std::vector<EntryFacts> entries;
    std::vector<FileInfo> held; // what the AppImage folders hold
    std::vector<LinkFacts> links;
    URL icons; // the user's icons folder
    // It and its themes' size and context folders, listed once an icon is looked up by name.
    mutable std::optional<std::vector<URL>> iconPlaces;
};

constexpr std::array<const char*, 4> kIconExtensions = {".png", ".svg", ".svgz", ".xpm"};

std::string programOf(const std::string& written, std::string_view searchPath) {
    if (auto file = AppImages::programFile(written, searchPath)) return *file;
    // A program that is gone is still known by the path its entry names.
    return startsWith(written, "/") ? standardizedPath(written) : std::string();
}

EntryFacts factsOf(const URL& file, const std::string& program, std::string name, std::string icon,
                   bool own, std::string_view searchPath) {
    EntryFacts facts{
        file, programOf(program, searchPath), std::nullopt, std::move(name), std::move(icon), own};
    facts.runs = identityOf(facts.program);
    return facts;
}

// The user's own menu and autostart entries, the only ones a removal may take along.
std::vector<EntryFacts> ownEntries(const HomeFolders& places, std::string_view searchPath) {
    std::vector<EntryFacts> found;
    for (const URL& folder : {places.data().appending("applications", true),
                              places.config().appending("autostart", true)})
        for (const auto& file : listFolder(folder).entries) {
            if (!file.isRegularFile() || !endsWith(file.name, ".desktop")) continue;
            auto entry = DesktopEntry::read(file.url.path());
            if (!entry) continue;
            found.push_back(factsOf(file.url, entry->program().value_or(""),
                                    entry->localized("Name", messagesLocale()).value_or(""),
                                    entry->value("Icon").value_or(""), true, searchPath));
        }
    return found;
}

std::vector<FileInfo> entriesIn(const std::vector<URL>& folders) {
    std::vector<FileInfo> held;
    for (const URL& folder : folders)
        for (auto& entry : listFolder(folder).entries)
            held.push_back(std::move(entry));
    return held;
}

std::vector<LinkFacts> linksAmong(const std::vector<FileInfo>& held) {
    std::vector<LinkFacts> links;
    for (const auto& entry : held) {
        if (!entry.isSymlink()) continue;
        char buffer[PATH_MAX];
        ssize_t length = readlink(entry.url.path().c_str(), buffer, sizeof buffer - 1);
        if (length <= 0) continue;
        std::string target(buffer, static_cast<size_t>(length));
        if (!startsWith(target, "/")) target = joinPath(parentPath(entry.url.path()), target);
        links.push_back({entry.url, standardizedPath(target), identityOf(entry.url.path())});
    }
    return links;
}

bool hasIconExtension(const std::string& name) {
    for (const char* extension : kIconExtensions)
        if (endsWith(lowercased(name), extension)) return true;
    return false;
}

// The top of the icons folder, then every theme's size and context folders
// (hicolor/256x256/apps).
const std::vector<URL>& iconPlacesOf(const Surroundings& around) {
    if (around.iconPlaces) return *around.iconPlaces;
    auto folders = [](const URL& in) {
        std::vector<URL> inner;
        for (const auto& entry : listFolder(in).entries)
            if (entry.isDirectory()) inner.push_back(entry.url);
        return inner;
    };
    std::vector<URL> places = {around.icons};
    for (const URL& theme : folders(around.icons))
        for (const URL& size : folders(theme))
            for (const URL& context : folders(size))
                places.push_back(context);
    return around.iconPlaces.emplace(std::move(places));
}

// The files of an icon in the user's icons folder: a path inside it, or a name looked up in
// its places.
std::vector<URL> iconFiles(const std::string& icon, const Surroundings& around) {
    const URL& folder = around.icons;
    std::vector<URL> found;
    if (startsWith(icon, "/")) {
        const std::string path = standardizedPath(icon);
        auto info = fileInfo(path);
        if (info && !info->isDirectory() && path != folder.path() &&
            isSameOrInside(path, folder.path()))
            found.push_back(URL::fileURL(path));
        return found;
    }
    if (icon.empty() || icon.find('/') != std::string::npos || icon == "." || icon == "..")
        return found;
    std::vector<std::string> names;
    if (hasIconExtension(icon))
        names = {icon};
    else
        for (const char* extension : kIconExtensions)
            names.push_back(icon + extension);
    for (const URL& place : iconPlacesOf(around))
        for (const auto& name : names) {
            auto info = fileInfo(place.appending(name));
            if (info && !info->isDirectory()) found.push_back(info->url);
        }
    return found;
}

void appendOnce(std::vector<URL>& list, const URL& url) {
    if (std::find(list.begin(), list.end(), url) == list.end()) list.push_back(url);
}

// What goes with the AppImage at `file`: its identity where it exists, its path where it is
// gone.
DiskScanner::AppImageApp gather(const URL& file, const Surroundings& around) {
    const auto identity = identityOf(file.path());
    auto runsIt = [&](const std::optional<FileIdentity>& runs, const std::string& path) {
        return identity ? runs == identity : path == file.path();
    };
    DiskScanner::AppImageApp app{file, {}, {}, {}, {}, {}};
    std::vector<std::string> icons;
    for (const auto& entry : around.entries) {
        if (!runsIt(entry.runs, entry.program)) continue;
        if (app.name.empty()) app.name = entry.name;
        if (app.icon.empty()) app.icon = entry.icon;
        if (!entry.own) continue;
        appendOnce(app.entries, entry.file);
        if (!entry.icon.empty()) icons.push_back(entry.icon);
    }
    for (const auto& link : around.links)
        if (runsIt(link.leadsTo, link.target)) appendOnce(app.links, link.link);
    // An icon that an entry staying behind names stays for it.
    for (const auto& icon : icons) {
        bool namedElsewhere =
            std::any_of(around.entries.begin(), around.entries.end(), [&](const EntryFacts& other) {
                return other.icon == icon && std::find(app.entries.begin(), app.entries.end(),
                                                       other.file) == app.entries.end();
            });
        if (!namedElsewhere)
            for (const URL& found : iconFiles(icon, around))
                appendOnce(app.icons, found);
    }
    app.data = AppImages::portableFolders(file);
    if (app.name.empty()) app.name = packageName(file.lastPathComponent());
    if (app.name.empty()) app.name = file.deletingPathExtension().lastPathComponent();
    return app;
}

} // namespace

std::vector<URL> DiskScanner::AppImageApp::companions() const {
    std::vector<URL> all = entries;
    for (const auto* list : {&links, &icons, &data})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}

namespace {

// The user's own entries, then the menu's others.
std::vector<EntryFacts> entriesOf(const DiskScanner& scanner) {
    std::vector<EntryFacts> entries =
        ownEntries(HomeFolders(scanner.home), scanner.programSearchPath);
    std::set<std::string> own;
    for (const auto& entry : entries)
        own.insert(entry.file.path());
    if (scanner.desktopApplications)
        for (const auto& app : scanner.desktopApplications())
            if (!own.count(app.path))
                entries.push_back(factsOf(URL::fileURL(app.path), app.program, app.name, app.icon,
                                          false, scanner.programSearchPath));
    return entries;
}

Surroundings surroundingsOf(const DiskScanner& scanner) {
    Surroundings around;
    around.entries = entriesOf(scanner);
    around.held = entriesIn(AppImages::folders(scanner.home));
    around.links = linksAmong(around.held);
    around.icons = HomeFolders(scanner.home).data().appending("icons", true);
    return around;
}

} // namespace

std::set<FileIdentity> DiskScanner::appImagesInUse() const {
    std::set<FileIdentity> inUse;
    for (const auto& entry : entriesOf(*this))
        if (entry.runs) inUse.insert(*entry.runs);
    if (processPaths)
        for (const auto& path : processPaths())
            if (auto identity = identityOf(path)) inUse.insert(*identity);
    return inUse;
}

std::vector<DiskScanner::AppImageApp> DiskScanner::appImages() const {
    const Surroundings around = surroundingsOf(*this);
    std::vector<URL> files;
    std::set<FileIdentity> seen;
    auto consider = [&](const URL& file) {
        if (AppImages::isOwnAppImage(file.path())) return;
        auto identity = identityOf(file.path());
        if (identity && seen.insert(*identity).second) files.push_back(file);
    };
    for (const auto& entry : around.held)
        if (entry.isRegularFile() && AppImages::hasAppImageName(entry.name) &&
            isExecutableFile(entry.url.path()))
            consider(entry.url);
    for (const auto& entry : around.entries)
        if (!entry.program.empty() && entry.runs && AppImages::isAppImage(entry.program))
            consider(URL::fileURL(entry.program));
    std::vector<AppImageApp> apps;
    for (const URL& file : files)
        apps.push_back(gather(file, around));
    return apps;
}

std::optional<DiskScanner::AppImageApp> DiskScanner::appImage(const URL& file) const {
    if (!AppImages::isAppImage(file.path())) return std::nullopt;
    return gather(file, surroundingsOf(*this));
}

std::optional<DiskScanner::AppImageApp> DiskScanner::goneAppImage(const InstalledApp& app) const {
    const URL file = URL::fileURL(app.path);
    if (fileInfo(file)) return std::nullopt;
    AppImageApp gone = gather(file, surroundingsOf(*this));
    gone.name = app.name;
    if (gone.companions().empty()) return std::nullopt;
    return gone;
}

std::optional<Date> DiskScanner::appImageLastOpened(std::optional<Date> recorded, Date accessed,
                                                    Date modified) {
    if (!recorded && !(modified < accessed)) return std::nullopt;
    Date latest = std::max(accessed, modified);
    return recorded && *recorded > latest ? *recorded : latest;
}

ScanItem DiskScanner::appImageItem(const AppImageApp& app, std::optional<Date> lastOpened,
                                   const std::vector<RunningApp>& apps) const {
    const std::string fileName = app.file.lastPathComponent();
    const std::vector<URL> companions = app.companions();
    ScanItem item;
    item.kind = JunkKind::apps;
    item.location = app.file;
    item.targets = {app.file};
    item.targets.insert(item.targets.end(), companions.begin(), companions.end());
    // A running AppImage's process is named after its file.
    for (const auto& running : apps)
        if (equalsIgnoringCase(running.bundleID, fileName)) {
            item.inUseBy = app.name;
            break;
        }
    item.baseVerdict = Verdict::youDecide;
    if (!canMove(app.file)) item.lockedReason = "Installed by an administrator";
    item.record = ScanItem::AppInfo{app.name, fileName, lastOpened,
                                    static_cast<int>(companions.size()), app.icon};
    return item;
}

std::optional<Date> DiskScanner::appImageUsage(const URL& file) const {
    auto info = fileInfo(file);
    if (!info) return std::nullopt;
    auto usage = appUsage ? appUsage(file) : std::nullopt;
    return appImageLastOpened(usage ? usage->lastOpened : std::nullopt, info->accessed,
                              info->modified);
}

} // namespace kelvora
