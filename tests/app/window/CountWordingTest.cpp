#include "app/panes/LoginItemFixture.h"

#include "app/window/SimpleFixtures.h"

#include "catalog/Catalog.h"
#include "model/Format.h"
#include "onboarding/Promises.h"
#include "panes/Copy.h"
#include "panes/LoginItemsText.h"
#include "panes/ReceiptLayout.h"
#include "panes/SearchText.h"
#include "panes/ShelfText.h"
#include "panes/SimilarPhotosText.h"
#include "panes/SpaceMapText.h"
#include "panes/SpaceMapTiles.h"
#include "panes/UninstallText.h"
#include "window/FooterContent.h"
#include "window/OverviewContent.h"
#include "window/SimpleState.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelvora::testing {
namespace {

ScanResult resultOf(std::vector<ScanItem> items) {
    ScanResult result;
    result.items = std::move(items);
    result.disk = {494'380'000'000, 61'200'000'000};
    return result;
}

// `n` items of a kind, each open in an app.
ScanResult inUse(int n) {
    std::vector<ScanItem> items;
    for (int i = 0; i < n; ++i) {
        items.push_back(foundItem(JunkKind::caches, "/c/" + std::to_string(i), 1'000));
        items.back().inUseBy = "Sketchpad";
    }
    return resultOf(std::move(items));
}

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
        {"the files a scan looked at, and its seconds",
         [](int n) {
             ScanResult result;
             result.filesLookedAt = n;
             result.duration = n;
             return SimpleText::scanStatus(result);
         },
         "Kelvora checked 1 file in 1 second", "Kelvora checked 2 files in 2 seconds"},
        {"the photos the picks make room for",
         [](int n) {
             const AppModel::Phase phase = AppModel::Phase::ready(
                 resultOf({foundItem(JunkKind::caches, "/c", n * 4'000'000)}));
             const PickList picks;
             const std::optional<AppModel::ScanStep> step;
             return SimpleState::make({phase, picks, step}).body;
         },
         "That’s room for about 1 more photo. Nothing is removed until you press the button.",
         "That’s room for about 2 more photos. Nothing is removed until you press the "
         "button."},
        {"the clean-up confirmation: what the picked rows hold, and the shelf's days",
         [](int n) {
             // One row of a month's screenshots and recordings, one group of similar photos.
             ScanItem month = foundItem(JunkKind::screenshots, "/s/2024-3", 1'000'000);
             month.record = ScanItem::PhotoInfo{"March 2024", 2 * n, n, std::nullopt};
             ScanItem group = foundItem(JunkKind::photos, "/p/b.jpg", 1'000'000);
             group.record = ScanItem::PhotoInfo{"a.jpg", n, 0, URL::fileURL("/p/a.jpg")};
             const ScanResult result = resultOf({month, group});
             PickList picks;
             for (const ScanItem& item : result.items)
                 if (!picks.isPicked(item)) picks.toggle(item);
             return Copy::confirmMessage(&result, picks, n);
         },
         "2 MB from 1 old screenshot, 1 old screen recording and 1 similar photo moves to the "
         "Undo Shelf, where you can put anything back for 1 day.",
         "2 MB from 2 old screenshots, 2 old screen recordings and 2 similar photos moves to "
         "the Undo Shelf, where you can put anything back for 2 days."},
        {"what is found but not picked",
         [](int n) {
             std::vector<ScanItem> items;
             for (int i = 0; i < n; ++i)
                 items.push_back(foundItem(JunkKind::largeFiles, "/l/" + std::to_string(i),
                                           1'000'000'000, Verdict::youDecide));
             const ScanResult result = resultOf(items);
             PickList picks;
             picks.pickAll(JunkKind::largeFiles, result, false);
             const auto line = SimpleText::optInSummary(result, picks);
             return line ? line->text.substr(0, line->text.find(" (")) : std::string();
         },
         "Also found, not picked yet: 1 large or old file",
         "Also found, not picked yet: 2 large or old files"},
        {"the simple view's items in use",
         [](int n) { return SimpleText::inUseNote(inUse(n)).value_or(""); },
         "1 item is open in apps right now, like Sketchpad. Kelvora leaves it alone. Quit that "
         "app and check again to include it.",
         "2 items are open in apps right now, like Sketchpad. Kelvora leaves them alone. Quit "
         "those apps and check again to include them."},
        {"the overview's items in use",
         [](int n) { return Overview::inUseNotice(inUse(n)).value_or(""); },
         "1 item is open in apps right now, like Sketchpad. Kelvora leaves it alone.",
         "2 items are open in apps right now, like Sketchpad. Kelvora leaves them alone."},
        {"an app's leftover files",
         [](int n) {
             ScanItem app = foundItem(JunkKind::apps, "/a/Sketchpad.app", 1'000);
             app.record = ScanItem::AppInfo{"Sketchpad", "com.example.sketchpad", {}, n};
             return UninstallText::subtitle(app);
         },
         "The app, plus 1 file it keeps in your Library.",
         "The app, plus 2 files it keeps in your Library."},
        {"a removed app's leftovers",
         [](int n) {
             ScanItem gone = foundItem(JunkKind::leftovers, "/l/com.example.gone", 1'000);
             gone.targets.assign(n, gone.location);
             gone.record = ScanItem::LeftoverInfo{{}, "com.example.gone", "Gone", {}, {}};
             return UninstallText::subtitle(gone);
         },
         "Gone is gone, but left 1 item in your Library.",
         "Gone is gone, but left 2 items in your Library."},
        {"a group's extra photos", [](int n) { return SimilarPhotosText::extras(n); }, "1 extra",
         "2 extras"},
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

    // The days the Undo Shelf holds things, wherever a text tells them.
    const std::pair<const char*, std::function<std::string(int)>> holds[] = {
        {"the pick footer", [](int n) { return FooterContent::of({}, n, false).shelfNote; }},
        {"the Trash tile",
         [](int n) {
             return SimpleText::tiles(AppModel::Phase::scanning(), {}, n, {})[3].caption;
         }},
        {"the shelf's explanation", [](int n) { return ShelfText::explanation(n); }},
        {"the empty shelf", [](int n) { return ShelfText::emptyDetail(n); }},
        {"a clean-up's days left",
         [](int n) {
             return ShelfText::daysLeftLabel({n, n});
         }},
        {"the search", [](int n) { return SearchText::holdLine(n).toStdString(); }},
        {"the similar photos",
         [](int n) { return SimilarPhotosText::footer({}, {}, n, false).hold; }},
        {"the receipt",
         [](int n) {
             Receipt receipt;
             receipt.shelved = 1'000'000;
             receipt.holdDays = n;
             return ReceiptText::diskRows(receipt).back().title.toLower().toStdString();
         }},
        {"the welcome", [](int n) { return Promises::rows(n)[2].title.toStdString(); }},
        {"the uninstall sheet",
         [](int n) {
             return UninstallText::message(foundItem(JunkKind::apps, "/a/S.app", 1), {}, n);
         }},
        {"a leftover login item's button",
         [](int n) {
             LoginItem gone = item(LoginItem::Source::userAgent, "gone", {});
             gone.programMissing = true;
             return LoginItemsText::action(gone, n).tooltip.toStdString();
         }},
        {"an old download's explanation",
         [](int n) {
             Catalog catalog([n] { return Catalog::Settings{n, 3, 30}; });
             return catalog.explanation(
                 foundItem(JunkKind::downloads, "/d/a.zip", 1, Verdict::youDecide));
         }},
    };
    for (const auto& [what, say] : holds) {
        EXPECT_NE(say(1).find("1 day"), std::string::npos) << what << ": " << say(1);
        EXPECT_EQ(say(1).find("1 days"), std::string::npos) << what << ": " << say(1);
        EXPECT_NE(say(2).find("2 days"), std::string::npos) << what << ": " << say(2);
    }
}

} // namespace
} // namespace kelvora::testing
