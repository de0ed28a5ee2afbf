#include "platform/HomeFolders.h"

#include "platform/AppPaths.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace kelvora {
namespace {

bool isOwnHome(const URL& home) {
    const URL own = URL::fileURL(AppPaths::home(), true);
    return home.standardized() == own.standardized() ||
           home.resolvingSymlinks() == own.resolvingSymlinks();
}

// The value of one line as the shell would read it: quotes dropped, backslashes escaping.
std::string unquoted(const std::string& value) {
    if (value.empty() || value.front() != '"') return value;
    std::string out;
    for (size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        out += value[i];
    }
    return out;
}

// A folder of user-dirs.dirs: "$HOME" or "$HOME/..." under the home, or an absolute path.
// The home folder itself is how some systems switch a folder off, so it names nothing.
std::optional<std::string> userDirPath(const std::string& value, const URL& home) {
    std::string path;
    if (value == "$HOME" || startsWith(value, "$HOME/"))
        path = home.path() + value.substr(5);
    else if (startsWith(value, "/"))
        path = value;
    else
        return std::nullopt;
    path = standardizedPath(path);
    if (path == home.standardized().path()) return std::nullopt;
    return path;
}

// Why a folder of user-dirs.dirs may not be walked as a user folder, or none: walking one
// that holds the home would offer the whole home or the whole disk as the user's files,
// and one in our own data folder would offer the Undo Shelf's copies.
std::optional<std::string> whyNotUserFolder(const std::string& path, const URL& home,
                                            const URL& ownData) {
    const URL folder = URL::fileURL(path, true);
    for (const std::string& form : {folder.path(), folder.resolvingSymlinks().path()}) {
        for (const URL& place : {home, home.resolvingSymlinks()})
            if (isSameOrInside(place.standardized().path(), form))
                return "it holds the home folder";
        for (const URL& place : {ownData, ownData.resolvingSymlinks()})
            if (isSameOrInside(form, place.standardized().path()))
                return "it lies in Kelvora's own data folder, which holds the Undo Shelf";
    }
    return std::nullopt;
}

std::map<std::string, std::string> readUserDirs(const std::string& file, const URL& home,
                                                const URL& ownData) {
    std::map<std::string, std::string> dirs;
    const BoundedRead text = readFileAtMost(file, HomeFolders::kMaxUserDirsBytes);
    if (text.outcome == BoundedRead::Outcome::tooLarge)
        logOnce("The user folders in " + file +
                " are ignored: the file is far larger than any "
                "list of user folders, so it is taken as damaged.");
    if (!text.ok()) return dirs;
    std::istringstream lines(text.bytes);
    std::string line;
    while (std::getline(lines, line)) {
        line = trimmed(line);
        const size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string::npos) continue;
        const std::string variable = trimmed(line.substr(0, equals));
        auto path = userDirPath(unquoted(trimmed(line.substr(equals + 1))), home);
        if (!path) continue;
        if (auto reason = whyNotUserFolder(*path, home, ownData)) {
            logOnce("The user folder " + variable + "=" + *path + " in " + file +
                    " is ignored: " + *reason + ".");
            continue;
        }
        dirs[variable] = *path;
    }
    return dirs;
}

const char* userDirVariable(const std::string& name) {
    static const std::map<std::string, const char*> variables = {
        {"Desktop", "XDG_DESKTOP_DIR"},    {"Documents", "XDG_DOCUMENTS_DIR"},
        {"Downloads", "XDG_DOWNLOAD_DIR"}, {"Movies", "XDG_VIDEOS_DIR"},
        {"Music", "XDG_MUSIC_DIR"},        {"Pictures", "XDG_PICTURES_DIR"}};
    auto it = variables.find(name);
    return it == variables.end() ? nullptr : it->second;
}

} // namespace

HomeFolders::HomeFolders(const URL& home) : home_(home), own_(isOwnHome(home)) {
    userDirs_ = readUserDirs(config().appending("user-dirs.dirs").path(), home_, ownData());
}

URL HomeFolders::cache() const {
    return own_ ? URL::fileURL(AppPaths::cacheHome(), true) : usualCache();
}

URL HomeFolders::data() const {
    return own_ ? URL::fileURL(AppPaths::applicationSupport(), true)
                : home_.appending(".local/share", true);
}

URL HomeFolders::config() const {
    return own_ ? URL::fileURL(AppPaths::configHome(), true) : home_.appending(".config", true);
}

URL HomeFolders::state() const {
    return own_ ? URL::fileURL(AppPaths::stateHome(), true) : home_.appending(".local/state", true);
}

URL HomeFolders::usualCache() const {
    return home_.appending(".cache", true);
}

URL HomeFolders::ownData() const {
    return data().appending(kAppName, true);
}

URL HomeFolders::user(const std::string& name) const {
    if (const char* variable = userDirVariable(name)) {
        auto it = userDirs_.find(variable);
        if (it != userDirs_.end()) return URL::fileURL(it->second, true);
    }
    return home_.appending(name, true);
}

std::vector<URL> HomeFolders::userFolders() const {
    std::vector<URL> folders;
    for (const char* name : {"Desktop", "Documents", "Downloads", "Movies", "Music", "Pictures"})
        folders.push_back(user(name));
    for (const auto& [variable, path] : userDirs_) {
        const URL folder = URL::fileURL(path, true);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

std::vector<URL> configDirs() {
    const char* value = std::getenv("XDG_CONFIG_DIRS");
    std::vector<std::string> named;
    for (const auto& folder : splitNonEmpty(value ? value : "", ':'))
        if (folder.front() == '/') named.push_back(folder);
    if (named.empty()) named.push_back("/etc/xdg");
    // The user's own folder named among them holds the user's entries, not the system's:
    // taken for the system's, an entry of the user's would be a copy of itself.
    const std::string own = AppPaths::configHome();
    const auto ownIdentity = identityOf(own);
    std::vector<URL> folders;
    for (const auto& folder : named) {
        const auto identity = identityOf(folder);
        const bool isOwn = ownIdentity ? identity == ownIdentity
                                       : standardizedPath(folder) == standardizedPath(own);
        if (!isOwn) folders.push_back(URL::fileURL(folder, true));
    }
    return folders;
}

} // namespace kelvora
