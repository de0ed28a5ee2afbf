#pragma once

#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvora::testing {

// A home folder in a temporary place, a scanner of it with a fixed clock and no outside
// world, and small helpers to date what the test writes.
class HomeFixture {
public:
    HomeFixture()
        : now(std::chrono::floor<std::chrono::seconds>(currentDate())),
          scanner(
              home.url(), URL::fileURL(home / "tmp", true), std::vector<URL>{},
              [] { return std::vector<RunningApp>{}; },
              [](const URL&) { return std::optional<AppUsage>(); }, [this] { return now; }) {
        scanner.simulators = [] { return std::vector<SimulatorDevice>{}; };
        scanner.docker = [] { return std::optional<DockerUsage>(); };
        scanner.ollamaTool = std::nullopt;
        scanner.appleModelsFolder = URL::fileURL(home / "AssetsV2", true);
        scanner.purgeableSpace = [](const URL&) { return int64_t{0}; };
        scanner.localSnapshots = [] { return std::vector<Date>{}; };
        scanner.processPaths = [] { return std::vector<std::string>{}; };
        scanner.openFiles = [] { return std::vector<RunningProcess>{}; };
        scanner.mailAccounts = [] { return MailAccounts{}; };
        scanner.isInstalled = [](const std::string&) { return true; };
        scanner.desktopEntryFolders = [] { return std::vector<std::string>{}; };
    }

    Date daysAgo(double days) const { return addSeconds(now, -days * 86400); }

    // Writes a file of `bytes` bytes dated `days` ago and returns its path.
    std::string file(const std::string& relative, double days, size_t bytes = 5000) const {
        std::string path = home.write(relative, std::string(bytes, 'k'));
        setModificationDate(path, daysAgo(days));
        return path;
    }
    std::string folder(const std::string& relative, double days) const {
        std::string path = home.mkdir(relative);
        setModificationDate(path, daysAgo(days));
        return path;
    }
    void age(const std::string& relative, double days) const {
        setModificationDate(home / relative, daysAgo(days));
    }
    URL url(const std::string& relative, bool isDirectory = false) const {
        return URL::fileURL(home / relative, isDirectory);
    }

    TempDir home;
    Date now;
    DiskScanner scanner;
};

inline std::vector<std::string> paths(const std::vector<URL>& urls) {
    std::vector<std::string> out;
    for (const auto& url : urls)
        out.push_back(url.path());
    std::sort(out.begin(), out.end());
    return out;
}

inline const ScanItem* itemAt(const std::vector<ScanItem>& items, const std::string& path) {
    for (const auto& item : items)
        if (item.location.path() == path) return &item;
    return nullptr;
}

inline int64_t allocated(const std::string& path) {
    sync();
    auto info = fileInfo(path);
    return info ? info->allocatedSize : 0;
}

} // namespace kelvora::testing
