#include "engine/DiskScanner.h"

#include "login/LaunchJob.h"
#include "login/LoginItemNames.h"
#include "login/LoginItemScanner.h"
#include "login/LoginLeftover.h"
#include "platform/AppBundle.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <strings.h>
#include <sys/stat.h>

namespace kelvora {

namespace {

struct Place {
    const char* folder;
    const char* suffix; // empty: the entry's whole name is the identifier
};

constexpr Place kPlaces[] = {
    {"Application Support", ""},
    {"Preferences", ".plist"},
    {"Saved Application State", ".savedState"},
    {"HTTPStorages", ""},
    {"HTTPStorages", ".binarycookies"},
    {"WebKit", ""},
};

struct Group {
    std::string id;
    std::string name;
    std::vector<std::pair<URL, std::string>> files;
};

std::string makerOf(const std::string& id) {
    auto parts = splitNonEmpty(id, '.');
    if (parts.empty()) return {};
    std::string maker = parts.size() == 1 ? parts[0] : parts[0] + "." + parts[1];
    return lowercased(maker);
}

bool isAppleIdentifier(const std::string& id) {
    std::string lower = lowercased(id);
    for (const char* prefix : {"com.apple.", "group.com.apple.", "systemgroup.com.apple."})
        if (startsWith(lower, prefix)) return true;
    return false;
}

// The identifier an entry of a place stands for, or nothing when the entry is not a
// candidate there.
std::optional<std::string> identifierOf(const std::string& fileName, const Place& place) {
    std::string id;
    if (*place.suffix) {
        if (!endsWith(fileName, place.suffix)) return std::nullopt;
        id = fileName.substr(0, fileName.size() - std::string(place.suffix).size());
    } else {
        for (const auto& other : kPlaces)
            if (*other.suffix && endsWith(fileName, other.suffix)) return std::nullopt;
        id = fileName;
    }
    if (splitNonEmpty(id, '.').size() < 3 || id.find(' ') != std::string::npos ||
        isAppleIdentifier(id))
        return std::nullopt;
    return id;
}

std::map<std::string, Group> candidateGroups(const URL& library) {
    std::map<std::string, Group> groups;
    for (const auto& place : kPlaces) {
        for (const auto& entry : listFolder(library.appending(place.folder)).entries) {
            auto id = identifierOf(entry.name, place);
            if (!id) continue;
            Group& group = groups[*id];
            group.id = *id;
            group.files.emplace_back(entry.url, place.folder);
        }
    }
    return groups;
}

bool caseInsensitiveLess(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

} // namespace

const std::map<std::string, DiskScanner::NamedSupportFolder>& DiskScanner::namedSupportFolders() {
    static const std::map<std::string, NamedSupportFolder> table = {
        {"com.microsoft.VSCode", {"Visual Studio Code", {"Code"}}},
        {"com.todesktop.230313mzl4w4u92", {"Cursor", {"Cursor"}}},
        {"com.exafunction.windsurf", {"Windsurf", {"Windsurf"}}},
        {"com.mongodb.compass", {"MongoDB Compass", {"MongoDB Compass"}}},
        {"com.postmanlabs.mac", {"Postman", {"Postman"}}},
        {"com.loom.desktop", {"Loom", {"Loom"}}},
        {"com.obsproject.obs-studio", {"OBS Studio", {"obs-studio"}}},
        {"org.audacityteam.audacity", {"Audacity", {"audacity"}}},
        {"com.github.GitHubClient", {"GitHub Desktop", {"GitHub Desktop"}}},
        {"com.unity3d.unityhub", {"Unity Hub", {"UnityHub"}}},
        {"com.tinyspeck.slackmacgap", {"Slack", {"Slack"}}},
        {"com.hnc.Discord", {"Discord", {"discord"}}},
        {"us.zoom.xos", {"Zoom", {"zoom.us"}}},
        {"com.spotify.client", {"Spotify", {"Spotify"}}},
        {"com.figma.Desktop", {"Figma", {"Figma"}}},
        {"notion.id", {"Notion", {"Notion"}}},
        {"com.electron.dockerdesktop", {"Docker Desktop", {"Docker Desktop"}}},
        {"com.blinkeye.app", {"Blink Eye", {}}},
        {"com.screenpal.app", {"ScreenPal", {}}},
        {"com.unity3d.UnityEditor5.x", {"Unity Editor", {}}},
        {"org.torproject.torbrowser", {"Tor Browser", {}}},
        {"com.muse.musehub", {"Muse Hub", {}}},
        {"com.qtproject.Linguist", {"Qt Linguist", {}}},
        {"com.operasoftware.Opera", {"Opera", {}}},
        {"com.motionik.screenrecorder", {"Screen Recorder", {}}},
    };
    return table;
}

std::string DiskScanner::readableName(const std::string& bundleID) {
    static const std::set<std::string> skipped = {
        "app", "desktop", "mac", "macos", "client", "agent", "osx", "com", "org", "net", "io"};
    auto parts = splitNonEmpty(bundleID, '.');
    std::string word;
    if (parts.size() < 2) {
        word = bundleID;
    } else {
        word = parts.back();
        for (size_t i = parts.size() - 1; i >= 1; --i) {
            if (!skipped.count(lowercased(parts[i])) && parts[i].size() > 2) {
                word = parts[i];
                break;
            }
        }
    }
    std::replace(word.begin(), word.end(), '-', ' ');
    if (!word.empty())
        word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    return word;
}

std::set<std::string> DiskScanner::installedMakers() const {
    std::vector<URL> folders = applicationFolders;
    folders.push_back(URL::fileURL("/System/Applications"));
    std::set<std::string> makers;
    for (const auto& folder : folders)
        for (const auto& entry : listFolder(folder).entries)
            if (entry.url.pathExtension() == "app")
                if (auto id = bundleIdentifier(entry.url)) makers.insert(makerOf(*id));
    return makers;
}

std::vector<ScanItem> DiskScanner::scanLeftovers(const std::vector<RunningApp>& apps,
                                                 FileCounter& counter) const {
    URL library = home.appending("Library");
    auto makers = installedMakers();
    std::set<std::string> running;
    for (const auto& app : apps) {
        running.insert(lowercased(app.bundleID));
        running.insert(lowercased(app.name));
    }
    Date cutoff = addSeconds(now(), -leftoverQuietPeriod);

    std::vector<Group> kept;
    for (auto& [id, group] : candidateGroups(library)) {
        if (makers.count(makerOf(id))) continue;
        if (ownBundleID && id == *ownBundleID) continue;
        if (running.count(lowercased(id)) ||
            running.count(lowercased(splitNonEmpty(id, '.').back())))
            continue;
        // Last, as the live check searches the application folders for every identifier.
        if (isInstalled && isInstalled(id)) continue;
        auto named = namedSupportFolders().find(id);
        if (named != namedSupportFolders().end()) {
            for (const auto& folder : named->second.folders) {
                URL extra = library.appending("Application Support").appending(folder);
                struct stat info {};
                if (stat(extra.path().c_str(), &info) == 0)
                    group.files.emplace_back(extra, "Application Support");
            }
        }
        bool quiet = std::all_of(group.files.begin(), group.files.end(), [&](const auto& file) {
            auto changed = newestChange(file.first, counter);
            return !changed || *changed < cutoff;
        });
        if (!quiet) continue;
        group.name = named != namedSupportFolders().end() ? named->second.name : readableName(id);
        kept.push_back(std::move(group));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Group& a, const Group& b) {
        return caseInsensitiveLess(a.name, b.name);
    });

    std::vector<std::vector<URL>> urlGroups;
    for (const auto& group : kept) {
        std::vector<URL> urls;
        for (const auto& file : group.files)
            urls.push_back(file.first);
        urlGroups.push_back(std::move(urls));
    }
    const auto measured = measure(urlGroups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < kept.size(); ++i) {
        const Group& group = kept[i];
        std::set<std::string> places;
        std::optional<Date> lastChanged;
        for (const auto& [url, place] : group.files) {
            places.insert(place);
            if (auto date = modificationDate(url); date && (!lastChanged || *date > *lastChanged))
                lastChanged = date;
        }
        ScanItem item;
        item.kind = JunkKind::leftovers;
        item.location = group.files.front().first;
        item.targets = urlGroups[i];
        item.bytes = std::max<int64_t>(measured[i].bytes, 1);
        item.baseVerdict = Verdict::youDecide;
        item.record = ScanItem::LeftoverInfo{ScanItem::LeftoverInfo::Kind::appFiles,
                                             group.id,
                                             group.name,
                                             std::vector<std::string>(places.begin(), places.end()),
                                             lastChanged,
                                             measured[i].files};
        items.push_back(std::move(item));
    }
    for (auto&& found : {leftoverLaunchAgents(counter), leftoverLoginItems(counter)})
        items.insert(items.end(), found.begin(), found.end());
    auto sandboxed = sandboxLeftovers(apps, counter);
    items.insert(items.end(), sandboxed.begin(), sandboxed.end());
    return items;
}

std::vector<ScanItem> DiskScanner::leftoverLaunchAgents(FileCounter& counter) const {
    std::vector<ScanItem> items;
    std::optional<DiskPlaces> disks; // read once, for the first agent that names a program
    for (const auto& entry :
         listFolder(home.appending("Library").appending("LaunchAgents")).entries) {
        if (entry.url.pathExtension() != "plist") continue;
        LaunchJob job(entry.url, home.path());
        if (job.isEmpty || !job.program) continue;
        if (!disks) disks = diskPlaces();
        if (!isProgramMissing(job.program, *disks)) continue;
        std::string name =
            LoginItemNames::describe(job.label, job.program, std::nullopt, job.startsAtLogin).name;
        if (name == entry.url.lastPathComponent()) name = job.label;
        ScanItem item;
        item.kind = JunkKind::leftovers;
        item.location = entry.url;
        item.targets = {entry.url};
        const auto measured = measure({{entry.url}}, counter).front();
        item.bytes = std::max<int64_t>(measured.bytes, 1);
        item.baseVerdict = Verdict::youDecide;
        item.record = ScanItem::LeftoverInfo{ScanItem::LeftoverInfo::Kind::launchAgent,
                                             job.label,
                                             name,
                                             {"LaunchAgents"},
                                             modificationDate(entry.url),
                                             measured.files};
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::leftoverLoginItems(FileCounter& counter) const {
    LoginItemScanner reader(home, std::vector<URL>{}, nullptr);
    reader.configHome = HomeFolders(home).config();
    reader.sandbox = sandboxRoots;
    reader.systemctl = systemctl;
    reader.diskPlaces = diskPlaces();
    std::vector<ScanItem> items;
    std::vector<std::vector<URL>> groups;
    for (const LoginItem& leftover : reader.linuxLeftovers()) {
        ScanItem item = leftoverItem(leftover);
        item.leftover()->lastChanged = modificationDate(item.location);
        groups.push_back(item.targets);
        items.push_back(std::move(item));
    }
    const auto measured = measure(groups, counter);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].bytes = std::max<int64_t>(measured[i].bytes, 1);
        items[i].leftover()->files = measured[i].files;
    }
    return items;
}

} // namespace kelvora
