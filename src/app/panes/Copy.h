#pragma once

#include "clean/UndoShelf.h"
#include "design/TextFlow.h"
#include "model/CleanReport.h"
#include "model/PickList.h"
#include "model/ScanResult.h"

#include <QLocale>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The words of a clean-up, before and after, that the window and the panes share.
namespace kelvora::Copy {

// One run of a styled line; an accented run is drawn in the signal text colour.
struct Run {
    std::string text;
    bool accent = false;
    bool operator==(const Run&) const = default;
};
// The runs as a TextFlow paints them, the accented ones in the signal text colour.
std::vector<TextFlow::Run> flowRuns(const std::vector<Run>& runs);

// What the free-up confirmation says a clean-up of the picks will do; empty without a result.
std::string confirmMessage(const ScanResult* result, const PickList& picks, int shelfDays);

// The list of what moves to the shelf, by category ("2 old downloads, 3 duplicate copies and
// the Trash"); empty when nothing of a named kind is picked.
std::string shelfParts(const ScanResult& result, const PickList& picks);

// How removed apps' leftovers among `items` are counted: the apps, and the login items among
// them as what they are ("2 removed apps’ leftovers", "1 leftover login item"); none for a
// count of 0.
std::vector<std::string> leftoverParts(const std::vector<const ScanItem*>& items);
// The parts in one phrase: "a, b and c".
std::string joinParts(const std::vector<std::string>& parts);

// "Cleared <size>." — or, when nothing came back because everything was skipped or failed,
// a headline that does not read like a success.
std::vector<Run> doneHeadline(const CleanReport& report);

// The paragraph under the headline: free space, the shelf's hold, what was left alone and
// what failed.
std::string done(const CleanReport& report, const DiskSpace& disk,
                 const std::optional<UndoShelf::Sweep>& sweep);

// What a clean-up could not move, with the reason the system gave for the first: "2 items
// couldn’t be moved. Could not move …: permission was refused." Empty when all moved.
std::string notMoved(const std::vector<CleanReport::Failure>& failures);

// The day a clean-up leaves the shelf: weekday, day and month, abbreviated, as the locale
// writes them.
std::string releaseDate(const UndoShelf::Sweep& sweep, const QLocale& locale = QLocale());

} // namespace kelvora::Copy
