#include "engine/DiskScanner.h"
#include "engine/PathRules.h"

#include "platform/AppPaths.h"
#include "platform/FileSystem.h"

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
    downloadsFolder = home.appending("Downloads", true);
    for (const char* name : {"Desktop", "Documents", "Downloads", "Movies", "Music", "Pictures"})
        duplicateFolders.push_back(home.appending(name, true));
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
    mailAccounts = liveMailAccounts;
    purgeableSpace = livePurgeable;
    localSnapshots = liveSnapshots;
    processPaths = runningProcessPaths;
}

DiskScanner DiskScanner::live() {
    return DiskScanner(URL::fileURL(AppPaths::home(), true),
                       URL::fileURL(AppPaths::temporaryDirectory(), true));
}

std::set<std::string> DiskScanner::runningProcessNames() {
    std::set<std::string> names;
    for (const auto& path : runningProcessPaths())
        names.insert(lastComponent(path));
    return names;
}

std::vector<RunningApp> DiskScanner::liveRunningApps() {
    // This system has no registry of running applications; its processes stand for them,
    // each under its executable's name.
    std::vector<RunningApp> apps;
    for (const auto& name : runningProcessNames())
        apps.push_back({name, name});
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

bool DiskScanner::mayRead(const URL& url) const {
    if (privateFoldersAllowed) return true;
    // Both the written and the resolved forms count, so a link cannot lead past the rule.
    for (const auto& path : bothForms(url)) {
        for (const auto& name : privateFolderNames()) {
            for (const auto& folder : bothForms(home.appending(name)))
                if (isSameOrInside(path, folder)) return false;
        }
    }
    return true;
}

namespace {

void collectRegularFiles(const URL& folder, std::vector<FileInfo>& out, FileCounter& counter) {
    Listing listing = listFolder(folder);
    for (auto& entry : listing.entries) {
        if (entry.isRegularFile()) {
            ++counter.count;
            out.push_back(std::move(entry));
        } else if (entry.isDirectory()) {
            collectRegularFiles(entry.url, out, counter);
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
    if (info->isDirectory()) collectRegularFiles(url, out, counter);
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
