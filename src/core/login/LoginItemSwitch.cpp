#include "login/LoginItemSwitch.h"

#include "engine/DiskScanner.h"
#include "login/AutostartEntries.h"
#include "platform/AppPaths.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/ProgramSearch.h"

#include <algorithm>
#include <unistd.h>

namespace kelvora {

namespace {

constexpr const char* kLaunchctl = "/bin/launchctl";
constexpr const char* kOsascript = "/usr/bin/osascript";
constexpr double kSwitchTimeout = 60;
constexpr std::string_view kHidden = "Hidden";
constexpr std::string_view kGnomeEnabled = "X-GNOME-Autostart-enabled";

// The entry's text switched off (Hidden=true) or on (neither Hidden nor GNOME's own key
// keeping it off); every other line as it was.
std::string switchedText(const DesktopEntry& entry, bool on) {
    if (!on) return entry.withValue(kHidden, "true");
    DesktopEntry switched = entry;
    if (switched.flag(kHidden))
        switched = DesktopEntry::parse(switched.withValue(kHidden, "false"));
    if (switched.value(kGnomeEnabled) == "false")
        switched = DesktopEntry::parse(switched.withValue(kGnomeEnabled, "true"));
    return switched.text();
}

// A user entry that differs from the system's only in the keys that switch it, as the copy
// that turns the system's off is: it holds nothing of the user's own.
bool onlySwitches(const DesktopEntry& copy, const DesktopEntry& system) {
    auto ownKeys = [](const DesktopEntry& entry) {
        std::vector<std::string> keys = entry.keys();
        std::erase_if(
            keys, [](const std::string& key) { return key == kHidden || key == kGnomeEnabled; });
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    auto keys = ownKeys(copy);
    if (keys != ownKeys(system)) return false;
    return std::all_of(keys.begin(), keys.end(), [&](const std::string& key) {
        return copy.value(key) == system.value(key);
    });
}

std::string failed(bool on, const std::string& reason) {
    return std::string(on ? LoginItemSwitch::kCouldNotSwitchOn
                          : LoginItemSwitch::kCouldNotSwitchOff) +
           " " + reason + ".";
}

std::optional<std::string> write(const std::string& path, const std::string& text, bool on) {
    if (FileResult made = createDirectories(parentPath(path)); !made)
        return failed(on, made.reason);
    if (FileResult written = writeFileAtomically(path, text); !written)
        return failed(on, written.reason);
    return std::nullopt;
}

} // namespace

LoginItemSwitch::LoginItemSwitch(Runner run)
    : uid(static_cast<uint32_t>(getuid())), run(std::move(run)),
      userAutostart(URL::fileURL(joinPath(AppPaths::configHome(), "autostart"), true)),
      systemctl(findOnPath("systemctl").value_or("")) {}

LoginItemSwitch::Runner LoginItemSwitch::defaultRunner() {
    return [](const std::string& tool,
              const std::vector<std::string>& arguments) -> std::optional<int32_t> {
        auto result = DiskScanner::runTool(tool, arguments, kSwitchTimeout);
        if (!result) return std::nullopt;
        return result->status;
    };
}

std::optional<std::string> LoginItemSwitch::set(const LoginItem& item, bool on) const {
    if (item.mechanism == LoginItem::Mechanism::autostart) return setAutostart(item, on);
    if (item.mechanism == LoginItem::Mechanism::systemdUnit)
        return item.source == LoginItem::Source::userAgent ? setUnit(item, on)
                                                           : std::string(kSwitchInSettings);
    switch (item.source) {
    case LoginItem::Source::userAgent:
    case LoginItem::Source::globalAgent:
        return setAgent(item, on);
    case LoginItem::Source::openAtLogin:
        return setOpenAtLogin(item, on);
    case LoginItem::Source::systemDaemon:
    case LoginItem::Source::appHelper:
        break;
    }
    return std::string(kSwitchInSettings);
}

std::optional<std::string> LoginItemSwitch::setAgent(const LoginItem& item, bool on) const {
    std::string domain = "gui/" + std::to_string(uid);
    std::string target = domain + "/" + item.label;
    if (on) {
        if (!succeeds(kLaunchctl, {"enable", target})) return std::string(kCouldNotSwitchOn);
        // Loading a job that is already loaded fails harmlessly.
        if (item.file) run(kLaunchctl, {"bootstrap", domain, item.file->path()});
        return std::nullopt;
    }
    if (!succeeds(kLaunchctl, {"disable", target})) return std::string(kCouldNotSwitchOff);
    if (item.state.kind != LoginItem::State::Kind::notLoaded) run(kLaunchctl, {"bootout", target});
    return std::nullopt;
}

std::optional<std::string> LoginItemSwitch::setOpenAtLogin(const LoginItem& item, bool on) const {
    std::string script = "tell application \"System Events\"";
    if (on)
        script += " to make login item at end with properties {path:\"" +
                  escapeForAppleScript(item.file ? item.file->path() : "") + "\", hidden:false}";
    else
        script += " to delete login item \"" + escapeForAppleScript(item.label) + "\"";
    if (!succeeds(kOsascript, {"-e", script})) return std::string(kSystemEventsRefused);
    return std::nullopt;
}

std::optional<std::string> LoginItemSwitch::setAutostart(const LoginItem& item, bool on) const {
    if (item.source == LoginItem::Source::globalAgent) return setSystemEntry(item, on);
    if (!item.file) return failed(on, "Its entry is gone");
    const std::string& path = item.file->path();
    auto entry = DesktopEntry::read(path);
    if (!entry) return failed(on, "Could not read " + path);
    return write(path, switchedText(*entry, on), on);
}

// For this user only: a user entry of the same name stands in for the system's. Turning it
// off writes one that is hidden; turning it on removes it again, unless the user made it
// their own, which is then only switched on.
std::optional<std::string> LoginItemSwitch::setSystemEntry(const LoginItem& item, bool on) const {
    if (!item.file) return failed(on, "Its entry is gone");
    auto system = DesktopEntry::read(item.file->path());
    if (!system) return failed(on, "Could not read " + item.file->path());
    const std::string copyPath =
        item.userCopy ? item.userCopy->path()
                      : joinPath(userAutostart.path(), item.file->lastPathComponent());
    std::optional<DesktopEntry> copy;
    if (fileExists(copyPath)) {
        copy = DesktopEntry::read(copyPath);
        if (!copy) return failed(on, "Could not read " + copyPath);
    }
    if (!on) return write(copyPath, switchedText(copy ? *copy : *system, false), on);
    if (!copy) {
        if (!AutostartEntries::isSwitchedOff(*system)) return std::nullopt;
        return write(copyPath, switchedText(*system, true), on);
    }
    if (onlySwitches(*copy, *system) && !AutostartEntries::isSwitchedOff(*system)) {
        if (FileResult removed = removeItem(copyPath); !removed) return failed(on, removed.reason);
        return std::nullopt;
    }
    return write(copyPath, switchedText(*copy, true), on);
}

std::optional<std::string> LoginItemSwitch::setUnit(const LoginItem& item, bool on) const {
    if (systemctl.empty()) return std::string(kNoSystemctl);
    if (!succeeds(systemctl, {"--user", on ? "enable" : "disable", "--now", item.label}))
        return std::string(on ? kUnitRefusedOn : kUnitRefusedOff);
    return std::nullopt;
}

bool LoginItemSwitch::succeeds(const std::string& tool,
                               const std::vector<std::string>& arguments) const {
    if (!run) return false;
    auto status = run(tool, arguments);
    return status && *status == 0;
}

std::string LoginItemSwitch::escapeForAppleScript(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace kelvora
