#pragma once

#include "platform/Url.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace kelvora {

// Where a home keeps its caches, its data and the user's own folders on this system.
// The XDG variables describe the current user only, so they count only when the home is
// that user's own; any other home (a fixture, a benchmark tree) is read with the usual
// places under it and its own user-dirs.dirs.
class HomeFolders {
public:
    // A handful of lines; a larger user-dirs.dirs counts as damaged and names no folder.
    static constexpr std::size_t kMaxUserDirsBytes = 64 << 10;

    explicit HomeFolders(const URL& home);

    URL cache() const;  // $XDG_CACHE_HOME, else home/.cache
    URL data() const;   // $XDG_DATA_HOME, else home/.local/share
    URL config() const; // $XDG_CONFIG_HOME, else home/.config
    URL state() const;  // $XDG_STATE_HOME, else home/.local/state
    // Where the cache folder is when no XDG variable moves it: home/.cache.
    URL usualCache() const;
    // Kelvora's own folder in the data folder, which holds the Undo Shelf.
    URL ownData() const;
    // A user folder by the name the scanners give it ("Desktop", "Documents", "Downloads",
    // "Movies", "Music", "Pictures"): where user-dirs.dirs puts it, else home/name. A folder
    // there that holds the home (the home's parent, "/") or lies in our own data folder is
    // ignored, and the reason logged.
    URL user(const std::string& name) const;
    // Every user folder: those above, then any other that user-dirs.dirs names.
    std::vector<URL> userFolders() const;

private:
    URL home_;
    bool own_ = false;
    std::map<std::string, std::string> userDirs_; // variable name -> absolute path
};

// The folders of system-wide configuration: $XDG_CONFIG_DIRS, else /etc/xdg; never the
// user's own configuration folder, should it be named among them.
std::vector<URL> configDirs();

} // namespace kelvora
