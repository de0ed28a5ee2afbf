#include "app/window/DetailFixture.h"

#include "window/CategoryRows.h"
#include "window/FooterContent.h"
#include "window/OverviewContent.h"
#include "window/SidebarContent.h"

#include <gtest/gtest.h>

#include <map>

namespace kelvora::testing {
namespace {

using Destination = Sidebar::Destination;

std::map<std::string, std::optional<std::string>> figures(const AppModel& model) {
    std::map<std::string, std::optional<std::string>> out;
    for (const Sidebar::Row& row : Sidebar::rows(model))
        out[row.kind ? JunkKinds::rawValue(*row.kind) : row.title] = row.size;
    return out;
}

std::vector<std::string> selected(const AppModel& model) {
    std::vector<std::string> out;
    for (const Sidebar::Row& row : Sidebar::rows(model))
        if (row.selected) out.push_back(row.title);
    return out;
}

FooterContent footer(const ScanResult& result, const PickList& picks, int days = 7) {
    return FooterContent::of(PickTotals::count(result, picks), days, false);
}

TEST(DetailTexts, FooterSumsThePicksOfTheWholeResult) {
    ScanResult result = marketingLike();
    FooterContent content = footer(result, {});
    EXPECT_EQ(content.countLine, "11 of 15 items picked · 12.6 GB");
    EXPECT_EQ(content.buttonTitle, "Clean up 12.6 GB");
    EXPECT_TRUE(content.enabled);
    EXPECT_EQ(content.shelfNote, "Caches, logs, temp, developer and AI caches are deleted now; "
                                 "they rebuild. Everything else waits 7 days on the Undo Shelf.");
    EXPECT_NE(footer(result, {}, 30).shelfNote.find("waits 30 days on the Undo Shelf."),
              std::string::npos);

    PickList none;
    for (const ScanItem& item : result.items)
        if (none.isPicked(item)) none.toggle(item);
    content = footer(result, none);
    EXPECT_EQ(content.countLine, "0 of 15 items picked · 0 KB");
    EXPECT_EQ(content.buttonTitle, "Clean up 0 KB");
    EXPECT_FALSE(content.enabled);

    // An empty Trash item frees nothing yet counts as a pick, and can be cleaned.
    ScanResult trash;
    trash.items = {found(JunkKind::trash, ".Trash/empty", 0)};
    content = footer(trash, {});
    EXPECT_EQ(content.countLine, "1 of 1 item picked · 0 KB");
    EXPECT_TRUE(content.enabled);
    EXPECT_TRUE(FooterContent::of(PickTotals::count(trash, {}), 7, true).busy);
}

// The tally rounds what the picks free together, not each row's rounded size: three caches
// of 1.04 GB read "1.0 GB" each and "3.1 GB" together.
TEST(DetailTexts, TalliesRoundTheSumNotTheRows) {
    ScanResult result;
    result.items = {cache("a", 1'040'000'000), cache("b", 1'040'000'000),
                    cache("c", 1'040'000'000)};
    EXPECT_EQ(rowSize(result.items[0]), "1.0 GB");
    PickTotals totals = PickTotals::count(result, {});
    EXPECT_EQ(FooterContent::of(totals, 7, false).countLine, "3 of 3 items picked · 3.1 GB");
    EXPECT_EQ(Overview::summary(result, totals).number, "3.1");
    Catalog catalog;
    EXPECT_EQ(CategoryHeader::of(catalog, JunkKind::caches, totals.of(JunkKind::caches)).countLine,
              "3 of 3 picked · 3.1 GB");
}

TEST(DetailTexts, SidebarFiguresFollowThePicksAndWhatIsOptIn) {
    DetailModel model;
    using Row = std::optional<std::string>;
    std::map<std::string, Row> expected{
        {"Overview", std::nullopt},   {"caches", "5.7 GB"},     {"logs", "120 MB"},
        {"tempFiles", "1.8 GB"},      {"downloads", "3.6 GB"},  {"duplicates", "0 KB"},
        {"largeFiles", "6.3 GB"},     {"developer", "640 MB"},  {"ai", "220 MB"},
        {"apps", "1.1 GB"},           {"trash", "1.4 GB"},      {"Undo Shelf", "0 KB"},
        {"Space map", std::nullopt},  {"Search", std::nullopt}, {"Similar photos", std::nullopt},
        {"Login items", std::nullopt}};
    EXPECT_EQ(figures(*model), expected);

    // Picking one item of an opt-in category shows what is picked, not what was found;
    // unticking every cache leaves 0 KB.
    model->toggle(model.item("Code/portfolio-site/node_modules"));
    model->pickAll(JunkKind::caches, false);
    EXPECT_EQ(figures(*model)["developer"], "640 MB");
    model->toggle(model.item("Movies/Wedding raw footage.mov"));
    EXPECT_EQ(figures(*model)["largeFiles"], "6.3 GB");
    EXPECT_EQ(figures(*model)["caches"], "0 KB");
}

TEST(DetailTexts, SidebarMarksPrivateFoldersAndListsFewerCategoriesWhileScanning) {
    ScanResult result = marketingLike();
    result.trashAccess = FolderAccess::blocked;
    result.mailAccess = FolderAccess::blocked;
    DetailModel blocked(result);
    EXPECT_EQ(figures(*blocked)["trash"], "locked");
    EXPECT_EQ(figures(*blocked)["mail"], "locked");
    EXPECT_EQ(figures(*blocked)["downloads"], "3.6 GB");

    DetailModel scanning(marketingLike(), AppModel::Phase::scanning());
    std::vector<std::string> titles;
    for (const Sidebar::Row& row : Sidebar::rows(*scanning)) {
        titles.push_back(row.title);
        if (row.kind) EXPECT_FALSE(row.size) << row.title;
    }
    EXPECT_EQ(titles, (std::vector<std::string>{
                          "Overview", "App caches", "Old logs", "Temp files", "Old downloads",
                          Catalog::shortTitle(JunkKind::duplicates),
                          Catalog::shortTitle(JunkKind::largeFiles),
                          Catalog::shortTitle(JunkKind::apps), Catalog::shortTitle(JunkKind::trash),
                          "Undo Shelf", "Space map", "Search", "Similar photos", "Login items"}));
    // A click on a category while nothing is found selects it and focuses nothing.
    scanning->setFocusedItem(URL::fileURL("/elsewhere"));
    Sidebar::openCategory(*scanning, JunkKind::caches);
    EXPECT_EQ(scanning->category(), JunkKind::caches);
    EXPECT_FALSE(scanning->focusedItem());
}

TEST(DetailTexts, SidebarSelectsOneRowAndOpensWhatItStandsFor) {
    DetailModel model;
    EXPECT_EQ(selected(*model), std::vector<std::string>{"Overview"});

    Sidebar::Row caches = Sidebar::rows(*model)[1];
    ASSERT_EQ(caches.kind, JunkKind::caches);
    Sidebar::open(*model, caches);
    EXPECT_EQ(selected(*model), std::vector<std::string>{"App caches"});
    EXPECT_EQ(model->focusedItem(), model->result()->items[2].location); // the largest cache

    // A tool wins over the category it was opened over.
    model->show(JunkKind::caches, false, false, false, false, true);
    EXPECT_EQ(selected(*model), std::vector<std::string>{"Search"});

    Sidebar::Row shelf;
    for (const Sidebar::Row& row : Sidebar::rows(*model))
        if (row.destination == Destination::shelf) shelf = row;
    EXPECT_EQ(shelf.captionAbove, "Keep track");
    Sidebar::open(*model, shelf);
    EXPECT_TRUE(model->showingShelf());
    EXPECT_FALSE(model->showingSearch());
    EXPECT_FALSE(model->category());
}

TEST(DetailTexts, DiskFooterShowsWhatStaysWhatThePicksFreeAndWhatIsFree) {
    struct Case {
        DiskSpace disk;
        double ink;
        double signal;
    };
    const double total = 494'380'000'000;
    const std::vector<Case> cases{
        {{494'380'000'000, 61'200'000'000},
         (433'180'000'000 - 12'624'000'000) / total,
         12'624'000'000 / total},
        // More free than the disk holds: nothing counts as used.
        {{100, 200}, 0, 12'624'000'000 / 100.0},
        // A disk of no size divides by one.
        {{0, 0}, 0, 12'624'000'000.0},
    };
    for (const Case& c : cases) {
        ScanResult result = marketingLike();
        result.disk = c.disk;
        DetailModel model(result);
        Sidebar::DiskFooter footer = Sidebar::diskFooter(*model, "Home disk");
        EXPECT_NEAR(footer.inkShare, c.ink, 1e-9);
        EXPECT_NEAR(footer.signalShare, c.signal, 1e-9);
    }
    DetailModel model;
    EXPECT_EQ(Sidebar::diskFooter(*model, "Home disk").freeText, "61.2 GB free");

    // Outside the ready phase the orange part is what the shelf holds.
    for (auto phase :
         {AppModel::Phase::cleaning(marketingLike()),
          AppModel::Phase::done(marketingLike(), CleanReport{}, {494'380'000'000, 0})}) {
        DetailModel held(marketingLike(), phase, 7, 3'000'000'000);
        EXPECT_NEAR(Sidebar::diskFooter(*held, "Home disk").signalShare, 3'000'000'000 / total,
                    1e-12);
        EXPECT_EQ(figures(*held)["Undo Shelf"], "3.0 GB");
    }
}

// After a clean-up the sidebar tells what is left to free, not what was picked before it.
TEST(DetailTexts, AfterACleanUpTheSidebarShowsWhatIsLeft) {
    CleanReport report;
    // All the picked caches but the Figma one (310 MB) went, all downloads and the Trash.
    report.byKind = {{JunkKind::caches, 5'390'000'000},
                     {JunkKind::downloads, 3'634'000'000},
                     {JunkKind::trash, 1'380'000'000}};
    DetailModel model(marketingLike(),
                      AppModel::Phase::done(marketingLike(), report, {494'380'000'000, 0}));
    auto shown = figures(*model);
    EXPECT_EQ(shown["caches"], "310 MB");
    EXPECT_EQ(shown["downloads"], "0 KB");
    EXPECT_EQ(shown["trash"], "0 KB");
    EXPECT_EQ(shown["largeFiles"], "6.3 GB"); // not picked, still there
    EXPECT_EQ(Sidebar::size(*model, JunkKind::caches), "310 MB");
}

TEST(DetailTexts, OverviewSummaryAndRowsOfTheResult) {
    DetailModel model;
    const ScanResult& result = *model->result();
    PickTotals totals = PickTotals::count(result, model->picks());
    Overview::Summary summary = Overview::summary(result, totals);
    EXPECT_EQ(summary.number, "12.6");
    EXPECT_EQ(summary.unit, "GB");
    EXPECT_EQ(summary.foundLine, "of 20.9 GB found · 61.2 GB free now");
    EXPECT_NEAR(summary.used, 433'180'000'000 / 494'380'000'000.0, 1e-12);
    EXPECT_NEAR(summary.after, (433'180'000'000 - 12'624'000'000) / 494'380'000'000.0, 1e-12);

    std::vector<Overview::Row> rows = Overview::rows(model->catalog(), result, totals);
    std::map<JunkKind, Overview::Row> byKind;
    for (const auto& row : rows)
        byKind[row.kind] = row;
    EXPECT_EQ(rows.size(), 10u) << "no Mail and Messages where the computer has neither";
    EXPECT_EQ(rows.back().kind, JunkKind::trash);
    EXPECT_FALSE(rows.back().divider);
    EXPECT_TRUE(rows.front().divider);

    const Overview::Row& caches = byKind[JunkKind::caches];
    EXPECT_EQ(caches.title, "App caches");
    EXPECT_EQ(caches.subtitle,
              "Files apps keep so they open faster. Apps make fresh ones as needed.");
    EXPECT_EQ(caches.size, "5.7 GB");
    EXPECT_FALSE(caches.faintSize);
    EXPECT_NEAR(caches.meter, 5'700'000'000 / 6'300'000'000.0, 1e-12);
    // The largest category fills its meter and, opted out, shows what it could free, faint.
    EXPECT_EQ(byKind[JunkKind::largeFiles].meter, 1.0);
    EXPECT_EQ(byKind[JunkKind::largeFiles].size, "6.3 GB");
    EXPECT_TRUE(byKind[JunkKind::largeFiles].faintSize);
    EXPECT_FALSE(byKind.count(JunkKind::mail));

    EXPECT_EQ(Overview::inUseNotice(result),
              "1 item is open in apps right now, like Google Chrome. Kelvora leaves it alone.");
}

TEST(DetailTexts, OverviewOfPrivateFoldersNothingFoundAndSeveralItemsInUse) {
    ScanResult result = marketingLike();
    result.mailAccess = FolderAccess::blocked;
    result.trashAccess = FolderAccess::blocked;
    result.items[0].inUseBy = "Final Cut Pro";
    result.items[1].inUseBy = "Finder";
    PickTotals totals = PickTotals::count(result, {});
    Catalog catalog;
    std::map<JunkKind, Overview::Row> byKind;
    for (const auto& row : Overview::rows(catalog, result, totals))
        byKind[row.kind] = row;
    EXPECT_EQ(byKind[JunkKind::mail].subtitle, "Kelvora can’t read Mail and Messages.");
    EXPECT_EQ(byKind[JunkKind::mail].size, "—");
    EXPECT_TRUE(byKind[JunkKind::mail].faintSize);
    EXPECT_EQ(byKind[JunkKind::trash].subtitle, "Kelvora can’t read the Trash.");
    EXPECT_EQ(byKind[JunkKind::trash].size, "—");
    EXPECT_FALSE(byKind[JunkKind::trash].faintSize);
    EXPECT_EQ(Overview::inUseNotice(result),
              "3 items are open in apps right now, like Final Cut Pro. Kelvora leaves them alone.");

    // Nothing removable anywhere: every meter is empty, none divides by zero; picks larger
    // than the used space leave the dial at zero after.
    ScanResult empty;
    empty.disk = {1000, 990};
    empty.items = {found(JunkKind::caches, "Library/Caches/x", 5000)};
    Overview::Summary summary = Overview::summary(empty, PickTotals::count(empty, {}));
    EXPECT_EQ(summary.after, 0.0);
    empty.items[0].lockedReason = "managed";
    for (const auto& row : Overview::rows(catalog, empty, PickTotals::count(empty, {})))
        EXPECT_EQ(row.meter, 0.0) << row.title;
    EXPECT_FALSE(Overview::inUseNotice(empty));
}

TEST(DetailTexts, CategoryHeaderRowsAndEmptyStates) {
    Catalog catalog;
    ScanResult result;
    ScanItem locked = found(JunkKind::apps, "Applications/Pages.app", 0, Verdict::youDecide);
    locked.lockedReason = "installed by an administrator";
    ScanItem lockedWithBytes = locked;
    lockedWithBytes.location = URL::fileURL(kHome + "/Applications/Numbers.app");
    lockedWithBytes.bytes = 800'000'000;
    result.items = {lockedWithBytes, locked};
    CategoryHeader header = CategoryHeader::of(catalog, JunkKind::apps,
                                               PickTotals::count(result, {}).of(JunkKind::apps));
    EXPECT_EQ(header.countLine, "0 of 0 picked · 0 KB");
    EXPECT_FALSE(header.pickLinks);
    EXPECT_EQ(rowSize(locked), "—");
    EXPECT_EQ(rowSize(lockedWithBytes), "800 MB");
    EXPECT_EQ(rowSize(found(JunkKind::logs, "Library/Logs/x", 0)), "0 KB");

    struct Case {
        JunkKind kind;
        std::optional<std::string> phrase;
    };
    ScanResult closed;
    closed.mailAccess = closed.downloadsAccess = closed.trashAccess = FolderAccess::blocked;
    for (const Case& c :
         std::vector<Case>{{JunkKind::mail, "Mail and Messages attachments"},
                           {JunkKind::downloads, "Downloads, Desktop and Documents"},
                           {JunkKind::trash, "the Trash"},
                           {JunkKind::caches, std::nullopt}}) {
        EXPECT_EQ(privateFolderPhrase(closed, c.kind), c.phrase);
        EXPECT_FALSE(privateFolderPhrase(ScanResult{}, c.kind));
    }
}

} // namespace
} // namespace kelvora::testing
