#pragma once

#include "login/LaunchJob.h"
#include "login/LoginItem.h"
#include "login/SystemdUnits.h"
#include "login/TurnedOffUnits.h"
#include "platform/ProcessTable.h"
#include "platform/SandboxApps.h"
#include "platform/UnitFolders.h"
#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelvora {

// Lists everything that starts by itself for the current user, with its state: launchd
// jobs of the Library folders, the desktop's autostart entries and systemd's units.
struct LoginItemScanner {
    struct OpenAtLoginApp {
        std::string name;
        std::string path;
        bool operator==(const OpenAtLoginApp&) const = default;
    };

    using Launchctl = std::function<std::optional<std::string>(const std::vector<std::string>&)>;
    using OpenAtLoginReader = std::function<std::optional<std::vector<OpenAtLoginApp>>()>;

    URL home;
    URL globalAgents = URL::fileURL("/Library/LaunchAgents");
    URL systemDaemons = URL::fileURL("/Library/LaunchDaemons");
    std::vector<URL> applicationFolders;
    uint32_t uid;
    Launchctl launchctl;
    OpenAtLoginReader openAtLogin; // empty: the open-at-login list is not read
    std::vector<OpenAtLoginApp> turnedOffApps;
    // Where this system keeps what starts at login: the user's autostart entries and units
    // under configHome, those for everyone under each of configDirs and systemUnits.
    URL configHome;
    std::vector<URL> configDirs;
    URL systemUnits = URL::fileURL("/etc/systemd/system", true);
    // The other folders systemd reads the user's and the system's units and drop-ins from.
    std::vector<URL> userUnitFolders;
    std::vector<URL> systemUnitFolders = UnitFolders::otherSystem();
    // The disks a program may lie on while they are away; none: this computer's, read anew
    // at each reading.
    std::optional<DiskPlaces> diskPlaces;
    std::vector<std::string> desktops; // XDG_CURRENT_DESKTOP's names
    std::string locale;                // the user's language for names
    SystemdUnits::Systemctl systemctl; // empty: no systemd to ask
    std::function<std::vector<ProgramRun>()> programRuns;
    SandboxRoots sandbox; // where Flatpak and Snap keep the apps autostart entries start
    // The folders of the desktop's application entries, whose icons stand for their programs.
    std::vector<std::string> applicationEntries;
    // The user's units Kelvora turned off, listed while their file is there; each scan forgets
    // those enabled again or surely gone.
    TurnedOffUnits turnedOffUnits;

    LoginItemScanner(URL home, std::optional<std::vector<URL>> applicationFolders,
                     Launchctl launchctl);

    // The current user's: their home folder, the default application folders and launchctl.
    static LoginItemScanner live();

    std::vector<LoginItem> scan() const;
    // The user's own autostart entries and systemd units that the list offers to remove
    // because their program is gone (LoginItem::isLeftover), read from the files alone.
    std::vector<LoginItem> linuxLeftovers() const;

    static std::optional<std::string> liveLaunchctl(const std::vector<std::string>& arguments);
    static std::optional<std::vector<OpenAtLoginApp>> liveOpenAtLogin();
    // Whether the list liveOpenAtLogin reads is there to be read: the Mac's System Events
    // and a real osascript to ask it. A Linux desktop has neither.
    static bool hasSystemEvents();
    static const std::string& openAtLoginScript();
    static std::vector<OpenAtLoginApp> parseOpenAtLogin(const std::string& output);

    static std::optional<int32_t> parsePID(const std::string& text);
    static std::unordered_map<std::string, std::optional<int32_t>>
    parseList(const std::string& text);
    static std::unordered_map<std::string, bool> parseDisabled(const std::string& text);

private:
    struct Helper {
        std::string label;
        URL url;
        std::string owner;
    };
    struct Snapshot {
        std::unordered_map<std::string, std::optional<int32_t>> listed;
        std::unordered_map<std::string, bool> userDisabled;
        std::unordered_map<std::string, bool> systemDisabled;
    };

    static std::vector<URL> plists(const URL& folder);
    LoginItem item(const LaunchJob& job, LoginItem::Source source, LoginItem::State state,
                   const DiskPlaces& disks) const;
    std::vector<Helper> appHelpers() const;
    LoginItem::State agentState(const std::string& label, const Snapshot& snapshot) const;
    LoginItem::State daemonState(const std::string& label, const Snapshot& snapshot) const;
    struct LinuxPlaces;
    LinuxPlaces linuxPlaces(std::vector<ProgramRun> runs, const DiskPlaces& disks) const;
    DiskPlaces disksNow() const;
    void appendLinuxItems(std::vector<LoginItem>& items, const DiskPlaces& disks) const;
    void addProgramIcons(std::vector<LoginItem>& items) const;
    void appendOpenAtLogin(std::vector<LoginItem>& items) const;
};

} // namespace kelvora

template <> struct std::hash<kelvora::LoginItemScanner::OpenAtLoginApp> {
    std::size_t operator()(const kelvora::LoginItemScanner::OpenAtLoginApp& app) const noexcept {
        return std::hash<std::string>()(app.name) * 31 ^ std::hash<std::string>()(app.path);
    }
};
