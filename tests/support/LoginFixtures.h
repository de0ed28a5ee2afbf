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

// The listed item of that identifier ("userAgent:label"), or null.
inline const LoginItem* byID(const std::vector<LoginItem>& items, const std::string& id) {
    for (const auto& item : items)
        if (item.id() == id) return &item;
    return nullptr;
}

} // namespace kelvora::testing
