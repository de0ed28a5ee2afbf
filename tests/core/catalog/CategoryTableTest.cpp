#include "core/catalog/CatalogFixture.h"

#include <gtest/gtest.h>

#include <set>

using namespace kelvora;
using namespace kelvora::testing;

TEST(CategoryTable, VisibleKindsListTheRareCategoriesOnlyWhenFoundAndPhotosNever) {
    using K = JunkKind;
    auto resultWith = [](std::initializer_list<K> kinds) {
        ScanResult result;
        for (K kind : kinds)
            result.items.push_back(makeItem(kind, "/home/ann/x"));
        return result;
    };
    const std::vector<K> always = {K::caches,     K::logs,       K::tempFiles, K::downloads,
                                   K::duplicates, K::largeFiles, K::apps,      K::trash};
    EXPECT_EQ(Catalog::visibleKinds(nullptr), always);
    ScanResult photos = resultWith({K::photos, K::photos});
    EXPECT_EQ(Catalog::visibleKinds(&photos), always);
    ScanResult found =
        resultWith({K::screenshots, K::leftovers, K::developer, K::systemData, K::ai, K::mail});
    EXPECT_EQ(Catalog::visibleKinds(&found),
              (std::vector<K>{K::caches, K::logs, K::tempFiles, K::downloads, K::mail,
                              K::screenshots, K::duplicates, K::largeFiles, K::developer, K::ai,
                              K::systemData, K::apps, K::leftovers, K::trash}));
    // Mail and Messages show where the computer has either, found or not, or where the scan
    // was refused their folder.
    const std::vector<K> withMail = {K::caches,     K::logs, K::tempFiles,
                                     K::downloads,  K::mail, K::duplicates,
                                     K::largeFiles, K::apps, K::trash};
    for (auto mac : {MacPlaces{false, true}, MacPlaces{false, false, true}}) {
        ScanResult result;
        result.macPlaces = mac;
        EXPECT_EQ(Catalog::visibleKinds(&result), withMail);
    }
    ScanResult refused;
    refused.mailAccess = FolderAccess::blocked;
    EXPECT_EQ(Catalog::visibleKinds(&refused), withMail);
}

TEST(CategoryTable, BlurbsInsertTheSettingsReadAtEveryCall) {
    CatalogFixture fixture;
    Catalog catalog = fixture.catalog();
    const std::string downloads = "Installers and zip files in Downloads that you’ve already "
                                  "used. They wait on the Undo Shelf for ";
    EXPECT_EQ(catalog.info(JunkKind::downloads).blurb, downloads + "7 days.");

    fixture.settings = {14, 6, 1200};
    EXPECT_EQ(catalog.info(JunkKind::downloads).blurb, downloads + "14 days.");
    EXPECT_EQ(catalog.info(JunkKind::trash).blurb,
              "Already in the Trash, just never emptied. It waits on the Undo Shelf for 14 days "
              "before it’s gone.");
    EXPECT_TRUE(
        catalog.info(JunkKind::ai)
            .blurb.starts_with("Old chats from AI tools (untouched for 1200 days), their caches"))
        << "a setting is written without grouping";
    EXPECT_TRUE(catalog.info(JunkKind::developer)
                    .blurb.starts_with(
                        "Packages and build folders in projects untouched for 6 months. They"));
}

TEST(CategoryTable, EveryCategoryHasItsOwnTitleAndSymbol) {
    CatalogFixture fixture;
    Catalog catalog = fixture.catalog();
    std::set<std::string> titles, symbols;
    for (JunkKind kind : JunkKinds::allCases()) {
        auto info = catalog.info(kind);
        titles.insert(info.title);
        symbols.insert(info.symbol);
        // The computer is not called by another maker's name for it.
        for (const char* word : {"your Mac", "this Mac", "the Mac"})
            EXPECT_EQ(info.blurb.find(word), std::string::npos) << info.title;
    }
    EXPECT_EQ(titles.size(), 15u);
    EXPECT_EQ(symbols.size(), 15u);
    EXPECT_EQ(Catalog::shortTitle(JunkKind::caches), "App caches");
    EXPECT_EQ(Catalog::shortTitle(JunkKind::mail), "Attachments");
}
