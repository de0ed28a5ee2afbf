#include "login/LoginItemSwitch.h"

#include "engine/DiskScanner.h"
#include "login/AutostartEntries.h"
#include "platform/AppPaths.h"
#include "platform/DesktopEntries.h"
#include "platform/DesktopEntry.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/ProgramSearch.h"
#include "platform/Text.h"

#include <unistd.h>

namespace kelvora {

namespace {

constexpr const char* kLaunchctl = "/bin/launchctl";
constexpr const char* kOsascript = "/usr/bin/osascript";
constexpr double kSwitchTimeout = 60;
constexpr std::string_view kHidden = "Hidden";
constexpr std::string_view kGnomeEnabled = "X-GNOME-Autostart-enabled";

// A switch that finds the entry changed under it starts again from what is there now, this
// many times at most.
constexpr int kTries = 5;

// Off: Hidden=true added as the group's last key, which is the line a session reads, and any
// Hidden=false before it set too, for readers that take the first.
std::string offText(const DesktopEntry& entry) {
    return DesktopEntry::parse(entry.withValueReplaced(kHidden, "false", "true"))
        .withLineAdded(kHidden, "true");
}

// On: the line offText added taken out, then whatever else keeps the entry off set to on
// (Hidden=true lines of the user's own, GNOME's switch), so off then on gives back the bytes.
std::string onText(const DesktopEntry& entry) {
    auto on = DesktopEntry::parse(entry.withoutLastLine(kHidden, "true").value_or(entry.text()));
    on = DesktopEntry::parse(on.withValueReplaced(kHidden, "true", "false"));
    return on.withValueReplaced(kGnomeEnabled, "false", "true");
}

std::string failed(bool on, const std::string& reason) {
    return std::string(on ? LoginItemSwitch::kCouldNotSwitchOn
                          : LoginItemSwitch::kCouldNotSwitchOff) +
           " " + reason + ".";
}

} // namespace

// What switching does to an entry, given what it holds now.
struct LoginItemSwitch::Edit {
    enum class Kind { nothing, write, remove, gone };
    Kind kind = Kind::nothing;
    std::string text;

    // The entry switched, or nothing when it already is as asked.
    static Edit switched(const DesktopEntry& entry, bool on) {
        if (AutostartEntries::isSwitchedOff(entry) != on) return {};
        std::string text = on ? onText(entry) : offText(entry);
        if (text == entry.text()) return {};
        return {Kind::write, std::move(text)};
    }
};

LoginItemSwitch::LoginItemSwitch(Runner run)
    : uid(static_cast<uint32_t>(getuid())), run(std::move(run)),
      userAutostart(URL::fileURL(joinPath(AppPaths::configHome(), "autostart"), true)),
      systemctl(findOnPath("systemctl").value_or("")),
      applicationFolders(DesktopEntries::folders(AppPaths::applicationSupport())),
      replacedLinks(ReplacedLinks::defaultFile()) {}

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
    return rewrite(item.file->path(), on, [on](const std::optional<DesktopEntry>& entry) {
        return entry ? Edit::switched(*entry, on) : Edit{Edit::Kind::gone, {}};
    });
}

// For this user only: a user entry of the same name stands in for the system's. Turning it
// off writes one that is hidden, or hides the one the user has; turning it on removes it
// again only while it is exactly what turning off wrote, and otherwise switches it on.
std::optional<std::string> LoginItemSwitch::setSystemEntry(const LoginItem& item, bool on) const {
    if (!item.file) return failed(on, "Its entry is gone");
    auto system = DesktopEntry::read(item.file->path());
    if (!system) return failed(on, "Could not read " + item.file->path());
    const std::string copyPath =
        item.userCopy ? item.userCopy->path()
                      : joinPath(userAutostart.path(), item.file->lastPathComponent());
    return rewrite(copyPath, on, [&](const std::optional<DesktopEntry>& copy) {
        if (!copy) return Edit::switched(*system, on);
        // A link, or a second name, is the user's own way of keeping the entry, never one
        // Kelvora made.
        auto info = fileInfo(copyPath);
        const bool kelvoras = info && info->isRegularFile() && info->linkCount == 1 &&
                              copy->text() == offText(*system);
        if (on && kelvoras && !AutostartEntries::isSwitchedOff(*system))
            return Edit{Edit::Kind::remove, {}};
        return Edit::switched(*copy, on);
    });
}

// Reads the entry through its links, changes it, and puts the change in its place only while
// the file there is still the one read; one changed meanwhile is read and changed again. A file
// with other names (a hard link kept with the dotfiles) is changed in place, so that every name
// keeps the change. A link to a menu entry is never written through, since Hidden=true there
// deletes the app from the menu: as the desktop's own settings do, a file of the autostart
// folder's own takes the link's place, and is turned back into the link while it is still
// what Kelvora wrote.
std::optional<std::string> LoginItemSwitch::rewrite(const std::string& path, bool on,
                                                    const Change& change) const {
    clearTemporaries(userAutostart.path());
    if (const std::string there = parentPath(pathThroughLinks(path)); there != userAutostart.path())
        clearTemporaries(there);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const auto menuEntry = linkedMenuEntry(path);
        const std::string written = menuEntry ? path : pathThroughLinks(path);
        const auto info = fileInfo(written);
        const auto stamp = info ? std::optional(stampOf(*info)) : std::nullopt;
        const auto menuStamp = menuEntry ? stampOf(*menuEntry) : std::nullopt;
        bool changed = false;
        auto stillRead = [&] {
            if (beforeReplace) beforeReplace(written);
            changed = stampOf(written) != stamp || (menuEntry && stampOf(*menuEntry) != menuStamp);
            return !changed;
        };
        if (const auto link =
                on && written == path && info ? linkToGiveBack(path, *info) : std::nullopt) {
            FileResult back = writeLinkAtomically(path, link->target, stillRead);
            if (back) ReplacedLinks::forget(replacedLinks, path);
            if (back) return std::nullopt;
            if (!changed) return failed(on, back.reason);
            continue;
        }
        std::optional<DesktopEntry> entry;
        if (stamp) {
            entry = DesktopEntry::read(written);
            if (!entry && stampOf(written) != stamp) continue;
            if (!entry) return failed(on, "Could not read " + path);
        }
        const Edit edit = change(entry);
        if (edit.kind == Edit::Kind::nothing) return std::nullopt;
        if (edit.kind == Edit::Kind::gone) return failed(on, "Its entry is gone");
        if (edit.kind == Edit::Kind::remove) {
            if (!stillRead()) continue;
            if (FileResult removed = removeItem(path); !removed) return failed(on, removed.reason);
            return std::nullopt;
        }
        if (FileResult made = createDirectories(parentPath(written)); !made)
            return failed(on, made.reason);
        // Noted before the link is gone, so that a switch cut short still lets it come back.
        if (menuEntry && !on) {
            const auto held = linkTarget(path);
            if (!held) continue;
            if (FileResult noted = ReplacedLinks::note(replacedLinks, path, {*held, edit.text});
                !noted)
                return failed(on, noted.reason);
        }
        const bool otherNames = info && info->isRegularFile() && info->linkCount > 1;
        FileResult done = otherNames ? writeFileInPlace(written, edit.text, *stamp,
                                                        DesktopEntry::kMaxBytes, stillRead)
                                     : writeFileAtomically(written, edit.text, stillRead);
        // A file switched on in place is no longer what Kelvora wrote for a link.
        if (done && on) ReplacedLinks::forget(replacedLinks, path);
        if (done) return std::nullopt;
        if (!changed) return failed(on, done.reason);
    }
    return failed(on, "Another program kept changing " + path + " while Kelvora switched it");
}

// Where the link at `path` finally leads, when that is an entry of the desktop's menu.
std::optional<std::string> LoginItemSwitch::linkedMenuEntry(const std::string& path) const {
    const auto info = fileInfo(path);
    if (!info || !info->isSymlink() || !leadsInto(path, applicationFolders)) return std::nullopt;
    return realPath(path);
}

// The link that a file Kelvora put in its place gives way to: only while the file, of one
// name, is byte for byte what Kelvora wrote, and the link would start its app.
std::optional<ReplacedLinks::Link> LoginItemSwitch::linkToGiveBack(const std::string& path,
                                                                   const FileInfo& info) const {
    if (!info.isRegularFile() || info.linkCount != 1) return std::nullopt;
    const ReplacedLinks note = ReplacedLinks::load(replacedLinks);
    const auto link = note.byEntry.find(path);
    if (link == note.byEntry.end() ||
        readFile(path, DesktopEntry::kMaxBytes) != link->second.written)
        return std::nullopt;
    const std::string& target = link->second.target;
    const auto entry =
        DesktopEntry::read(target.front() == '/' ? target : joinPath(parentPath(path), target));
    if (!entry || AutostartEntries::isSwitchedOff(*entry)) return std::nullopt;
    return link->second;
}

// A switch cut short (the app killed mid-write) leaves its temporary file beside the entry;
// only such files of this user's, named as only Kelvora names them after an entry and with no
// other name, are taken away.
void LoginItemSwitch::clearTemporaries(const std::string& folder) const {
    for (const FileInfo& info : listFolderThroughLink(URL::fileURL(folder, true)).entries) {
        auto of = writtenByTemporary(info.name);
        if (!of || !endsWith(*of, ".desktop") || !info.isRegularFile() || info.linkCount != 1 ||
            info.owner != uid)
            continue;
        removeItem(info.url.path());
    }
}

std::optional<std::string> LoginItemSwitch::setUnit(const LoginItem& item, bool on) const {
    if (systemctl.empty()) return std::string(kNoSystemctl);
    if (!succeeds(systemctl, {"--user", on ? "enable" : "disable", "--now", item.label}))
        return std::string(on ? kUnitRefusedOn : kUnitRefusedOff);
    if (on)
        turnedOffUnits.forget(item.label);
    else
        turnedOffUnits.remember(item.label);
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
