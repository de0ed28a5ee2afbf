#pragma once

#include "clean/UndoShelf.h"
#include "platform/Date.h"

#include <QLocale>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::ShelfText {

// The days-left bar of a clean-up: `days` filled squares out of `total`.
struct DaysLeftCount {
    int days = 1;
    int total = 1;
    bool operator==(const DaysLeftCount&) const = default;
};

// The summary card's paragraph, naming the hold twice.
std::string explanation(int shelfDays);
// "Free <size> now" while the shelf holds anything; nothing for an empty shelf.
std::optional<std::string> freeTitle(int64_t shelfBytes);
std::string emptyTitle();
std::string emptyDetail(int shelfDays);

// When the clean-up ran: full weekday, day, full month and the time, as the locale writes them.
std::string sweepDate(Date date, const QLocale& locale = QLocale());
// "<count> items · <size> · frees up <release date>".
std::string sweepSummary(const UndoShelf::Sweep& sweep, const QLocale& locale = QLocale());

// The hold a clean-up was made with, in whole days: a clean-up made under a 14-day hold
// keeps its 14 days even after the setting goes back to 7.
int holdDays(const UndoShelf::Sweep& sweep);
// Days left rounded up, at least 1 (an expired clean-up reads "Last day" until it is swept),
// and never more than the clean-up's own hold, which is also the number of squares.
DaysLeftCount daysLeft(const UndoShelf::Sweep& sweep, Date now);
// "Last day" on the last day, else "<d> days left".
std::string daysLeftText(int days);
bool isLastDay(int days);
// The squares drawn for a bar: one per day, but a hold too long to draw a square a day for
// (only a hand-edited setting makes one) is scaled down to `maxSquares`.
DaysLeftCount squares(const DaysLeftCount& bar, int maxSquares = 30);
// What assistive technology reads for the whole bar.
std::string daysLeftLabel(const DaysLeftCount& bar);

// The entries largest first; entries of equal size keep the order they were stored in.
std::vector<UndoShelf::Entry> sortedEntries(const UndoShelf::Sweep& sweep);
// The category's symbol for an entry; "doc" for a kind that names no category.
std::string entrySymbol(const std::string& kind);
// Where the entry came from, as the user reads it ("/var/…", "~/…").
std::string entryPlace(const std::string& location, const std::string& home);
// The line under an entry's name: where it came from, or, for one that cannot go back now
// (it then stays past its hold until freed), why.
std::string entryDetail(const UndoShelf::Entry& entry, const std::string& home);
bool entryStays(const UndoShelf::Entry& entry);
// The row's button: "Put back", or for an entry with no known place to go back to (a
// clean-up recovered from its stored items alone) "Show in Folder", which shows it where
// the shelf keeps it.
std::string entryAction(const UndoShelf::Entry& entry);
// Whether "Put all back" has anything to put back.
bool anyGoesBack(const UndoShelf::Sweep& sweep);

} // namespace kelvora::ShelfText
