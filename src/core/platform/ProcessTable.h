#pragma once

#include "platform/FileIdentity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// One running process as the process table shows it.
struct RunningProcess {
    int32_t pid = 0;
    std::string executable; // with links resolved; empty when it cannot be read
    std::string name;       // what the user knows it by
    // The files it holds open or has mapped into memory, sorted, each once.
    std::vector<std::string> openFiles;
    bool operator==(const RunningProcess&) const = default;
};

// One of this user's processes by what it runs: its executable and, for a script started
// through its interpreter, the file named as the interpreter's first argument.
struct ProgramRun {
    int32_t pid = 0;
    FileIdentity executable;
    std::optional<FileIdentity> script;
    bool operator==(const ProgramRun&) const = default;
};

// The one reader of /proc: which programs run, and which files they hold.
namespace ProcessTable {

// The executable of every running process whose executable can be read; a program that
// runs several times is listed as often.
std::vector<std::string> executablePaths();

// This user's running processes other than this one, with the files they hold open
// (descriptors) or have mapped, each named by its executable.
std::vector<RunningProcess> holdingFiles();

// This user's running processes by the identity of what they run.
std::vector<ProgramRun> programRuns();

// The file one line of /proc/PID/maps maps; none for memory of no file.
std::optional<std::string> mappedFile(std::string_view line);

} // namespace ProcessTable
} // namespace kelvora
