#pragma once

#include "clean/Cleaner.h"
#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvora::testing {

inline const Date kFixtureNow = dateFromEpochSeconds(1'800'000'000);
constexpr double kDay = 86400;

inline Date daysAgo(double days) {
    return addSeconds(kFixtureNow, -days * kDay);
}

// A scanner of a fixture home with a fixed clock and an outside world that
// holds nothing: no running apps, no usage dates, no accounts, no tools, no desktop entries.
inline DiskScanner fixtureScanner(const TempDir& home, std::vector<RunningApp> apps = {}) {
    DiskScanner scanner(
        home.url(), URL::fileURL(home / "tmp", true), std::vector<URL>{}, [apps] { return apps; },
        [](const URL&) { return std::optional<AppUsage>(); }, [] { return kFixtureNow; });
    scanner.mailAccounts = [] { return MailAccounts{}; };
    scanner.simulators = [] { return std::vector<SimulatorDevice>{}; };
    scanner.docker = [] { return std::optional<DockerUsage>(); };
    scanner.processPaths = [] { return std::vector<std::string>{}; };
    scanner.openFiles = [] { return std::vector<RunningProcess>{}; };
    scanner.purgeableSpace = [](const URL&) { return int64_t{0}; };
    scanner.localSnapshots = [] { return std::vector<Date>{}; };
    scanner.isInstalled = [](const std::string&) { return true; };
    scanner.desktopApplications = [] { return std::vector<DesktopEntries::Application>{}; };
    scanner.desktopEntryFolders = [] { return std::vector<std::string>{}; };
    scanner.sandboxRoots = SandboxRoots::under(URL::fileURL(home / "system", true),
                                               home.url().appending(".local/share"));
    scanner.ollamaTool.reset();
    return scanner;
}

// A cleaner that finds no application or process of this machine running and whose tools
// all succeed, so that only the items given decide what it does.
inline Cleaner fixtureCleaner() {
    return Cleaner([] { return std::vector<RunningApp>{}; },
                   [] { return std::vector<std::string>{"/usr/bin/something"}; },
                   [](const ScanItem::Action&) { return std::optional<int32_t>(0); },
                   [] { return std::vector<RunningProcess>{}; });
}

// A file last written, and last read, at `modified`: untouched since.
inline std::string writeAged(const TempDir& dir, const std::string& relative, size_t bytes,
                             Date modified) {
    const std::string path = dir.write(relative, std::string(bytes, 'k'));
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count();
    const timespec at{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
    const timespec times[2] = {at, at};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
    return path;
}

// Runs check in a child process as the unprivileged user 65534 (tests run as
// root, whom permissions do not stop) and tells whether it returned true.
inline bool asNobody(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        const bool ok = setgid(65534) == 0 && setuid(65534) == 0 && check();
        _exit(ok ? 0 : 1);
    }
    return waitForChild(child, "the check run as an ordinary user") == 0;
}

} // namespace kelvora::testing
