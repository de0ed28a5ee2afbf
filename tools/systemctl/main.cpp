// Stands in for systemctl, so that no test ever asks the real service manager: answers for
// the user's manager (--user) from the unit files on its search path as systemd makes it
// from the environment ($XDG_CONFIG_HOME/systemd/user first, then $XDG_CONFIG_DIRS, /etc,
// $XDG_DATA_HOME, $XDG_DATA_DIRS and /usr/lib), enables and disables units by their *.wants
// links in $XDG_CONFIG_HOME/systemd/user as systemctl does, starts a service's program
// and stops it again, keeps what runs in a state file and notes every call in a log, both
// under $XDG_DATA_HOME/Kelvora; its own environment stands for the manager's. The system's
// manager is never reached, as on a computer that systemd did not start.
#include "Jobs.h"
#include "login/LoginPrograms.h"
#include "login/UnitSettings.h"
#include "platform/AppPaths.h"
#include "platform/DesktopEntry.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UnitFolders.h"

#include <nlohmann/json.hpp>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kelvora;
using Json = nlohmann::json;

namespace {

constexpr int kFailed = 1;
constexpr int kNotActive = 3;
constexpr int kNotFound = 5;

std::string stateFolder() {
    return AppPaths::appDataFolder();
}
std::string unitFolder() {
    return joinPath(AppPaths::configHome(), "systemd/user");
}

struct Call {
    bool user = false;
    bool now = false;
    std::vector<std::string> properties;
    std::string verb;
    std::vector<std::string> units;
};

Call parse(const std::vector<std::string>& args) {
    Call call;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--user") {
            call.user = true;
        } else if (arg == "--now") {
            call.now = true;
        } else if (startsWith(arg, "--property=")) {
            for (auto& name : splitNonEmpty(arg.substr(11), ','))
                call.properties.push_back(name);
        } else if (arg == "-p" && i + 1 < args.size()) {
            for (auto& name : splitNonEmpty(args[++i], ','))
                call.properties.push_back(name);
        } else if (startsWith(arg, "-")) {
            continue; // --system, --no-pager, --quiet: nothing changes here
        } else if (call.verb.empty()) {
            call.verb = arg;
        } else {
            call.units.push_back(arg);
        }
    }
    return call;
}

// The calls of one test and the units it switched: a few kilobytes each; a larger file is
// begun again.
constexpr size_t kMaxCallLogBytes = 16 << 20;
constexpr size_t kMaxStateBytes = 16 << 20;

void note(const std::vector<std::string>& args) {
    std::string log = joinPath(stateFolder(), "systemctl-calls.log");
    std::string text = readFile(log, kMaxCallLogBytes).value_or("") + joined(args, " ") + "\n";
    writeFileAtomically(log, text);
}

std::optional<std::string> realPathOf(const std::string& path) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) return std::nullopt;
    return std::string(resolved);
}

std::vector<std::string> enablingFolders() {
    std::vector<std::string> folders;
    for (const FileInfo& info : listFolderThroughLink(URL::fileURL(unitFolder(), true)).entries)
        if (info.isDirectory() &&
            (endsWith(info.name, ".wants") || endsWith(info.name, ".requires")))
            folders.push_back(info.url.path());
    return folders;
}

std::vector<std::string> linksOf(const std::string& unit) {
    std::vector<std::string> links;
    for (const auto& folder : enablingFolders())
        if (std::string link = joinPath(folder, unit); fileExists(link)) links.push_back(link);
    return links;
}

// The file systemd would load the unit from: the first of its name, else of its template's,
// on the search path; failing both, where a link that enables it leads.
std::optional<std::string> unitFile(const std::string& unit) {
    std::vector<std::string> names = {unit};
    if (auto at = unit.find('@'); at != std::string::npos)
        names.push_back(unit.substr(0, at + 1) + unit.substr(unit.rfind('.')));
    for (const auto& name : names)
        for (const auto& folder : UnitFolders::liveUser())
            if (std::string path = joinPath(folder, name); realPathOf(path)) return path;
    for (const auto& link : linksOf(unit))
        if (auto real = realPathOf(link)) return real;
    return std::nullopt;
}

bool isMasked(const std::string& file) {
    return realPathOf(file) == "/dev/null";
}

std::optional<DesktopEntry> group(const std::string& file, std::string_view name) {
    return DesktopEntry::read(file, name);
}

std::vector<std::string> installTargets(const std::string& file) {
    std::vector<std::string> targets;
    if (auto install = group(file, "[Install]"))
        for (const char* key : {"WantedBy", "RequiredBy"})
            for (auto& target : splitNonEmpty(install->value(key).value_or(""), ' '))
                targets.push_back(target + (key[0] == 'W' ? ".wants" : ".requires"));
    return targets;
}

struct Answer {
    std::string loadState = "not-found";
    std::string unitFileState;
    std::string activeState = "inactive";
    pid_t mainPID = 0;
};

Answer answer(Json& state, const std::string& unit) {
    Answer answer;
    auto file = unitFile(unit);
    if (!file) return answer;
    if (isMasked(*file)) {
        answer.loadState = answer.unitFileState = "masked";
        return answer;
    }
    answer.loadState = "loaded";
    answer.unitFileState = !linksOf(unit).empty()          ? "enabled"
                           : installTargets(*file).empty() ? "static"
                                                           : "disabled";
    Json& record = state["units"][unit];
    if (record.is_object() && record.value("active", false)) {
        auto pid = jobs::livePid(record);
        // A service is active while its program runs; a timer once started.
        if (pid || !record.contains("pid")) answer.activeState = "active";
        if (pid) answer.mainPID = *pid;
    }
    return answer;
}

int show(Json& state, const Call& call) {
    std::vector<std::string> properties = call.properties;
    if (properties.empty())
        properties = {"Id", "LoadState", "ActiveState", "MainPID", "UnitFileState"};
    bool first = true;
    for (const auto& unit : call.units) {
        Answer known = answer(state, unit);
        if (!first) std::cout << "\n";
        first = false;
        for (const auto& property : properties) {
            std::string value = property == "Id"              ? unit
                                : property == "LoadState"     ? known.loadState
                                : property == "ActiveState"   ? known.activeState
                                : property == "UnitFileState" ? known.unitFileState
                                : property == "MainPID"       ? std::to_string(known.mainPID)
                                                              : "";
            std::cout << property << "=" << value << "\n";
        }
    }
    return 0;
}

int start(Json& state, const std::string& unit) {
    auto file = unitFile(unit);
    if (!file || isMasked(*file)) {
        std::cerr << "Failed to start " << unit << ": Unit " << unit << " not found.\n";
        return kNotFound;
    }
    Json& record = state["units"][unit];
    if (!record.is_object()) record = Json::object();
    if (jobs::livePid(record)) return 0;
    if (endsWith(unit, ".timer")) {
        record = Json{{"active", true}};
        return 0;
    }
    BoundedRead text = readFileAtMost(*file, UnitSettings::kMaxBytes);
    const auto commands = UnitSettings::execStart({text.bytes}, [](const std::string& word) {
        return replacingAll(word, "%h", AppPaths::home());
    });
    std::vector<std::string> words =
        commands && !commands->empty() ? commands->front() : std::vector<std::string>();
    std::string program =
        words.empty()
            ? ""
            : resolvedProgram(words.front(), sessionProgramPlaces(AppPaths::home(), {}, {})).path();
    auto pid = isExecutableFile(program) ? jobs::start({program, words, {}, AppPaths::home()})
                                         : std::nullopt;
    if (!pid) {
        std::cerr << "Job for " << unit << " failed because the control process exited with "
                  << "error code.\n";
        return kFailed;
    }
    record = Json{{"active", true}};
    jobs::notePid(record, *pid);
    return 0;
}

int stop(Json& state, const std::string& unit) {
    Json& record = state["units"][unit];
    if (record.is_object())
        if (auto pid = jobs::livePid(record)) jobs::stop(*pid);
    record = Json{{"active", false}};
    return 0;
}

int enable(Json& state, const Call& call) {
    int status = 0;
    for (const auto& unit : call.units) {
        auto file = unitFile(unit);
        if (!file || isMasked(*file)) {
            std::cerr << "Failed to enable unit: Unit file " << unit << " does not exist.\n";
            return kFailed;
        }
        auto targets = installTargets(*file);
        if (targets.empty())
            std::cerr << "The unit files have no installation config (WantedBy=, RequiredBy=).\n";
        for (const auto& target : targets) {
            std::string folder = joinPath(unitFolder(), target);
            createDirectories(folder);
            std::string link = joinPath(folder, unit);
            if (fileExists(link)) continue;
            if (symlink(file->c_str(), link.c_str()) != 0) return kFailed;
            std::cerr << "Created symlink " << link << " → " << *file << ".\n";
        }
        if (call.now) status = std::max(status, start(state, unit));
    }
    return status;
}

int disable(Json& state, const Call& call) {
    for (const auto& unit : call.units) {
        auto links = linksOf(unit);
        if (links.empty() && !unitFile(unit)) {
            std::cerr << "Failed to disable unit: Unit file " << unit << " does not exist.\n";
            return kFailed;
        }
        for (const auto& link : links) {
            unlink(link.c_str());
            std::cerr << "Removed \"" << link << "\".\n";
        }
        if (call.now) stop(state, unit);
    }
    return 0;
}

int isEnabled(Json& state, const Call& call) {
    if (call.units.size() != 1) return kFailed;
    Answer known = answer(state, call.units[0]);
    if (known.loadState == "not-found") {
        std::cerr << "Failed to get unit file state for " << call.units[0]
                  << ": No such file or directory\n";
        return kFailed;
    }
    std::cout << known.unitFileState << "\n";
    return known.unitFileState == "enabled" || known.unitFileState == "static" ? 0 : kFailed;
}

int isActive(Json& state, const Call& call) {
    if (call.units.size() != 1) return kFailed;
    Answer known = answer(state, call.units[0]);
    std::cout << known.activeState << "\n";
    return known.activeState == "active" ? 0 : kNotActive;
}

// The manager's environment is the one this stand-in was started with.
int showEnvironment() {
    for (const char* name : {"HOME", "PATH"})
        if (const char* value = std::getenv(name)) std::cout << name << "=" << value << "\n";
    return 0;
}

int each(Json& state, const Call& call, int (*verb)(Json&, const std::string&)) {
    int status = 0;
    for (const auto& unit : call.units)
        status = std::max(status, verb(state, unit));
    return status;
}

int run(const std::vector<std::string>& args) {
    if (!createDirectories(stateFolder()).ok) return kFailed;
    FileLock lock(joinPath(stateFolder(), "systemctl-state.lock"));
    if (!lock.locked()) return kFailed;
    note(args);
    Call call = parse(args);
    if (!call.user) {
        std::cerr << "System has not been booted with systemd as init system (PID 1). Can't "
                     "operate.\nFailed to connect to bus: Host is down\n";
        return kFailed;
    }
    std::string path = joinPath(stateFolder(), "systemctl-state.json");
    Json state = Json::parse(readFile(path, kMaxStateBytes).value_or("{}"), nullptr, false);
    if (!state.is_object()) state = Json::object();
    if (!state["units"].is_object()) state["units"] = Json::object();

    int status = kFailed;
    if (call.verb == "show")
        status = show(state, call);
    else if (call.verb == "is-enabled")
        status = isEnabled(state, call);
    else if (call.verb == "is-active")
        status = isActive(state, call);
    else if (call.verb == "enable")
        status = enable(state, call);
    else if (call.verb == "disable")
        status = disable(state, call);
    else if (call.verb == "start")
        status = each(state, call, start);
    else if (call.verb == "stop")
        status = each(state, call, stop);
    else if (call.verb == "daemon-reload")
        status = 0;
    else if (call.verb == "show-environment")
        status = showEnvironment();
    else if (call.verb == "is-system-running") {
        std::cout << "running\n";
        status = 0;
    } else {
        std::cerr << "Unknown command verb " << call.verb << ".\n";
    }
    if (!writeFileAtomically(path, state.dump(2))) return kFailed;
    return status;
}

} // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    return run(std::vector<std::string>(argv + 1, argv + argc));
}
