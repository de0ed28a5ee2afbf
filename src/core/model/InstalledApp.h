#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace kelvora {

// One application bundle found in the application folders.
struct InstalledApp {
    std::string bundleID;
    std::string name; // display name without ".app"
    std::string path;

    bool operator==(const InstalledApp&) const = default;

    nlohmann::json json() const;
    // None when a key is missing or not a string; other keys are ignored.
    static std::optional<InstalledApp> fromJson(const nlohmann::json& json);
};

} // namespace kelvora

template <> struct std::hash<kelvora::InstalledApp> {
    std::size_t operator()(const kelvora::InstalledApp& v) const noexcept;
};
