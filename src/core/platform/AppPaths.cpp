#include "platform/AppPaths.h"

#include "platform/Url.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace kelvora::AppPaths {

namespace {
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : std::string();
}

// An XDG folder variable counts only when it holds an absolute path.
std::string xdgFolder(const char* name, const char* fallback) {
    std::string value = environment(name);
    if (!value.empty() && value[0] == '/') return value;
    return joinPath(home(), fallback);
}
} // namespace

std::string home() {
    std::string value = environment("HOME");
    if (!value.empty()) return value;
    if (struct passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string applicationSupport() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string cacheHome() {
    return xdgFolder("XDG_CACHE_HOME", ".cache");
}

std::string configHome() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string stateHome() {
    return xdgFolder("XDG_STATE_HOME", ".local/state");
}

std::string appDataFolder() {
    return joinPath(applicationSupport(), kAppName);
}

std::string configFolder() {
    return joinPath(configHome(), kAppName);
}

std::string settingsFile() {
    return joinPath(configFolder(), "settings.json");
}

std::string temporaryDirectory() {
    std::string value = environment("TMPDIR");
    return value.empty() ? "/tmp" : value;
}

std::string executablePath() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

std::string executableFolder() {
    return parentPath(executablePath());
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return path;
    return path.empty() ? std::string(buffer) : joinPath(buffer, path);
}

} // namespace kelvora::AppPaths
