#include "app/design/Pictures.h"
#include "app/support/EventLoop.h"

#include "design/Caption.h"
#include "design/ForecastLine.h"
#include "design/Motion.h"
#include "design/RollingNumber.h"
#include "design/RowStack.h"
#include "design/Scrolling.h"
#include "design/Snapshot.h"
#include "design/Theme.h"

#include <QFont>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace kelvora::testing {
namespace {

class Ground : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Theme::ground()); }
};

// Paints each row's text in ink on a 20 px row and notes which rows it was asked for.
class CountingDelegate : public QStyledItemDelegate {
public:
    mutable std::set<int> painted;
    mutable std::set<int> measured;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painted.insert(index.row());
        painter->setPen(Theme::ink());
        painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        measured.insert(index.row());
        return {200, 20};
    }
};

// A pane holding 500 rows in a RowStack inside Scrolling.
struct LongPane {
    Ground root;
    QStringListModel model;
    CountingDelegate delegate;
    RowStack* rows = new RowStack;
    Scrolling* scrolling;

    explicit LongPane(bool picture) {
        QStringList texts;
        for (int i = 0; i < 500; ++i)
            texts << QString("Row %1").arg(i);
        model.setStringList(texts);
        rows->setModel(&model);
        rows->setItemDelegate(&delegate);
        scrolling = new Scrolling(rows);
        (new QVBoxLayout(&root))->addWidget(scrolling);
        root.layout()->setContentsMargins(0, 0, 0, 0);
        if (picture) Snapshot::setSnapshot(&root, true);
    }
};

TEST(ContainersTest, SnapshotIsReadUpTheTreeAndFallsBackToTheProcessDefault) {
    KELVORA_REQUIRE_GUI();
    QWidget root, orphan;
    auto* child = new QWidget(&root);
    auto* grandchild = new QWidget(child);
    EXPECT_FALSE(Snapshot::isSnapshot(grandchild));
    Snapshot::setSnapshot(&root, true);
    EXPECT_TRUE(Snapshot::isSnapshot(grandchild));
    Snapshot::setSnapshot(child, false);
    EXPECT_FALSE(Snapshot::isSnapshot(grandchild)) << "the nearest setting decides";
    Snapshot::setProcessDefault(true);
    EXPECT_TRUE(Snapshot::isSnapshot(&orphan));
    EXPECT_FALSE(Snapshot::isSnapshot(grandchild));
    Snapshot::setProcessDefault(false);
    EXPECT_FALSE(Snapshot::isSnapshot(&orphan));
}

TEST(ContainersTest, RowsScrollAndDrawOnlyWhatIsInViewButAPictureLaysOutEveryRow) {
    KELVORA_REQUIRE_GUI();
    LongPane live(false);
    QImage window = Render::widget(live.root, QSize(300, 200));
    ASSERT_TRUE(live.scrolling->scrollArea());
    EXPECT_LE(live.rows->height(), 200);
    EXPECT_FALSE(live.delegate.painted.empty());
    EXPECT_LE(*live.delegate.painted.rbegin(), 10) << "only the rows in view are drawn";
    EXPECT_TRUE(near(at(window, 150, 10), Theme::ground())) << "the pane shows through";

    LongPane still(true);
    QImage picture = Render::widget(still.root, QSize(300, 200));
    keepPicture(picture, "rows-in-a-picture");
    EXPECT_FALSE(still.scrolling->scrollArea());
    EXPECT_EQ(still.rows->height(), 500 * 20) << "every row laid out";
    EXPECT_EQ(still.delegate.measured.size(), 500u);
    EXPECT_EQ(still.rows->mapTo(&still.root, QPoint()), QPoint(0, 0)) << "shown from the top";
    EXPECT_TRUE(near(at(picture, 150, 10), Theme::ground())) << "the pane shows through";
    EXPECT_GT(countNear(picture, QRectF(0, 0, 60, 20), Theme::ink(), 60), 10) << "Row 0";
    EXPECT_GT(countNear(picture, QRectF(0, 180, 60, 20), Theme::ink(), 60), 10) << "Row 9";
}

// A tall page in a short pane scrolls under the thin scroller: the page keeps the pane's
// whole width, the scroller shows while the page moves and goes when it rests, and the
// page follows the wheel, a drag of the thumb and a click beside it.
TEST(ContainersTest, AThinScrollerShowsWhileThePageMovesAndScrollsByTheMouse) {
    KELVORA_REQUIRE_GUI();
    qputenv("KELVORA_REDUCE_MOTION", "1");
    Ground root;
    auto* page = new QWidget;
    page->setMinimumHeight(1030);
    (new QVBoxLayout(&root))->addWidget(new Scrolling(page));
    root.layout()->setContentsMargins(0, 0, 0, 0);
    root.resize(300, 206);
    root.setAttribute(Qt::WA_DontShowOnScreen);
    root.show();
    settle(std::chrono::milliseconds(20));

    auto* area = root.findChild<QScrollArea*>();
    ThinScroller* scroller = ThinScroller::of(area);
    ASSERT_TRUE(scroller);
    QScrollBar* bar = area->verticalScrollBar();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(page->width(), 300) << "no scroll bar takes width";
    EXPECT_EQ(bar->maximum(), 824);
    EXPECT_TRUE(scroller->isShowing()) << "shown with the pane, to say it scrolls";
    EXPECT_EQ(scroller->geometry(), QRect(288, 0, 12, 206));
    const QRectF thumb = ThinScroller::thumb(QRectF(scroller->rect()), 0, 824, 206, 0, false);
    EXPECT_EQ(thumb, QRectF(3, 3, 6, 40)) << "as long as the page is to the content";
    ASSERT_TRUE(waitUntil([&] { return !scroller->isShowing(); }, std::chrono::seconds(3)))
        << "and gone once the page rests";

    QWheelEvent wheel(QPointF(100, 100), QPointF(100, 100), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(area->viewport(), &wheel);
    EXPECT_GT(bar->value(), 0);
    EXPECT_TRUE(scroller->isShowing());

    bar->setValue(0);
    const QPoint grip = thumb.center().toPoint();
    QTest::mousePress(scroller, Qt::LeftButton, {}, grip);
    QTest::mouseMove(scroller, grip + QPoint(0, 40));
    QTest::mouseRelease(scroller, Qt::LeftButton, {}, grip + QPoint(0, 40));
    EXPECT_EQ(bar->value(), 824 * 40 / 160) << "the page follows the thumb";
    const int before = bar->value();
    QTest::mouseClick(scroller, Qt::LeftButton, {}, QPoint(8, 200));
    EXPECT_EQ(bar->value(), before + bar->pageStep()) << "a click below the thumb pages down";

    page->setMinimumHeight(100);
    settle(std::chrono::milliseconds(20));
    EXPECT_FALSE(scroller->isShowing()) << "nothing to scroll, nothing shown";
    qunsetenv("KELVORA_REDUCE_MOTION");
}

TEST(ContainersTest, ForecastLineWarnsOnlyOfANearlyFullDisk) {
    KELVORA_REQUIRE_GUI();
    struct Case {
        std::optional<double> days;
        bool shown;
        QFont::Weight weight;
        Token color;
        QString ending;
    };
    const Case cases[] = {
        {std::nullopt, false, {}, {}, {}},
        {180.0, false, {}, {}, {}},
        {400.0, false, {}, {}, {}},
        {179.9, true, QFont::Normal, Token::muted, "in about 6 months."},
        {30.0, true, QFont::Normal, Token::muted, "in about 4 weeks."},
        {29.9, true, QFont::DemiBold, Token::ink, "in about 4 weeks."},
        {1.2, true, QFont::DemiBold, Token::ink, "in about a day."},
    };
    Ground pane;
    auto* layout = new QVBoxLayout(&pane);
    auto* line = new ForecastLine(std::nullopt, 13);
    layout->addWidget(line);
    for (const Case& c : cases) {
        line->setDays(c.days);
        SCOPED_TRACE(c.days ? *c.days : -1);
        EXPECT_EQ(ForecastLine::isShown(c.days), c.shown);
        EXPECT_EQ(line->isHidden(), !c.shown) << "a hidden line takes no space";
        if (!c.shown) continue;
        EXPECT_TRUE(ForecastLine::title(*c.days).startsWith("At this rate, your disk is full "));
        EXPECT_TRUE(ForecastLine::title(*c.days).endsWith(c.ending));
        EXPECT_EQ(ForecastLine::font(*c.days, 13).weight(), c.weight);
        EXPECT_EQ(ForecastLine::color(*c.days), Theme::color(c.color));
    }
    EXPECT_EQ(Caption::shown("Left alone"), "LEFT ALONE");
}

TEST(ContainersTest, ASpringSettlesAndANumberRollsOnlyWhenItMay) {
    KELVORA_REQUIRE_GUI();
    Motion::Spring spring = RollingNumber::kSpring;
    EXPECT_EQ(spring.value(0), 0);
    double peak = 0;
    for (double t = 0; t < spring.settleTime(); t += 0.005)
        peak = std::max(peak, spring.value(t));
    EXPECT_LT(peak, 1.02) << "a damping of 0.85 barely overshoots";
    EXPECT_NEAR(spring.value(spring.settleTime()), 1, 0.001);
    EXPECT_LT(spring.settleTime(), 1.0);

    Ground view;
    view.resize(120, 40);
    view.show();
    RollingNumber number(&view);
    number.setValue("12.4");
    EXPECT_FALSE(number.isRolling()) << "the first value just appears";
    number.setValue("12.9");
    EXPECT_TRUE(number.isRolling());
    EXPECT_TRUE(waitUntil([&] { return !number.isRolling(); }, std::chrono::seconds(3)));
    number.setValue("12.9");
    EXPECT_FALSE(number.isRolling()) << "only a change of the string rolls";

    setenv("KELVORA_REDUCE_MOTION", "1", 1);
    number.setValue("13.0");
    EXPECT_FALSE(number.isRolling());
    unsetenv("KELVORA_REDUCE_MOTION");
    Snapshot::setSnapshot(&view, true);
    number.setValue("13.1");
    EXPECT_FALSE(number.isRolling());
}

} // namespace
} // namespace kelvora::testing
