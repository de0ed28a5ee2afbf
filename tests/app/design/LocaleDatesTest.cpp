#include "app/support/LocalClock.h"

#include "design/LocaleDates.h"
#include "panes/ReceiptLayout.h"
#include "panes/ShelfText.h"
#include "window/Copy.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

Date utc(const char* isoDate) {
    return dateFromEpochSeconds(
        QDateTime::fromString(isoDate, Qt::ISODate).toUTC().toMSecsSinceEpoch() / 1000.0);
}

struct LocaleCase {
    const char* locale;
    const char* weekdayDayMonth;
    const char* abbreviated;
    const char* dayMonthYear;
    const char* hourMinute;
};

// Monday 7 December 2026, 17:47: each locale keeps its own order, punctuation and clock.
const LocaleCase kCases[] = {
    {"en_US", "Monday, December 7", "Mon, Dec 7", "Dec 7, 2026", "5:47 PM"},
    {"de_DE", "Montag, 7. Dezember", "Mo., 7. Dez.", "7. Dez. 2026", "17:47"},
    {"fr_FR", "lundi 7 décembre", "lun. 7 déc.", "7 déc. 2026", "17:47"},
    {"ja_JP", "12月7日月曜日", "12月7日月", "2026年12月7日", "17:47"},
    {"ru_RU", "понедельник, 7 декабря", "пн, 7 дек.", "7 дек. 2026 г.", "17:47"},
};

TEST(LocaleDatesTest, EachLocaleWritesTheFieldsInItsOwnOrderAndPunctuation) {
    const QDate day(2026, 12, 7);
    for (const LocaleCase& c : kCases) {
        SCOPED_TRACE(c.locale);
        const QLocale locale(c.locale);
        EXPECT_EQ(LocaleDates::weekdayDayMonth(day, locale, LocaleDates::Names::full),
                  c.weekdayDayMonth);
        EXPECT_EQ(LocaleDates::weekdayDayMonth(day, locale, LocaleDates::Names::abbreviated),
                  c.abbreviated);
        EXPECT_EQ(LocaleDates::dayMonthYear(day, locale), c.dayMonthYear);
        EXPECT_EQ(LocaleDates::hourMinute(QTime(17, 47), locale), c.hourMinute);
    }
}

// The shelf's section header, the end of a clean-up and the receipt all read their dates
// in the locale they are given.
TEST(LocaleDatesTest, ShelfCleanUpAndReceiptDatesFollowTheLocale) {
    TimeZoneScope utcClock("UTC");
    UndoShelf::Sweep sweep;
    sweep.date = utc("2026-12-07T17:47:00Z");
    sweep.expires = utc("2026-12-14T17:47:00Z");
    sweep.entries.resize(3);
    struct Case {
        const char* locale;
        const char* sweepDate;
        const char* releaseDate;
        const char* receiptDate;
    } cases[] = {
        {"en_US", "Monday, December 7, 5:47 PM", "Mon, Dec 14", "Dec 7, 2026, 5:47 PM"},
        {"de_DE", "Montag, 7. Dezember, 17:47", "Mo., 14. Dez.", "7. Dez. 2026, 17:47"},
        {"fr_FR", "lundi 7 décembre, 17:47", "lun. 14 déc.", "7 déc. 2026, 17:47"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const QLocale locale(c.locale);
        EXPECT_EQ(ShelfText::sweepDate(sweep.date, locale), c.sweepDate);
        EXPECT_EQ(Copy::releaseDate(sweep, locale), c.releaseDate);
        EXPECT_EQ(ShelfText::sweepSummary(sweep, locale),
                  std::string("3 items · 0 KB · frees up ") + c.releaseDate);
        EXPECT_EQ(ReceiptText::dateLine(sweep.date, locale), c.receiptDate);
    }
}

} // namespace
} // namespace kelvora::testing
