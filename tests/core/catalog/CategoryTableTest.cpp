#include "core/catalog/CatalogFixture.h"

#include <gtest/gtest.h>

#include <set>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

ScanResult resultWith(std::initializer_list<JunkKind> kinds) {
    ScanResult result;
    for (JunkKind kind : kinds)
        result.items.push_back(makeItem(kind, "/home/ann/x"));
    return result;
}

} // namespace

TEST(CategoryTable, VisibleKindsListTheRareCategoriesOnlyWhenFoundAndPhotosNever) {
    using K = JunkKind;
    const std::vector<K> always = {K::caches,     K::logs, K::tempFiles,
                                   K::downloads,  K::mail, K::duplicates,
                                   K::largeFiles, K::apps, K::trash};
    EXPECT_EQ(Catalog::visibleKinds(nullptr), always);
    ScanResult empty;
    EXPECT_EQ(Catalog::visibleKinds(&empty), always);

    ScanResult screenshot = resultWith({K::screenshots});
    std::vector<K> withScreenshots = always;
    withScreenshots.insert(withScreenshots.begin() + 5, K::screenshots);
    EXPECT_EQ(Catalog::visibleKinds(&screenshot), withScreenshots) << "between mail and duplicates";

    ScanResult photos = resultWith({K::photos, K::photos});
    EXPECT_EQ(Catalog::visibleKinds(&photos), always);

    ScanResult rare = resultWith({K::leftovers, K::developer, K::systemData, K::ai});
    EXPECT_EQ(Catalog::visibleKinds(&rare),
              (std::vector<K>{K::caches, K::logs, K::tempFiles, K::downloads, K::mail,
                              K::duplicates, K::largeFiles, K::developer, K::ai, K::systemData,
                              K::apps, K::leftovers, K::trash}));
}

TEST(CategoryTable, BlurbsInsertTheSettingsReadAtEveryCall) {
    CatalogFixture fixture;
    Catalog catalog = fixture.catalog();
    EXPECT_EQ(catalog.info(JunkKind::downloads).blurb,
              "Installers and zip files in Downloads that you’ve already used. They wait on the "
              "Undo Shelf for 7 days.");

    fixture.settings = {14, 6, 90};
    EXPECT_EQ(catalog.info(JunkKind::downloads).blurb,
              "Installers and zip files in Downloads that you’ve already used. They wait on the "
              "Undo Shelf for 14 days.");
    EXPECT_EQ(catalog.info(JunkKind::trash).blurb,
              "Already in the Trash, just never emptied. It waits on the Undo Shelf for 14 days "
              "before it’s gone.");
    EXPECT_EQ(catalog.info(JunkKind::ai)
                  .blurb.rfind("Old chats from AI tools (untouched for 90 days), their caches", 0),
              0u);
    EXPECT_EQ(
        catalog.info(JunkKind::developer)
            .blurb.rfind("Packages and build folders in projects untouched for 6 months, plus", 0),
        0u);

    fixture.settings.shelfDays = 1200;
    EXPECT_NE(catalog.info(JunkKind::trash).blurb.find("for 1200 days"), std::string::npos)
        << "a setting is written without grouping";
}

TEST(CategoryTable, EachCategoryHasItsOwnTitleAndSymbolAndATypicalVerdict) {
    CatalogFixture fixture;
    Catalog catalog = fixture.catalog();
    std::set<std::string> titles, symbols;
    for (JunkKind kind : JunkKinds::allCases()) {
        auto info = catalog.info(kind);
        titles.insert(info.title);
        symbols.insert(info.symbol);
        EXPECT_EQ(info.title, Catalog::title(kind));
        EXPECT_TRUE(info.verdict == Verdict::safe || info.verdict == Verdict::rebuilds ||
                    info.verdict == Verdict::youDecide);
        // The computer is never called by the name of another maker's.
        for (const char* word : {"your Mac", "this Mac", "the Mac"})
            EXPECT_EQ(info.blurb.find(word), std::string::npos) << info.title;
    }
    EXPECT_EQ(titles.size(), 15u);
    EXPECT_EQ(symbols.size(), 15u);
    EXPECT_EQ(Catalog::title(JunkKind::apps), "Apps you don’t use");
    EXPECT_EQ(Catalog::symbol(JunkKind::developer), "chevron.left.forwardslash.chevron.right");
    EXPECT_EQ(Catalog::verdict(JunkKind::developer), Verdict::rebuilds);
    EXPECT_EQ(Catalog::shortTitle(JunkKind::caches), "App caches");
    EXPECT_EQ(Catalog::shortTitle(JunkKind::mail), "Attachments");
    EXPECT_EQ(Catalog::shortTitle(JunkKind::leftovers), "Removed apps");
}
