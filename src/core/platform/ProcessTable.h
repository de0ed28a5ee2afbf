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
    // The files it holds open or has mapped into memory, as the kernel names them, sorted,
    // each once. A process in another mount namespace names them by paths of its own.
    std::vector<std::string> openFiles;
    // What it holds (open files and folders, its working and root folders, mapped files)
    // and every folder above each of them as the process itself sees them, sorted: a place
    // with one of these identities is, or holds, something it uses.
    std::vector<FileIdentity> heldPlaces;
    // Some of what it holds could not be read (a program that made itself undumpable, as
    // agents that keep keys do): it is judged by its name and its command line as well. The
    // places its command line names are among `heldPlaces` then, and its other words here
    // but those of digits only (a port, a count), which name nothing.
    bool judgedByName = false;
    std::vector<std::string> commandLine;
    std::vector<std::string> words;
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

// Far above what any process maps; a larger list counts as unreadable.
inline constexpr size_t kMaxMapsBytes = 64 << 20;

// The executable of every running process whose executable can be read; a program that
// runs several times is listed as often.
std::vector<std::string> executablePaths();

// This user's running processes other than this one, with what they hold open or have
// mapped, each named by its executable; those whose files cannot be read are listed too,
// by name.
std::vector<RunningProcess> holdingFiles();

// This user's running processes by the identity of what they run.
std::vector<ProgramRun> programRuns();

// What one line of /proc/PID/maps maps: the file's path and identity; none for memory of
// no file.
struct MappedFile {
    std::string path;
    std::optional<FileIdentity> identity; // none when the line gives no inode
    bool deleted = false;                 // removed or replaced since it was mapped
    bool operator==(const MappedFile&) const = default;
};
std::optional<MappedFile> mappedFile(std::string_view line);
// Every file a maps list (as /proc/PID/maps) maps, with each line that maps one; none when
// the list cannot be read or is larger than any real one.
std::optional<std::vector<MappedFile>> mappedFiles(const std::string& mapsFile);

} // namespace ProcessTable
} // namespace kelvora
