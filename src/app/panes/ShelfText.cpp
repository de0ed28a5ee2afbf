#include "panes/ShelfText.h"

#include "catalog/Catalog.h"
#include "catalog/PlainWords.h"
#include "controller/ShelfListing.h"
#include "design/LocaleDates.h"
#include "model/Format.h"
#include "panes/Copy.h"

#include <algorithm>
#include <cmath>

namespace kelvora::ShelfText {

std::string explanation(int shelfDays) {
    return PlainWords::fill("Anything that can’t rebuild itself, like old downloads, duplicates, "
                            "removed apps and the Trash, waits here for %lld days. Put it back "
                            "with one click. After %lld days it’s removed for good and the space "
                            "frees up.",
                            {shelfDays, shelfDays});
}

std::optional<std::string> freeTitle(int64_t shelfBytes) {
    if (shelfBytes < 1) return std::nullopt;
    return "Free " + Format::size(shelfBytes) + " now";
}

std::string emptyTitle() {
    return "The shelf is empty.";
}

std::string emptyDetail(int shelfDays) {
    return PlainWords::fill("Old downloads, duplicates, removed apps and the Trash wait here for "
                            "%lld days after you clean up.",
                            {shelfDays});
}

std::string sweepDate(Date date, const QLocale& locale) {
    const QDateTime when = LocaleDates::local(date);
    return LocaleDates::withTime(
               LocaleDates::weekdayDayMonth(when.date(), locale, LocaleDates::Names::full),
               when.time(), locale)
        .toStdString();
}

std::string sweepSummary(const UndoShelf::Sweep& sweep, const QLocale& locale) {
    return PlainWords::counted(static_cast<int64_t>(sweep.entries.size()), "item") + " · " +
           Format::size(sweep.bytes()) + " · frees up " + Copy::releaseDate(sweep, locale);
}

int holdDays(const UndoShelf::Sweep& sweep) {
    double days = std::round(secondsBetween(sweep.date, sweep.expires) / 86400.0);
    return static_cast<int>(std::clamp(days, 1.0, 3650.0));
}

DaysLeftCount daysLeft(const UndoShelf::Sweep& sweep, Date now) {
    int total = holdDays(sweep);
    return {std::min(sweep.daysLeft(now), total), total};
}

std::string daysLeftText(int days) {
    return isLastDay(days) ? "Last day" : std::to_string(days) + " days left";
}

bool isLastDay(int days) {
    return days <= 1;
}

DaysLeftCount squares(const DaysLeftCount& bar, int maxSquares) {
    if (bar.total <= maxSquares) return bar;
    int filled = static_cast<int>(std::ceil(double(bar.days) * maxSquares / bar.total));
    return {std::clamp(filled, 1, maxSquares), maxSquares};
}

std::string daysLeftLabel(const DaysLeftCount& bar) {
    return PlainWords::fill("%lld of %lld days left", {bar.days, bar.total});
}

std::vector<UndoShelf::Entry> sortedEntries(const UndoShelf::Sweep& sweep) {
    std::vector<UndoShelf::Entry> entries;
    for (uint32_t index : ShelfListing::orderLargestFirst(sweep))
        entries.push_back(sweep.entries[index]);
    return entries;
}

std::string entrySymbol(const std::string& kind) {
    auto category = JunkKinds::fromRawValue(kind);
    return category ? Catalog::symbol(*category) : "doc";
}

std::string entryPlace(const std::string& location, const std::string& home) {
    return PlainWords::homeRelativePath(location, home);
}

std::string entryDetail(const UndoShelf::Entry& entry, const std::string& home) {
    if (entryStays(entry)) return "Can’t be put back: " + entry.whyItStays;
    return entryPlace(entry.location, home);
}

bool entryStays(const UndoShelf::Entry& entry) {
    return !entry.whyItStays.empty();
}

std::string entryAction(const UndoShelf::Entry& entry) {
    return entry.canGoBack() ? "Put back" : "Show in Folder";
}

bool anyGoesBack(const UndoShelf::Sweep& sweep) {
    return std::any_of(sweep.entries.begin(), sweep.entries.end(),
                       [](const UndoShelf::Entry& entry) { return entry.canGoBack(); });
}

} // namespace kelvora::ShelfText
