#pragma once

// What the stand-ins for service managers share: starting a job's program detached from
// the caller, as the manager's own child would be, knowing whether it still runs, and
// stopping it with everything it started.
#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace kelvora::jobs {

struct Launch {
    std::string program;
    std::vector<std::string> arguments; // argv, the program's own name first
    std::vector<std::pair<std::string, std::string>> environment;
    std::string workingFolder = "/";
};

// Its pid, or none when it could not be started.
std::optional<pid_t> start(const Launch& launch);
// Ends the process's group, asking first and then forcing it.
void stop(pid_t pid);

// The start time of a process in clock ticks since boot, so that a reused pid is not taken
// for the job's own process.
std::optional<long long> startTimeOf(pid_t pid);
// A record's "pid" with its "started" time, when that process still runs.
std::optional<pid_t> livePid(const nlohmann::json& record);
// Notes the process in a record as livePid reads it.
void notePid(nlohmann::json& record, pid_t pid);

} // namespace kelvora::jobs
