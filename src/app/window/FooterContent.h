#pragma once

#include "window/PickTotals.h"

#include <string>

namespace kelvora {

// What the pick footer says: the picks of the whole result and the clean-up button.
struct FooterContent {
    std::string countLine;   // "11 of 15 items picked · 12.6 GB"
    std::string shelfNote;   // which kinds are deleted now, how long the rest waits
    std::string buttonTitle; // "Clean up 12.6 GB"
    bool enabled = false;    // something is picked
    bool busy = false;       // a clean-up is running

    bool operator==(const FooterContent&) const = default;

    static FooterContent of(const PickTotals& totals, int shelfDays, bool cleaning);
};

} // namespace kelvora
