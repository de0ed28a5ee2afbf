#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"
#include "platform/Text.h"

#include <algorithm>

namespace kelvora {

namespace {

using Kind = ScanItem::DeveloperInfo::Kind;

constexpr int64_t kSmallestSimulator = 1'000'000;

ScanItem developerItem(const URL& location, std::vector<URL> targets, int64_t bytes,
                       Verdict verdict, Kind kind, std::string owner,
                       std::optional<Date> lastActivity) {
    ScanItem item;
    item.kind = JunkKind::developer;
    item.location = location;
    item.targets = std::move(targets);
    item.bytes = bytes;
    item.baseVerdict = verdict;
    item.record = ScanItem::DeveloperInfo{kind, std::move(owner), lastActivity};
    return item;
}

// Every item's targets measured in one walk, side by side; an item that frees nothing is
// left out.
std::vector<ScanItem> measured(const DiskScanner& scanner, std::vector<ScanItem> items,
                               FileCounter& counter) {
    std::vector<std::vector<URL>> groups;
    for (const auto& item : items)
        groups.push_back(item.targets);
    const auto sizes = scanner.measure(groups, counter);
    std::vector<ScanItem> kept;
    for (size_t i = 0; i < items.size(); ++i) {
        if (sizes[i].freesNothing()) continue;
        items[i].bytes = sizes[i].bytes;
        kept.push_back(std::move(items[i]));
    }
    return kept;
}

// A cache folder is named after its project with a hash appended: "MyApp-abcdef".
std::string ownerFromCacheName(const std::string& name) {
    auto pieces = splitNonEmpty(name, '-');
    if (pieces.empty()) return "";
    pieces.pop_back();
    return joined(pieces, "-");
}

// Dates in the simulator tool's list carry whole seconds; anything else is not read.
std::optional<Date> parseBootDate(const Json& value) {
    if (!value.is_string()) return std::nullopt;
    const std::string& text = value.get_ref<const std::string&>();
    if (text.find('.') != std::string::npos) return std::nullopt;
    return parseIso8601(text);
}

} // namespace

std::vector<ScanItem> DiskScanner::scanDerivedData(FileCounter& counter) const {
    Date cutoff = addSeconds(now(), -projectStaleAfter);
    URL folder = home.appending("Library/Developer/Xcode", true).appending("DerivedData", true);
    std::vector<ScanItem> items;
    for (const auto& entry : listFolder(folder).entries) {
        if (endsWith(entry.name, ".noindex")) continue;
        Json info = readPlist(entry.url.appending("info.plist").path()).value_or(Json());
        if (!info.is_object()) info = Json::object();

        std::optional<URL> workspace;
        if (auto path = plistString(info, "WorkspacePath")) workspace = URL::fileURL(*path);
        bool gone = workspace && !fileExists(workspace->path());
        std::optional<Date> lastUse;
        if (auto text = plistString(info, "LastAccessedDate")) lastUse = parseIso8601(*text);
        if (!lastUse) lastUse = modificationDate(entry.url);
        if (!gone && !(lastUse.value_or(distantPast()) < cutoff)) continue;
        std::string owner = workspace ? workspace->deletingPathExtension().lastPathComponent()
                                      : ownerFromCacheName(entry.name);
        items.push_back(developerItem(entry.url, {entry.url}, 0, Verdict::rebuilds,
                                      Kind::derivedData, std::move(owner),
                                      gone ? std::nullopt : lastUse));
    }
    return measured(*this, std::move(items), counter);
}

std::vector<ScanItem> DiskScanner::scanDeviceSupport(FileCounter& counter) const {
    Date cutoff = addSeconds(now(), -projectStaleAfter);
    std::vector<ScanItem> items;
    for (const auto& platformFolder :
         listFolder(home.appending("Library/Developer/Xcode")).entries) {
        if (!endsWith(platformFolder.name, " DeviceSupport")) continue;
        std::string platform = replacingAll(platformFolder.name, " DeviceSupport", "");

        std::vector<std::pair<FileInfo, Date>> dated;
        for (const auto& entry : listFolder(platformFolder.url).entries)
            if (entry.name != ".DS_Store")
                dated.emplace_back(entry, modificationDate(entry.url).value_or(distantPast()));
        std::stable_sort(dated.begin(), dated.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });

        // The newest entry belongs to the device in use and always stays.
        for (size_t i = 1; i < dated.size(); ++i) {
            const auto& [entry, date] = dated[i];
            if (!(date < cutoff)) continue;
            items.push_back(developerItem(entry.url, {entry.url}, 0, Verdict::rebuilds,
                                          Kind::deviceSupport, platform + " " + entry.name, date));
        }
    }
    return measured(*this, std::move(items), counter);
}

std::vector<ScanItem> DiskScanner::scanSimulators(FileCounter& counter) const {
    Date cutoff = addSeconds(now(), -projectStaleAfter);
    std::vector<ScanItem> items;
    for (const auto& device : simulators ? simulators() : std::vector<SimulatorDevice>{}) {
        std::optional<Date> lastUse = device.lastBooted;
        if (!lastUse) lastUse = modificationDate(device.folder);
        if (device.isAvailable && !(lastUse.value_or(distantPast()) < cutoff)) continue;
        int64_t bytes = freedSizes({{device.folder}}, counter).front();
        if (bytes < kSmallestSimulator) continue;
        ScanItem item = developerItem(
            device.folder, {}, bytes, device.isAvailable ? Verdict::rebuilds : Verdict::safe,
            Kind::simulator, device.name + " (" + device.runtime + ")", lastUse);
        if (device.isBooted) item.inUseBy = "Simulator";
        item.action = ScanItem::Action{"/usr/bin/xcrun", {"simctl", "delete", device.udid}};
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<SimulatorDevice> DiskScanner::liveSimulators(const URL& home) {
    URL devices = home.appending("Library/Developer/CoreSimulator/Devices", true);
    if (!fileExists(devices.path())) return {};
    auto result = runTool("/usr/bin/xcrun", {"simctl", "list", "devices", "--json"}, 30);
    if (!result || result->status != 0) return {};
    return parseSimulators(result->output, devices);
}

std::vector<SimulatorDevice> DiskScanner::parseSimulators(const std::string& output,
                                                          const URL& devicesFolder) {
    Json root = Json::parse(output, nullptr, false);
    if (!root.is_object() || !root.contains("devices") || !root["devices"].is_object()) return {};
    const Json& runtimes = root["devices"];
    // The list has one fixed shape; a list of any other shape is not read at all.
    for (const auto& [runtime, list] : runtimes.items()) {
        if (!list.is_array()) return {};
        for (const auto& object : list)
            if (!object.is_object()) return {};
    }

    std::vector<SimulatorDevice> devices;
    for (const auto& [runtime, list] : runtimes.items()) {
        for (const auto& object : list) {
            auto udid = plistString(object, "udid");
            auto name = plistString(object, "name");
            if (!udid || !name) continue;
            SimulatorDevice device;
            device.udid = *udid;
            device.name = *name;
            device.runtime = runtimeName(runtime);
            device.isAvailable = plistBool(object, "isAvailable").value_or(true);
            device.isBooted = plistString(object, "state") == std::optional<std::string>("Booted");
            if (object.contains("lastBootedAt"))
                device.lastBooted = parseBootDate(object["lastBootedAt"]);
            device.folder = devicesFolder.appending(*udid, true);
            devices.push_back(std::move(device));
        }
    }
    return devices;
}

// "com.apple.CoreSimulator.SimRuntime.iOS-17-2" reads "iOS 17.2".
std::string DiskScanner::runtimeName(const std::string& identifier) {
    auto dotted = splitNonEmpty(identifier, '.');
    std::string last = dotted.empty() ? identifier : dotted.back();
    auto pieces = splitNonEmpty(last, '-');
    if (pieces.size() < 2) return last;
    std::string version = joined(std::vector<std::string>(pieces.begin() + 1, pieces.end()), ".");
    return pieces.front() + " " + version;
}

} // namespace kelvora
