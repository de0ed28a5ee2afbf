#pragma once

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
    // The name of the outermost application bundle on the path.
    static std::optional<std::string> appName(const URL& containing);
    // The name of the installed application with this identifier, looked for in the folders.
    static std::optional<std::string> appName(const std::string& bundleID,
                                              const std::vector<URL>& applicationFolders);
    static const std::unordered_map<std::string, std::string>& formulaNames();
};

} // namespace kelvora
