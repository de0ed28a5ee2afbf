#include "login/LoginPrograms.h"

#include "login/LaunchJob.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/ProgramSearch.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace kelvora {

namespace {

// "python3.11" is python.
bool isLauncher(std::string name) {
    while (!name.empty() &&
           (std::isdigit(static_cast<unsigned char>(name.back())) || name.back() == '.'))
        name.pop_back();
    static constexpr std::array<std::string_view, 24> launchers = {
        "sh",   "bash",   "dash", "zsh",  "fish",       "ksh", "env",       "flatpak",
        "snap", "python", "perl", "ruby", "node",       "gjs", "java",      "xdg-open",
        "lua",  "php",    "wine", "mono", "gtk-launch", "gio", "kioclient", "dex"};
    return std::find(launchers.begin(), launchers.end(), name) != launchers.end();
}

// Where a session may find a bare program name although this process's $PATH leaves the
// folder out: the user's own program folders and those of Flatpak's and Snap's exports.
std::vector<std::string> otherProgramFolders() {
    const std::string home = AppPaths::home();
    return {joinPath(home, ".local/bin"),
            joinPath(home, "bin"),
            joinPath(AppPaths::applicationSupport(), "flatpak/exports/bin"),
            "/var/lib/flatpak/exports/bin",
            "/snap/bin",
            "/usr/games",
            "/usr/local/games"};
}

std::optional<std::string> findProgram(const std::string& name) {
    if (auto found = findOnPath(name)) return found;
    for (const auto& folders : {standardProgramPath(), otherProgramFolders()})
        for (const auto& folder : folders) {
            std::string candidate = joinPath(folder, name);
            if (isExecutableFile(candidate)) return candidate;
        }
    return std::nullopt;
}

} // namespace

URL resolvedProgram(const std::string& word) {
    if (word.empty() || word.find('/') != std::string::npos) return URL::fileURL(word);
    return URL::fileURL(findProgram(word).value_or(word));
}

bool isProgramGone(const std::optional<std::string>& written) {
    if (!written || written->empty() || isLauncher(lastComponent(*written))) return false;
    const std::string& word = *written;
    // A variable, a specifier or a tilde stands for a place this process cannot know.
    if (word.find_first_of("$%~`") != std::string::npos) return false;
    if (word.front() == '/') return isProgramMissing(URL::fileURL(word));
    return word.find('/') == std::string::npos && !findProgram(word);
}

std::optional<int32_t> runningPid(const URL& program, const std::vector<ProgramRun>& runs) {
    if (isLauncher(program.lastPathComponent())) return std::nullopt;
    auto identity = identityOf(program.path());
    if (!identity) return std::nullopt;
    for (const ProgramRun& run : runs)
        if (run.executable == *identity || run.script == identity) return run.pid;
    return std::nullopt;
}

} // namespace kelvora
