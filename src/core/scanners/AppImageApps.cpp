#include "engine/DiskScanner.h"
#include "engine/PathRules.h"

#include "platform/AppImages.h"
#include "platform/DesktopEntry.h"
#include "platform/FilePresence.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/Log.h"
#include "platform/PackageName.h"
#include "platform/SandboxApps.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>

namespace kelvora {

namespace {

// One desktop entry, as far as an AppImage's removal needs it.
struct EntryFacts {
    URL file;
    std::string program; // where the file its Exec runs leads (see leadsTo)
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
    // The user's hicolor theme and pixmaps folder: what the desktop integration of an
    // AppImage writes its icons to, and the only places they are taken from.
    std::array<URL, 2> iconFolders;
    // Those of them that are folders reached through no link from the home, links above the
    // home followed.
    std::vector<std::string> realIconFolders;
    // Every folder of application entries, the system's and Flatpak's exports included.
    std::function<std::vector<std::string>()> entryFolders;
    // The files of the icon folders by name, and every entry of entryFolders, read once an
    // AppImage has an icon to take.
    mutable std::optional<std::multimap<std::string, URL>> iconFiles;
    mutable std::optional<std::vector<DesktopEntries::Application>> everyEntry;
};

constexpr std::array<const char*, 4> kIconExtensions = {".png", ".svg", ".svgz", ".xpm"};

// Where an absolute path leads with each link on it followed as far as the links are there;
// what is missing stays as written. So a file that is gone is still known whichever path
// named it.
std::string leadsTo(const std::string& path, int links = 0) {
    if (auto real = realPath(path)) return *real;
    const std::string parent = parentPath(path);
    if (parent == path || links > kMaxLinksFollowed) return path;
    if (const std::string target = pathThroughLinks(path); target != path)
        return leadsTo(target, links + kMaxLinksFollowed); // pathThroughLinks took its share
    return joinPath(leadsTo(parent, links), lastComponent(path));
}

std::string programOf(const std::string& written, std::string_view searchPath) {
    if (auto file = AppImages::programFile(written, searchPath)) return *file;
    // A program that is gone is still known by the path its entry names.
    return startsWith(written, "/") ? leadsTo(standardizedPath(written)) : std::string();
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
    for (const auto& entry : held)
        if (entry.isSymlink())
            links.push_back({entry.url, leadsTo(entry.url.path()), identityOf(entry.url.path())});
    return links;
}

bool hasIconExtension(const std::string& name) {
    for (const char* extension : kIconExtensions)
        if (endsWith(lowercased(name), extension)) return true;
    return false;
}

// The files of the hicolor theme's size and context folders (hicolor/256x256/apps) and of
// the pixmaps folder, by name. Linked folders are not entered.
const std::multimap<std::string, URL>& iconFilesOf(const Surroundings& around) {
    if (around.iconFiles) return *around.iconFiles;
    auto folders = [](const URL& in) {
        std::vector<URL> inner;
        for (const auto& entry : listFolder(in).entries)
            if (entry.isDirectory()) inner.push_back(entry.url);
        return inner;
    };
    std::vector<URL> places = {around.iconFolders[1]};
    for (const URL& size : folders(around.iconFolders[0]))
        for (const URL& context : folders(size))
            places.push_back(context);
    std::multimap<std::string, URL> files;
    for (const URL& place : places)
        for (const auto& entry : listFolder(place).entries)
            if (!entry.isDirectory()) files.emplace(entry.name, entry.url);
    return around.iconFiles.emplace(std::move(files));
}

// The files an entry's Icon names: a path as written, or a name looked up in the icon
// folders with or without its extension.
std::vector<URL> filesNamed(const std::string& icon, const Surroundings& around) {
    if (startsWith(icon, "/")) return {URL::fileURL(standardizedPath(icon))};
    if (icon.empty() || icon.find('/') != std::string::npos) return {};
    std::vector<std::string> names;
    if (hasIconExtension(icon))
        names = {icon};
    else
        for (const char* extension : kIconExtensions)
            names.push_back(icon + extension);
    std::vector<URL> found;
    const auto& files = iconFilesOf(around);
    for (const auto& name : names)
        for (auto [at, end] = files.equal_range(name); at != end; ++at)
            found.push_back(at->second);
    return found;
}

// Whether a file lies in one of the icon folders once every link on the way is followed;
// a folder that is itself a link (to the Pictures folder, say) holds none of its icons.
bool inIconFolders(const URL& file, const Surroundings& around) {
    auto info = fileInfo(file);
    auto folder = realPath(parentPath(file.path()));
    if (!info || info->isDirectory() || !folder) return false;
    return std::any_of(around.realIconFolders.begin(), around.realIconFolders.end(),
                       [&](const std::string& root) { return isSameOrInside(*folder, root); });
}

// Whether an entry that stays, the user's or the system's, names the icon file in any
// spelling: a bare name, a name with its extension, a path, a link to it. `taken` holds the
// standardized paths of the entries that go.
bool namedByAnother(const URL& icon, const std::set<std::string>& taken,
                    const Surroundings& around) {
    const auto identity = identityOf(icon.path());
    const std::string leads = leadsTo(icon.path());
    auto isIcon = [&](const URL& file) {
        return (identity && identityOf(file.path()) == identity) || leadsTo(file.path()) == leads;
    };
    auto names = [&](const std::string& entry, const std::string& value) {
        if (value.empty() || taken.count(standardizedPath(entry))) return false;
        const auto files = filesNamed(value, around);
        return std::any_of(files.begin(), files.end(), isIcon);
    };
    for (const auto& entry : around.entries)
        if (names(entry.file.path(), entry.icon)) return true;
    if (!around.everyEntry)
        around.everyEntry.emplace(DesktopEntries::everyEntry(around.entryFolders()));
    for (const auto& entry : *around.everyEntry)
        if (names(entry.path, entry.icon)) return true;
    return false;
}

void appendOnce(std::vector<URL>& list, const URL& url) {
    if (std::find(list.begin(), list.end(), url) == list.end()) list.push_back(url);
}

// The path an entry must run for it to belong to the AppImage at `file` alone, when the file
// has other names (hard links): what runs another name belongs to that name, which stays.
// Empty when the file has one name, so any path to it will do.
std::string onlyName(const URL& file) {
    auto real = realPath(file.path());
    auto info = real ? fileInfo(*real) : std::nullopt;
    if (info && info->linkCount == 1) return {};
    return real.value_or(standardizedPath(file.path()));
}

// What goes with the AppImage at `file`: what its desktop integration made for it, known by
// the file's identity where it exists, by where its path leads where it is gone.
DiskScanner::AppImageApp gather(const URL& file, const Surroundings& around) {
    const auto identity = identityOf(file.path());
    const std::string goneAt = identity ? std::string() : leadsTo(standardizedPath(file.path()));
    const std::string name = identity ? onlyName(file) : std::string();
    auto runsIt = [&](const std::optional<FileIdentity>& runs, const std::string& path) {
        if (!identity) return !runs && path == goneAt;
        return runs == identity && (name.empty() || path == name);
    };
    DiskScanner::AppImageApp app;
    app.file = file;
    std::vector<URL> icons;
    for (const auto& entry : around.entries) {
        if (!runsIt(entry.runs, entry.program)) continue;
        if (app.name.empty()) app.name = entry.name;
        if (app.icon.empty()) app.icon = entry.icon;
        if (!entry.own) continue;
        appendOnce(app.entries, entry.file);
        for (const URL& icon : filesNamed(entry.icon, around))
            if (inIconFolders(icon, around)) appendOnce(icons, icon);
    }
    for (const auto& link : around.links)
        if (runsIt(link.leadsTo, link.target)) appendOnce(app.links, link.link);
    std::set<std::string> taken;
    for (const URL& entry : app.entries)
        taken.insert(standardizedPath(entry.path()));
    for (const URL& icon : icons)
        if (!namedByAnother(icon, taken, around)) app.icons.push_back(icon);
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

// The desktop's entry folders and the exports of every Flatpak installation that can be read.
std::vector<std::string> entryFoldersOf(const DiskScanner& scanner) {
    std::vector<std::string> folders =
        scanner.desktopEntryFolders ? scanner.desktopEntryFolders() : std::vector<std::string>();
    for (const URL& installation :
         SandboxApps::flatpakInstallations(scanner.sandboxRoots, scanner.diskPlaces())) {
        const std::string exports = SandboxApps::flatpakEntries(installation).standardized().path();
        if (std::find(folders.begin(), folders.end(), exports) == folders.end())
            folders.push_back(exports);
    }
    return folders;
}

Surroundings surroundingsOf(const DiskScanner& scanner) {
    Surroundings around;
    around.entries = entriesOf(scanner);
    around.held = entriesIn(AppImages::folders(scanner.home));
    around.links = linksAmong(around.held);
    const URL data = HomeFolders(scanner.home).data();
    around.iconFolders = {data.appending("icons/hicolor", true), data.appending("pixmaps", true)};
    for (const URL& folder : around.iconFolders) {
        auto info = fileInfo(folder);
        auto real = realPath(folder.path());
        if (!info || !info->isDirectory() || !real) continue;
        if (reachedThroughLink(scanner.home, folder)) {
            logOnce("No icon is removed from " + folder.path() +
                    ": a link leads to it, so what it holds may be the user's own files.");
            continue;
        }
        around.realIconFolders.push_back(*real);
    }
    around.entryFolders = [&scanner] { return entryFoldersOf(scanner); };
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
    // One on a disk that is not attached now is not gone.
    if (presenceOf(file.path(), diskPlaces()) != Presence::gone) return std::nullopt;
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
