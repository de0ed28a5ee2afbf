#include "design/LocaleDates.h"
#include "panes/ReceiptLayout.h"
#include "panes/ShelfText.h"
#include "window/Copy.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kelvora::testing {
namespace {

// The shelf's section header, the end of a clean-up and the receipt write their dates as
// each locale does: its order, its punctuation, its names and its clock. A clean-up made on
// Monday 7 December 2026 at 17:47 UTC is held until the 14th.
TEST(LocaleDatesTest, DatesFollowTheOrderPunctuationAndClockOfEachLocale) {
    const char* zone = std::getenv("TZ");
    const std::string savedZone = zone ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    UndoShelf::Sweep sweep;
    sweep.date = dateFromEpochSeconds(1796665620);
    sweep.expires = addSeconds(sweep.date, 7 * 86400);
    struct Case {
        const char* locale;
        const char* sweepDate;
        const char* releaseDate;
        const char* receiptDate;
    } cases[] = {
        {"en_US", "Monday, December 7, 5:47 PM", "Mon, Dec 14", "Dec 7, 2026, 5:47 PM"},
        {"de_DE", "Montag, 7. Dezember, 17:47", "Mo., 14. Dez.", "7. Dez. 2026, 17:47"},
        {"fr_FR", "lundi 7 décembre, 17:47", "lun. 14 déc.", "7 déc. 2026, 17:47"},
        // A year written first goes with its "年"; the day keeps its "日".
        {"ja_JP", "12月7日月曜日, 17:47", "12月14日月", "2026年12月7日, 17:47"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const QLocale locale(c.locale);
        EXPECT_EQ(ShelfText::sweepDate(sweep.date, locale), c.sweepDate);
        EXPECT_EQ(Copy::releaseDate(sweep, locale), c.releaseDate);
        EXPECT_EQ(ShelfText::sweepSummary(sweep, locale),
                  std::string("0 items · 0 KB · frees up ") + c.releaseDate);
        EXPECT_EQ(ReceiptText::dateLine(sweep.date, locale), c.receiptDate);
    }
    if (zone)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

} // namespace
} // namespace kelvora::testing
