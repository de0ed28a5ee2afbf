#include "login/LoginPrograms.h"

#include "login/LaunchJob.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/ProgramSearch.h"

namespace kelvora {

namespace {

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
    if (!written || written->empty() || startsAnotherProgram(*written)) return false;
    const std::string& word = *written;
    // A variable, a specifier or a tilde stands for a place this process cannot know.
    if (word.find_first_of("$%~`") != std::string::npos) return false;
    if (word.front() == '/') return isProgramMissing(URL::fileURL(word));
    return word.find('/') == std::string::npos && !findProgram(word);
}

std::optional<int32_t> runningPid(const URL& program, const std::vector<ProgramRun>& runs) {
    if (startsAnotherProgram(program.path())) return std::nullopt;
    auto identity = identityOf(program.path());
    if (!identity) return std::nullopt;
    for (const ProgramRun& run : runs)
        if (run.executable == *identity || run.script == identity) return run.pid;
    return std::nullopt;
}

} // namespace kelvora
