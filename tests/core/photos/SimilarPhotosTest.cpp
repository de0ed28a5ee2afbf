#include "photos/SimilarPhotos.h"

#include "platform/Iso8601.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <unistd.h>

namespace kelvora {
namespace {

using SimilarPhotos::FeaturePrint;
using SimilarPhotos::Group;
using testing::TempDir;

Date at(const std::string& text) {
    return *parseIso8601(text);
}

// Photos on disk whose prints and pixel counts the test chooses.
struct PhotoSet {
    TempDir dir;
    std::map<std::string, FeaturePrint> prints;
    std::map<std::string, int64_t> pixels;
    std::vector<URL> urls;

    URL add(const std::string& name, std::optional<float> print, size_t bytes = 5000,
            int64_t pixelCount = 100, const std::string& modified = "2025-01-01T00:00:00Z") {
        std::string path = dir.write(name, std::string(bytes, 'p'));
        setModificationDate(path, at(modified));
        if (print) prints[path] = FeaturePrint{{*print, 0.0f}};
        pixels[path] = pixelCount;
        urls.push_back(URL::fileURL(path));
        return urls.back();
    }

    SimilarPhotos::Printer printer() const {
        return {[this](const URL& url) -> std::optional<FeaturePrint> {
                    auto it = prints.find(url.path());
                    if (it == prints.end()) return std::nullopt;
                    return it->second;
                },
                [this](const URL& url) {
                    auto it = pixels.find(url.path());
                    return it == pixels.end() ? int64_t{0} : it->second;
                }};
    }

    std::vector<Group> find(std::vector<double>* progress = nullptr) {
        sync();
        std::mutex lock;
        return SimilarPhotos::find(urls, printer(), [&](double value) {
            std::lock_guard<std::mutex> guard(lock);
            if (progress) progress->push_back(value);
        });
    }
};

std::vector<std::string> names(const std::vector<URL>& urls) {
    std::vector<std::string> out;
    for (const auto& url : urls)
        out.push_back(url.lastPathComponent());
    return out;
}

TEST(SimilarPhotos, PrintDistanceIsEuclideanBetweenLikePrints) {
    FeaturePrint origin{{0, 0}}, point{{3, 4}}, longer{{1, 2, 3}};
    EXPECT_FLOAT_EQ(*origin.distance(point), 5.0f);
    EXPECT_FALSE(origin.distance(longer));
    EXPECT_FALSE(FeaturePrint().distance(FeaturePrint()));
}

TEST(SimilarPhotos, NoPhotosGiveNoGroupsAndOneProgress) {
    PhotoSet set;
    std::vector<double> progress;
    EXPECT_TRUE(set.find(&progress).empty());
    EXPECT_EQ(progress, std::vector<double>{1.0});
}

TEST(SimilarPhotos, ChainsJoinAndUnprintablePhotosBreakNothing) {
    PhotoSet set;
    set.add("a.jpg", 0.0f);
    set.add("broken.jpg", std::nullopt);
    set.add("b.jpg", 0.2f);
    set.add("c.jpg", 0.4f); // 0.4 from a: joined only through b
    set.add("far.jpg", 5.0f);
    std::vector<double> progress;
    std::vector<Group> groups = set.find(&progress);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].extras.size() + 1, 3u);
    std::vector<std::string> members = names(groups[0].extras);
    members.push_back(groups[0].keep.lastPathComponent());
    std::sort(members.begin(), members.end());
    EXPECT_EQ(members, (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(progress, std::vector<double>{1.0});
}

TEST(SimilarPhotos, OnlyTheNext24PhotosAreCompared) {
    PhotoSet set;
    set.add("first.jpg", 0.0f);
    for (int i = 1; i < 24; ++i)
        set.add("filler" + std::to_string(i) + ".jpg", 10.0f * i);
    set.add("twin24.jpg", 0.0f); // 24 places on: within the window
    set.add("twin25.jpg", 1000.0f);
    for (int i = 26; i < 50; ++i)
        set.add("filler" + std::to_string(i) + ".jpg", 10.0f * i);
    set.add("twin-of-25.jpg", 1000.0f); // 25 places after twin25: never compared
    std::vector<Group> groups = set.find();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].keep.lastPathComponent(), "first.jpg");
    EXPECT_EQ(names(groups[0].extras), std::vector<std::string>{"twin24.jpg"});
}

TEST(SimilarPhotos, KeepsTheBestShot) {
    PhotoSet pixels;
    pixels.add("small.jpg", 0.0f, 9000, 100);
    pixels.add("sharp.jpg", 0.0f, 5000, 400);
    EXPECT_EQ(pixels.find()[0].keep.lastPathComponent(), "sharp.jpg");

    PhotoSet size;
    size.add("light.jpg", 0.0f, 5000);
    size.add("heavy.jpg", 0.0f, 9000);
    EXPECT_EQ(size.find()[0].keep.lastPathComponent(), "heavy.jpg");

    PhotoSet dates;
    dates.add("old.jpg", 0.0f, 5000, 100, "2024-01-01T00:00:00Z");
    dates.add("new.jpg", 0.0f, 5000, 100, "2025-01-01T00:00:00Z");
    EXPECT_EQ(dates.find()[0].keep.lastPathComponent(), "new.jpg");

    PhotoSet tie;
    tie.add("z-first.jpg", 0.0f);
    tie.add("a-second.jpg", 0.0f);
    tie.add("m-third.jpg", 0.1f);
    std::vector<Group> groups = tie.find();
    EXPECT_EQ(groups[0].keep.lastPathComponent(), "z-first.jpg");
    EXPECT_EQ(names(groups[0].extras), (std::vector<std::string>{"a-second.jpg", "m-third.jpg"}));
    EXPECT_EQ(SimilarPhotos::items(groups)[0].location, groups[0].extras[0]);
}

TEST(SimilarPhotos, GroupsAreSizedAndThoseFreeingNothingDropped) {
    PhotoSet set;
    set.add("keep.jpg", 0.0f, 50'000);
    set.add("copy.jpg", 0.0f, 20'000);
    set.add("empty-keep.jpg", 3.0f, 10);
    set.add("empty.jpg", 3.0f, 0);
    set.add("big-keep.png", 7.0f, 200'000, 900);
    set.add("big-copy.png", 7.0f, 150'000, 100);
    std::vector<Group> groups = set.find();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].keep.lastPathComponent(), "big-keep.png");
    EXPECT_EQ(groups[0].bytes, fileInfo(set.dir / "big-copy.png")->allocatedSize);
    EXPECT_EQ(groups[1].keep.lastPathComponent(), "keep.jpg");
}

TEST(SimilarPhotos, ProgressEvery50Prints) {
    PhotoSet set;
    for (int i = 0; i < 120; ++i)
        set.add(std::to_string(i) + ".jpg", 10.0f * i, 1);
    std::vector<double> progress;
    set.find(&progress);
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_EQ(progress.back(), 1.0);
    std::vector<double> workers(progress.begin(), progress.end() - 1);
    std::sort(workers.begin(), workers.end());
    EXPECT_DOUBLE_EQ(workers[0], 50.0 / 120);
    EXPECT_DOUBLE_EQ(workers[1], 100.0 / 120);
}

TEST(SimilarPhotos, APhotoListedTwiceIsNotItsOwnCopy) {
    PhotoSet set;
    URL only = set.add("only.jpg", 0.0f);
    set.urls.push_back(only);
    EXPECT_TRUE(set.find().empty());
}

TEST(SimilarPhotos, ListsCandidatePhotosNewestFirst) {
    TempDir dir;
    auto photo = [&](const std::string& name, size_t bytes, const std::string& modified) {
        setModificationDate(dir.write(name, std::string(bytes, 'j')), at(modified));
    };
    photo("Pictures/a.JPG", 2000, "2025-03-01T00:00:00Z");
    photo("Pictures/b.heic", 2000, "2025-05-01T00:00:00Z");
    photo("Pictures/exact.png", 1000, "2025-04-01T00:00:00Z");
    photo("Pictures/small.png", 999, "2025-06-01T00:00:00Z");
    photo("Pictures/anim.gif", 2000, "2025-06-01T00:00:00Z");
    photo("Pictures/scan.tiff", 2000, "2025-06-01T00:00:00Z");
    photo("Pictures/Build/kept.jpg", 2000, "2025-02-01T00:00:00Z");
    photo("Desktop/c.jpeg", 2000, "2025-01-01T00:00:00Z");
    for (const char* skipped : {"Pictures/build/x.jpg", "Pictures/Pods/x.jpg",
                                "Pictures/node_modules/x.jpg", "Pictures/.cache/x.jpg",
                                "Pictures/Lib.photoslibrary/originals/x.jpg", "Pictures/.dot.jpg"})
        photo(skipped, 2000, "2026-01-01T00:00:00Z");
    symlink((dir / "Pictures/a.JPG").c_str(), (dir / "Pictures/link.jpg").c_str());

    std::vector<URL> folders = {URL::fileURL(dir / "Pictures", true),
                                URL::fileURL(dir / "Desktop", true),
                                URL::fileURL(dir / "Missing", true)};
    EXPECT_EQ(names(SimilarPhotos::photos(folders, 1000, 5000)),
              (std::vector<std::string>{"b.heic", "exact.png", "a.JPG", "kept.jpg", "c.jpeg"}));
    // A folder inside another is walked twice, its photos listed once.
    folders.push_back(URL::fileURL(dir / "Pictures/Build", true));
    EXPECT_EQ(names(SimilarPhotos::photos(folders, 1000, 5000)).size(), 5u);
    EXPECT_EQ(names(SimilarPhotos::photos(folders, 1000, 2)),
              (std::vector<std::string>{"b.heic", "exact.png"}));
}

// A data folder set inside Pictures puts the Undo Shelf there: a shelved photo is the
// user's put aside, and grouped with its original it could be kept while the original goes.
TEST(SimilarPhotos, OurOwnDataFolderIsNeverWalked) {
    TempDir dir;
    dir.write("Pictures/beach.jpg", std::string(2000, 'b'));
    dir.write("Pictures/app data/Kelvora/Undo Shelf/c/items/1-1-beach.jpg", std::string(2000, 'b'));
    ASSERT_EQ(symlink((dir / "Pictures/app data").c_str(), (dir / "data").c_str()), 0);
    const URL ownData = URL::fileURL(dir / "data/Kelvora", true); // named through a link
    EXPECT_EQ(
        names(SimilarPhotos::photos({URL::fileURL(dir / "Pictures", true)}, 1000, 5000, {ownData})),
        std::vector<std::string>{"beach.jpg"});
    EXPECT_TRUE(SimilarPhotos::photos({ownData}, 1000, 5000, {ownData}).empty());
}

TEST(SimilarPhotos, ItemsNeverShelveEveryCopy) {
    TempDir dir;
    URL keep = URL::fileURL(dir.write("keep.jpg"));
    URL b = URL::fileURL(dir.write("b.jpg")), a = URL::fileURL(dir.write("a.jpg"));
    Group good{keep, {a, b}, 8192};
    Group noExtras{URL::fileURL(dir.write("alone.jpg")), {}, 0};
    Group keptGone{URL::fileURL(dir / "vanished.jpg"), {a}, 4096};
    Group onlyItself{keep, {keep}, 4096};

    std::vector<ScanItem> items = SimilarPhotos::items({noExtras, good, keptGone, onlyItself});
    ASSERT_EQ(items.size(), 1u);
    const ScanItem& item = items[0];
    EXPECT_EQ(item.kind, JunkKind::photos);
    EXPECT_EQ(item.location, a);
    EXPECT_EQ(item.targets, (std::vector<URL>{a, b}));
    EXPECT_EQ(item.bytes, 8192);
    EXPECT_EQ(item.baseVerdict, Verdict::youDecide);
    EXPECT_EQ(*item.photo(), (ScanItem::PhotoInfo{"keep.jpg", 2, 0, keep}));
    EXPECT_FALSE(item.inUseBy || item.lockedReason || item.action || item.largeFile());
}

} // namespace
} // namespace kelvora
