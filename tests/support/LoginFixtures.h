#pragma once

#include "login/LoginItemScanner.h"
#include "support/TempDir.h"

namespace kelvora::testing {

// Points a login item scanner's Linux places into a test folder (config/, xdg/, system/),
// with no systemd to ask and no process running anything, so that nothing of this machine
// is read.
inline void isolateLinuxRoots(LoginItemScanner& scanner, const TempDir& dir) {
    scanner.configHome = URL::fileURL(dir / "config", true);
    scanner.configDirs = {URL::fileURL(dir / "xdg", true)};
    scanner.systemUnits = URL::fileURL(dir / "system", true);
    scanner.systemctl = nullptr;
    scanner.programRuns = [] { return std::vector<ProgramRun>(); };
    scanner.desktops = {};
    scanner.locale = "C";
}

// A scanner of the test folder's home ("home") with every place it reads in that folder: the
// launchd folders "global" and "daemons", and the Linux places of isolateLinuxRoots.
inline LoginItemScanner isolatedScanner(const TempDir& dir,
                                        LoginItemScanner::Launchctl launchctl = nullptr,
                                        std::vector<URL> applicationFolders = {}) {
    LoginItemScanner scanner(URL::fileURL(dir / "home"), std::move(applicationFolders),
                             std::move(launchctl));
    scanner.globalAgents = URL::fileURL(dir / "global");
    scanner.systemDaemons = URL::fileURL(dir / "daemons");
    isolateLinuxRoots(scanner, dir);
    return scanner;
}

// The listed item of that identifier ("userAgent:label"), or null.
inline const LoginItem* byID(const std::vector<LoginItem>& items, const std::string& id) {
    for (const auto& item : items)
        if (item.id() == id) return &item;
    return nullptr;
}

} // namespace kelvora::testing
