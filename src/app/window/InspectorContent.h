#pragma once

#include "catalog/Catalog.h"
#include "model/Format.h"
#include "model/PickList.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// One labelled row of the inspector's fact list.
struct Fact {
    enum class Style {
        badge,     // the verdict's badge
        text,      // wraps
        oneLine,   // cut at its end
        middleCut, // monospaced, cut in the middle
        stacked,   // label over a wrapping monospaced path (the kept copy of a duplicate)
    };
    std::string label;
    Style style = Style::text;
    std::string text;
    Verdict verdict = Verdict::safe; // badge only

    bool operator==(const Fact&) const = default;
};

// Everything the inspector shows for one item, worked out afresh at each change.
struct InspectorContent {
    enum class Second { none, pick, keep, password };

    std::string name;
    Format::SizeParts size;
    std::string explanation;
    std::vector<Fact> facts;
    std::optional<std::string> whereCaption; // "How it’s removed" or "Where"
    std::string whereText;                   // the command line or the shown path
    bool showInFolder = false;
    Second second = Second::none;

    // Whether an application bundle may be handed over with the administrator's password.
    using Unlockable = std::function<bool(const URL&)>;

    static InspectorContent of(const Catalog& catalog, const PickList& picks, const ScanItem& item,
                               const Unlockable& unlockable);
    static std::vector<Fact> factsOf(const Catalog& catalog, const ScanItem& item);
    static Second secondOf(const ScanItem& item, const PickList& picks,
                           const Unlockable& unlockable);
    static std::string title(Second second); // "Pick this", "Keep this"…
};

inline constexpr const char* kInspectorPlaceholder =
    "Select an item to see what it is and whether it comes back.";

} // namespace kelvora
