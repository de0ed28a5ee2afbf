#include "app/controller/ControllerFixture.h"

#include <map>

namespace kelvora::testing {
namespace {

class SearchTest : public ControllerTest {
protected:
    PlainQuery::Hit hitFor(const std::string& path) {
        return {URL::fileURL(path), static_cast<int64_t>(fileInfo(path)->logicalSize), {}};
    }
};

TEST_F(SearchTest, AnEmptyPhraseClearsTheResultsAndRunsNothing) {
    int runs = 0;
    AppModel::Tools counting = tools();
    counting.search = [&runs](const PlainQuery&, const URL&, int, const StopToken&) {
        ++runs;
        return std::vector<PlainQuery::Hit>();
    };
    auto model = makeModel(counting);
    model->search("videos");
    ASSERT_TRUE(waitUntil([&] { return !model->searching(); }));
    ASSERT_TRUE(model->searchHits());
    model->search("   ");
    EXPECT_FALSE(model->searchQuery());
    EXPECT_FALSE(model->searchHits());
    EXPECT_FALSE(model->searching());
    settle();
    EXPECT_EQ(runs, 1);
}

TEST_F(SearchTest, ANewerSearchStopsTheRunningOneAndOnlyItsHitsAreShown) {
    std::atomic<bool> firstStarted{false};
    std::atomic<bool> firstStopped{false};
    AppModel::Tools scripted = tools();
    scripted.search = [&](const PlainQuery& query, const URL&, int limit, const StopToken& stop) {
        EXPECT_EQ(limit, 300);
        bool slow = !query.kinds.empty() && query.kinds.front() == PlainQuery::Kind::videos;
        if (slow) {
            firstStarted = true;
            firstStopped = holdUntil([&] { return stop.stopped(); });
        }
        return std::vector<PlainQuery::Hit>{
            {URL::fileURL(slow ? "/tmp/old-video.mov" : "/tmp/new.pdf"), 1, {}}};
    };
    auto model = makeModel(scripted);
    model->search("videos");
    ASSERT_TRUE(waitUntil([&] { return firstStarted.load(); }));
    model->search("pdfs");
    ASSERT_TRUE(waitUntil([&] { return firstStopped.load(); }));
    ASSERT_TRUE(waitUntil([&] { return model->searchHits().has_value(); }));
    EXPECT_FALSE(model->searching());
    QThreadPool::globalInstance()->waitForDone();
    settle();
    ASSERT_EQ(model->searchHits()->size(), 1u);
    EXPECT_EQ(model->searchHits()->front().url.path(), "/tmp/new.pdf");
    EXPECT_FALSE(model->searching());
}

TEST_F(SearchTest, MovingHitsTakesOutOnlyWhatReachedTheShelf) {
    std::string moved = write("Movies/a.mov", "aaaa");
    std::string open = write("Movies/b.mov", "bbbb");
    std::string guarded = write("Archive/c.mov", "cccc");
    std::string empty = write("Movies/d.mov", "");
    holdOpen(open);
    Prefs::setStringList(Prefs::Key::neverTouch, {env.home() + "/Archive"});
    auto model = makeModel();
    PlainQuery query = PlainQuery::parse("videos", currentDate(), QueryCalendar::gregorian());
    model->showSearch(query, {hitFor(moved), hitFor(open), hitFor(guarded), hitFor(empty)});
    for (const auto& hit : *model->searchHits())
        model->toggleSearchPick(hit.url);
    model->toggleSearchPick(URL::fileURL("/tmp/not-a-hit"));

    model->removePickedSearchHits();
    ASSERT_TRUE(waitUntil([&] { return model->searchHits()->size() < 4; }));
    ASSERT_EQ(model->searchHits()->size(), 2u);
    EXPECT_FALSE(fileExists(moved));
    EXPECT_TRUE(fileExists(open));
    EXPECT_TRUE(fileExists(guarded));
    EXPECT_FALSE(fileExists(empty)) << "a picked file of no size moves like any other";
    EXPECT_EQ(model->searchPicks().size(), 3u) << "what stayed is still picked";
    EXPECT_FALSE(model->searchPicks().count(URL::fileURL(moved)));
    EXPECT_EQ(model->shelfError(), std::optional<std::string>("2 files couldn’t be moved."));
    ASSERT_EQ(model->sweeps().size(), 1u);
    EXPECT_EQ(model->sweeps().front().entries.front().label, "a.mov");
}

TEST_F(SearchTest, NeverTouchFoldersNamedThroughALinkOrTheWholeDiskStayOutOfAMove) {
    std::string kept = write("Vault/e.mov", "eeee");
    std::string link = env.home() + "/Linked";
    ASSERT_EQ(symlink((env.home() + "/Vault").c_str(), link.c_str()), 0);
    PlainQuery query = PlainQuery::parse("videos", currentDate(), QueryCalendar::gregorian());
    for (const std::string& entry : {link, std::string("/")}) {
        Prefs::setStringList(Prefs::Key::neverTouch, {entry});
        std::string loose = write("Movies/f.mov", "ffff");
        auto model = makeModel();
        model->showSearch(query, {hitFor(kept), hitFor(loose)});
        for (const auto& hit : *model->searchHits())
            model->toggleSearchPick(hit.url);
        model->removePickedSearchHits();
        ASSERT_TRUE(waitUntil([&] { return model->shelfError().has_value(); })) << entry;
        EXPECT_TRUE(fileExists(kept)) << entry;
        EXPECT_EQ(fileExists(loose), entry == "/") << entry;
    }
}

TEST_F(SearchTest, AFileHeldOpenStaysWhenTheHitReachesItThroughALink) {
    std::string real = write("Clips/g.mov", "gggg");
    std::string link = env.home() + "/Linked";
    ASSERT_EQ(symlink((env.home() + "/Clips").c_str(), link.c_str()), 0);
    holdOpen(URL::fileURL(real).resolvingSymlinks().path());
    auto model = makeModel();
    PlainQuery query = PlainQuery::parse("videos", currentDate(), QueryCalendar::gregorian());
    model->showSearch(query, {hitFor(link + "/g.mov")});
    model->toggleSearchPick(URL::fileURL(link + "/g.mov"));
    model->removePickedSearchHits();
    ASSERT_TRUE(waitUntil([&] { return model->shelfError().has_value(); }));
    EXPECT_TRUE(fileExists(real));
    EXPECT_EQ(*model->shelfError(), "1 file couldn’t be moved.");
}

TEST_F(SearchTest, PhotoSearchLooksInPrivateFoldersOnlyWhenAllowed) {
    std::vector<std::vector<std::string>> seen;
    bool access = false;
    AppModel::Tools recording = tools();
    recording.hasFullDiskAccess = [&access] { return access; };
    recording.findPhotos = [&seen](const std::vector<URL>& folders,
                                   const std::function<void(double)>& progress, const StopToken&) {
        std::vector<std::string> names;
        for (const auto& folder : folders)
            names.push_back(folder.lastPathComponent());
        seen.push_back(names);
        progress(0.5);
        return std::vector<SimilarPhotos::Group>();
    };
    auto model = makeModel(recording);
    model->findSimilarPhotos();
    EXPECT_TRUE(model->findingPhotos());
    model->findSimilarPhotos(); // ignored while the first runs
    ASSERT_TRUE(waitUntil([&] { return !model->findingPhotos(); }));
    access = true;
    model->findSimilarPhotos();
    ASSERT_TRUE(waitUntil([&] { return !model->findingPhotos(); }));

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::vector<std::string>{"Pictures"});
    EXPECT_EQ(seen[1], (std::vector<std::string>{"Pictures", "Desktop", "Downloads", "Documents"}));
    ASSERT_TRUE(model->photoGroups());
    EXPECT_TRUE(model->photoGroups()->empty());
}

TEST_F(SearchTest, MovingPhotosKeepsGroupsWhoseExtrasStayed) {
    std::map<std::string, std::string> photos;
    for (const char* name : {"a1", "a2", "b1", "b2", "b3"})
        photos[name] = write(std::string("Pictures/") + name + ".jpg", std::string(2000, 'p'));
    holdOpen(photos["b2"]);
    SimilarPhotos::Group first{URL::fileURL(photos["a1"]), {URL::fileURL(photos["a2"])}, 2000};
    SimilarPhotos::Group second{
        URL::fileURL(photos["b1"]), {URL::fileURL(photos["b2"]), URL::fileURL(photos["b3"])}, 4000};
    AppModel::Tools found = tools();
    found.findPhotos = [&](const std::vector<URL>&, const std::function<void(double)>&,
                           const StopToken&) {
        return std::vector<SimilarPhotos::Group>{first, second};
    };
    auto model = makeModel(found);
    model->pickAllPhotos(true);
    EXPECT_TRUE(model->photoPicks().empty()) << "nothing to pick before a search";
    model->findSimilarPhotos();
    ASSERT_TRUE(waitUntil([&] { return model->photoGroups().has_value(); }));
    model->pickAllPhotos(true);
    EXPECT_EQ(model->photoPicks().size(), 2u);

    model->removePickedPhotos();
    ASSERT_TRUE(waitUntil([&] { return model->photoGroups()->size() < 2; }));
    ASSERT_EQ(model->photoGroups()->size(), 1u);
    EXPECT_EQ(model->photoGroups()->front().keep, second.keep);
    EXPECT_TRUE(model->photoPicks().empty());
    EXPECT_FALSE(fileExists(photos["a2"]));
    EXPECT_TRUE(fileExists(photos["b2"]));
    EXPECT_TRUE(fileExists(photos["b3"]));
    EXPECT_EQ(model->shelfError(), std::optional<std::string>("2 photos couldn’t be moved."))
        << "both extras of the held-back group stayed";
    EXPECT_EQ(model->sweeps().front().entries.front().label, "Extras of a1.jpg");
}

} // namespace
} // namespace kelvora::testing
