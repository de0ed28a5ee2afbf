#include "login/LaunchJob.h"

#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "platform/Text.h"

namespace kelvora {

namespace {

Json readDictionary(const URL& plist) {
    auto value = readPlist(plist.path());
    if (!value || !value->is_object()) return Json::object();
    return *value;
}

std::optional<std::string> programText(const Json& dict) {
    if (auto program = plistString(dict, "Program")) return program;
    auto arguments = dict.find("ProgramArguments");
    if (arguments == dict.end() || !arguments->is_array() || arguments->empty())
        return std::nullopt;
    for (const auto& argument : *arguments)
        if (!argument.is_string()) return std::nullopt;
    return arguments->front().get<std::string>();
}

// The job's own PATH first: launchd runs the program with the job's environment.
std::vector<std::string> searchPath(const Json& dict) {
    std::vector<std::string> folders;
    auto environment = dict.find("EnvironmentVariables");
    if (environment != dict.end() && environment->is_object())
        if (auto path = plistString(*environment, "PATH")) folders = splitNonEmpty(*path, ':');
    for (const auto& folder : standardProgramPath())
        folders.push_back(folder);
    return folders;
}

std::string locateProgram(const std::string& text, const Json& dict, const std::string& home) {
    if (text == "~" || text.rfind("~/", 0) == 0) return home + text.substr(1);
    if (text.empty() || text[0] == '/') return text;
    if (text.find('/') != std::string::npos) {
        auto workingFolder = plistString(dict, "WorkingDirectory").value_or("/");
        return joinPath(workingFolder, text);
    }
    for (const auto& folder : searchPath(dict)) {
        std::string candidate = joinPath(folder, text);
        if (isExecutableFile(candidate)) return candidate;
    }
    return text;
}

std::vector<std::string> bundleIDs(const Json& dict) {
    auto value = dict.find("AssociatedBundleIdentifiers");
    if (value == dict.end()) return {};
    if (value->is_string()) return {value->get<std::string>()};
    if (!value->is_array()) return {};
    std::vector<std::string> ids;
    for (const auto& id : *value) {
        if (!id.is_string()) return {};
        ids.push_back(id.get<std::string>());
    }
    return ids;
}

// KeepAlive false asks launchd never to restart the job; it does not start it.
bool startsByItself(const Json& dict) {
    if (plistBool(dict, "RunAtLoad").value_or(false)) return true;
    auto keepAlive = dict.find("KeepAlive");
    if (keepAlive == dict.end()) return false;
    if (keepAlive->is_boolean()) return keepAlive->get<bool>();
    return true;
}

} // namespace

LaunchJob::LaunchJob(const URL& plist, const std::string& home) : plist(plist) {
    Json dict = readDictionary(plist);
    isEmpty = dict.empty();
    label = plistString(dict, "Label").value_or(plist.deletingPathExtension().lastPathComponent());
    if (auto text = programText(dict))
        program = URL::fileURL(locateProgram(*text, dict, home.empty() ? AppPaths::home() : home));
    associatedBundleIDs = bundleIDs(dict);
    startsAtLogin = startsByItself(dict);
}

const std::vector<std::string>& standardProgramPath() {
    static const std::vector<std::string> folders = {"/usr/local/bin",  "/usr/bin",  "/bin",
                                                     "/usr/local/sbin", "/usr/sbin", "/sbin"};
    return folders;
}

bool isProgramMissing(const std::optional<URL>& program, const DiskPlaces& disks) {
    if (!program) return true;
    const std::string& path = program->path();
    if (path.empty() || path[0] != '/') return true;
    return presenceOf(path, disks) == Presence::gone;
}

} // namespace kelvora
