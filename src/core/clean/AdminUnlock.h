#pragma once

#include "engine/DiskScanner.h"
#include "platform/Url.h"

#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Hands applications an administrator installed in /Applications to the current user, so
// they can go onto the Undo Shelf like any other. Builds the texts; the live runner asks
// for the administrator's password through the system's own prompt.
namespace AdminUnlock {

// The error number of a prompt the user dismissed.
inline constexpr int kCancelled = -128;

bool isUnlockable(const URL& bundle);
// "/usr/sbin/chown -R <uid> '<path>' ...", or none when the list is empty or any bundle
// may not be released.
std::optional<std::string> command(const std::vector<URL>& bundles, uint32_t uid);
// One line of script that runs the command with administrator privileges and a prompt
// naming the application.
std::string appleScript(const std::string& command, const std::string& appName);

struct Outcome {
    bool succeeded = false;
    int errorNumber = 0; // kCancelled when the user dismissed the prompt
    std::string message;
};
// How the run of "pkexec /bin/sh -c <command>" ended, from its exit status (none when it
// could not start or never ended).
Outcome outcomeOf(const std::optional<ToolOutput>& run);
// Runs the command through pkexec on a thread of its own; the caller's thread never waits
// on the password prompt unless it asks the future, and may drop the future.
std::future<Outcome> runAsAdministrator(const std::string& command);

} // namespace AdminUnlock
} // namespace kelvora
