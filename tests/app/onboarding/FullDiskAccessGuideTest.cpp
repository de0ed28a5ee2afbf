#include "app/onboarding/OnboardingFixture.h"

#include "onboarding/AccessNote.h"
#include "onboarding/FullDiskAccessGuide.h"

namespace kelvora::testing {
namespace {

class FullDiskAccessGuideTest : public OnboardingTest {};

TEST_F(FullDiskAccessGuideTest, ClosedLookGivesTheStepsAndTheOpenLookAScanBothWithThePromises) {
    struct Case {
        bool granted;
        QString title;
        QString subtitle;
        QStringList places;
    };
    const std::vector<Case> cases = {
        {false,
         "macOS keeps Downloads, Desktop and Documents private.",
         "Kelvora needs Full Disk Access to see them. It’s one switch in System Settings.",
         {"openSettings"}},
        {true, "Full Disk Access is on.", "Check again to see what’s here.", {"checkAgain"}},
    };
    for (const Case& test : cases) {
        Sketch card =
            FullDiskAccessGuide::card({"Downloads, Desktop and Documents", test.granted}, 600);
        EXPECT_EQ(card.size.width(), 520) << "never wider than 520";
        QStringList expected = {test.title, test.subtitle};
        if (!test.granted)
            for (int i = 0; i < 3; ++i)
                expected << QString::number(i + 1) << FullDiskAccessGuide::steps()[i].text;
        expected << "What Kelvora does with it" << FullDiskAccessGuide::promises();
        EXPECT_EQ(card.texts(), expected);
        QStringList places;
        for (const auto& [name, rect] : card.places)
            places << name;
        EXPECT_EQ(places, test.places) << "only the first step has a button";
    }
    EXPECT_EQ(FullDiskAccessGuide::promises()[2],
              "Nothing leaves your computer. One switch covers Desktop, Documents, Downloads, "
              "the Trash, and Mail and Messages.");
}

TEST_F(FullDiskAccessGuideTest, RendersBothLooksInBothAppearances) {
    auto model = makeModel();
    for (bool access : {false, true}) {
        granted = access;
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
            auto* open = guide.findChild<QWidget*>("openFullDiskAccess");
            auto* checkAgain = guide.findChild<QWidget*>("checkAgain");
            EXPECT_EQ(open->isVisible(), !access);
            EXPECT_EQ(checkAgain->isVisible(), access);
            QRectF button = placeOf(access ? checkAgain : open, &guide);
            EXPECT_TRUE(near(at(image, button.left() + 6, button.center().y()),
                             token(access ? Token::ink : Token::panel)));
            if (!access) {
                QRectF number = guide.sketch().text("2")->rect;
                EXPECT_GT(countNear(image, number, token(Token::ink), 30), 20) << "step numbers";
            }
        }
    }
}

TEST_F(FullDiskAccessGuideTest, FollowsTheAccessLiveExplainsTheFoldersAndScansOnceOpen) {
    granted = false;
    auto model = makeModel();
    FullDiskAccessGuide guide(*model, "the Trash");
    showActive(guide, QSize(520, guide.heightForWidth(520)));
    EXPECT_TRUE(guide.isPolling());
    QTest::mouseClick(guide.findChild<QWidget*>("openFullDiskAccess"), Qt::LeftButton);
    EXPECT_EQ(guide.sketch().texts()[4], AccessNote::text({}, model->catalog()))
        << "what the button said, under the first step";

    granted = true;
    ASSERT_TRUE(waitUntil([&] { return guide.granted(); }, std::chrono::seconds(3)));
    EXPECT_EQ(guide.sketch().texts()[0], "Full Disk Access is on.");
    EXPECT_TRUE(guide.isPolling()) << "the watch goes on once access is on";
    QTest::mouseClick(guide.findChild<QWidget*>("checkAgain"), Qt::LeftButton);
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning));
    granted = false;
    ASSERT_TRUE(waitUntil([&] { return !guide.granted(); }, std::chrono::seconds(3)));
    EXPECT_TRUE(guide.findChild<QWidget*>("openFullDiskAccess")->isVisible());
    guide.hide();
    EXPECT_FALSE(guide.isPolling());
    waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); });
}

TEST(AccessNoteTest, NamesTheClosedFoldersFromTheHome) {
    Catalog catalog({}, {}, {}, "/home/ann");
    EXPECT_EQ(AccessNote::text({"/home/ann/.Trash", "/home/ann/Documents"}, catalog),
              "This computer has no Full Disk Access list to switch: Kelvora reads what your "
              "account may open. These folders are closed to it now; make sure they belong to "
              "you and that you may open them (ls -ld shows both): ~/.Trash, ~/Documents.");
}

} // namespace
} // namespace kelvora::testing
