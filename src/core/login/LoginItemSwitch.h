#pragma once

#include "login/LoginItem.h"
#include "login/ReplacedLinks.h"
#include "login/TurnedOffUnits.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Turns one login item on or off for the current user, without an administrator: launchd
// jobs and the open-at-login list with their tools, autostart entries by editing the user's
// own entries in place, and the user's systemd units with systemctl.
struct LoginItemSwitch {
    // Tool path and arguments in; the exit status, or nothing when the tool did not run to
    // its end.
    using Runner =
        std::function<std::optional<int32_t>(const std::string&, const std::vector<std::string>&)>;

    uint32_t uid;
    Runner run;
    URL userAutostart;     // where the user's autostart entries go
    std::string systemctl; // its path; empty when this system has none
    // Where the units turned off here are remembered, for the list to keep them.
    TurnedOffUnits turnedOffUnits;
    // The folders of the desktop's menu entries: a link into one is never written through.
    std::vector<std::string> applicationFolders;
    // Kelvora's note of the links to menu entries it put files in place of.
    std::string replacedLinks;
    // Called with the file an entry is written to once it has been read and just before the
    // change takes its place: where another program's write may fall. Nothing by default.
    std::function<void(const std::string& path)> beforeReplace;

    explicit LoginItemSwitch(Runner run = defaultRunner());

    // Nothing on success, else a message for the user.
    std::optional<std::string> set(const LoginItem& item, bool on) const;

    static Runner defaultRunner();
    static std::string escapeForAppleScript(const std::string& text);

    static constexpr const char* kCouldNotSwitchOn = "Kelvora couldn’t switch it on.";
    static constexpr const char* kCouldNotSwitchOff = "Kelvora couldn’t switch it off.";
    static constexpr const char* kSystemEventsRefused =
        "Kelvora couldn’t change its list of apps that open at login.";
    static constexpr const char* kSwitchInSettings =
        "Kelvora doesn’t switch this one; its app or an administrator does.";
    static constexpr const char* kNoSystemctl =
        "This computer has no systemctl, so Kelvora can’t switch services.";
    static constexpr const char* kUnitRefusedOn = "systemd didn’t let Kelvora switch it on.";
    static constexpr const char* kUnitRefusedOff = "systemd didn’t let Kelvora switch it off.";

private:
    std::optional<std::string> setAgent(const LoginItem& item, bool on) const;
    std::optional<std::string> setOpenAtLogin(const LoginItem& item, bool on) const;
    std::optional<std::string> setAutostart(const LoginItem& item, bool on) const;
    std::optional<std::string> setSystemEntry(const LoginItem& item, bool on) const;
    struct Edit;
    using Change = std::function<Edit(const std::optional<DesktopEntry>& entry)>;
    std::optional<std::string> rewrite(const std::string& path, bool on,
                                       const Change& change) const;
    void clearTemporaries(const std::string& folder) const;
    std::optional<std::string> linkedMenuEntry(const std::string& path) const;
    std::optional<ReplacedLinks::Link> linkToGiveBack(const std::string& path,
                                                      const FileInfo& info) const;
    std::optional<std::string> setUnit(const LoginItem& item, bool on) const;
    bool succeeds(const std::string& tool, const std::vector<std::string>& arguments) const;
};

} // namespace kelvora
