#include "app/design/Pictures.h"
#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/RowStack.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/SearchParts.h"
#include "panes/SearchResults.h"
#include "panes/SearchText.h"
#include "panes/SearchView.h"
#include "search/QueryCalendar.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

TEST(SearchTextTest, TheFieldAndTheExamplesInviteAPhrase) {
    EXPECT_EQ(SearchText::kPlaceholder, "Try “videos over 1 GB from last year”");
    EXPECT_EQ(SearchText::examples(),
              (QStringList{"videos over 1 GB", "screenshots older than 3 months",
                           "installers in Downloads", "photos from last year in Desktop",
                           "zips not opened in a year", "pdfs bigger than 50 MB"}));
    EXPECT_EQ(SearchText::countLine(120, 0), "120 found · 0 picked");
    EXPECT_EQ(SearchText::moveTitle(0), "Move 0 KB to the Undo Shelf");
    EXPECT_EQ(SearchText::holdLine(7), "Picked files wait on the Undo Shelf for 7 days.");
}

TEST(SearchTextTest, AHitSaysWhereItLiesAndWhenItChanged) {
    const std::string home = "/home/me";
    struct Case {
        const char* path;
        const char* folder;
    } cases[] = {
        {"/home/me/notes.txt", "~"},
        {"/home/me/Documents/Taxes/2024.pdf", "~/Documents/Taxes"},
        {"/private/var/folders/xy/T/big.zip", "/var/folders/xy/T"},
        {"/home/meg/film.mov", "/home/meg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SearchText::folderText(URL::fileURL(c.path), home), c.folder) << c.path;
    Date now = currentDate();
    EXPECT_EQ(SearchText::dateText(std::nullopt, now), "");
    EXPECT_EQ(SearchText::dateText(addSeconds(now, -90000), now), " · changed yesterday");
}

TEST(SearchTextTest, ExamplesStayOnOneRowWhenTheyFitAndElseBreakAfterTheThird) {
    using Rows = std::vector<std::vector<int>>;
    std::vector<qreal> six(6, 100);
    EXPECT_EQ(SearchText::exampleRows(six, 6, 630), (Rows{{0, 1, 2, 3, 4, 5}}));
    EXPECT_EQ(SearchText::exampleRows(six, 6, 629), (Rows{{0, 1, 2}, {3, 4, 5}}));
    EXPECT_EQ(SearchText::exampleRows({300, 300}, 6, 100), (Rows{{0, 1}}));
}

// A search pane over a demo controller.
struct SearchPaneTest : ::testing::Test {
    SearchPaneTest() {
        Render::application();
        Fonts::registerFonts(KELVORA_FONTS_DIR);
    }
    IsolatedHome env;
    AppModel model{ScanResult{}, AppModel::ViewMode::detailed,
                   UndoShelf(URL::fileURL(env.data() + "/shelf", true), 7), std::nullopt};

    std::vector<PlainQuery::Hit> hits() {
        Date now = currentDate();
        return {{URL::fileURL(env.home() + "/Movies/Trip to the coast.mov"), 4'200'000'000,
                 addSeconds(now, -90000)},
                {URL::fileURL(env.home() + "/Recording.mov"), 1'800'000'000, std::nullopt},
                {URL::fileURL("/private/var/tmp/Screen capture.mov"), 1'100'000'000,
                 addSeconds(now, -86400 * 21 - 3600)}};
    }
    PlainQuery query() {
        return PlainQuery::parse("videos over 1 GB", currentDate(), QueryCalendar::gregorian());
    }
    QImage render(SearchView& pane, const char* name) {
        Snapshot::setSnapshot(&pane, true);
        QImage image = Render::widget(pane, QSize(900, 640));
        keepPicture(image, name);
        return image;
    }
};

TEST_F(SearchPaneTest, BeforeASearchTheExamplesAndTheIntroShow) {
    KELVORA_REQUIRE_GUI();
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        SearchView pane(model);
        bool isLight = appearance == Appearance::light;
        QImage image = render(pane, isLight ? "search-start-light" : "search-start-dark");
        SCOPED_TRACE(isLight ? "light" : "dark");
        EXPECT_TRUE(pane.chips()->showsExamples());
        EXPECT_EQ(pane.chips()->texts(), SearchText::examples());
        ASSERT_EQ(pane.chips()->places().size(), 6u);
        EXPECT_GT(pane.chips()->places()[3].top(), pane.chips()->places()[2].top())
            << "six examples do not fit 864 px: the fourth starts a second row";
        EXPECT_EQ(pane.field()->placeholderText(), SearchText::kPlaceholder);
        EXPECT_FALSE(pane.findChild<QWidget*>("searchFooter")->isVisible());
        EXPECT_TRUE(pane.findChild<QWidget*>("searchIntro")->isVisible());

        EXPECT_TRUE(near(testing::at(image, 4, 4), Theme::panel()));
        EXPECT_TRUE(near(testing::at(image, 18.5, 40), Theme::line(), 24)) << "the field's edge";
        QRectF chip = pane.chips()->places()[0].translated(pane.chips()->mapTo(&pane, QPoint()));
        EXPECT_TRUE(near(testing::at(image, chip.center().x(), chip.top() + 3), Theme::panel()));
        EXPECT_GT(countNear(image, QRectF(200, 330, 500, 60), Theme::ink(), 30), 100)
            << "the intro's title";
        EXPECT_GT(countNear(image, QRectF(200, 360, 500, 80), Theme::muted(), 30), 100)
            << "the intro's words";
    }
}

TEST_F(SearchPaneTest, HitsShowWithTheirPlacesAndTheFooterCountsThePicks) {
    KELVORA_REQUIRE_GUI();
    model.showSearch(query(), hits());
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        SearchView pane(model);
        bool isLight = appearance == Appearance::light;
        QImage none = render(pane, isLight ? "search-hits-light" : "search-hits-dark");
        SCOPED_TRACE(isLight ? "light" : "dark");
        EXPECT_FALSE(pane.chips()->showsExamples());
        EXPECT_EQ(pane.chips()->texts(), (QStringList{"Videos", "Over 1 GB"}));
        EXPECT_EQ(pane.findChild<PaintedText*>("searchCount")->text(), "3 found · 0 picked");
        EXPECT_FALSE(pane.moveButton()->isEnabled());
        EXPECT_EQ(pane.moveButton()->text(), "Move 0 KB to the Undo Shelf");
        ASSERT_EQ(pane.hits()->rowCount(), 3);
        EXPECT_EQ(pane.hits()->row(0).place, "~/Movies · changed yesterday");
        EXPECT_EQ(pane.hits()->row(1).place, "~");
        EXPECT_EQ(pane.hits()->row(2).place, "/var/tmp · changed 3 weeks ago");

        QRect footer(pane.findChild<QWidget*>("searchFooter")->mapTo(&pane, QPoint()),
                     pane.findChild<QWidget*>("searchFooter")->size());
        EXPECT_TRUE(near(testing::at(none, footer.left() + 4, footer.top() + 4), Theme::sidebar()));

        model.toggleSearchPick(hits()[1].url);
        QImage picked = render(pane, isLight ? "search-picked-light" : "search-picked-dark");
        EXPECT_EQ(pane.findChild<PaintedText*>("searchCount")->text(), "3 found · 1 picked");
        EXPECT_TRUE(pane.moveButton()->isEnabled());
        EXPECT_EQ(pane.moveButton()->text(), "Move 1.8 GB to the Undo Shelf");
        RowStack* list = pane.results();
        QRect second = list->visualRect(pane.hits()->index(1));
        QPointF box = SearchHitDelegate::pickBox(second).center() +
                      QPointF(list->viewport()->mapTo(&pane, QPoint()));
        EXPECT_TRUE(near(testing::at(picked, box.x() - 5, box.y() - 5), Theme::ink()));
        QRect first = list->visualRect(pane.hits()->index(0));
        box = SearchHitDelegate::pickBox(first).center() +
              QPointF(list->viewport()->mapTo(&pane, QPoint()));
        EXPECT_TRUE(near(testing::at(picked, box.x() - 5, box.y() - 5), Theme::panel()));
        model.toggleSearchPick(hits()[1].url);
    }
}

// The hits' pick boxes are painted, yet the keyboard and assistive technology reach them.
TEST_F(SearchPaneTest, HitsArePickedFromTheKeyboardAndHeardWithTheirPick) {
    KELVORA_REQUIRE_GUI();
    model.showSearch(query(), hits());
    SearchView pane(model);
    // A button that Return presses anywhere in the window, unless the list keeps the key.
    auto* confirm = new SignalButton("Go", 36, 13, &pane);
    confirm->setKeyRole(KeyRole::confirm);
    QSignalSpy confirmed(confirm, &QPushButton::clicked);
    pane.resize(900, 640);
    pane.show();
    QApplication::setActiveWindow(&pane);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
    RowStack* list = pane.results();
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(model.searchPicks(), std::unordered_set<URL>{hits()[1].url});
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(model.searchPicks(), (std::unordered_set<URL>{hits()[1].url, hits()[2].url}));
    EXPECT_EQ(confirmed.count(), 0);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Up);

    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(list)->child(1);
    ASSERT_TRUE(row && row->actionInterface());
    EXPECT_EQ(row->text(QAccessible::Name).toStdString(), "Recording.mov");
    EXPECT_TRUE(row->state().checked);
    EXPECT_TRUE(row->state().focused);
    const QString toggle = QAccessibleActionInterface::toggleAction();
    EXPECT_EQ(row->actionInterface()->actionNames(), (QStringList{toggle, "Show in Folder"}));
    row->actionInterface()->doAction(toggle);
    EXPECT_TRUE(model.searchPicks().empty());
}

TEST_F(SearchPaneTest, ASearchThatFindsNothingSaysSo) {
    KELVORA_REQUIRE_GUI();
    model.showSearch(query(), {});
    SearchView pane(model);
    QImage image = render(pane, "search-nothing");
    EXPECT_TRUE(pane.findChild<QWidget*>("searchMessage")->isVisible());
    EXPECT_FALSE(pane.findChild<QWidget*>("searchFooter")->isVisible());
    EXPECT_GT(countNear(image, QRectF(250, 300, 400, 80), Theme::muted(), 30), 60);
}

// A pane made anew, as when another pane was shown meanwhile or a picture is drawn, shows
// the words its hits were found for rather than the empty field's invitation.
TEST_F(SearchPaneTest, APaneMadeAgainShowsTheWordsItsHitsWereFoundFor) {
    KELVORA_REQUIRE_GUI();
    model.showSearch(query(), hits(), "videos over 1 GB");
    {
        SearchView pane(model);
        EXPECT_EQ(pane.field()->text(), "videos over 1 GB");
    }
    model.search("pdfs bigger than 50 MB");
    SearchView again(model);
    EXPECT_EQ(again.field()->text(), "pdfs bigger than 50 MB");
}

} // namespace
} // namespace kelvora::testing
