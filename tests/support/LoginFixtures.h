#pragma once

#include "login/LoginItemScanner.h"
#include "login/LoginItemSwitch.h"
#include "support/DesktopFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::testing {

// Points a login item scanner's Linux places into a test folder (config/, xdg/, system/,
// with Flatpak's and Snap's places under data/ and system/var/lib, and Kelvora's memory of
// the units it turned off under data/), with no systemd to ask, no process running anything
// and no mount table, so that nothing of this machine is read.
inline void isolateLinuxRoots(LoginItemScanner& scanner, const TempDir& dir) {
    scanner.configHome = URL::fileURL(dir / "config", true);
    scanner.configDirs = {URL::fileURL(dir / "xdg", true)};
    scanner.systemUnits = URL::fileURL(dir / "system", true);
    scanner.userUnitFolders = {};
    scanner.systemUnitFolders = {};
    scanner.diskPlaces = DiskPlaces{};
    scanner.sandbox =
        SandboxRoots::under(URL::fileURL(dir / "system", true), URL::fileURL(dir / "data", true));
    scanner.applicationEntries = {dir / "data/applications"};
    scanner.turnedOffUnits.file = URL::fileURL(dir / "data/Kelvora/turned-off-units.json");
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

// A test folder laid out as the places isolatedScanner reads, with writers of the files the
// Linux kinds of login item are made of.
struct LoginHome {
    TempDir dir;

    std::string home() const { return dir / "home"; }
    std::string userAutostart() const { return dir / "config/autostart"; }
    std::string systemAutostart() const { return dir / "xdg/autostart"; }

    // A desktop entry of an application in that folder, with the lines after its type.
    std::string entry(const std::string& folder, const std::string& name,
                      const std::string& keys) const {
        return writeAt(joinPath(folder, name + ".desktop"),
                       "[Desktop Entry]\nType=Application\n" + keys);
    }
    // A link at that place in the test folder, made with the folders it lies in.
    void link(const std::string& target, const std::string& at) const {
        createDirectories(parentPath(dir / at));
        symlink(target.c_str(), (dir / at).c_str());
    }
    // A switch that writes into the test folder's autostart places and its data folder
    // (data/) and runs no tool.
    LoginItemSwitch autostartSwitch() const {
        LoginItemSwitch toggle([](const std::string&, const std::vector<std::string>&) {
            ADD_FAILURE() << "no tool runs for an autostart entry";
            return std::optional<int32_t>(0);
        });
        toggle.userAutostart = URL::fileURL(userAutostart(), true);
        toggle.replacedLinks = dir / "data/Kelvora/replaced-links.json";
        return toggle;
    }
    // A program that can run, in the test folder's bin/.
    std::string program(const std::string& name) const {
        const std::string path = dir.write("bin/" + name, "#!/bin/sh\n");
        chmod(path.c_str(), 0755);
        return path;
    }
};

// The listed item of that identifier ("userAgent:label"), or null.
inline const LoginItem* byID(const std::vector<LoginItem>& items, const std::string& id) {
    for (const auto& item : items)
        if (item.id() == id) return &item;
    return nullptr;
}

// The item of that identifier as a scan of the test folder lists it now, or none.
inline std::optional<LoginItem> listedNow(const LoginHome& home, const std::string& id) {
    const auto items = isolatedScanner(home.dir).scan();
    const LoginItem* item = byID(items, id);
    return item ? std::optional<LoginItem>(*item) : std::nullopt;
}

// Checks that exactly the rows' items are listed, each of that mechanism, and each by `check`
// (given its row and its item).
template <typename Row, typename Check>
void expectListed(const std::vector<LoginItem>& items, const std::vector<Row>& rows,
                  LoginItem::Mechanism mechanism, const Check& check) {
    ASSERT_EQ(items.size(), rows.size());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const LoginItem* item = byID(items, row.id);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->mechanism, mechanism);
        check(row, *item);
    }
}

} // namespace kelvora::testing
