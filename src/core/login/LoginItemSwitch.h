#pragma once

#include "login/LoginItem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Turns one login item on or off for the current user with the system's own tools.
struct LoginItemSwitch {
    // Tool path and arguments in; the exit status, or nothing when the tool did not run to
    // its end.
    using Runner =
        std::function<std::optional<int32_t>(const std::string&, const std::vector<std::string>&)>;

    uint32_t uid;
    Runner run;

    explicit LoginItemSwitch(Runner run = defaultRunner());

    // Nothing on success, else a message for the user.
    std::optional<std::string> set(const LoginItem& item, bool on) const;

    static Runner defaultRunner();
    static std::string escapeForAppleScript(const std::string& text);

    static constexpr const char* kCouldNotSwitchOn = "Kelvora couldn’t switch it on.";
    static constexpr const char* kCouldNotSwitchOff = "Kelvora couldn’t switch it off.";
    static constexpr const char* kSystemEventsRefused =
        "Kelvora couldn’t change its list of apps that open at login.";
    static constexpr const char* kSwitchInSettings =
        "Kelvora doesn’t switch this one; its app or an administrator does.";

private:
    std::optional<std::string> setAgent(const LoginItem& item, bool on) const;
    std::optional<std::string> setOpenAtLogin(const LoginItem& item, bool on) const;
    bool succeeds(const std::string& tool, const std::vector<std::string>& arguments) const;
};

} // namespace kelvora
