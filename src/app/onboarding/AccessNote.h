#pragma once

#include <QString>

#include <string>
#include <vector>

namespace kelvora {

class AppModel;
struct Catalog;

// The words of the welcome's access step and of the access guide. This system keeps no
// privacy list to switch: Kelvora reads what the user's account may open, so what closes a
// folder to it is the folder's own owner and permissions.
namespace AccessNote {

// Which folders are closed to Kelvora, shown from the home folder ("~/.Trash"), or that
// none is. `closedFolders` are full paths.
QString closed(const std::vector<std::string>& closedFolders, const Catalog& catalog);
// The same for the folders closed right now.
QString current(const AppModel& model);
// The closed folders in words, each once: "the Trash" for either Trash, "your home folder",
// and a user folder by its own name ("Téléchargements"), joined as a sentence lists them
// ("Downloads and the Trash"); empty when none is closed.
QString named(const std::vector<std::string>& closedFolders, const std::string& home);
// What to check of a closed folder.
QString check();

} // namespace AccessNote
} // namespace kelvora
