#include "app/design/Pictures.h"
#include "app/support/EventLoop.h"

#include "design/DialGeometry.h"
#include "design/DialView.h"
#include "design/Snapshot.h"
#include "design/Theme.h"

#include <QAccessible>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>

namespace kelvora::testing {
namespace {

constexpr int64_t GB = 1'000'000'000;

TEST(DialTest, TicksCountTheDiskInStepsOfTenGigabytes) {
    struct Case {
        int64_t total;
        size_t ticks;
        int major;
        bool lastAtTheEnd;
    };
    const Case cases[] = {
        {494'380'000'000, 50, 10, false}, {500 * GB, 51, 11, true},   {505 * GB, 51, 11, false},
        {10 * GB, 0, 0, false},           {10 * GB + 1, 2, 1, false}, {1000 * GB, 101, 21, true},
    };
    DialGeometry g = DialGeometry::forSize({400, 206});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        auto ticks = Dial::ticks(c.total, g);
        ASSERT_EQ(ticks.size(), c.ticks);
        if (ticks.empty()) continue;
        EXPECT_EQ(std::count_if(ticks.begin(), ticks.end(), [](auto& t) { return t.major; }),
                  c.major);
        EXPECT_EQ(ticks.front().share, 0);
        EXPECT_EQ(ticks.back().share == 1.0, c.lastAtTheEnd);
        EXPECT_GT(ticks.back().share, 0.99);
    }
    auto ticks = Dial::ticks(500 * GB, DialGeometry::forSize({200, 103}));
    EXPECT_NEAR(QLineF(ticks[0].inner, ticks[0].outer).length(), 13 * 0.5, 1e-9);
    EXPECT_NEAR(QLineF(ticks[1].inner, ticks[1].outer).length(), 7 * 0.5, 1e-9);
    EXPECT_NEAR(ticks[0].width, 2.2 * 0.8, 1e-9) << "line widths stop shrinking below 0.8";
    EXPECT_NEAR(QLineF(QPointF(100, 102.5), ticks[5].outer).length(), (170 + 26) * 0.5, 1e-9);
}

TEST(DialTest, SharesMapOntoTheUpperHalfAndAreHeldToItsEnds) {
    DialGeometry g = DialGeometry::forSize({400, 206});
    EXPECT_EQ(g.center, QPointF(200, 205));
    struct Case {
        double share;
        QPointF needleEnd;
    };
    const double length = 149.6;
    const Case cases[] = {
        {-0.4, {200 - length, 205}}, {0, {200 - length, 205}},   {0.5, {200, 205 - length}},
        {1, {200 + length, 205}},    {1.3, {200 + length, 205}},
    };
    for (const Case& c : cases) {
        QPointF end = Dial::needle(c.share, g).currentPosition();
        EXPECT_NEAR(end.x(), c.needleEnd.x(), 1e-9) << c.share;
        EXPECT_NEAR(end.y(), c.needleEnd.y(), 1e-9) << c.share;
    }
    EXPECT_TRUE(Dial::arc(0.6, 0.6, g).isEmpty());
    EXPECT_TRUE(Dial::arc(0.7, 0.2, g).isEmpty());
    QPainterPath full = Dial::arc(-0.5, 1.3, g);
    EXPECT_NEAR(full.pointAtPercent(0).x(), 30, 1e-6);
    EXPECT_NEAR(full.pointAtPercent(0.5).y(), 35, 0.01) << "over the top";
    EXPECT_NEAR(full.pointAtPercent(1).x(), 370, 1e-6);

    QRectF wide = DialGeometry::fittedBox(QRectF(0, 0, 1000, 215));
    EXPECT_EQ(wide, QRectF(300, 0, 400, 206)) << "kept in ratio and centred";
}

TEST(DialTest, ItReadsAsWholePercentsUsedNowAndAfterCleaning) {
    EXPECT_EQ(Dial::accessibleValue(0.873, 0.851),
              "87 percent used now, 85 percent after cleaning");
    EXPECT_EQ(Dial::accessibleValue(0.617, 0.4999),
              "61 percent used now, 49 percent after cleaning");
    EXPECT_EQ(Dial::accessibleValue(0.29, 0.29), "29 percent used now, 29 percent after cleaning");
    KELVORA_REQUIRE_GUI();
    DialView dial;
    dial.setValues(0.873, 0.851, 494 * GB);
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&dial);
    ASSERT_TRUE(spoken);
    EXPECT_EQ(spoken->text(QAccessible::Name), "Disk dial");
    EXPECT_EQ(spoken->text(QAccessible::Value), "87 percent used now, 85 percent after cleaning");
    EXPECT_EQ(spoken->childCount(), 0);
}

// Whether the needle stands straight up, where a half-full disk puts it.
bool needleUp(DialView& dial) {
    QImage image = Render::widget(dial, dial.size());
    QRectF box = DialGeometry::fittedBox(dial.rect());
    DialGeometry g = DialGeometry::forSize(box.size());
    QPointF p = g.point(0.5, g.radius * 0.5) + box.topLeft();
    return near(at(image, p.x(), p.y()), Theme::ink(), 40);
}

TEST(DialTest, ItSweepsUpWhenShownUnlessStillOrAskedNotToMove) {
    KELVORA_REQUIRE_GUI();
    Theme::Scope light(Appearance::light);
    DialView live;
    live.setValues(0.5, 0.5, 500 * GB);
    live.resize(400, 215);
    live.show();
    EXPECT_FALSE(needleUp(live)) << "it starts from the left end";
    EXPECT_TRUE(waitUntil([&] { return needleUp(live); }, std::chrono::seconds(4)));
    live.setValues(0.9, 0.5, 500 * GB);
    EXPECT_TRUE(needleUp(live)) << "a new value swings, it does not jump";
    EXPECT_TRUE(waitUntil([&] { return !needleUp(live); }, std::chrono::seconds(3)));

    setenv("KELVORA_REDUCE_MOTION", "1", 1);
    DialView reduced;
    reduced.setValues(0.5, 0.5, 500 * GB);
    reduced.resize(400, 215);
    reduced.show();
    EXPECT_TRUE(needleUp(reduced));
    unsetenv("KELVORA_REDUCE_MOTION");

    QWidget root;
    Snapshot::setSnapshot(&root, true);
    auto* still = new DialView(&root);
    still->setValues(0.5, 0.5, 500 * GB);
    still->resize(400, 215);
    root.show();
    EXPECT_TRUE(needleUp(*still));
}

} // namespace
} // namespace kelvora::testing
