#pragma once

#include "support/TempDir.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvora::testing {

// Points HOME and the XDG folders (the system's configuration folders too) at a fresh
// temporary folder for one test, and puts the previous values back afterwards, with
// XDG_DATA_DIRS, which a test may point there too. The stand-in systemctl comes first on
// PATH, so that nothing the test starts asks the real service manager.
class IsolatedHome {
public:
    IsolatedHome() {
        for (const char* name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
              "XDG_CONFIG_DIRS", "XDG_DATA_DIRS", "TMPDIR", "PATH"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        dir_.mkdir("home");
        dir_.mkdir("config");
        dir_.mkdir("data");
        dir_.mkdir("tmp");
        dir_.mkdir("xdg");
        setenv("HOME", home().c_str(), 1);
        setenv("XDG_CONFIG_HOME", config().c_str(), 1);
        setenv("XDG_DATA_HOME", data().c_str(), 1);
        setenv("XDG_CACHE_HOME", cache().c_str(), 1);
        unsetenv("XDG_STATE_HOME");
        setenv("TMPDIR", tmp().c_str(), 1);
        setenv("XDG_CONFIG_DIRS", configDirs().c_str(), 1);
        const char* path = std::getenv("PATH");
        std::string standIns = std::string(KELVORA_TOOLS_BUILD_DIR) + "/systemctl";
        setenv("PATH", (standIns + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
    }
    ~IsolatedHome() {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;

    const TempDir& dir() const { return dir_; }
    std::string home() const { return dir_ / "home"; }
    std::string config() const { return dir_ / "config"; }
    std::string data() const { return dir_ / "data"; }
    // Where caches usually are: one elsewhere offers only onto the Undo Shelf.
    std::string cache() const { return dir_ / "home/.cache"; }
    std::string tmp() const { return dir_ / "tmp"; }
    std::string configDirs() const { return dir_ / "xdg"; }
    std::string settingsFile() const { return config() + "/Kelvora/settings.json"; }

private:
    TempDir dir_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace kelvora::testing
