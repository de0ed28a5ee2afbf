#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace kelvora {

// The settings document: one JSON object of typed values in one file. The window, the
// sweeper agent and the menu bar change it from separate processes, so every change is a
// read-modify-write under an advisory lock, written atomically.
class SettingsStore {
public:
    explicit SettingsStore(std::string file);
    // The user's own settings file, looked up afresh on each use.
    static SettingsStore standard();

    const std::string& file() const { return file_; }

    // The whole document; an empty object when the file is missing or is not a JSON object.
    nlohmann::json document() const;
    std::optional<nlohmann::json> value(const std::string& key) const;
    // False when the document could not be written.
    bool set(const std::string& key, const nlohmann::json& value);
    bool remove(const std::string& key);

private:
    bool change(const std::string& key, const std::optional<nlohmann::json>& value);
    std::string lockFile() const;

    std::string file_;
};

} // namespace kelvora
