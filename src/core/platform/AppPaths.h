#pragma once

#include <string>

namespace kelvora {

// Linux has no application bundle; this constant stands for the running application's
// bundle identifier wherever one is read.
inline constexpr const char* kBundleID = "app.kelvora.Kelvora";
inline constexpr const char* kAppName = "Kelvora";

namespace AppPaths {

std::string home();               // $HOME, else the password database
std::string applicationSupport(); // $XDG_DATA_HOME, else ~/.local/share
std::string cacheHome();          // $XDG_CACHE_HOME, else ~/.cache
std::string configHome();         // $XDG_CONFIG_HOME, else ~/.config
std::string stateHome();          // $XDG_STATE_HOME, else ~/.local/state
std::string appDataFolder();      // <applicationSupport>/Kelvora
std::string configFolder();       // $XDG_CONFIG_HOME/Kelvora, else ~/.config/Kelvora
std::string settingsFile();       // <configFolder>/settings.json
std::string temporaryDirectory(); // $TMPDIR, else /tmp
std::string executablePath();     // this process's own executable
std::string executableFolder();
// A path given on the command line: a relative one is taken from the working folder.
std::string absolutePath(const std::string& path);

} // namespace AppPaths
} // namespace kelvora
