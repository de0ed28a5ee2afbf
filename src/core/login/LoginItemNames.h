#pragma once

#include "login/LoginItem.h"
#include "platform/Url.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelvora {

// Plain display names and purposes for launchd labels, which tell a user nothing.
struct LoginItemNames {
    struct Description {
        std::string name;
        std::string purpose;
        bool operator==(const Description&) const = default;
    };

    static Description describe(const std::string& label, const std::optional<URL>& program,
                                const std::optional<std::string>& owner, bool startsAtLogin);
    // The texts of the well-known agents and Homebrew services only; none for any other label.
    static std::optional<Description> known(const std::string& label);
    // For an item that names itself (an autostart entry's Name and Comment, a unit's
    // Description): the well-known texts first, then its own, then those of `describe`. An
    // item whose program is gone says so in its purpose.
    static Description describeNamed(const std::string& label, const std::optional<URL>& program,
                                     const std::optional<std::string>& ownName,
                                     const std::optional<std::string>& ownPurpose,
                                     bool startsAtLogin, bool programMissing);

    // Rows named after their program that would read alike take their labels instead: those
    // whose program is a generic tool ("true", "sh") are named so already; these are the ones
    // whose program's name several rows share.
    static void partAlike(std::vector<LoginItem>& items);

    static constexpr const char* kEmptyJobPurpose =
        "An empty file. It does nothing; its app left it here to stay switched off.";
    static constexpr const char* kLeftBehindPurpose =
        "Left behind: the program it starts is gone, usually because its app was removed. It "
        "does nothing now.";
    // The name of the outermost application bundle on the path.
    static std::optional<std::string> appName(const URL& containing);
    // The name of the installed application with this identifier, looked for in the folders.
    static std::optional<std::string> appName(const std::string& bundleID,
                                              const std::vector<URL>& applicationFolders);
    static const std::unordered_map<std::string, std::string>& formulaNames();
};

} // namespace kelvora
