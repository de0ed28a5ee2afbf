#include "login/LaunchJob.h"

#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "platform/Text.h"

#include <cerrno>
#include <sys/stat.h>

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

const std::vector<std::string>& volumeRoots() {
    static const std::vector<std::string> roots = {"/Volumes", "/media", "/mnt", "/run/media"};
    return roots;
}

bool isMountPoint(const std::string& folder) {
    struct stat own {};
    struct stat parent {};
    if (stat(folder.c_str(), &own) != 0 || stat(parentPath(folder).c_str(), &parent) != 0)
        return false;
    return own.st_dev != parent.st_dev;
}

// Walks from the volume root down to the program and asks whether a volume is mounted on
// the way. A folder that is absent, or one that is merely a folder (the mount point that an
// unattached volume leaves behind), means the program's volume is not here now.
bool liesOnUnmountedVolume(const std::string& path) {
    for (const auto& root : volumeRoots()) {
        if (path.rfind(root + "/", 0) != 0) continue;
        for (size_t end = path.find('/', root.size() + 1); end != std::string::npos;
             end = path.find('/', end + 1))
            if (isMountPoint(path.substr(0, end))) return false;
        return true;
    }
    return false;
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

bool isProgramMissing(const std::optional<URL>& program) {
    if (!program) return true;
    const std::string& path = program->path();
    if (path.empty() || path[0] != '/') return true;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return false;
    // A folder on the way that this user may not search hides the program; it is not gone.
    if (errno != ENOENT && errno != ENOTDIR) return false;
    return !liesOnUnmountedVolume(path);
}

} // namespace kelvora
