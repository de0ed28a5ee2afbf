// Stands in for launchctl: keeps launchd's loaded jobs and switched-off overrides per domain
// in a state file, starts a job's program when it is loaded and asks to run at load, and
// answers in the forms launchctl prints.
#include "Jobs.h"
#include "login/LaunchJob.h"
#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "platform/Text.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace kelvora;

namespace {

constexpr int kUsage = 64;
constexpr int kIoError = 5;
constexpr int kNoSuchProcess = 3;
constexpr int kServiceNotFound = 113;

std::string stateFolder() {
    return AppPaths::appDataFolder();
}
std::string statePath() {
    return joinPath(stateFolder(), "launchctl-state.json");
}
std::string lockPath() {
    return joinPath(stateFolder(), "launchctl-state.lock");
}

Json loadState() {
    auto text = readFile(statePath());
    if (!text) return Json::object();
    auto state = Json::parse(*text, nullptr, false);
    return state.is_object() ? state : Json::object();
}

bool saveState(const Json& state) {
    return writeFileAtomically(statePath(), state.dump(2)).ok;
}

Json& domainOf(Json& state, const std::string& domain) {
    Json& domains = state["domains"];
    if (!domains.is_object()) domains = Json::object();
    Json& entry = domains[domain];
    if (!entry.is_object()) entry = Json::object();
    if (!entry["jobs"].is_object()) entry["jobs"] = Json::object();
    if (!entry["overrides"].is_object()) entry["overrides"] = Json::object();
    return entry;
}

bool isDomain(const std::string& text) {
    if (text == "system") return true;
    for (const std::string prefix : {"gui/", "user/"}) {
        if (text.rfind(prefix, 0) != 0 || text.size() == prefix.size()) continue;
        return text.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
    }
    return false;
}

struct Service {
    std::string domain;
    std::string label;
};

std::optional<Service> parseService(const std::string& target) {
    auto slash = target.rfind('/');
    if (slash == std::string::npos || slash + 1 == target.size()) return std::nullopt;
    Service service{target.substr(0, slash), target.substr(slash + 1)};
    // "gui/501/label" splits at its last slash; a label holding a slash is not a launchd label.
    if (!isDomain(service.domain)) return std::nullopt;
    return service;
}

std::vector<std::string> argumentsOf(const Json& dict, const std::string& program) {
    std::vector<std::string> arguments;
    auto list = dict.find("ProgramArguments");
    if (list != dict.end() && list->is_array())
        for (const auto& argument : *list)
            if (argument.is_string()) arguments.push_back(argument.get<std::string>());
    if (arguments.empty()) arguments.push_back(program);
    return arguments;
}

// Runs the program detached from us, as launchd's own child would be, and gives its pid.
std::optional<pid_t> spawn(const std::string& program, const Json& dict) {
    jobs::Launch launch{program,
                        argumentsOf(dict, program),
                        {},
                        plistString(dict, "WorkingDirectory").value_or("/")};
    auto environment = dict.find("EnvironmentVariables");
    if (environment != dict.end() && environment->is_object())
        for (const auto& [key, value] : environment->items())
            if (value.is_string()) launch.environment.emplace_back(key, value.get<std::string>());
    return jobs::start(launch);
}

int fail(int status, const std::string& message) {
    std::cerr << message << "\n";
    return status;
}

int usage() {
    return fail(kUsage, "Usage: launchctl <subcommand> ... | help [subcommand]");
}

std::string uidDomain() {
    return "gui/" + std::to_string(getuid());
}

int list(Json& state) {
    const Json& loaded = domainOf(state, uidDomain())["jobs"];
    std::cout << "PID\tStatus\tLabel\n";
    for (const auto& [label, job] : loaded.items()) {
        auto pid = jobs::livePid(job);
        std::cout << (pid ? std::to_string(*pid) : "-") << "\t" << job.value("status", 0) << "\t"
                  << label << "\n";
    }
    return 0;
}

int printDisabled(Json& state, const std::string& domain) {
    if (!isDomain(domain)) return usage();
    std::cout << "disabled services = {\n";
    for (const auto& [label, disabled] : domainOf(state, domain)["overrides"].items())
        std::cout << "\t\"" << label << "\" => " << (disabled.get<bool>() ? "disabled" : "enabled")
                  << "\n";
    std::cout << "}\n";
    return 0;
}

int print(Json& state, const std::string& target) {
    auto service = parseService(target);
    if (!service) return usage();
    const Json& loaded = domainOf(state, service->domain)["jobs"];
    if (!loaded.contains(service->label))
        return fail(kServiceNotFound, "Could not find service \"" + service->label +
                                          "\" in domain for " + service->domain);
    const Json& job = loaded[service->label];
    auto pid = jobs::livePid(job);
    std::cout << target << " = {\n"
              << "\tactive count = " << (pid ? 1 : 0) << "\n"
              << "\tpath = " << job.value("plist", "") << "\n"
              << "\ttype = " << (service->domain == "system" ? "LaunchDaemon" : "LaunchAgent")
              << "\n"
              << "\tstate = " << (pid ? "running" : "not running") << "\n\n"
              << "\tprogram = " << job.value("program", "") << "\n";
    if (pid) std::cout << "\tpid = " << *pid << "\n";
    std::cout << "\tlast exit code = " << job.value("status", 0) << "\n}\n";
    return 0;
}

int setOverride(Json& state, const std::string& target, bool disabled) {
    auto service = parseService(target);
    if (!service) return usage();
    domainOf(state, service->domain)["overrides"][service->label] = disabled;
    return saveState(state) ? 0 : fail(kIoError, "Could not save the service override");
}

int bootstrap(Json& state, const std::string& domainName, const std::string& plistPath) {
    if (!isDomain(domainName)) return usage();
    const auto bootstrapFailed = "Bootstrap failed: 5: Input/output error";
    auto dict = readPlist(plistPath);
    if (!dict || !dict->is_object() || dict->empty()) return fail(kIoError, bootstrapFailed);
    LaunchJob job(URL::fileURL(plistPath));
    Json& domain = domainOf(state, domainName);
    if (domain["jobs"].contains(job.label)) return fail(kIoError, bootstrapFailed);
    if (domain["overrides"].value(job.label, false)) return fail(kIoError, bootstrapFailed);
    Json entry = {{"plist", plistPath}, {"status", 0}};
    std::string program = job.program ? job.program->path() : "";
    entry["program"] = program;
    if (job.startsAtLogin) {
        std::optional<pid_t> pid;
        if (isExecutableFile(program)) pid = spawn(program, *dict);
        if (pid) {
            jobs::notePid(entry, *pid);
        } else {
            entry["status"] = 78; // launchd's "configuration error" for a program it cannot run
        }
    }
    domain["jobs"][job.label] = entry;
    return saveState(state) ? 0 : fail(kIoError, bootstrapFailed);
}

int bootout(Json& state, const std::string& target) {
    auto service = parseService(target);
    if (!service) return usage();
    Json& loaded = domainOf(state, service->domain)["jobs"];
    if (!loaded.contains(service->label))
        return fail(kNoSuchProcess, "Boot-out failed: 3: No such process");
    if (auto pid = jobs::livePid(loaded[service->label])) jobs::stop(*pid);
    loaded.erase(service->label);
    return saveState(state) ? 0 : fail(kIoError, "Boot-out failed: 5: Input/output error");
}

int run(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    if (!createDirectories(stateFolder()).ok)
        return fail(kIoError, "Could not reach the launchd state folder");
    FileLock lock(lockPath());
    if (!lock.locked()) return fail(kIoError, "Could not lock the launchd state");
    Json state = loadState();
    const std::string& verb = args[0];
    if (verb == "list" && args.size() == 1) return list(state);
    if (verb == "print-disabled" && args.size() == 2) return printDisabled(state, args[1]);
    if (verb == "print" && args.size() == 2) return print(state, args[1]);
    if (verb == "enable" && args.size() == 2) return setOverride(state, args[1], false);
    if (verb == "disable" && args.size() == 2) return setOverride(state, args[1], true);
    if (verb == "bootstrap" && args.size() == 3) return bootstrap(state, args[1], args[2]);
    if (verb == "bootout" && args.size() == 2) return bootout(state, args[1]);
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    return run(std::vector<std::string>(argv + 1, argv + argc));
}
