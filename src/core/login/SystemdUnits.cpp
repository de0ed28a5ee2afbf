#include "login/SystemdUnits.h"

#include "login/LoginItemNames.h"
#include "login/LoginPrograms.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <set>
#include <sstream>
#include <utility>

namespace kelvora {

namespace {

// The marks systemd lets lead ExecStart's program: ignore failure, argv[0], and so on.
constexpr std::string_view kExecMarks = "-@:+!";
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

struct UnitFile {
    std::optional<std::string> description;
    std::optional<std::string> program;  // ExecStart's program
    std::optional<std::string> triggers; // a timer's service
    bool installable = false;            // it has WantedBy or RequiredBy to be enabled with
};

std::optional<UnitFile> readUnit(const std::string& path, const std::string& name,
                                 const std::string& home) {
    BoundedRead read = readFileAtMost(path, DesktopEntry::kMaxBytes);
    if (!read.ok()) return std::nullopt;
    UnitFile unit;
    if (auto description = DesktopEntry::parse(read.bytes, "[Unit]").value("Description"))
        unit.description = expandSpecifiers(*description, name, home);
    if (isTimer(name))
        unit.triggers =
            DesktopEntry::parse(read.bytes, "[Timer]").value("Unit").value_or(serviceOf(name));
    else if (auto word =
                 DesktopEntry::parse(read.bytes, "[Service]").program("ExecStart", kExecMarks))
        unit.program = expandSpecifiers(*word, name, home);
    DesktopEntry install = DesktopEntry::parse(std::move(read.bytes), "[Install]");
    unit.installable = install.value("WantedBy") || install.value("RequiredBy");
    return unit;
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
};

namespace {

using Unit = SystemdUnits::Unit;

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
            units.push_back(
                {link.name, shown, real ? std::optional(link.url.path()) : std::nullopt, true});
        }
    }
    return units;
}

} // namespace

bool SystemdUnits::isUnitName(const std::string& name) {
    return endsWith(name, ".service") || isTimer(name);
}

std::vector<LoginItem> SystemdUnits::userItems() const {
    return itemsOf(collect(userFolder, true, false), LoginItem::Source::userAgent, "--user");
}

std::vector<LoginItem> SystemdUnits::systemItems() const {
    return itemsOf(collect(systemFolder, false, true), LoginItem::Source::systemDaemon, "--system");
}

std::vector<LoginItem> SystemdUnits::itemsOf(const std::vector<Unit>& units,
                                             LoginItem::Source source,
                                             const std::string& manager) const {
    std::map<std::string, std::optional<UnitFile>> files;
    std::set<std::string> triggered;
    for (const Unit& unit : units) {
        auto file = unit.readFrom ? readUnit(*unit.readFrom, unit.name, home.path()) : std::nullopt;
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

    auto programOf = [&](const Unit& unit) -> std::optional<std::string> {
        const auto& file = files[unit.name];
        if (!file) return std::nullopt;
        if (!file->triggers) return file->program;
        if (auto known = files.find(*file->triggers); known != files.end() && known->second)
            return known->second->program;
        // The service the timer starts lies beside the timer's file.
        std::string beside =
            joinPath(parentPath(realPath(*unit.readFrom).value_or("")), *file->triggers);
        if (auto service = readUnit(beside, *file->triggers, home.path())) return service->program;
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
        const auto word = programOf(unit);
        if (word) item.program = resolvedProgram(*word);
        // A link that leads nowhere, or a program surely gone; a unit whose file cannot be
        // read, or that names its program elsewhere (a drop-in), is not judged.
        item.programMissing = !unit.readFrom || (file && isProgramGone(word));
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
        const int32_t pid = item.program ? runningPid(*item.program, runs).value_or(0) : 0;
        if (!answers.empty()) {
            item.state = state(answers[i]);
        } else if (!unit.enabled && file && file->installable) {
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
    return targets;
}

} // namespace kelvora
