#include "engine/DiskScanner.h"

#include "platform/AppBundle.h"
#include "platform/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"
#include "platform/Text.h"

#include <algorithm>
#include <limits>
#include <map>
#include <regex>

namespace kelvora {

namespace {

using Kind = ScanItem::SystemInfo::Kind;

constexpr int64_t kSmallestPurgeable = 500'000'000;

struct Release {
    const char* name;
    int major;
};

const std::vector<Release>& releases() {
    static const std::vector<Release> table = {
        {"Tahoe", 26},   {"Sequoia", 15},  {"Sonoma", 14}, {"Ventura", 13},    {"Monterey", 12},
        {"Big Sur", 11}, {"Catalina", 10}, {"Mojave", 10}, {"High Sierra", 10}};
    return table;
}

const std::vector<std::string>& updateFolderNames() {
    static const std::vector<std::string> names = {
        "iPhone Software Updates", "iPad Software Updates", "iPod Software Updates"};
    return names;
}

ScanItem systemItem(const URL& location, std::vector<URL> targets, int64_t bytes, Verdict verdict,
                    ScanItem::SystemInfo info) {
    ScanItem item;
    item.kind = JunkKind::systemData;
    item.location = location;
    item.targets = std::move(targets);
    item.bytes = bytes;
    item.baseVerdict = verdict;
    item.record = std::move(info);
    return item;
}

// An installer is an upgrade unless the running system is its release or newer.
bool isUpgrade(const std::string& installerName, int runningMajor) {
    for (const auto& release : releases())
        if (installerName.find(release.name) != std::string::npos)
            return runningMajor < release.major;
    return true;
}

struct Backup {
    URL url;
    std::string device;
    std::string model;
    std::string os;
    std::optional<Date> date;
    std::string id;
};

std::string firstString(const Json& dict, std::initializer_list<const char*> keys,
                        std::string fallback) {
    for (const char* key : keys)
        if (auto value = plistString(dict, key)) return *value;
    return fallback;
}

std::optional<Backup> readBackup(const URL& folder) {
    auto info = readPlist(folder.appending("Info.plist").path());
    if (!info || !info->is_object()) return std::nullopt;
    Backup backup;
    backup.url = folder;
    backup.device = firstString(*info, {"Device Name", "Display Name"}, "A device");
    backup.model = firstString(*info, {"Product Name", "Product Type"}, "");
    if (auto version = plistString(*info, "Product Version"))
        backup.os = (startsWith(backup.model, "iPad") ? "iPadOS " : "iOS ") + *version;
    if (auto date = plistString(*info, "Last Backup Date")) backup.date = parseIso8601(*date);
    backup.id =
        firstString(*info, {"Target Identifier", "Unique Identifier"}, folder.lastPathComponent());
    return backup;
}

std::string backupDetail(const Backup& backup) {
    std::string detail;
    for (const auto& part : {backup.model, backup.os}) {
        if (part.empty()) continue;
        detail += (detail.empty() ? "" : " \u00B7 ") + part;
    }
    return detail;
}

// The newest backup of each device, by index; equal dates keep the first listed.
std::set<size_t> newestPerDevice(const std::vector<Backup>& backups) {
    std::map<std::string, size_t> newest;
    for (size_t i = 0; i < backups.size(); ++i) {
        auto [it, inserted] = newest.emplace(backups[i].id, i);
        if (inserted) continue;
        Date current = backups[it->second].date.value_or(distantPast());
        if (backups[i].date.value_or(distantPast()) > current) it->second = i;
    }
    std::set<size_t> indices;
    for (const auto& [id, index] : newest)
        indices.insert(index);
    return indices;
}

std::optional<Date> snapshotDate(const std::string& text) {
    // yyyy-MM-dd-HHmmss in local time.
    CivilTime time;
    time.year = std::stoi(text.substr(0, 4));
    time.month = std::stoi(text.substr(5, 2));
    time.day = std::stoi(text.substr(8, 2));
    time.hour = std::stoi(text.substr(11, 2));
    time.minute = std::stoi(text.substr(13, 2));
    time.second = std::stoi(text.substr(15, 2));
    if (time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > Calendar::daysInMonth(time.year, time.month) || time.hour > 23 ||
        time.minute > 59 || time.second > 59)
        return std::nullopt;
    return Calendar::fromLocal(time);
}

} // namespace

std::vector<ScanItem> DiskScanner::purgeableItem() const {
    int64_t bytes = purgeableSpace ? purgeableSpace(home) : 0;
    std::vector<Date> snapshots = localSnapshots ? localSnapshots() : std::vector<Date>{};
    if (bytes < kSmallestPurgeable && snapshots.empty()) return {};
    auto location = URL::parse("kelvora-system:purgeable");
    if (!location) return {};
    std::optional<Date> newest;
    if (!snapshots.empty()) newest = *std::max_element(snapshots.begin(), snapshots.end());
    int count = static_cast<int>(snapshots.size());
    ScanItem item = systemItem(*location, {}, std::max<int64_t>(bytes, 0), Verdict::safe,
                               {Kind::purgeable, "Space macOS frees by itself",
                                count ? std::to_string(count) : "", newest, count});
    item.lockedReason = "macOS frees this by itself";
    return {item};
}

std::vector<ScanItem> DiskScanner::macOSInstallers(FileCounter& counter) const {
    std::vector<URL> installers;
    for (const auto& folder : applicationFolders)
        for (const auto& entry : listFolder(folder).entries)
            if (entry.url.pathExtension() == "app" && startsWith(entry.name, "Install ") &&
                startsWith(bundleIdentifier(entry.url).value_or(""), "com.apple.InstallAssistant"))
                installers.push_back(entry.url);

    std::vector<std::vector<URL>> groups;
    for (const auto& installer : installers)
        groups.push_back({installer});
    const auto sizes = measure(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < installers.size(); ++i) {
        if (sizes[i].freesNothing()) continue;
        const URL& installer = installers[i];
        std::string name = replacingAll(installer.deletingPathExtension().lastPathComponent(),
                                        "Install macOS ", "");
        bool upgrade = isUpgrade(name, macOSMajorVersion);
        ScanItem item = systemItem(installer, {installer}, sizes[i].bytes,
                                   upgrade ? Verdict::youDecide : Verdict::rebuilds,
                                   {Kind::macOSInstaller, name, upgrade ? "upgrade" : "installed",
                                    modificationDate(installer), 0});
        if (!canMove(installer)) item.lockedReason = "Installed by an administrator";
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::deviceBackups(FileCounter& counter) const {
    URL syncFolder = home.appending("Library/Application Support/MobileSync", true);
    if (!fileInfo(syncFolder)) return {};
    URL backupsFolder = syncFolder.appending("Backup", true);
    Listing listing = listFolder(backupsFolder);
    if (listing.error == ListError::permissionDenied) {
        ScanItem item =
            systemItem(backupsFolder, {}, 0, Verdict::youDecide,
                       {Kind::deviceBackup, "iPhone and iPad backups", "private", std::nullopt, 0});
        item.lockedReason = "Needs Full Disk Access";
        return {item};
    }
    std::vector<Backup> backups;
    for (const auto& entry : listing.entries)
        if (auto backup = readBackup(entry.url)) backups.push_back(std::move(*backup));

    std::set<size_t> newest = newestPerDevice(backups);
    std::vector<std::vector<URL>> groups;
    for (const auto& backup : backups)
        groups.push_back({backup.url});
    const auto sizes = measure(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < backups.size(); ++i) {
        if (sizes[i].freesNothing()) continue;
        const Backup& backup = backups[i];
        items.push_back(systemItem(backup.url, {backup.url}, sizes[i].bytes, Verdict::youDecide,
                                   {Kind::deviceBackup, backup.device, backupDetail(backup),
                                    backup.date, newest.count(i) ? 1 : 0}));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::deviceUpdates(FileCounter& counter) const {
    std::vector<URL> files;
    for (const auto& name : updateFolderNames())
        for (const auto& entry :
             listFolder(home.appending("Library/iTunes", true).appending(name)).entries)
            if (lowercased(entry.url.pathExtension()) == "ipsw") files.push_back(entry.url);

    std::vector<std::vector<URL>> groups;
    for (const auto& file : files)
        groups.push_back({file});
    const auto sizes = measure(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < files.size(); ++i) {
        if (sizes[i].freesNothing()) continue;
        const URL& file = files[i];
        items.push_back(systemItem(file, {file}, sizes[i].bytes, Verdict::rebuilds,
                                   {Kind::deviceUpdate, file.lastPathComponent(),
                                    file.deletingLastPathComponent().lastPathComponent(),
                                    modificationDate(file), 0}));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::dockerDiskItem(const std::optional<DockerUsage>& usage) const {
    if (!usage || usage->total < 1) return {};
    auto location = URL::parse("kelvora-system:docker");
    if (!location) return {};
    // The engine's figures may each be clamped to the largest byte count; so is their sum.
    int64_t reclaimable = 0;
    for (int64_t part : {usage->images, usage->buildCache, usage->stoppedContainers})
        if (__builtin_add_overflow(reclaimable, part, &reclaimable))
            reclaimable = part > 0 ? std::numeric_limits<int64_t>::max()
                                   : std::numeric_limits<int64_t>::min();
    ScanItem item = systemItem(*location, {}, usage->total, Verdict::youDecide,
                               {Kind::dockerDisk, "Docker\u2019s disk image",
                                std::to_string(reclaimable), std::nullopt, 0});
    item.lockedReason = "Freed with Docker\u2019s own tools";
    return {item};
}

// Volume capacities come from statvfs here, which knows no space the system frees by itself:
// the capacity available for important use is the plain available capacity.
int64_t DiskScanner::livePurgeable(const URL&) {
    return 0;
}

std::vector<Date> DiskScanner::liveSnapshots() {
    auto result = runTool("/usr/bin/tmutil", {"listlocalsnapshots", "/"}, 15);
    if (!result || result->status != 0) return {};
    return parseSnapshots(result->output);
}

std::vector<Date> DiskScanner::parseSnapshots(const std::string& output) {
    static const std::regex pattern(R"(com\.apple\.TimeMachine\.(\d{4}-\d{2}-\d{2}-\d{6}))");
    std::vector<Date> dates;
    for (std::sregex_iterator it(output.begin(), output.end(), pattern), end; it != end; ++it)
        if (auto date = snapshotDate((*it)[1].str())) dates.push_back(*date);
    return dates;
}

} // namespace kelvora
