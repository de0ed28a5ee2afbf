#include "login/LoginItemSwitch.h"

#include "engine/DiskScanner.h"

#include <unistd.h>

namespace kelvora {

namespace {

constexpr const char* kLaunchctl = "/bin/launchctl";
constexpr const char* kOsascript = "/usr/bin/osascript";
constexpr double kSwitchTimeout = 60;

} // namespace

LoginItemSwitch::LoginItemSwitch(Runner run)
    : uid(static_cast<uint32_t>(getuid())), run(std::move(run)) {}

LoginItemSwitch::Runner LoginItemSwitch::defaultRunner() {
    return [](const std::string& tool,
              const std::vector<std::string>& arguments) -> std::optional<int32_t> {
        auto result = DiskScanner::runTool(tool, arguments, kSwitchTimeout);
        if (!result) return std::nullopt;
        return result->status;
    };
}

std::optional<std::string> LoginItemSwitch::set(const LoginItem& item, bool on) const {
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
