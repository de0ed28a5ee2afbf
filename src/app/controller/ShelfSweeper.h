#pragma once

#include "engine/DiskScanner.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The helper that empties expired Undo Shelf clean-ups while the window is closed: a
// systemd user service with a timer that runs this executable with "--empty-expired-shelf".
namespace ShelfSweeper {

struct Status {
    enum class Case { on, off, needsApproval, unavailable };
    Case which = Case::off;
    std::string reason; // only for unavailable

    static Status on() { return {Case::on, {}}; }
    static Status off() { return {Case::off, {}}; }
    static Status needsApproval() { return {Case::needsApproval, {}}; }
    static Status unavailable(std::string reason) { return {Case::unavailable, std::move(reason)}; }
    // "on", "off", "needsApproval" or unavailable("<reason>").
    std::string description() const;
    bool operator==(const Status&) const = default;
};

// The name the helper is known by: the bundle identifier with ".shelf.plist"; its units
// take the same name with ".service" and ".timer" in place of ".plist".
std::string plistName();
std::string serviceName();
std::string timerName();

inline constexpr const char* kNoServiceManager =
    "This system has no systemd user manager to run the helper.";

// The user's service manager as the helper sees it: where unit files go and how
// systemctl is run. Tests replace the runner.
struct ServiceManager {
    using Systemctl =
        std::function<std::optional<ToolOutput>(const std::vector<std::string>& arguments)>;

    std::string unitFolder;
    std::string executable; // what the service runs
    Systemctl systemctl;    // empty when the system has no systemctl
    std::vector<std::pair<std::string, std::string>> environment; // passed to the service

    static ServiceManager live();

    std::optional<std::string> enable() const;
    std::optional<std::string> disable() const;
    Status status() const;

    std::string serviceUnit() const;
    std::string timerUnit() const;
    // The link that enables the timer at login.
    std::string wantsLink() const;
};

// Registers (true) or unregisters (false) the helper; nothing on success, else a reason.
std::optional<std::string> set(bool on);
Status status();

// The helper's run: purges expired clean-ups, runs the scheduled clean when due, records
// the free space, prints its summary and returns the exit status (always 0).
int emptyExpired(const std::optional<std::string>& shelfRoot);

} // namespace ShelfSweeper
} // namespace kelvora
