#include "panes/SpaceMapText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace kelvora::testing {
namespace {

std::vector<std::string> labels(const std::vector<SpaceMapText::Crumb>& crumbs) {
    std::vector<std::string> result;
    for (const auto& crumb : crumbs)
        result.push_back(crumb.label);
    return result;
}

SpaceMap::Entry entry(const std::string& name, std::optional<int64_t> bytes) {
    return {URL::fileURL("/data/" + name), name, bytes, !bytes};
}

// A home folder reached through a link, as a home on another disk often is.
struct LinkedHome {
    TempDir dir;
    URL real = URL::fileURL(dir.mkdir("disk/alice"), true);
    URL link = URL::fileURL(dir / "alice", true);
    LinkedHome() {
        dir.mkdir("disk/alice/Library/Caches");
        EXPECT_EQ(symlink(real.path().c_str(), link.path().c_str()), 0);
    }
};

TEST(SpaceMapTextTest, PathBarRunsFromTheRootDownToTheFolderShown) {
    LinkedHome home;
    URL root = home.real; // a map's root is stored resolved
    URL library = home.link.appending("Library", true);

    auto atRoot = SpaceMapText::breadcrumb(root, home.link, home.link);
    EXPECT_EQ(labels(atRoot), std::vector<std::string>{"Home"});
    EXPECT_TRUE(atRoot[0].current);
    EXPECT_FALSE(SpaceMapText::showsBack(root, home.link)); // the same folder through its link

    auto inside = SpaceMapText::breadcrumb(root, library.appending("Caches", true), home.link);
    EXPECT_EQ(labels(inside), (std::vector<std::string>{"Home", "Library", "Caches"}));
    EXPECT_FALSE(inside[0].current);
    EXPECT_FALSE(inside[1].current);
    EXPECT_TRUE(inside[2].current);
    EXPECT_EQ(inside[1].url.path(), home.real.path() + "/Library");
    EXPECT_TRUE(SpaceMapText::showsBack(root, library));
    EXPECT_EQ(SpaceMapText::backTarget(library).path(), home.link.path());

    // Another folder as root is named by its name; a folder above the root starts the bar.
    URL caches = home.real.appending("Library", true).appending("Caches", true);
    EXPECT_EQ(labels(SpaceMapText::breadcrumb(caches, caches, home.link)),
              std::vector<std::string>{"Caches"});
    EXPECT_EQ(labels(SpaceMapText::breadcrumb(caches, home.real, home.link)),
              std::vector<std::string>{"Home"});
    EXPECT_EQ(SpaceMapText::rootName(URL::fileURL("/"), home.link), "/");
}

TEST(SpaceMapTextTest, PrivateChildrenAreNamedSixAtMost) {
    struct Case {
        int privateCount;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {1, "Closed to Kelvora, not measured: p0"},
        {6, "Closed to Kelvora, not measured: p0, p1, p2, p3, p4, p5"},
        {8, "Closed to Kelvora, not measured: p0, p1, p2, p3, p4, p5 and 2 more"},
    };
    for (const Case& c : cases) {
        std::vector<SpaceMap::Entry> children{entry("measured", 10), entry("empty", 0)};
        for (int i = 0; i < c.privateCount; ++i)
            children.push_back(entry("p" + std::to_string(i), std::nullopt));
        EXPECT_EQ(SpaceMapText::privateLine(children), c.line) << c.privateCount;
        // Tiles take only what has a size of a byte or more.
        auto measured = SpaceMapText::measured(children);
        ASSERT_EQ(measured.size(), 1u);
        EXPECT_EQ(measured[0].name, "measured");
    }
}

TEST(SpaceMapTextTest, ShareOfTheFolderRoundsHalfAwayFromZero) {
    struct Case {
        int64_t bytes;
        std::optional<int64_t> folder;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {1, 300, "0% of this folder"},   {300, 300, "100% of this folder"},
        {1, 200, "1% of this folder"},   {249, 1000, "25% of this folder"},
        {5, std::nullopt, std::nullopt}, {5, 0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpaceMapText::shareText(c.bytes, c.folder), c.text) << c.bytes;
}

TEST(SpaceMapTextTest, InspectionShowsTheItemAsTheUserReadsIt) {
    URL home = URL::fileURL("/home/alice", true);
    struct Case {
        std::string path;
        std::string shown;
    };
    for (const Case& c : {Case{"/private/var/folders/x/y", "/var/folders/x/y"},
                          Case{"/home/alice/Movies", "~/Movies"},
                          Case{"/home/alice2/Movies", "/home/alice2/Movies"}})
        EXPECT_EQ(SpaceMapText::displayPath(URL::fileURL(c.path), home), c.shown);

    std::vector<SpaceMap::Entry> siblings{entry("Movies", 600), entry("Secret", std::nullopt)};
    EXPECT_FALSE(SpaceMapText::selectedEntry(URL::fileURL("/data/Gone"), siblings));
    auto secret = SpaceMapText::selectedEntry(URL::fileURL("/data/Secret"), siblings);
    ASSERT_TRUE(secret);
    auto unsized = SpaceMapText::inspect(*secret, 1200, home,
                                         [](const std::string&) { return std::optional<URL>(); });
    EXPECT_FALSE(unsized.size);
    EXPECT_FALSE(unsized.share);

    auto movies = SpaceMapText::inspect(siblings[0], 1200, home,
                                        [](const std::string&) { return std::optional<URL>(); });
    ASSERT_TRUE(movies.size);
    EXPECT_EQ(movies.size->number + " " + movies.size->unit, Format::size(600));
    EXPECT_EQ(movies.share, "50% of this folder");
    EXPECT_EQ(movies.path, "/data/Movies");

    EXPECT_EQ(SpaceMapText::advice(FolderGuide::Advice::clearable).text,
              "Kelvora can clear this, and it comes back");
    EXPECT_EQ(SpaceMapText::advice(FolderGuide::Advice::yours).symbol, "person");
    EXPECT_EQ(SpaceMapText::advice(FolderGuide::Advice::leaveIt).text, "Best left alone");
}

} // namespace
} // namespace kelvora::testing
