#include "login/LoginPrograms.h"

#include "login/LaunchJob.h"
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
    static constexpr std::array<std::string_view, 16> launchers = {
        "sh",   "bash",   "dash", "zsh",  "fish", "ksh", "env",  "flatpak",
        "snap", "python", "perl", "ruby", "node", "gjs", "java", "xdg-open"};
    return std::find(launchers.begin(), launchers.end(), name) != launchers.end();
}

} // namespace

URL resolvedProgram(const std::string& word) {
    if (word.empty() || word.find('/') != std::string::npos) return URL::fileURL(word);
    if (auto found = findOnPath(word)) return URL::fileURL(*found);
    for (const auto& folder : standardProgramPath()) {
        std::string candidate = joinPath(folder, word);
        if (isExecutableFile(candidate)) return URL::fileURL(candidate);
    }
    return URL::fileURL(word);
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
