#pragma once

#include <QString>

#include <string>
#include <vector>

namespace kelvora {

struct Catalog;

// What the button that would open the system's privacy list says instead on a system that
// has none: access is the folders' own permissions, and these are the ones to look at.
namespace AccessNote {

// `closedFolders` are full paths; they are shown from the home folder ("~/.Trash").
QString text(const std::vector<std::string>& closedFolders, const Catalog& catalog);

} // namespace AccessNote
} // namespace kelvora
