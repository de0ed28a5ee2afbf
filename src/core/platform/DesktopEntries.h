#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvora::DesktopEntries {

// One installed application as the desktop lists it.
struct Application {
    std::string id;             // its path below the folder without ".desktop", '/' read as '-'
    std::string name;           // its Name in the user's language, or the id when it has none
    std::string path;           // the entry file
    std::string program;        // what its Exec runs (see DesktopEntry::program), or empty
    std::string startupWMClass; // its StartupWMClass, or empty
    std::string icon;           // its Icon: a theme's icon name or a file, or empty
    bool operator==(const Application&) const = default;
};

// The folders of the desktop's application entries, in the order the desktop reads them:
// dataHome/applications, then each folder of $XDG_DATA_DIRS (/usr/local/share and
// /usr/share without it), then the exports of the user's and the system's Flatpak
// installations where those are not listed already.
std::vector<std::string> folders(const std::string& dataHome);

// The Name (in the user's language) of the first entry "<name>.desktop" in the folders, its file
// name compared without regard to letter case where no entry has exactly that name (the name itself
// when the entry has none). An entry marked Hidden has been deleted by the user and names nothing,
// also for the folders after it.
std::optional<std::string> nameOf(const std::string& name, const std::vector<std::string>& folders);

// Every application with an entry in the folders or their subfolders, each identifier once
// as the first folder holding it says, hidden ones left out.
std::vector<Application> applications(const std::vector<std::string>& folders);
// Every entry file in the folders and their subfolders, also one that an earlier folder's
// entry of its identifier hides and one marked Hidden.
std::vector<Application> everyEntry(const std::vector<std::string>& folders);

} // namespace kelvora::DesktopEntries
