#include "panes/SimilarPhotosText.h"

#include "model/Format.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

SimilarPhotos::Group group(const std::string& name, size_t extras, int64_t bytes) {
    SimilarPhotos::Group g{URL::fileURL("/p/" + name + ".jpg"), {}, bytes};
    for (size_t i = 0; i < extras; ++i)
        g.extras.push_back(URL::fileURL("/p/" + name + "-" + std::to_string(i) + ".jpg"));
    return g;
}

TEST(SimilarPhotosTextTest, RowsCountTheirExtras) {
    struct Case {
        size_t extras;
        std::string count;
        std::optional<std::string> overflow;
    };
    for (const Case& c : {Case{1, "1 extra", std::nullopt}, Case{2, "2 extras", std::nullopt},
                          Case{5, "5 extras", std::nullopt}, Case{6, "6 extras", "+1"},
                          Case{12, "12 extras", "+7"}}) {
        EXPECT_EQ(SimilarPhotosText::extras(c.extras), c.count);
        EXPECT_EQ(SimilarPhotosText::overflow(c.extras), c.overflow);
    }
    // Showing a group in the file manager selects every file, not only the five drawn.
    auto nine = group("a", 9, 10);
    auto revealed = SimilarPhotosText::revealed(nine);
    ASSERT_EQ(revealed.size(), 10u);
    EXPECT_EQ(revealed.front(), nine.keep);
    EXPECT_EQ(revealed.back(), nine.extras.back());
}

TEST(SimilarPhotosTextTest, ProgressIsCutTowardZero) {
    EXPECT_EQ(SimilarPhotosText::progress(0.999), "Comparing photos… 99%");
    EXPECT_EQ(SimilarPhotosText::progress(1.0), "Comparing photos… 100%");
    EXPECT_EQ(SimilarPhotosText::progress(0), "Comparing photos… 0%");
}

TEST(SimilarPhotosTextTest, FooterFollowsThePicksAndTheSearch) {
    std::vector<SimilarPhotos::Group> groups{group("a", 1, 3'000'000), group("b", 2, 500'000)};
    struct Case {
        std::unordered_set<URL> picks;
        int days;
        bool finding;
        std::string summary, hold, pick, move;
        bool canPick, canMove;
    };
    const Case cases[] = {
        {{},
         7,
         false,
         "0 of 2 groups picked",
         "Extras wait on the Undo Shelf for 7 days. The kept shot never moves.",
         "Pick all",
         "Move " + Format::size(0) + " of extras",
         true,
         false},
        {{groups[1].keep},
         1,
         false,
         "1 of 2 groups picked",
         "Extras wait on the Undo Shelf for 1 day. The kept shot never moves.",
         "Pick all",
         "Move " + Format::size(500'000) + " of extras",
         true,
         true},
        {{groups[0].keep, groups[1].keep},
         7,
         false,
         "2 of 2 groups picked",
         "Extras wait on the Undo Shelf for 7 days. The kept shot never moves.",
         "Pick none",
         "Move " + Format::size(3'500'000) + " of extras",
         true,
         true},
        // A new search is running: the picks stay on show but nothing can change them.
        {{groups[0].keep},
         7,
         true,
         "1 of 2 groups picked",
         "Extras wait on the Undo Shelf for 7 days. The kept shot never moves.",
         "Pick all",
         "Move " + Format::size(3'000'000) + " of extras",
         false,
         false},
    };
    for (const Case& c : cases) {
        auto footer = SimilarPhotosText::footer(groups, c.picks, c.days, c.finding);
        SCOPED_TRACE(c.summary);
        EXPECT_EQ(footer.summary, c.summary);
        EXPECT_EQ(footer.hold, c.hold);
        EXPECT_EQ(footer.pickTitle, c.pick);
        EXPECT_EQ(footer.picksAll, c.pick == "Pick all");
        EXPECT_EQ(footer.moveTitle, c.move);
        EXPECT_EQ(footer.canPick, c.canPick);
        EXPECT_EQ(footer.canMove, c.canMove);
    }
    auto one = SimilarPhotosText::footer({group("c", 1, 10)}, {URL::fileURL("/p/c.jpg")}, 7, false);
    EXPECT_EQ(one.summary, "1 of 1 group picked");
}

TEST(SimilarPhotosTextTest, ContentFollowsTheSearchAndItsResult) {
    using SimilarPhotosText::Content;
    using Groups = SimilarPhotosText::Groups;
    Groups none, empty{std::vector<SimilarPhotos::Group>{}}, found{{group("a", 1, 1)}};
    struct Case {
        bool finding;
        Groups groups;
        Content content;
        bool lookAgain, footer;
    };
    for (const Case& c : {Case{false, none, Content::intro, false, false},
                          Case{true, none, Content::searching, false, false},
                          Case{false, empty, Content::nothingFound, true, false},
                          Case{false, found, Content::results, true, true},
                          Case{true, found, Content::searching, false, true}}) {
        EXPECT_EQ(SimilarPhotosText::content(c.finding, c.groups), c.content);
        EXPECT_EQ(SimilarPhotosText::showsLookAgain(c.finding, c.groups), c.lookAgain);
        EXPECT_EQ(SimilarPhotosText::showsFooter(c.groups), c.footer);
    }
}

} // namespace
} // namespace kelvora::testing
