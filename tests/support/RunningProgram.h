#pragma once

#include "support/HoldingProcess.h"

#include <fcntl.h>
#include <string>

namespace kelvora::testing {

// A copy of sleep started from a path of the test's choosing, so that the process table
// lists a program under that name and path, holding a file open when one is named;
// stopped when the test ends.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& path, const std::string& holding = "")
        : process_([holding] { return holding.empty() || open(holding.c_str(), O_RDONLY) >= 0; },
                   path) {}

    pid_t pid() const { return process_.pid(); }

private:
    HoldingProcess process_;
};

} // namespace kelvora::testing
