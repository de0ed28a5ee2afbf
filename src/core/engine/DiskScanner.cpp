#include "engine/DiskScanner.h"
#include "engine/PathRules.h"

#include "platform/AppBundle.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/ProgramSearch.h"
#include "platform/Text.h"

#include <cstdlib>
#include <sys/statvfs.h>

namespace kelvora {

DiskScanner::DiskScanner(URL homeFolder, URL temp, std::optional<std::vector<URL>> folders,
                         std::function<std::vector<RunningApp>()> apps,
                         std::function<std::optional<AppUsage>(const URL&)> usage,
                         std::function<Date()> clock)
    : home(std::move(homeFolder)), tempDirectory(std::move(temp)),
      runningApps(apps ? std::move(apps)
                       : std::function<std::vector<RunningApp>()>(liveRunningApps)),
      now(clock ? std::move(clock) : std::function<Date()>(currentDate)), ownBundleID(kBundleID),
      appUsage(usage ? std::move(usage)
                     : std::function<std::optional<AppUsage>(const URL&)>(spotlightUsage)) {
    applicationFolders = folders ? std::move(*folders)
                                 : std::vector<URL>{URL::fileURL("/Applications", true),
                                                    home.appending("Applications", true)};
    const HomeFolders places(home);
    downloadsFolder = places.user("Downloads");
    for (const char* name : {"Desktop", "Documents", "Downloads", "Movies", "Music", "Pictures"})
        duplicateFolders.push_back(places.user(name));
    // The defaults capture the home given here; a later change of home does not move them.
    URL capturedHome = home;
    simulators = [capturedHome] { return liveSimulators(capturedHome); };
    docker = [capturedHome] { return liveDocker(capturedHome); };
    ollamaTool = findOllama();
    appleModelsFolder = URL::fileURL("/System/Library/AssetsV2", true);
    std::vector<URL> lookIn = applicationFolders;
    isInstalled = [lookIn](const std::string& bundleID) {
        return applicationURL(bundleID, lookIn).has_value();
    };
    desktopApplications = [dataHome = places.data().path()] {
        return DesktopEntries::applications(DesktopEntries::folders(dataHome));
    };
    sandboxRoots = SandboxRoots::live(places.data());
    desktopEntryFolders = [dataHome = places.data().path()] {
        return DesktopEntries::folders(dataHome);
    };
    diskPlaces = DiskPlaces::live;
    const char* path = std::getenv("PATH");
    programSearchPath = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    mailAccounts = liveMailAccounts;
    purgeableSpace = livePurgeable;
    localSnapshots = liveSnapshots;
    processPaths = runningProcessPaths;
    openFiles = liveOpenFiles;
}

DiskScanner DiskScanner::live() {
    DiskScanner scanner(URL::fileURL(AppPaths::home(), true),
                        URL::fileURL(AppPaths::temporaryDirectory(), true));
    scanner.systemctl = liveSystemctl;
    return scanner;
}

std::optional<ToolOutput> DiskScanner::liveSystemctl(const std::vector<std::string>& arguments) {
    constexpr double kTimeout = 15;
    auto tool = findOnPath("systemctl");
    if (!tool) return std::nullopt;
    return runTool(*tool, arguments, kTimeout);
}

std::set<std::string> DiskScanner::runningProcessNames() {
    std::set<std::string> names;
    for (const auto& path : runningProcessPaths())
        names.insert(lastComponent(path));
    return names;
}

namespace {

// The application bundle a process was started from: its executable lies inside
// "<X>.app/Contents/MacOS/". A helper bundle nested in another answers for itself.
std::optional<URL> bundleOfExecutable(const std::string& path) {
    const size_t macOS = path.rfind("/Contents/MacOS/");
    if (macOS == std::string::npos) return std::nullopt;
    const std::string bundle = path.substr(0, macOS);
    if (!endsWith(bundle, ".app")) return std::nullopt;
    return URL::fileURL(bundle, true);
}

// Each application that runs, once, in the order its first process was met.
std::vector<RunningApp> runningBundles(const std::vector<std::string>& processPaths) {
    std::vector<RunningApp> apps;
    std::set<std::string> looked;
    for (const auto& path : processPaths) {
        auto bundle = bundleOfExecutable(path);
        if (!bundle || !looked.insert(bundle->path()).second) continue;
        if (auto identifier = bundleIdentifier(*bundle))
            apps.push_back({bundle->deletingPathExtension().lastPathComponent(), *identifier});
    }
    return apps;
}

} // namespace

std::vector<RunningApp> DiskScanner::liveRunningApps() {
    // No registry of running applications here: a process started from an application
    // bundle stands for that application, and every process is listed under its name.
    const auto paths = runningProcessPaths();
    std::vector<RunningApp> apps = runningBundles(paths);
    std::set<std::string> identifiers;
    for (const auto& app : apps)
        identifiers.insert(lowercased(app.bundleID));
    std::set<std::string> programs;
    for (const auto& path : paths)
        programs.insert(lastComponent(path));
    // Known by its program's name; shown by its application's ("evolution" is Evolution).
    for (const auto& [program, shown] : programNames(programs))
        if (!identifiers.count(lowercased(program))) apps.push_back({shown, program});
    return apps;
}

DiskSpace DiskScanner::diskSpace(const URL& url) {
    struct statvfs info {};
    if (statvfs(url.path().c_str(), &info) != 0) return {};
    auto unit = static_cast<int64_t>(info.f_frsize ? info.f_frsize : info.f_bsize);
    return {static_cast<int64_t>(info.f_blocks) * unit, static_cast<int64_t>(info.f_bavail) * unit};
}

const std::vector<std::string>& DiskScanner::privateFolderNames() {
    static const std::vector<std::string> names = {"Desktop", "Documents", "Downloads"};
    return names;
}

URL DiskScanner::userFolder(const std::string& name) const {
    return HomeFolders(home).user(name);
}

std::vector<URL> DiskScanner::privateFolders() const {
    const HomeFolders places(home);
    std::vector<URL> folders;
    for (const auto& name : privateFolderNames())
        folders.push_back(places.user(name));
    return folders;
}

bool DiskScanner::mayRead(const URL& url) const {
    if (privateFoldersAllowed) return true;
    // Both the written and the resolved forms count, so a link cannot lead past the rule.
    const auto folders = privateFolders();
    for (const auto& path : bothForms(url)) {
        for (const auto& privateFolder : folders) {
            for (const auto& folder : bothForms(privateFolder))
                if (isSameOrInside(path, folder)) return false;
        }
    }
    return true;
}

namespace {

void collectRegularFiles(const URL& folder, std::vector<FileInfo>& out, FileCounter& counter,
                         const StopToken& stop) {
    if (stop.stopped()) return;
    Listing listing = listFolder(folder);
    for (auto& entry : listing.entries) {
        if (entry.isRegularFile()) {
            ++counter.count;
            out.push_back(std::move(entry));
        } else if (entry.isDirectory()) {
            collectRegularFiles(entry.url, out, counter, stop);
        }
    }
}

} // namespace

std::vector<FileInfo> DiskScanner::regularFileInfos(const URL& url, FileCounter& counter) const {
    auto info = fileInfo(url);
    if (!info || info->isSymlink()) return {};
    if (info->isRegularFile()) {
        ++counter.count;
        info->url = url;
        return {std::move(*info)};
    }
    std::vector<FileInfo> out;
    if (info->isDirectory()) collectRegularFiles(url, out, counter, stop);
    return out;
}

std::vector<URL> DiskScanner::regularFiles(const URL& url, FileCounter& counter) const {
    std::vector<URL> urls;
    for (auto& info : regularFileInfos(url, counter))
        urls.push_back(std::move(info.url));
    return urls;
}

std::optional<Date> DiskScanner::modificationDate(const URL& url) const {
    auto info = fileInfo(url);
    if (!info) return std::nullopt;
    return info->modified;
}

std::optional<Date> DiskScanner::newestChange(const URL& folder, FileCounter& counter) const {
    std::optional<Date> newest = modificationDate(folder);
    for (const auto& file : regularFileInfos(folder, counter))
        if (!newest || file.modified > *newest) newest = file.modified;
    return newest;
}

} // namespace kelvora
