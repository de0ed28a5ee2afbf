#include "app/onboarding/OnboardingFixture.h"

#include "onboarding/AccessNote.h"
#include "onboarding/FullDiskAccessGuide.h"

namespace kelvora::testing {
namespace {

class FullDiskAccessGuideTest : public OnboardingTest {};

TEST_F(FullDiskAccessGuideTest, ClosedLookSaysWhatToCheckAndTheOpenLookOffersAScan) {
    struct Case {
        bool granted;
        QString title;
        QString subtitle;
        QStringList steps;
        QStringList places;
    };
    const QString closed = "Closed to Kelvora now: ~/Downloads.";
    const std::vector<Case> cases = {
        {false,
         "Kelvora can’t read Downloads, Desktop and Documents.",
         "The folders’ own permissions keep it out. Here’s what to check.",
         {closed,
          "Make sure each belongs to you and that you may open it: ls -ld shows both, and chown "
          "or chmod u+rwx puts them right.",
          "Kelvora looks again every few seconds. Once they open, check again to see what’s "
          "here."},
         {}},
        {true,
         "Kelvora can read Downloads, Desktop and Documents now.",
         "Check again to see what’s here.",
         {},
         {"checkAgain"}},
    };
    for (const Case& test : cases) {
        Sketch card = FullDiskAccessGuide::card(
            {"Downloads, Desktop and Documents", test.granted, test.granted ? "" : closed}, 600);
        EXPECT_EQ(card.size.width(), 520) << "never wider than 520";
        QStringList expected = {test.title, test.subtitle};
        for (int i = 0; i < test.steps.size(); ++i)
            expected << QString::number(i + 1) << test.steps[i];
        expected << "What Kelvora does with what it reads" << FullDiskAccessGuide::promises();
        EXPECT_EQ(card.texts(), expected);
        QStringList places;
        for (const auto& [name, rect] : card.places)
            places << name;
        EXPECT_EQ(places, test.places) << "no settings to open here";
    }
    EXPECT_EQ(FullDiskAccessGuide::promises()[2], "Nothing leaves your computer.");
}

TEST_F(FullDiskAccessGuideTest, RendersBothLooksInBothAppearances) {
    auto model = makeModel();
    for (bool access : {false, true}) {
        granted = access;
        closed = access ? std::vector<std::string>{}
                        : std::vector<std::string>{model->catalog().home + "/.Trash"};
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE(std::string(access ? "granted " : "closed ") + name(appearance));
            auto token = [appearance](Token t) { return Theme::color(t, appearance); };
            FullDiskAccessGuide guide(*model, "the Trash");
            QImage image = picture(guide, QSize(560, guide.heightForWidth(560)), appearance);
            keepPicture(image, std::string("access-guide-") + (access ? "granted-" : "closed-") +
                                   name(appearance));
            EXPECT_TRUE(near(at(image, 12, 40), token(Token::panel)));
            EXPECT_TRUE(near(at(image, 0.5, 60), token(Token::line), 30)) << "the card's border";
            EXPECT_FALSE(near(at(image, 540, 60), token(Token::panel))) << "no wider than 520";
            // The lock's tile is centred on the title and subtitle beside it.
            const Sketch& card = guide.sketch();
            qreal middle =
                (card.text(FullDiskAccessGuide::title({"the Trash", access}))->rect.top() +
                 card.text(FullDiskAccessGuide::subtitle(access))->rect.bottom()) /
                2;
            EXPECT_TRUE(near(at(image, 24 + 3, middle), token(Token::chip)));
            EXPECT_GT(countNear(image, QRectF(32, middle - 12, 24, 24), token(Token::ink), 40), 60)
                << "the lock";
            auto* checkAgain = guide.findChild<QWidget*>("checkAgain");
            EXPECT_EQ(checkAgain->isVisible(), access);
            if (access) {
                QRectF button = placeOf(checkAgain, &guide);
                EXPECT_TRUE(
                    near(at(image, button.left() + 6, button.center().y()), token(Token::ink)));
            } else {
                QRectF number = guide.sketch().text("2")->rect;
                EXPECT_GT(countNear(image, number, token(Token::ink), 30), 20) << "step numbers";
                auto folders = guide.sketch().text("Closed to Kelvora now: ~/.Trash.");
                ASSERT_TRUE(folders);
                EXPECT_GT(countNear(image, folders->rect, token(Token::ink), 40), 100)
                    << "the closed folders, first of the steps";
            }
        }
    }
}

TEST_F(FullDiskAccessGuideTest, FollowsTheFoldersLiveAndScansOnceOpen) {
    granted = false;
    auto model = makeModel();
    const std::string home = model->catalog().home;
    closed = {home + "/.Trash", home + "/Documents"};
    FullDiskAccessGuide guide(*model, "the Trash");
    showActive(guide, QSize(520, guide.heightForWidth(520)));
    EXPECT_TRUE(guide.isPolling());
    // The heading names the folders closed now, no more and no fewer.
    EXPECT_EQ(guide.sketch().texts()[0], "Kelvora can’t read the Trash and Documents.");
    EXPECT_EQ(guide.sketch().texts()[3], "Closed to Kelvora now: ~/.Trash, ~/Documents.");
    closed = {home + "/.Trash"};
    ASSERT_TRUE(
        waitUntil([&] { return guide.sketch().texts()[0] == "Kelvora can’t read the Trash."; },
                  std::chrono::seconds(3)));
    closed.clear();
    ASSERT_TRUE(waitUntil(
        [&] {
            return guide.sketch().texts()[3] == "Every folder Kelvora looks in is open to it now.";
        },
        std::chrono::seconds(3)));

    granted = true;
    ASSERT_TRUE(waitUntil([&] { return guide.granted(); }, std::chrono::seconds(3)));
    EXPECT_EQ(guide.sketch().texts()[0], "Kelvora can read the Trash now.");
    EXPECT_TRUE(guide.isPolling()) << "the watch goes on once access is on";
    QTest::mouseClick(guide.findChild<QWidget*>("checkAgain"), Qt::LeftButton);
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning));
    granted = false;
    ASSERT_TRUE(waitUntil([&] { return !guide.granted(); }, std::chrono::seconds(3)));
    EXPECT_FALSE(guide.findChild<QWidget*>("checkAgain")->isVisible());
    guide.hide();
    EXPECT_FALSE(guide.isPolling());
    waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); });
}

// Only Downloads and the Trash closed: the Downloads guide says so, not "Downloads, Desktop
// and Documents".
TEST_F(FullDiskAccessGuideTest, TheHeadingNamesExactlyTheClosedFolders) {
    granted = false;
    auto model = makeModel();
    const std::string home = model->catalog().home;
    closed = {home + "/Downloads", home + "/.local/share/Trash/files"};
    FullDiskAccessGuide guide(*model, "Downloads, Desktop and Documents");
    EXPECT_EQ(guide.sketch().texts()[0], "Kelvora can’t read Downloads and the Trash.");
    EXPECT_FALSE(guide.granted());
    EXPECT_EQ(AccessNote::named({home, home + "/.Trash", home + "/.local/share/Trash/files",
                                 home + "/Téléchargements", home + "/Bureau"},
                                home),
              "your home folder, the Trash, Téléchargements and Bureau");
    EXPECT_EQ(AccessNote::named({}, home), "");
}

TEST(AccessNoteTest, NamesTheClosedFoldersFromTheHome) {
    Catalog catalog({}, {}, {}, "/home/ann");
    EXPECT_EQ(
        AccessNote::closed({"/home/ann/.Trash", "/home/ann/Documents", "/srv/Downloads"}, catalog),
        "Closed to Kelvora now: ~/.Trash, ~/Documents, /srv/Downloads.");
    EXPECT_EQ(AccessNote::closed({}, catalog), "Every folder Kelvora looks in is open to it now.");
}

} // namespace
} // namespace kelvora::testing
