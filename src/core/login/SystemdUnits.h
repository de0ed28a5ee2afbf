#pragma once

#include "engine/DiskScanner.h"
#include "login/LoginItem.h"
#include "login/LoginPrograms.h"
#include "platform/ProcessTable.h"
#include "platform/Url.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The systemd units that start by themselves: the user's own services and timers and those
// enabled for the user (userAgent), and the system's services enabled in its *.wants
// folders (systemDaemon). Their state comes from systemctl where it answers, else from the
// files alone.
struct SystemdUnits {
    // systemctl with its whole arguments ("--user" or "--system" first); its output, or
    // nothing when it cannot run.
    using Systemctl =
        std::function<std::optional<ToolOutput>(const std::vector<std::string>& arguments)>;

    URL home;         // for %h in ExecStart
    URL userFolder;   // <config home>/systemd/user
    URL systemFolder; // /etc/systemd/system
    Systemctl systemctl;
    std::vector<ProgramRun> runs;
    // Each manager's search path, highest priority first, where systemd finds the units'
    // drop-ins: userFolder and systemFolder among them.
    std::vector<URL> userSearchPath;
    std::vector<URL> systemSearchPath;
    // Where the units' programs are looked for and judged.
    ProgramPlaces programs;
    // The user's units Kelvora turned off (TurnedOffUnits): listed with the user's, off and
    // not starting at login, while their file is on the search path.
    std::vector<std::string> turnedOff;

    std::vector<LoginItem> userItems() const;
    std::vector<LoginItem> systemItems() const;
    // Of those units Kelvora turned off, the ones to remember still: not enabled again by a
    // link in userFolder, nor surely gone from the search path.
    std::vector<std::string> stillTurnedOff(const std::vector<std::string>& names) const;

    // What systemctl show says of one unit.
    struct Answer {
        std::string loadState;
        std::string activeState;
        std::string unitFileState;
        int32_t mainPID = 0;
        bool operator==(const Answer&) const = default;
    };
    // The blocks of `systemctl show` for the units asked about, in their order.
    static std::vector<Answer> parseShow(const std::string& output);
    static std::vector<std::string> showArguments(const std::string& manager,
                                                  const std::vector<std::string>& units);
    // The state of a unit systemd answered for.
    static LoginItem::State state(const Answer& answer);

    // What removing a leftover unit moves: its file in the user's folder, the links there
    // that enable it and its own drop-in folder, so that putting it back restores it as it
    // was.
    static std::vector<URL> leftoverTargets(const LoginItem& item);

    // The folders of PATH in what `systemctl --user show-environment` prints: what the
    // user's service manager gives the programs it starts.
    static std::vector<std::string> managerPath(const std::string& environment);

    static bool isUnitName(const std::string& name);

    // One unit as its folders show it.
    struct Unit;

private:
    std::vector<LoginItem> itemsOf(const std::vector<Unit>& listed, LoginItem::Source source,
                                   const std::string& manager,
                                   const std::vector<URL>& searchPath) const;
};

} // namespace kelvora
