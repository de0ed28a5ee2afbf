#pragma once

#include "platform/FilePresence.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// A systemd unit's settings as systemd reads them: the unit's file, then its drop-ins. A line
// ending in a backslash goes on with the next (comment lines between are skipped), and a key
// given again adds to its list, or clears it when given empty.
namespace UnitSettings {

// Far above any real unit file or drop-in.
inline constexpr std::size_t kMaxBytes = 1 << 20;

// Every value `key` is given in `group` ("[Service]") of a unit's text, in order.
std::vector<std::string> values(std::string_view text, std::string_view group,
                                std::string_view key);

// The drop-ins systemd applies to the unit `name`, in its order: the *.conf files of the
// unit's drop-in folders ("name.d", its template's, one for each prefix of its name up to a
// dash, its type's "service.d") in each folder of `searchPath`, highest priority first; of
// files of one name, only the first found counts, and one linked to /dev/null hides the
// rest. Those that count are applied in the order of their names. None when a drop-in folder
// or file cannot be read, or may lie on a disk that is away: it may say anything.
std::optional<std::vector<std::string>> dropIns(const std::string& name,
                                                const std::vector<std::string>& searchPath,
                                                const DiskPlaces& disks);

// Where systemd finds the unit `name` on its search path: in the first folder holding a file
// of that name, else, for an instance ("sync@docs.service"), its template's
// ("sync@.service"). Gone only when no folder of `searchPath` may hold either; unknown when
// one may lie on a disk that is away or cannot be searched.
struct Fragment {
    Presence presence = Presence::gone;
    std::string path; // when present
};
Fragment fragment(const std::string& name, const std::vector<std::string>& searchPath,
                  const DiskPlaces& disks);

// ExecStart's command lines once each text (the unit's file, then its drop-ins) is read in
// turn, each split into words as systemd splits it (blanks, '…' and "…" quoting, backslash
// escapes, ";" between commands) with `expand` applied to each word. A command's first word
// is its program with its prefixes ("-", "@", ":", "+", "!", "!!") taken off; the argv[0]
// that "@" gives is left out. None when a command line cannot be read for sure: escapes it
// does not know, an unfinished quote, or the "|" that runs it through the user's shell.
std::optional<std::vector<std::vector<std::string>>>
execStart(const std::vector<std::string>& texts,
          const std::function<std::string(const std::string&)>& expand);

} // namespace UnitSettings
} // namespace kelvora
