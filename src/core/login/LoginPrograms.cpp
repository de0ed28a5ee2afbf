#include "login/LoginPrograms.h"

#include "login/LaunchJob.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/ProgramSearch.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

namespace kelvora {

namespace {

// Where a session may find a bare program name although this process's $PATH leaves the
// folder out: the user's own program folders and those of Flatpak's and Snap's exports.
std::vector<std::string> otherProgramFolders(const std::string& home) {
    const std::string data = HomeFolders(URL::fileURL(home, true)).data().path();
    std::vector<std::string> folders = {joinPath(home, ".local/bin"),
                                        joinPath(home, "bin"),
                                        joinPath(data, "flatpak/exports/bin"),
                                        "/var/lib/flatpak/exports/bin",
                                        "/snap/bin",
                                        "/usr/games",
                                        "/usr/local/games"};
    for (const char* moved : {"FLATPAK_USER_DIR", "FLATPAK_SYSTEM_DIR"})
        if (const char* folder = std::getenv(moved); folder && *folder == '/')
            folders.push_back(joinPath(folder, "exports/bin"));
    return folders;
}

} // namespace

ProgramPlaces sessionProgramPlaces(const std::string& home,
                                   const std::vector<std::string>& managerPath, DiskPlaces disks) {
    ProgramPlaces places{home, {}, std::move(disks)};
    const char* path = std::getenv("PATH");
    for (const auto& folders : {splitNonEmpty(path ? path : "", ':'), managerPath,
                                standardProgramPath(), otherProgramFolders(home)})
        for (const std::string& folder : folders)
            if (std::find(places.folders.begin(), places.folders.end(), folder) ==
                places.folders.end())
                places.folders.push_back(folder);
    return places;
}

URL resolvedProgram(const std::string& word, const ProgramPlaces& places) {
    if (word.empty() || word.find('/') != std::string::npos) return URL::fileURL(word);
    return URL::fileURL(findInFolders(word, places.folders, places.disks).value_or(word));
}

Presence programPresence(const std::optional<std::string>& written, const ProgramPlaces& places) {
    if (!written || written->empty() || startsAnotherProgram(*written)) return Presence::unknown;
    const std::string& word = *written;
    // A variable, a specifier or a tilde stands for a place this process cannot know.
    if (word.find_first_of("$%~`") != std::string::npos) return Presence::unknown;
    if (word.front() == '/') return presenceOf(word, places.disks);
    if (word.find('/') != std::string::npos) return Presence::unknown;
    auto found = findInFolders(word, places.folders, places.disks);
    return found ? presenceOf(*found, places.disks) : Presence::gone;
}

std::optional<URL> scriptOf(const std::vector<std::string>& command, const ProgramPlaces& places) {
    if (command.size() < 2 || !startsAnotherProgram(command[0])) return std::nullopt;
    const std::string& word = command[1];
    if (startsWith(word, "/")) return URL::fileURL(word);
    if (startsWith(word, "~/") && !places.home.empty())
        return URL::fileURL(joinPath(places.home, word.substr(2)));
    return std::nullopt;
}

std::optional<int32_t> runningPid(const URL& program, const std::optional<URL>& script,
                                  const std::vector<ProgramRun>& runs) {
    if (script)
        if (auto identity = identityOf(script->path()))
            for (const ProgramRun& run : runs)
                if (run.script == identity) return run.pid;
    if (startsAnotherProgram(program.path())) return std::nullopt;
    auto identity = identityOf(program.path());
    if (!identity) return std::nullopt;
    for (const ProgramRun& run : runs)
        if (run.executable == *identity || run.script == identity) return run.pid;
    return std::nullopt;
}

} // namespace kelvora
