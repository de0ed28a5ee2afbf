#include "app/design/Pictures.h"

#include "design/Fonts.h"
#include "panes/SpaceMapCrumbs.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

using SpaceMapText::Crumb;

std::vector<Crumb> path(const std::vector<std::string>& names) {
    std::vector<Crumb> crumbs;
    std::string folder = "/home/you";
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) folder += "/" + names[i];
        crumbs.push_back({URL::fileURL(folder, true), names[i], i + 1 == names.size()});
    }
    return crumbs;
}

const std::vector<std::string> kDeep{
    "Home",    "Projects",
    "clients", "northwind",
    "2023",    "annual-report",
    "final",   "Photography selects from the spring shoot at the lake house"};

std::vector<std::string> shown(const SpaceMapCrumbs::Layout& layout) {
    std::vector<std::string> labels;
    for (const auto& step : layout.steps)
        labels.push_back(step.label.toStdString());
    return labels;
}

class SpaceMapCrumbsTest : public ::testing::Test {
protected:
    void SetUp() override {
        guiApplication();
        Fonts::registerFonts(KELVORA_FONTS_DIR);
    }
    SpaceMapCrumbs::Style style = SpaceMapCrumbs::Style::standard();
};

// Whatever the width, the bar stays inside it, ends on the folder shown, folds a run of
// folders just below the first into one "…" and cuts names only at their end.
TEST_F(SpaceMapCrumbsTest, TheBarNeverRunsPastItsWidth) {
    for (const auto& names :
         {kDeep, std::vector<std::string>{"Home"}, std::vector<std::string>{"Home", kDeep.back()},
          std::vector<std::string>{"A mapped folder with a long name of its own", "Library",
                                   "Caches"}}) {
        std::vector<Crumb> crumbs = path(names);
        int whole = SpaceMapCrumbs::naturalWidth(crumbs, style);
        for (int width = 0; width <= whole + 20; width += 3) {
            SCOPED_TRACE(names.front() + " " + std::to_string(names.size()) + " at " +
                         std::to_string(width));
            auto layout = SpaceMapCrumbs::layOut(crumbs, width, style);
            ASSERT_FALSE(layout.steps.empty());
            EXPECT_LE(layout.width, width);
            const auto& last = layout.steps.back();
            EXPECT_EQ(last.crumb, crumbs.size() - 1);
            EXPECT_LE(last.left + last.width, width);
            for (size_t i = 1; i < layout.folded.size(); ++i)
                EXPECT_EQ(layout.folded[i], layout.folded[i - 1] + 1);
            for (const auto& step : layout.steps) {
                if (!step.crumb) continue;
                QString name = QString::fromStdString(crumbs[*step.crumb].label);
                // Empty only where not even "…" fits.
                EXPECT_TRUE(step.label == name || (step.label.isEmpty() && width < 20) ||
                            (step.label.endsWith("…") && name.startsWith(step.label.chopped(1))))
                    << "[" << step.label.toStdString() << "] of " << name.toStdString();
            }
        }
    }
}

TEST_F(SpaceMapCrumbsTest, FoldsTheMiddleFirstThenCutsTheNames) {
    std::vector<Crumb> crumbs = path(kDeep);
    int whole = SpaceMapCrumbs::naturalWidth(crumbs, style);
    EXPECT_EQ(shown(SpaceMapCrumbs::layOut(crumbs, whole, style)), kDeep);

    // One point short, the folder below the first goes into "…", which opens it.
    auto fold = SpaceMapCrumbs::layOut(crumbs, whole - 1, style);
    std::vector<std::string> expected = kDeep;
    expected[1] = "…";
    EXPECT_EQ(shown(fold), expected);
    EXPECT_EQ(fold.folded, std::vector<size_t>{1});
    EXPECT_FALSE(fold.steps[1].crumb);

    // The room the smallest window leaves: the first folder, "…" and the folder shown, cut.
    auto small = SpaceMapCrumbs::layOut(crumbs, 230, style);
    ASSERT_EQ(small.steps.size(), 3u);
    EXPECT_EQ(small.steps[0].label, "Home");
    EXPECT_EQ(small.steps[1].label, "…");
    EXPECT_TRUE(small.steps[2].label.startsWith("Photography"));
    EXPECT_TRUE(small.steps[2].label.endsWith("…"));
    EXPECT_EQ(small.folded, (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
    // Each step begins after the chevron before it, with the bar's spacing either side.
    EXPECT_EQ(*small.steps[1].chevronLeft, small.steps[0].width + style.spacing);
    EXPECT_EQ(small.steps[2].left,
              small.steps[1].left + small.steps[1].width + 2 * style.spacing + style.chevron);

    // Too narrow to name the first folder: "…" stands for all of them.
    auto tiny = SpaceMapCrumbs::layOut(crumbs, 90, style);
    ASSERT_EQ(tiny.steps.size(), 2u);
    EXPECT_EQ(tiny.steps[0].label, "…");
    EXPECT_EQ(tiny.folded, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6}));
}

} // namespace
} // namespace kelvora::testing
