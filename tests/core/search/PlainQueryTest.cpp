#include "search/PlainQuery.h"

#include "platform/Iso8601.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kelvora {
namespace {

using Kind = PlainQuery::Kind;

Date at(const std::string& text) {
    return *parseIso8601(text);
}

// Sunday, 6 December 2026, noon UTC.
const Date kNow = at("2026-12-06T12:00:00Z");

PlainQuery parsed(const std::string& text, Date now = kNow) {
    return PlainQuery::parse(text, now, QueryCalendar::utc());
}

TEST(PlainQueryParse, UnrecognisedPhrasesBecomeNameSearches) {
    EXPECT_TRUE(parsed("").isEmpty());
    EXPECT_TRUE(parsed("   \n ").isEmpty());
    EXPECT_EQ(parsed("budget.xlsx").nameContains, "budget.xlsx");
    EXPECT_EQ(parsed("\u00A0 Tax\u2003return \u3000\n").nameContains, "Tax\u2003return");
    PlainQuery photosWithStop = parsed("  Photos. ");
    EXPECT_EQ(photosWithStop.nameContains, "Photos.");
    EXPECT_TRUE(photosWithStop.kinds.empty());
    EXPECT_EQ(parsed("over 5 gigs").nameContains, "over 5 gigs");
    EXPECT_FALSE(parsed("older than ten days").changedBefore);
}

TEST(PlainQueryParse, SizesAreDecimalAndLaterPhrasesWin) {
    PlainQuery big = parsed("big videos older than a year");
    EXPECT_EQ(big.kinds, std::vector<Kind>{Kind::videos});
    EXPECT_EQ(big.minBytes, 100'000'000);
    EXPECT_EQ(big.changedBefore, at("2025-12-06T12:00:00Z"));

    EXPECT_EQ(parsed("over 1.5 gb").minBytes, 1'500'000'000);
    EXPECT_EQ(parsed("under 500mb").maxBytes, 500'000'000);
    EXPECT_EQ(parsed("files > 3 kb").minBytes, 3000);
    EXPECT_EQ(parsed("at least 2 tb").minBytes, 2'000'000'000'000);
    EXPECT_EQ(parsed("huge files over 2 gb").minBytes, 2'000'000'000);
    EXPECT_EQ(parsed("over 2 gb, over 5 gb").minBytes, 5'000'000'000);
    EXPECT_EQ(parsed("giant files").minBytes, 1'000'000'000);

    PlainQuery bounded = parsed("big files under 500 mb");
    EXPECT_EQ(bounded.minBytes, 100'000'000);
    EXPECT_EQ(bounded.maxBytes, 500'000'000);

    // Far past what a 64-bit count holds: not understood rather than wrapped.
    PlainQuery tooBig = parsed("over 99999999999999999999 tb");
    EXPECT_FALSE(tooBig.minBytes);
}

TEST(PlainQueryParse, QuotedNamesAreNotReadAsKeywords) {
    for (const char* text : {"\"Big Photos\" pdfs", "\u201CBig Photos\u201D pdfs"}) {
        PlainQuery query = parsed(text);
        EXPECT_EQ(query.nameContains, "Big Photos") << text;
        EXPECT_EQ(query.kinds, std::vector<Kind>{Kind::pdfs}) << text;
        EXPECT_FALSE(query.minBytes) << text;
    }
    // A right curly quote closes a straight one; a comma inside the quotes changes nothing.
    PlainQuery mixed = parsed("\"Big, Photos\u201D zips");
    EXPECT_EQ(mixed.nameContains, "Big, Photos");
    EXPECT_EQ(mixed.kinds, std::vector<Kind>{Kind::archives});
    // Non-ASCII text inside curly quotes is kept whole.
    EXPECT_EQ(parsed("\u201CR\u00E9sum\u00E9 \u2014 2024\u201D").nameContains,
              "R\u00E9sum\u00E9 \u2014 2024");
    // A quote that closes at once opens nothing; the match starts at the next quote.
    EXPECT_EQ(parsed("\"\"tax\"").nameContains, "tax");
}

TEST(PlainQueryParse, NotOpenedAndRelativeDates) {
    PlainQuery unused = parsed("unused apps");
    EXPECT_EQ(unused.kinds, std::vector<Kind>{Kind::apps});
    EXPECT_EQ(unused.notOpenedSince, at("2026-06-06T12:00:00Z"));
    EXPECT_EQ(parsed("apps not used for two years").notOpenedSince, at("2024-12-06T12:00:00Z"));
    EXPECT_EQ(parsed("haven't opened in 3 weeks").notOpenedSince, at("2026-11-15T12:00:00Z"));

    PlainQuery recent = parsed("in the last 3 days");
    EXPECT_EQ(recent.changedAfter, at("2026-12-03T12:00:00Z"));
    EXPECT_FALSE(recent.changedBefore);
    PlainQuery ago = parsed("2 years ago");
    EXPECT_EQ(ago.changedBefore, at("2024-12-06T12:00:00Z"));
    EXPECT_FALSE(ago.changedAfter);
}

TEST(PlainQueryParse, MonthArithmeticClampsTheDay) {
    Date endOfMarch = at("2026-03-31T09:30:00Z");
    EXPECT_EQ(parsed("older than a month", endOfMarch).changedBefore, at("2026-02-28T09:30:00Z"));
    EXPECT_EQ(parsed("older than one month", at("2024-03-31T09:30:00Z")).changedBefore,
              at("2024-02-29T09:30:00Z"));
    EXPECT_EQ(parsed("older than a year", at("2024-02-29T00:00:00Z")).changedBefore,
              at("2023-02-28T00:00:00Z"));
}

TEST(PlainQueryParse, CalendarPhrasesOverwriteRelativeDates) {
    PlainQuery from2021 = parsed("from 2021");
    EXPECT_EQ(from2021.changedAfter, at("2021-01-01T00:00:00Z"));
    EXPECT_EQ(from2021.changedBefore, at("2022-01-01T00:00:00Z"));
    PlainQuery before = parsed("before 2020");
    EXPECT_EQ(before.changedBefore, at("2020-01-01T00:00:00Z"));
    EXPECT_FALSE(before.changedAfter);

    for (const char* text : {"last year", "older than 2 years from last year"}) {
        PlainQuery lastYear = parsed(text);
        EXPECT_EQ(lastYear.changedAfter, at("2025-01-01T00:00:00Z")) << text;
        EXPECT_EQ(lastYear.changedBefore, at("2026-01-01T00:00:00Z")) << text;
    }
    EXPECT_EQ(parsed("this year").changedAfter, at("2026-01-01T00:00:00Z"));

    PlainQuery march = parsed("last month", at("2026-03-15T10:00:00Z"));
    EXPECT_EQ(march.changedAfter, at("2026-02-01T00:00:00Z"));
    EXPECT_EQ(march.changedBefore, at("2026-03-01T00:00:00Z"));
    PlainQuery january = parsed("last month", at("2026-01-20T10:00:00Z"));
    EXPECT_EQ(january.changedAfter, at("2025-12-01T00:00:00Z"));
    EXPECT_EQ(january.changedBefore, at("2026-01-01T00:00:00Z"));

    // 6 December 2026 is a Sunday; 2 December a Wednesday.
    EXPECT_EQ(parsed("this week").changedAfter, at("2026-12-06T00:00:00Z"));
    EXPECT_EQ(parsed("this week", at("2026-12-02T08:00:00Z")).changedAfter,
              at("2026-11-29T00:00:00Z"));
    QueryCalendar mondays = QueryCalendar::utc();
    mondays.firstWeekday = 1;
    EXPECT_EQ(PlainQuery::parse("this week", kNow, mondays).changedAfter,
              at("2026-11-30T00:00:00Z"));
}

TEST(PlainQueryParse, DatesBeyondWhatTheClockHoldsAreLeftEmpty) {
    // Nothing wraps round: each of these would otherwise land in September 1677.
    for (const char* text :
         {"big files before 2300", "big files from 1500", "big files older than 400 years",
          "big files 999999 days ago", "big files not opened in 500 years"}) {
        PlainQuery query = parsed(text);
        EXPECT_EQ(query.minBytes, 100'000'000) << text;
        EXPECT_FALSE(query.changedBefore || query.changedAfter || query.notOpenedSince) << text;
    }
    EXPECT_EQ(parsed("before 2200").changedBefore, at("2200-01-01T00:00:00Z"));
    EXPECT_EQ(parsed("older than 300 years").changedBefore, at("1726-12-06T12:00:00Z"));
}

TEST(PlainQueryParse, DatesFollowTheCalendarsTimeZone) {
    const char* before = std::getenv("TZ");
    std::string saved = before ? before : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    PlainQuery local = PlainQuery::parse("from 2021", kNow, QueryCalendar::gregorian());
    if (before)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(local.changedAfter, at("2021-01-01T05:00:00Z"));
    EXPECT_EQ(local.changedBefore, at("2022-01-01T05:00:00Z"));
}

TEST(PlainQueryParse, FoldersAndKindWordsThatShareNames) {
    PlainQuery pictures = parsed("photos in pictures");
    EXPECT_EQ(pictures.kinds, std::vector<Kind>{Kind::photos});
    EXPECT_EQ(pictures.folders, std::vector<std::string>{"Pictures"});
    PlainQuery picturesAlone = parsed("pictures");
    EXPECT_EQ(picturesAlone.kinds, std::vector<Kind>{Kind::photos});
    EXPECT_TRUE(picturesAlone.folders.empty());
    PlainQuery music = parsed("music in music");
    EXPECT_EQ(music.kinds, std::vector<Kind>{Kind::audio});
    EXPECT_EQ(music.folders, std::vector<std::string>{"Music"});
    PlainQuery desktop = parsed("documents on my desktop");
    EXPECT_EQ(desktop.kinds, std::vector<Kind>{Kind::documents});
    EXPECT_EQ(desktop.folders, (std::vector<std::string>{"Desktop", "Documents"}));
    EXPECT_EQ(parsed("pdfs from 2021 in my downloads").folders,
              std::vector<std::string>{"Downloads"});

    // "Applications" is the home's folder only where the home has one.
    const std::string phrase = "files over 20 MB in Applications";
    PlainQuery inFolder = PlainQuery::parse(phrase, kNow, QueryCalendar::utc(), true);
    EXPECT_TRUE(inFolder.kinds.empty());
    EXPECT_EQ(inFolder.folders, std::vector<std::string>{"Applications"});
    PlainQuery noFolder = PlainQuery::parse(phrase, kNow, QueryCalendar::utc(), false);
    EXPECT_EQ(noFolder.kinds, std::vector<Kind>{Kind::apps});
    EXPECT_TRUE(noFolder.folders.empty());
    EXPECT_EQ(PlainQuery::parse("apps in applications", kNow, QueryCalendar::utc(), true).kinds,
              std::vector<Kind>{Kind::apps});
    PlainQuery appImages = parsed("AppImage over 20 MB");
    EXPECT_EQ(appImages.kinds, std::vector<Kind>{Kind::apps});
    EXPECT_EQ(appImages.minBytes, 20'000'000);
}

TEST(PlainQueryParse, ScreenRecordingsAreNotVideos) {
    EXPECT_EQ(parsed("screenshots and screen recordings").kinds,
              std::vector<Kind>{Kind::screenshots});
    EXPECT_EQ(parsed("recordings").kinds, std::vector<Kind>{Kind::videos});
    EXPECT_EQ(parsed("screen recordings and videos").kinds,
              (std::vector<Kind>{Kind::screenshots, Kind::videos}));
    EXPECT_EQ(parsed("Songs, PDFs and DMGs").kinds,
              (std::vector<Kind>{Kind::pdfs, Kind::diskImages, Kind::audio}));
}

TEST(PlainQueryParse, LongPhrasesAreReadWithoutExhaustingTheStack) {
    std::string blanks(300'000, ' ');
    EXPECT_EQ(parsed("older than" + blanks + "3 days").changedBefore, at("2026-12-03T12:00:00Z"));
    std::string repeated;
    for (int i = 0; i < 40'000; ++i)
        repeated += "over 5 ";
    PlainQuery query = parsed(repeated + "over 7 kb");
    EXPECT_EQ(query.minBytes, 7000);
    EXPECT_FALSE(query.nameContains);
}

TEST(PlainQueryParse, UnclosedQuotesAreFoundQuickly) {
    std::string quotes;
    for (int i = 0; i < 100'000; ++i)
        quotes += "\u201C";
    PlainQuery query = parsed(quotes + " pdfs");
    EXPECT_FALSE(query.nameContains);
    EXPECT_EQ(query.kinds, std::vector<Kind>{Kind::pdfs});
}

TEST(PlainQueryParse, DecimalPointsWhateverTheLocale) {
    std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
    PlainQuery query = parsed("over 1.5 gb");
    std::vector<std::string> chips = query.chips(QueryCalendar::utc());
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(query.minBytes, 1'500'000'000);
    EXPECT_EQ(chips, std::vector<std::string>{"Over 1.5 GB"});
}

TEST(PlainQueryKind, RawValuesRoundTrip) {
    EXPECT_EQ(PlainQuery::allKinds().size(), 9u);
    for (Kind kind : PlainQuery::allKinds())
        EXPECT_EQ(queryKindFromRawValue(rawValue(kind)), kind);
    EXPECT_FALSE(queryKindFromRawValue("Videos"));
    EXPECT_EQ(rawValue(Kind::diskImages), "diskImages");
}

TEST(PlainQueryText, ClausesInOrder) {
    EXPECT_EQ(parsed("huge videos older than a year").spotlightQuery(),
              "kMDItemContentTypeTree == \"public.movie\" && kMDItemFSSize >= 1000000000 && "
              "kMDItemFSContentChangeDate < $time.iso(2025-12-06T12:00:00Z) && "
              "kMDItemContentType != \"public.folder\"");
    EXPECT_EQ(PlainQuery().spotlightQuery(), "kMDItemContentType != \"public.folder\"");

    PlainQuery two;
    two.kinds = {Kind::screenshots, Kind::pdfs};
    EXPECT_EQ(two.spotlightQuery(),
              "(kMDItemIsScreenCapture == 1 || kMDItemContentType == \"com.adobe.pdf\") && "
              "kMDItemContentType != \"public.folder\"");

    EXPECT_EQ(parsed("unused apps").spotlightQuery(),
              "kMDItemContentTypeTree == \"com.apple.application\" && "
              "(kMDItemLastUsedDate < $time.iso(2026-06-06T12:00:00Z) || "
              "kMDItemLastUsedDate != *)");

    PlainQuery named;
    named.nameContains = "a\"b\\c";
    EXPECT_EQ(named.spotlightQuery(),
              "kMDItemFSName == \"*abc*\"cd && kMDItemContentType != \"public.folder\"");

    PlainQuery ranged = parsed("docs under 2 mb from 2021");
    EXPECT_EQ(ranged.spotlightQuery(),
              "(kMDItemContentTypeTree == \"public.composite-content\" || "
              "kMDItemContentTypeTree == \"public.spreadsheet\" || "
              "kMDItemContentTypeTree == \"public.presentation\") && kMDItemFSSize <= 2000000 && "
              "kMDItemFSContentChangeDate >= $time.iso(2021-01-01T00:00:00Z) && "
              "kMDItemFSContentChangeDate < $time.iso(2022-01-01T00:00:00Z) && "
              "kMDItemContentType != \"public.folder\"");
}

TEST(PlainQueryChips, EchoEveryField) {
    QueryCalendar utc = QueryCalendar::utc();
    EXPECT_TRUE(PlainQuery().chips(utc).empty());
    EXPECT_EQ(parsed("from 2021").chips(utc), std::vector<std::string>{"Changed in 2021"});
    EXPECT_EQ(parsed("last year").chips(utc), std::vector<std::string>{"Changed in 2025"});
    EXPECT_EQ(parsed("this year").chips(utc),
              std::vector<std::string>{"Changed since Jan 1, 2026"});
    EXPECT_EQ(
        parsed("last month", at("2026-03-15T10:00:00Z")).chips(utc),
        (std::vector<std::string>{"Changed since Feb 1, 2026", "Changed before Mar 1, 2026"}));
    EXPECT_EQ(
        parsed("last month", at("2026-01-15T10:00:00Z")).chips(utc),
        (std::vector<std::string>{"Changed since Dec 1, 2025", "Changed before Jan 1, 2026"}));

    PlainQuery twoYears;
    twoYears.changedAfter = at("2020-01-01T00:00:00Z");
    twoYears.changedBefore = at("2022-01-01T00:00:00Z");
    EXPECT_EQ(twoYears.chips(utc), (std::vector<std::string>{"Changed since Jan 1, 2020",
                                                             "Changed before Jan 1, 2022"}));

    PlainQuery everything;
    everything.kinds = {Kind::diskImages, Kind::pdfs};
    everything.minBytes = 100'000'000;
    everything.maxBytes = 1'000'000'000;
    everything.notOpenedSince = at("2026-06-06T12:00:00Z");
    everything.folders = {"Downloads"};
    everything.nameContains = "Tax Return";
    EXPECT_EQ(everything.chips(utc),
              (std::vector<std::string>{"Disk images", "PDFs", "Over 100 MB", "Under 1 GB",
                                        "Not opened since Jun 6, 2026", "In Downloads",
                                        "Name has \u201CTax Return\u201D"}));
    EXPECT_EQ(parsed("over 1.5 gb under 250 kb").chips(utc),
              (std::vector<std::string>{"Over 1.5 GB", "Under 250 KB"}));
    // Sizes that round up to 1,000 of a unit are written in the next unit.
    EXPECT_EQ(parsed("over 999999 kb under 999.9999 mb").chips(utc),
              (std::vector<std::string>{"Over 1 GB", "Under 1 GB"}));
    EXPECT_EQ(parsed("under 999.6 kb").chips(utc), std::vector<std::string>{"Under 1 MB"});
}

} // namespace
} // namespace kelvora
