#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

struct Catalog;

// What the button that would open the system's privacy list says instead on a system that
// has none: access is the folders' own permissions, and these are the ones to look at.
namespace AccessNote {

// `closedFolders` are full paths; they are shown from the home folder ("~/.Trash").
QString text(const std::vector<std::string>& closedFolders, const Catalog& catalog);
// The note for the folders closed right now.
QString current(const Catalog& catalog);
// What a note shown since the button was pressed becomes at a new answer of the watch: read
// again while access is still off, since the folders it names may have opened or closed.
std::optional<QString> follow(const std::optional<QString>& shown, bool granted,
                              const Catalog& catalog);

} // namespace AccessNote
} // namespace kelvora
