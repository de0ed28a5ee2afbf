#include "controller/ShelfSweeper.h"

#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/ProgramSearch.h"
#include "platform/Text.h"

#include <cstdlib>
#include <unistd.h>

namespace kelvora::ShelfSweeper {

namespace {

constexpr double kSystemctlTimeout = 30;

std::string unitBaseName() {
    return std::string(kBundleID) + ".shelf";
}

// systemd reads "%" as a specifier and "$" as a variable in its command lines.
std::string unitEscaped(const std::string& text, bool dollars) {
    std::string out;
    for (char c : text) {
        if (c == '%')
            out += "%%";
        else if (c == '$' && dollars)
            out += "$$";
        else if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else
            out += c;
    }
    return out;
}

std::string quoted(const std::string& text, bool dollars) {
    return "\"" + unitEscaped(text, dollars) + "\"";
}

std::string userUnitFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base =
        config && *config == '/' ? std::string(config) : joinPath(AppPaths::home(), ".config");
    return joinPath(base, "systemd/user");
}

bool succeeded(const std::optional<ToolOutput>& output) {
    return output && output->status == 0;
}

// The user manager's state as systemctl reports it: empty when it cannot be reached now.
std::string managerState(const ServiceManager::Systemctl& systemctl) {
    auto manager = systemctl({"is-system-running"});
    return manager ? trimmed(manager->output) : std::string();
}

// systemctl says "offline" when the system was not started by systemd (or is a chroot):
// no user manager will ever run the helper there, now or after the next login.
bool neverRuns(const std::string& state) {
    return state == "offline";
}

} // namespace

std::string Status::description() const {
    switch (which) {
    case Case::on:
        return "on";
    case Case::off:
        return "off";
    case Case::needsApproval:
        return "needsApproval";
    case Case::unavailable:
        return "unavailable(\"" + reason + "\")";
    }
    return "off";
}

std::string plistName() {
    return unitBaseName() + ".plist";
}
std::string serviceName() {
    return unitBaseName() + ".service";
}
std::string timerName() {
    return unitBaseName() + ".timer";
}

ServiceManager ServiceManager::live() {
    ServiceManager manager;
    manager.unitFolder = userUnitFolder();
    manager.executable = AppPaths::executablePath();
    if (auto tool = findOnPath("systemctl")) {
        std::string path = *tool;
        manager.systemctl = [path](const std::vector<std::string>& arguments) {
            std::vector<std::string> all = {"--user"};
            all.insert(all.end(), arguments.begin(), arguments.end());
            return DiskScanner::runTool(path, all, kSystemctlTimeout);
        };
    }
    // The service runs outside the user's session; it must find the same shelf and settings.
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        if (const char* value = std::getenv(name); value && *value == '/')
            manager.environment.emplace_back(name, value);
    return manager;
}

std::string ServiceManager::serviceUnit() const {
    std::string text = "[Unit]\nDescription=Kelvora: empty expired Undo Shelf clean-ups\n\n"
                       "[Service]\nType=oneshot\n";
    for (const auto& [name, value] : environment)
        text += "Environment=" + quoted(name + "=" + value, false) + "\n";
    text += "ExecStart=" + quoted(executable, true) + " --empty-expired-shelf\n";
    return text;
}

std::string ServiceManager::timerUnit() const {
    return "[Unit]\nDescription=Kelvora: run the Undo Shelf helper at login and every few "
           "hours\n\n[Timer]\nOnStartupSec=2min\nOnUnitActiveSec=4h\nUnit=" +
           serviceName() + "\n\n[Install]\nWantedBy=timers.target\n";
}

std::string ServiceManager::wantsLink() const {
    return joinPath(unitFolder, "timers.target.wants/" + timerName());
}

std::optional<std::string> ServiceManager::enable() const {
    if (!systemctl) return std::string(kNoServiceManager);
    std::string state = managerState(systemctl);
    if (neverRuns(state)) return std::string(kNoServiceManager);
    if (auto made = createDirectories(unitFolder); !made)
        return "Couldn’t write the helper: " + made.reason;
    for (const auto& [name, text] :
         {std::pair{serviceName(), serviceUnit()}, std::pair{timerName(), timerUnit()}})
        if (auto written = writeFileAtomically(joinPath(unitFolder, name), text); !written)
            return "Couldn’t write the helper: " + written.reason;
    if (!succeeded(systemctl({"enable", timerName()}))) {
        // With no user manager to ask, the timer is enabled on disk as systemctl itself
        // would, and the manager takes it up at the next login.
        if (!state.empty()) return std::string("systemd didn’t enable the helper.");
        createDirectories(parentPath(wantsLink()));
        if (!fileExists(wantsLink()) &&
            symlink(joinPath(unitFolder, timerName()).c_str(), wantsLink().c_str()) != 0)
            return std::string("systemd didn’t enable the helper.");
        return std::nullopt;
    }
    // Without a running user manager these fail; the timer then starts at the next login.
    systemctl({"daemon-reload"});
    systemctl({"start", timerName()});
    return std::nullopt;
}

std::optional<std::string> ServiceManager::disable() const {
    if (systemctl && fileExists(joinPath(unitFolder, timerName()))) {
        systemctl({"stop", timerName()});
        // With no user manager to ask, removing the files below disables it on disk.
        if (!succeeded(systemctl({"disable", timerName()})) && !managerState(systemctl).empty())
            return std::string("systemd didn’t disable the helper.");
    }
    for (const std::string& path :
         {wantsLink(), joinPath(unitFolder, timerName()), joinPath(unitFolder, serviceName())}) {
        if (!fileExists(path)) continue;
        if (auto removed = removeItem(path); !removed)
            return "Couldn’t remove the helper: " + removed.reason;
    }
    if (systemctl) systemctl({"daemon-reload"});
    return std::nullopt;
}

Status ServiceManager::status() const {
    if (!systemctl) return Status::unavailable(kNoServiceManager);
    std::string state = managerState(systemctl);
    if (neverRuns(state)) return Status::unavailable(kNoServiceManager);
    if (!fileExists(joinPath(unitFolder, timerName())) ||
        !fileExists(joinPath(unitFolder, serviceName())))
        return Status::off();
    auto answer = systemctl({"is-enabled", timerName()});
    bool enabled = answer && trimmed(answer->output) == "enabled";
    if (state.empty() || state == "unknown")
        return enabled || fileExists(wantsLink()) ? Status::needsApproval() : Status::off();
    return enabled ? Status::on() : Status::off();
}

std::optional<std::string> set(bool on) {
    ServiceManager manager = ServiceManager::live();
    return on ? manager.enable() : manager.disable();
}

Status status() {
    return ServiceManager::live().status();
}

} // namespace kelvora::ShelfSweeper
