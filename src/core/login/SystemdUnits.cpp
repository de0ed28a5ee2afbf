#include "login/SystemdUnits.h"

#include "login/LoginItemNames.h"
#include "login/LoginPrograms.h"
#include "login/UnitSettings.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <set>
#include <sstream>
#include <utility>

namespace kelvora {

namespace {

const std::vector<std::string> kActiveStates = {"active", "activating", "reloading",
                                                "deactivating"};

bool isEnablingFolder(const std::string& name) {
    return endsWith(name, ".wants") || endsWith(name, ".requires");
}

bool isTimer(const std::string& name) {
    return endsWith(name, ".timer");
}

// "sync@.service" is a template: only its instances ("sync@notes.service") run.
bool isTemplate(const std::string& name) {
    return name.find("@.") != std::string::npos;
}

std::string serviceOf(const std::string& timer) {
    return timer.substr(0, timer.size() - std::string(".timer").size()) + ".service";
}

// systemd's specifiers that a Description or ExecStart's program may hold, for one unit:
// %i and %I its instance ("tty1" of getty@tty1.service), %n and %N its name with and
// without its type, %p and %P the name before its instance, %h the home folder.
std::string expandSpecifiers(const std::string& text, const std::string& unit,
                             const std::string& home) {
    const std::string name = unit.substr(0, unit.rfind('.'));
    const size_t at = name.find('@');
    const std::string prefix = name.substr(0, at);
    const std::string instance = at == std::string::npos ? "" : name.substr(at + 1);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (const char code = text[++i]) {
        case 'i':
        case 'I':
            out += instance;
            break;
        case 'n':
            out += unit;
            break;
        case 'N':
            out += name;
            break;
        case 'p':
        case 'P':
            out += prefix;
            break;
        case 'h':
            out += home;
            break;
        case '%':
            out += '%';
            break;
        default:
            out += '%';
            out += code;
        }
    }
    return out;
}

// ExecStart's command lines, each with env read through; none when they cannot be read for
// sure.
using Commands = std::optional<std::vector<std::vector<std::string>>>;

// Where a unit's drop-ins are found, and how its specifiers read.
struct UnitPlaces {
    const std::string& home;
    const std::vector<std::string>& searchPath;
    const DiskPlaces& disks;
};

struct UnitFile {
    std::optional<std::string> description;
    Commands commands;                   // a service's, with those of its drop-ins
    std::optional<std::string> triggers; // a timer's service
    bool installable = false;            // it has WantedBy or RequiredBy to be enabled with
};

// The unit's file, then its drop-ins in the order systemd applies them; none when a drop-in
// cannot be read.
std::optional<std::vector<std::string>> textsOf(std::string text, const std::string& name,
                                                const UnitPlaces& places) {
    auto dropIns = UnitSettings::dropIns(name, places.searchPath, places.disks);
    if (!dropIns) return std::nullopt;
    std::vector<std::string> texts = {std::move(text)};
    for (const std::string& file : *dropIns) {
        BoundedRead read = readFileAtMost(file, UnitSettings::kMaxBytes);
        if (!read.ok()) return std::nullopt;
        texts.push_back(std::move(read.bytes));
    }
    return texts;
}

Commands commandsOf(const std::vector<std::string>& texts, const std::string& name,
                    const UnitPlaces& places) {
    auto commands = UnitSettings::execStart(
        texts, [&](const std::string& word) { return expandSpecifiers(word, name, places.home); });
    if (commands)
        for (auto& command : *commands)
            command = commandThroughEnv(std::move(command));
    return commands;
}

// The last Description given, a drop-in's over the file's; an empty one unsets it.
std::optional<std::string> descriptionOf(const std::vector<std::string>& texts,
                                         const std::string& name, const std::string& home) {
    std::optional<std::string> description;
    for (const std::string& text : texts)
        for (std::string& value : UnitSettings::values(text, "[Unit]", "Description"))
            description =
                value.empty() ? std::nullopt : std::optional(expandSpecifiers(value, name, home));
    return description;
}

std::optional<UnitFile> readUnit(const std::string& path, const std::string& name,
                                 const UnitPlaces& places) {
    BoundedRead read = readFileAtMost(path, DesktopEntry::kMaxBytes);
    if (!read.ok()) return std::nullopt;
    UnitFile unit;
    const auto texts = textsOf(read.bytes, name, places);
    // Drop-ins that cannot be read leave the file's own words to name the unit by.
    unit.description = descriptionOf(texts ? *texts : std::vector{read.bytes}, name, places.home);
    if (isTimer(name))
        unit.triggers =
            DesktopEntry::parse(read.bytes, "[Timer]").value("Unit").value_or(serviceOf(name));
    else if (texts)
        unit.commands = commandsOf(*texts, name, places);
    DesktopEntry install = DesktopEntry::parse(std::move(read.bytes), "[Install]");
    unit.installable = install.value("WantedBy") || install.value("RequiredBy");
    return unit;
}

// Whether what a service starts is there: it runs its commands in turn, so it starts
// something while any command's program is there, and nothing only when each is gone.
Presence presenceOfCommands(const Commands& commands, const ProgramPlaces& programs) {
    if (!commands || commands->empty()) return Presence::unknown;
    bool unsure = false;
    for (const auto& command : *commands) {
        const Presence presence =
            command.empty() ? Presence::unknown : programPresence(command.front(), programs);
        if (presence == Presence::present) return Presence::present;
        unsure = unsure || presence == Presence::unknown;
    }
    return unsure ? Presence::unknown : Presence::gone;
}

// What systemctl show-environment prints quotes a value holding blanks or other special
// characters as $'…', with backslash escapes.
std::optional<std::string> unquotedValue(const std::string& value) {
    if (!startsWith(value, "$'")) return value;
    if (value.size() < 3 || value.back() != '\'') return std::nullopt;
    std::string out;
    for (size_t i = 2; i + 1 < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (i + 2 >= value.size()) return std::nullopt;
        const char next = value[++i];
        if (next != '\\' && next != '\'' && next != '"') return std::nullopt;
        out += next;
    }
    return out;
}

int32_t parsePid(const std::string& text) {
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

} // namespace

struct SystemdUnits::Unit {
    std::string name;
    URL shown;                           // the item's file
    std::optional<std::string> readFrom; // where the unit reads, none when nothing is there
    bool enabled = false;                // linked in a *.wants or *.requires folder
    bool byLink = false;                 // known only by such a link
    bool turnedOff = false;              // known only as one Kelvora turned off
};

namespace {

using Unit = SystemdUnits::Unit;

std::vector<std::string> pathsOf(const std::vector<URL>& folders) {
    std::vector<std::string> paths;
    for (const URL& folder : folders)
        paths.push_back(folder.path());
    return paths;
}

// The units of a folder, its own files when `ownFiles` and those its *.wants and *.requires
// folders enable; an enabled unit of elsewhere shows as its link, or as the file the link
// leads to when `showTarget`.
std::vector<Unit> collect(const URL& folder, bool ownFiles, bool showTarget) {
    std::vector<Unit> units;
    auto known = [&units](const std::string& name) {
        return std::find_if(units.begin(), units.end(),
                            [&](const Unit& unit) { return unit.name == name; });
    };
    const Listing listing = listFolderThroughLink(folder);
    for (const FileInfo& info : listing.entries) {
        if (!ownFiles || !SystemdUnits::isUnitName(info.name) || isTemplate(info.name)) continue;
        if (!info.isRegularFile() && !info.isSymlink()) continue;
        auto real = realPath(info.url.path());
        if (real == "/dev/null") continue; // masked: systemd will not start it
        units.push_back(
            {info.name, info.url, real ? std::optional(info.url.path()) : std::nullopt});
    }
    for (const FileInfo& sub : listing.entries) {
        if (!sub.isDirectory() || !isEnablingFolder(sub.name)) continue;
        for (const FileInfo& link : listFolder(sub.url).entries) {
            if (!SystemdUnits::isUnitName(link.name) || link.isDirectory()) continue;
            auto unit = known(link.name);
            if (unit != units.end()) {
                unit->enabled = true;
                continue;
            }
            auto real = realPath(link.url.path());
            if (real == "/dev/null") continue;
            URL shown = showTarget && real ? URL::fileURL(*real) : link.url;
            units.push_back({link.name, shown, real ? std::optional(link.url.path()) : std::nullopt,
                             true, true});
        }
    }
    return units;
}

} // namespace

bool SystemdUnits::isUnitName(const std::string& name) {
    return endsWith(name, ".service") || isTimer(name);
}

std::vector<LoginItem> SystemdUnits::userItems() const {
    std::vector<Unit> units = collect(userFolder, true, false);
    for (const std::string& name : turnedOff) {
        if (std::any_of(units.begin(), units.end(),
                        [&](const Unit& unit) { return unit.name == name; }))
            continue;
        const auto found = UnitSettings::fragment(name, pathsOf(userSearchPath), programs.disks);
        if (found.presence == Presence::present && realPath(found.path) != "/dev/null")
            units.push_back({name, URL::fileURL(found.path), found.path, false, false, true});
    }
    return itemsOf(units, LoginItem::Source::userAgent, "--user", userSearchPath);
}

std::vector<std::string> SystemdUnits::stillTurnedOff(const std::vector<std::string>& names) const {
    const std::vector<Unit> enabled = collect(userFolder, false, false);
    std::vector<std::string> kept;
    for (const std::string& name : names) {
        if (std::any_of(enabled.begin(), enabled.end(),
                        [&](const Unit& unit) { return unit.name == name; }))
            continue;
        // A folder of the search path on a disk that is away may hold it still.
        if (UnitSettings::fragment(name, pathsOf(userSearchPath), programs.disks).presence !=
            Presence::gone)
            kept.push_back(name);
    }
    return kept;
}

std::vector<LoginItem> SystemdUnits::systemItems() const {
    return itemsOf(collect(systemFolder, false, true), LoginItem::Source::systemDaemon, "--system",
                   systemSearchPath);
}

std::vector<LoginItem> SystemdUnits::itemsOf(const std::vector<Unit>& listed,
                                             LoginItem::Source source, const std::string& manager,
                                             const std::vector<URL>& searchPath) const {
    const std::vector<std::string> searchFolders = pathsOf(searchPath);
    const UnitPlaces places{home.path(), searchFolders, programs.disks};
    // systemd adds a link's unit by the link's name and loads the unit of that name from its
    // search path, wherever the link leads; a link leading nowhere still starts it.
    std::vector<Unit> units = listed;
    std::map<std::string, Presence> onSearchPath;
    for (Unit& unit : units) {
        if (!unit.byLink) continue;
        const auto found = UnitSettings::fragment(unit.name, searchFolders, programs.disks);
        if (found.presence == Presence::present) unit.readFrom = found.path;
        onSearchPath[unit.name] = found.presence;
    }
    std::map<std::string, std::optional<UnitFile>> files;
    std::set<std::string> triggered;
    for (const Unit& unit : units) {
        auto file = unit.readFrom ? readUnit(*unit.readFrom, unit.name, places) : std::nullopt;
        if (file && file->triggers) triggered.insert(*file->triggers);
        files[unit.name] = std::move(file);
    }
    // A timer's service shows as the timer: what it runs, on the timer's schedule.
    std::vector<const Unit*> shown;
    for (const Unit& unit : units)
        if (!triggered.count(unit.name)) shown.push_back(&unit);

    std::vector<std::string> names;
    for (const Unit* unit : shown)
        names.push_back(unit->name);
    std::vector<Answer> answers;
    if (systemctl && !names.empty())
        if (auto output = systemctl(showArguments(manager, names)); output && output->status == 0)
            answers = parseShow(output->output);
    if (answers.size() != names.size()) answers.clear();

    auto commandsOfUnit = [&](const Unit& unit) -> Commands {
        const auto& file = files[unit.name];
        if (!file) return std::nullopt;
        if (!file->triggers) return file->commands;
        if (auto known = files.find(*file->triggers); known != files.end() && known->second)
            return known->second->commands;
        // The service the timer starts lies beside the timer's file.
        std::string beside =
            joinPath(parentPath(realPath(*unit.readFrom).value_or("")), *file->triggers);
        if (auto service = readUnit(beside, *file->triggers, places)) return service->commands;
        return std::nullopt;
    };

    std::vector<LoginItem> items;
    for (size_t i = 0; i < shown.size(); ++i) {
        const Unit& unit = *shown[i];
        const auto& file = files[unit.name];
        LoginItem item;
        item.source = source;
        item.mechanism = LoginItem::Mechanism::systemdUnit;
        item.label = unit.name;
        item.file = unit.shown;
        const Commands commands = commandsOfUnit(unit);
        const std::vector<std::string> first =
            commands && !commands->empty() ? commands->front() : std::vector<std::string>();
        if (!first.empty()) item.program = resolvedProgram(first.front(), programs);
        // A link that surely leads nowhere with no unit of its name to load, or programs
        // surely gone; a unit whose file cannot be read is not judged.
        const bool nowhere = !unit.byLink || onSearchPath[unit.name] == Presence::gone;
        // A unit Kelvora turned off lies in a folder of the system's or the packages': never
        // a leftover of the user's to remove.
        item.programMissing =
            !unit.turnedOff &&
            (unit.readFrom
                 ? file && presenceOfCommands(commands, programs) == Presence::gone
                 : nowhere && presenceOf(unit.shown.path(), programs.disks) == Presence::gone);
        item.startsAtLogin = unit.enabled || (file && file->installable);
        bool atStart = item.startsAtLogin && !isTimer(unit.name);
        std::optional<std::string> name = file ? file->description : std::nullopt;
        std::optional<std::string> purpose;
        if (source == LoginItem::Source::systemDaemon) {
            // The system's services are known by their unit's name, and say what they are
            // for better than their first command does ("install" for the manual's index).
            if (name && !name->empty()) {
                purpose = std::exchange(name, unit.name);
            } else if (atStart && item.program) {
                // They start with the computer, not when someone logs in.
                purpose =
                    "Runs “" + item.program->lastPathComponent() + "” when the computer starts.";
            }
        }
        auto texts = LoginItemNames::describeNamed(item.label, item.program, name, purpose, atStart,
                                                   item.programMissing);
        item.name = texts.name;
        item.purpose = texts.purpose;
        const int32_t pid =
            item.program ? runningPid(*item.program, scriptOf(first, programs), runs).value_or(0)
                         : 0;
        if (!answers.empty()) {
            item.state = state(answers[i]);
        } else if (unit.turnedOff || (!unit.enabled && file && file->installable)) {
            item.state = pid > 0 ? LoginItem::State::offRunning(pid) : LoginItem::State::off();
        } else if (pid > 0) {
            item.state = LoginItem::State::running(pid);
        } else {
            item.state = LoginItem::State::waiting();
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<std::string> SystemdUnits::showArguments(const std::string& manager,
                                                     const std::vector<std::string>& units) {
    std::vector<std::string> arguments = {manager, "show",
                                          "--property=LoadState,ActiveState,UnitFileState,MainPID"};
    arguments.insert(arguments.end(), units.begin(), units.end());
    return arguments;
}

std::vector<SystemdUnits::Answer> SystemdUnits::parseShow(const std::string& output) {
    std::vector<Answer> answers;
    bool inBlock = false;
    std::istringstream lines(output);
    for (std::string raw; std::getline(lines, raw);) {
        std::string line = trimmed(raw);
        if (line.empty()) {
            inBlock = false;
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        if (!inBlock) answers.emplace_back();
        inBlock = true;
        Answer& answer = answers.back();
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (key == "LoadState") answer.loadState = value;
        if (key == "ActiveState") answer.activeState = value;
        if (key == "UnitFileState") answer.unitFileState = value;
        if (key == "MainPID") answer.mainPID = parsePid(value);
    }
    return answers;
}

LoginItem::State SystemdUnits::state(const Answer& answer) {
    bool active = std::find(kActiveStates.begin(), kActiveStates.end(), answer.activeState) !=
                  kActiveStates.end();
    bool runs = active && answer.mainPID > 0;
    // Disabled without --now, a service runs on until it stops or the session ends.
    if (answer.loadState == "masked" || startsWith(answer.unitFileState, "masked") ||
        answer.unitFileState == "disabled")
        return runs ? LoginItem::State::offRunning(answer.mainPID) : LoginItem::State::off();
    if (answer.loadState != "loaded") return LoginItem::State::notLoaded();
    if (runs) return LoginItem::State::running(answer.mainPID);
    return LoginItem::State::waiting();
}

std::vector<URL> SystemdUnits::leftoverTargets(const LoginItem& item) {
    if (!item.file) return {};
    std::vector<URL> targets = {*item.file};
    if (item.mechanism != LoginItem::Mechanism::systemdUnit) return targets;
    std::string parent = parentPath(item.file->path());
    std::string folder = isEnablingFolder(lastComponent(parent)) ? parentPath(parent) : parent;
    for (const FileInfo& sub : listFolderThroughLink(URL::fileURL(folder, true)).entries) {
        if (!sub.isDirectory() || !isEnablingFolder(sub.name)) continue;
        std::string link = joinPath(sub.url.path(), item.label);
        if (link != item.file->path() && fileExists(link)) targets.push_back(URL::fileURL(link));
    }
    // Its own drop-ins go with it; those of a prefix or a template are shared with others.
    if (std::string dropIns = joinPath(folder, item.label + ".d"); fileExists(dropIns))
        targets.push_back(URL::fileURL(dropIns));
    return targets;
}

std::vector<std::string> SystemdUnits::managerPath(const std::string& environment) {
    std::istringstream lines(environment);
    for (std::string line; std::getline(lines, line);)
        if (startsWith(line, "PATH="))
            if (auto value = unquotedValue(line.substr(5))) return splitNonEmpty(*value, ':');
    return {};
}

} // namespace kelvora
