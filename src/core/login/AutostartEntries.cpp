#include "login/AutostartEntries.h"

#include "login/LoginItemNames.h"
#include "login/LoginPrograms.h"
#include "login/SandboxLaunch.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>

namespace kelvora {

namespace {

struct Found {
    URL file;
    std::optional<DesktopEntry> entry; // none when it cannot be read
};

// The entries of a folder by file name. An entry that cannot be read is kept only when it is
// a link that leads nowhere: what it linked to was removed.
std::map<std::string, Found> entriesIn(const URL& folder) {
    std::map<std::string, Found> found;
    for (const FileInfo& info : listFolderThroughLink(folder).entries) {
        if (info.url.pathExtension() != AutostartEntries::kExtension || info.isDirectory())
            continue;
        auto entry = DesktopEntry::read(info.url.path());
        bool dangling = info.isSymlink() && !identityOf(info.url.path());
        if (!entry && !dangling) continue;
        auto type = entry ? entry->value("Type") : std::nullopt;
        if (type && *type != "Application") continue;
        found.emplace(info.name, Found{info.url, std::move(entry)});
    }
    return found;
}

// The session skips an entry whose TryExec is not there.
bool startsNothing(const std::optional<std::string>& program, const DesktopEntry& entry,
                   const ProgramPlaces& programs) {
    return programPresence(program, programs) == Presence::gone ||
           programPresence(entry.value("TryExec"), programs) == Presence::gone;
}

std::string spokenList(const std::vector<std::string>& names) {
    return joined(names, " or ");
}

} // namespace

bool AutostartEntries::isSwitchedOff(const DesktopEntry& entry) {
    return entry.value("Hidden") == "true" || entry.value("X-GNOME-Autostart-enabled") == "false";
}

std::optional<std::string> AutostartEntries::desktopNote(const DesktopEntry& entry,
                                                         const std::vector<std::string>& desktops) {
    if (entry.showsIn(desktops)) return std::nullopt;
    std::vector<std::string> only = entry.list("OnlyShowIn");
    std::string here = desktops.empty() ? "this desktop" : joined(desktops, " / ");
    bool excludedByOnly = !only.empty() && std::none_of(only.begin(), only.end(), [&](auto& name) {
        return std::any_of(desktops.begin(), desktops.end(),
                           [&](auto& desktop) { return equalsIgnoringCase(name, desktop); });
    });
    if (excludedByOnly)
        return "It is set to start only on " + spokenList(only) + ", so " + here +
               " doesn’t start it.";
    return "It is set not to start on " + here + ", so it doesn’t start here.";
}

std::vector<LoginItem> AutostartEntries::items() const {
    std::map<std::string, Found> user = entriesIn(userFolder);
    std::map<std::string, Found> system;
    for (const URL& folder : systemFolders)
        for (auto& [name, found] : entriesIn(folder))
            system.emplace(name, std::move(found));

    const SandboxLaunches launches(sandbox, programs.disks);
    auto make = [this, &launches](LoginItem::Source source, const std::string& fileName,
                                  const Found& own, const Found* copy) {
        LoginItem item;
        item.source = source;
        item.mechanism = LoginItem::Mechanism::autostart;
        item.label = fileName.substr(0, fileName.size() - std::string(".desktop").size());
        item.file = own.file;
        if (copy) item.userCopy = copy->file;
        item.startsAtLogin = true;
        // The user's entry of the same name is what the session reads in the system's place;
        // one that only switches it off may say nothing of what it runs.
        const DesktopEntry none = DesktopEntry::parse("");
        const DesktopEntry& switching =
            copy ? copy->entry.value_or(none) : own.entry.value_or(none);
        const Found& described = copy && copy->entry && copy->entry->value("Exec") ? *copy : own;
        const DesktopEntry& entry = described.entry ? *described.entry : none;
        // An Exec whose quoting cannot be read says nothing of what the entry runs.
        const auto words = entry.execWords();
        const std::vector<std::string> command =
            words ? commandThroughEnv(*words) : std::vector<std::string>();
        const auto word =
            command.empty() || command.front().empty() ? std::nullopt : std::optional(command[0]);
        if (word) item.program = resolvedProgram(*word, programs);
        // An entry that names no program runs nothing, as a copy that only hides one. One
        // that cannot be read is a link, judged by where it leads.
        const bool runsNothing = words && !word;
        item.isPlaceholder = described.entry && runsNothing;
        item.programMissing =
            described.entry ? runsNothing || startsNothing(word, entry, programs)
                            : presenceOf(described.file.path(), programs.disks) == Presence::gone;
        std::optional<std::string> ownName = entry.localized("Name", locale);
        std::optional<std::string> ownPurpose = entry.localized("Comment", locale);
        item.icon = entry.value("Icon");
        // A Flatpak or a snap is named by its own entry; the one here may name only its id.
        if (auto app = word ? launches.of(entry, locale) : std::nullopt) {
            item.programMissing = item.programMissing || app->installedNowhere;
            if (app->name) {
                ownName = item.owner = app->name;
                if (!ownPurpose) ownPurpose = "Opens " + *app->name + " when you log in.";
            }
            if (!item.icon || item.icon->empty()) item.icon = app->icon;
        }
        if (item.icon && item.icon->empty()) item.icon.reset();
        auto texts = LoginItemNames::describeNamed(item.label, item.program, ownName, ownPurpose,
                                                   true, item.programMissing);
        if (item.isPlaceholder) texts.purpose = LoginItemNames::kEmptyJobPurpose;
        item.name = texts.name;
        item.purpose = texts.purpose;
        item.desktopNote = desktopNote(entry, desktops);
        const int32_t pid =
            item.program ? runningPid(*item.program, scriptOf(command, programs), runs).value_or(0)
                         : 0;
        // Switched off, it won't start at the next login; what it started may still run.
        if (isSwitchedOff(switching))
            item.state = pid > 0 ? LoginItem::State::offRunning(pid) : LoginItem::State::off();
        else if (item.desktopNote)
            item.state = LoginItem::State::notLoaded();
        else if (pid > 0)
            item.state = LoginItem::State::running(pid);
        else
            item.state = LoginItem::State::waiting();
        return item;
    };

    std::vector<LoginItem> items;
    for (const auto& [name, found] : user)
        if (!system.count(name))
            items.push_back(make(LoginItem::Source::openAtLogin, name, found, nullptr));
    for (const auto& [name, found] : system) {
        auto copy = user.find(name);
        items.push_back(make(LoginItem::Source::globalAgent, name, found,
                             copy == user.end() ? nullptr : &copy->second));
    }
    return items;
}

} // namespace kelvora
