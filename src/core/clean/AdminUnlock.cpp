#include "clean/AdminUnlock.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <thread>

namespace kelvora::AdminUnlock {

namespace {

constexpr const char* kApplications = "/Applications/";
constexpr const char* kPkexec = "/usr/bin/pkexec";
constexpr double kPromptTimeout = 600;
// pkexec's exit statuses for a dismissed prompt and for a refused or failed authentication.
constexpr int kDismissed = 126;
constexpr int kNotAuthorized = 127;

// Path components as the URL was written, the root counting as one.
size_t componentCount(const std::string& path) {
    return splitNonEmpty(path, '/').size() + (startsWith(path, "/") ? 1 : 0);
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string scriptEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

bool isUnlockable(const URL& bundle) {
    if (!bundle.isFileURL() || bundle.pathExtension() != "app") return false;
    std::string path = bundle.standardized().path();
    if (!startsWith(path, kApplications)) return false;
    if (path.find("/../") != std::string::npos) return false;
    // A link would hand its target, wherever that is, to the user.
    auto info = fileInfo(path);
    if (!info || info->isSymlink()) return false;
    return componentCount(bundle.path()) < 5;
}

std::optional<std::string> command(const std::vector<URL>& bundles, uint32_t uid) {
    if (bundles.empty()) return std::nullopt;
    std::string text = "/usr/sbin/chown -R " + std::to_string(uid);
    for (const auto& bundle : bundles) {
        if (!isUnlockable(bundle)) return std::nullopt;
        text += " " + shellQuoted(bundle.standardized().path());
    }
    return text;
}

std::string appleScript(const std::string& command, const std::string& appName) {
    return "do shell script \"" + scriptEscaped(command) +
           "\" with prompt \"Kelvora wants to move " + scriptEscaped(appName) +
           " to its Undo Shelf.\" with administrator privileges";
}

Outcome outcomeOf(const std::optional<ToolOutput>& run) {
    if (!run) return {false, 1, "the password prompt could not be shown"};
    switch (run->status) {
    case 0:
        return {true, 0, ""};
    case kDismissed:
        return {false, kCancelled, "the password prompt was dismissed"};
    case kNotAuthorized:
        return {false, kNotAuthorized, "the password was not accepted"};
    default:
        return {false, run->status,
                "the ownership change ended with status " + std::to_string(run->status)};
    }
}

std::future<Outcome> runAsAdministrator(const std::string& command) {
    // A detached thread with a promise: dropping the future never blocks on the prompt.
    std::promise<Outcome> promise;
    std::future<Outcome> outcome = promise.get_future();
    std::thread([command, promise = std::move(promise)]() mutable {
        promise.set_value(
            outcomeOf(DiskScanner::runTool(kPkexec, {"/bin/sh", "-c", command}, kPromptTimeout)));
    }).detach();
    return outcome;
}

} // namespace kelvora::AdminUnlock
