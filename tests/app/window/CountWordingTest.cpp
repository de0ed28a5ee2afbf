#include "app/panes/LoginItemFixture.h"

#include "model/Format.h"
#include "panes/Copy.h"
#include "panes/LoginItemsText.h"
#include "panes/ShelfText.h"
#include "panes/SimilarPhotosText.h"
#include "panes/SpaceMapText.h"
#include "panes/SpaceMapTiles.h"
#include "window/FooterContent.h"
#include "window/SimpleState.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelvora::testing {
namespace {

// Every text that says a count, told 1 and then 2: a count of one takes the singular, and
// so do the words that agree with it.
TEST(CountWordingTest, EveryCountAgreesInNumber) {
    struct Case {
        const char* what;
        std::function<std::string(int)> say;
        std::string one;
        std::string two;
    };
    const Case cases[] = {
        {"a clean-up on the shelf",
         [](int n) {
             UndoShelf::Sweep sweep;
             sweep.date = dateFromEpochSeconds(1796665620);
             sweep.expires = addSeconds(sweep.date, 7 * 86400);
             sweep.entries.resize(n);
             std::string summary = ShelfText::sweepSummary(sweep, QLocale::c());
             return summary.substr(0, summary.find(" · "));
         },
         "1 item", "2 items"},
        {"items an app opened during the clean-up",
         [](int n) {
             CleanReport report;
             report.skippedInUse = n;
             std::string text = Copy::done(report, DiskSpace{}, std::nullopt);
             return text.substr(text.find(". ") + 2);
         },
         "1 item was opened by an app during cleaning, so Kelvora left it alone.",
         "2 items were opened by an app during cleaning, so Kelvora left them alone."},
        {"items that could not be moved",
         [](int n) {
             return Copy::notMoved(
                 std::vector<CleanReport::Failure>(n, {URL::fileURL("/home/al/a"), "protected"}));
         },
         "1 item couldn’t be moved. Protected.", "2 items couldn’t be moved. Protected."},
        {"the pick footer",
         [](int n) {
             PickTotals totals;
             totals.all.removable = n;
             totals.all.picked = 1;
             return FooterContent::of(totals, 7, false).countLine;
         },
         "1 of 1 item picked · 0 KB", "1 of 2 items picked · 0 KB"},
        {"the files a scan looked at",
         [](int n) {
             ScanResult result;
             result.filesLookedAt = n;
             return SimpleText::scanStatus(result);
         },
         "Kelvora checked 1 file in 1 second", "Kelvora checked 2 files in 1 second"},
        {"the space map's measuring", [](int n) { return SpaceMapText::measuringText(n); },
         "Measuring… 1 file so far", "Measuring… 2 files so far"},
        {"the space map's last tile",
         [](int n) {
             std::vector<SpaceMap::Entry> children;
             for (int i = 0; i < 3 + n; ++i)
                 children.push_back({URL::fileURL("/data/c" + std::to_string(i)),
                                     "c" + std::to_string(i), 100 - i, false});
             for (const SpaceMapTile& tile : SpaceMapTiles::tiles(children, 3))
                 if (tile.id == "rest") return tile.name;
             return std::string();
         },
         "1 more item", "2 more items"},
        {"the similar photos' footer",
         [](int n) {
             std::vector<SimilarPhotos::Group> groups(n);
             for (int i = 0; i < n; ++i)
                 groups[i].keep = URL::fileURL("/p/" + std::to_string(i) + ".jpg");
             return SimilarPhotosText::footer(groups, {}, 7, false).summary;
         },
         "0 of 1 group picked", "0 of 2 groups picked"},
        {"the login items' counts",
         [](int n) {
             std::vector<LoginItem> items;
             for (int i = 0; i < n; ++i)
                 items.push_back(item(LoginItem::Source::userAgent, "a" + std::to_string(i),
                                      LoginItem::State::running(10 + i)));
             return LoginItemsText::countsLine(items).toStdString();
         },
         "1 starts when you log in · 1 running now", "2 start when you log in · 2 running now"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.say(1), c.one) << c.what;
        EXPECT_EQ(c.say(2), c.two) << c.what;
    }
}

} // namespace
} // namespace kelvora::testing
