#pragma once

#include "platform/Url.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kelvora {

// The user's systemd units that Kelvora turned off. Turning a packaged unit off takes away
// the links in the user's folder that were all that listed it; remembered here, it stays
// listed, off, to be turned on again. One small file of Kelvora's data folder; a missing,
// oversized or damaged one reads as none.
struct TurnedOffUnits {
    // Far above the names of every unit a user has.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

    URL file = defaultFile();

    static URL defaultFile(); // <data folder>/turned-off-units.json

    std::vector<std::string> names() const;
    void remember(const std::string& unit) const;
    void forget(const std::string& unit) const;
    // Keeps only the names `stillOff` keeps of those remembered, and returns them. A change is
    // judged again and written under the file's lock, so that a switch meanwhile is not lost.
    std::vector<std::string> keepOnly(
        const std::function<std::vector<std::string>(const std::vector<std::string>&)>& stillOff)
        const;
};

} // namespace kelvora
