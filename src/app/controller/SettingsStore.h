#pragma once

#include "platform/Date.h"
#include "platform/FileSystem.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// The settings document: one JSON object of typed values in one file. The window, the
// sweeper agent and the menu bar change it from separate processes, so every change is a
// read-modify-write under an advisory lock, written atomically.
class SettingsStore {
public:
    // Far above any real settings file; a larger one reads as damaged.
    static constexpr int64_t kMaxBytes = 32 << 20;

    // Which file a read saw: a write by anyone puts a new file in its place.
    using Stamp = FileStamp;

    // The file as one read found it.
    struct Reading {
        enum class State { fine, missing, damaged, unreadable };
        State state = State::missing;
        // Fine: the stored object. Otherwise empty, so every setting reads as its default.
        nlohmann::json document = nlohmann::json::object();
        std::string reason;         // damaged or unreadable: why, in plain words
        std::optional<Stamp> stamp; // none while there is no file
    };

    // One change written, or why not.
    struct Write {
        FileResult result;
        // A damaged file found on the way, kept aside under this path before the new one
        // was written.
        std::optional<std::string> damagedCopy;
    };

    explicit SettingsStore(std::string file);
    // The user's own settings file, looked up afresh on each use.
    static SettingsStore standard();

    const std::string& file() const { return file_; }
    // Where the settings are written: the file, or where the link in its place leads (a
    // settings file kept with the user's dotfiles), so that the link stays.
    std::string writtenFile() const;

    Reading read() const;
    // Which file is there now, without reading it.
    std::optional<Stamp> stamp() const;
    // The whole document; an empty object when the file is missing, damaged or unreadable.
    nlohmann::json document() const;
    std::optional<nlohmann::json> value(const std::string& key) const;
    Write set(const std::string& key, const nlohmann::json& value);
    Write remove(const std::string& key);

private:
    Write change(const std::string& key, const std::optional<nlohmann::json>& value);
    FileResult keepAside(const std::string& written, std::string& copy) const;
    std::string lockFile() const;

    std::string file_;
};

} // namespace kelvora
