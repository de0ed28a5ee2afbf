#include "app/onboarding/OnboardingFixture.h"
#include "app/support/Keys.h"
#include "app/support/RunKelvora.h"
#include "app/support/VirtualDisplay.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/DialView.h"
#include "onboarding/Promises.h"
#include "onboarding/WelcomeSteps.h"
#include "onboarding/WelcomeView.h"
#include "window/DetailedView.h"
#include "window/MainWindow.h"
#include "window/RootView.h"

#include <QAccessible>
#include <QPushButton>

namespace kelvora::testing {
namespace {

class WelcomeViewTest : public OnboardingTest {
protected:
    static QWidget* button(const QWidget& view, const char* name) {
        return view.findChild<QWidget*>(name);
    }
    static Sketch pageSketch(const WelcomeView& view) {
        return static_cast<const SketchView*>(view.page())->sketch();
    }
    bool finished(const AppModel& model) const {
        return !model.showingWelcome() && Prefs::boolean(Prefs::Key::welcomeDone) &&
               sweeperRegistrations == 1;
    }
    static constexpr QSize kRoom{1280, 768}; // the window below the root's top margin
};

TEST_F(WelcomeViewTest, AFirstStartWalksTheWelcomeInTheWindowAndScansInTheChosenMode) {
    using Footer = WelcomeView::Footer;
    EXPECT_EQ(WelcomeView::footer(0), (Footer{"Skip", "Continue", std::nullopt, 1}));
    EXPECT_EQ(WelcomeView::footer(1), (Footer{"Back", "Continue", 0, 2}));
    EXPECT_EQ(WelcomeView::footer(2), (Footer{"Back", "Check my computer", 1, std::nullopt}));

    KELVORA_ON_VIRTUAL_DISPLAY();
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* view = window.findChild<WelcomeView*>();
    ASSERT_TRUE(view);
    EXPECT_TRUE(model->canScan()) << "no scan while the welcome shows";

    QTest::mouseClick(button(*view, "welcomePrimary"), Qt::LeftButton);
    ASSERT_EQ(view->step(), 1);
    QTest::mouseClick(view->findChild<ModeCard*>("detailedCard"), Qt::LeftButton);
    EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
    QTest::mouseClick(button(*view, "welcomeLeft"), Qt::LeftButton);
    EXPECT_EQ(view->step(), 0);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_TRUE(view->findChild<ModeCard*>("detailedCard")->selected())
        << "the choice outlives the step";
    QTest::keyClick(&window, Qt::Key_Return);
    ASSERT_EQ(view->step(), 2);
    auto* squares = view->findChild<StepSquares*>("stepSquares");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(squares)->text(QAccessible::Name),
              "Step 3 of 3");
    EXPECT_TRUE(model->showingWelcome()) << "moving between steps finishes nothing";

    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_TRUE(finished(*model)) << "Return on the last step finishes";
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }))
        << "and the first scan runs";
    EXPECT_TRUE(qobject_cast<DetailedView*>(window.root()->mainView()));
}

// The welcome takes its focus with it: the keyboard goes on in the view that takes its
// place, the detailed view at once, the simple view on its first control once the scan ends.
TEST_F(WelcomeViewTest, TheViewThatTakesTheWelcomesPlaceTakesTheKeyboard) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    const struct {
        AppModel::ViewMode mode;
        const char* first; // the control the keyboard is on once the scan ends
    } cases[] = {{AppModel::ViewMode::simple, "cleanUpButton"},
                 {AppModel::ViewMode::detailed, nullptr}};
    write("Library/Caches/com.example.tool/blob.bin", std::string(400'000, 'c'));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first ? c.first : "detailed");
        Prefs::setBoolean(Prefs::Key::welcomeDone, false);
        auto model = makeModel();
        model->setMode(c.mode);
        Updater updater;
        MainWindow window(*model, updater);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        ASSERT_FALSE(model->showingWelcome());
        ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
        QWidget* main = window.root()->mainView();
        const auto focused = [] { return QApplication::focusWidget(); };
        EXPECT_TRUE(waitUntil([&] {
            return focused() && main->isAncestorOf(focused()) &&
                   (!c.first || focused()->objectName() == c.first);
        })) << "the keyboard is on "
            << (focused() ? focused()->objectName().toStdString() : "nothing");
    }
}

TEST_F(WelcomeViewTest, SkipAndEscapeFinishFromTheEarlierSteps) {
    struct Case {
        int step;
        bool escape; // else Skip
    };
    for (Case test : {Case{0, false}, Case{0, true}, Case{1, true}}) {
        IsolatedHome fresh; // each case is a first start
        sweeperRegistrations = 0;
        auto model = makeModel();
        WelcomeView view(*model, test.step);
        showActive(view, kRoom);
        if (test.escape)
            QTest::keyClick(&view, Qt::Key_Escape);
        else
            QTest::mouseClick(button(view, "welcomeLeft"), Qt::LeftButton);
        EXPECT_TRUE(finished(*model))
            << "step " << test.step << (test.escape ? " Escape" : " Skip");
        QThreadPool::globalInstance()->waitForDone();
    }
}

TEST_F(WelcomeViewTest, EachStepRendersCompletelyInAStillPictureInBothAppearances) {
    auto model = makeModel();
    const double used = MeetYourDisk::usedFraction(model->initialDisk());
    for (int step = 0; step < 3; ++step) {
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE("step " + std::to_string(step) + " " + name(appearance));
            auto token = [appearance](Token t) { return Theme::color(t, appearance); };
            WelcomeView view(*model, step);
            QImage image = picture(view, kRoom, appearance);
            keepPicture(image, "welcome-" + std::to_string(step + 1) + "-" + name(appearance));

            EXPECT_TRUE(near(at(image, 4, 4), token(Token::ground)));
            QRectF primary = placeOf(button(view, "welcomePrimary"), &view);
            EXPECT_TRUE(
                near(at(image, primary.left() + 8, primary.center().y()), token(Token::ink)));
            EXPECT_GT(countNear(image, primary, token(Token::panel), 30), 40) << "its title";
            // The squares: those up to the current one filled, the next one only outlined.
            QRectF squares = placeOf(view.findChild<StepSquares*>("stepSquares"), &view);
            auto square = StepSquares::squares(step, 3);
            EXPECT_TRUE(near(
                at(image, squares.left() + square[step].rect.center().x(), squares.center().y()),
                token(Token::ink)));
            if (step < 2)
                EXPECT_TRUE(near(at(image, squares.left() + square[step + 1].rect.center().x(),
                                    squares.center().y()),
                                 token(Token::ground)));

            Sketch page = pageSketch(view);
            QPointF origin = placeOf(view.page(), &view).topLeft();
            auto inkIn = [&](const QString& text) {
                auto item = page.text(text);
                return item
                           ? countNear(image, item->rect.translated(origin), token(item->color), 30)
                           : -1;
            };
            if (step == 0) {
                EXPECT_GT(inkIn("Meet your disk."), 400);
                EXPECT_GT(inkIn(MeetYourDisk::freeNumber(model->initialDisk())), 100);
                // The dial stands at its value at once: kept band up to the share in use.
                QRectF dial = DialGeometry::fittedBox(
                    placeOf(static_cast<MeetYourDisk*>(view.page())->dial(), &view));
                DialGeometry g = DialGeometry::forSize(dial.size());
                QPointF inUse = g.point(used / 2, g.radius) + dial.topLeft();
                QPointF free = g.point((1 + used) / 2, g.radius) + dial.topLeft();
                EXPECT_TRUE(near(at(image, inUse.x(), inUse.y()), token(Token::ink)));
                EXPECT_TRUE(near(at(image, free.x(), free.y()), token(Token::track)));
            } else if (step == 1) {
                EXPECT_GT(inkIn("Nothing goes without you."), 400);
                EXPECT_GT(inkIn("Your things wait 7 days"), 100);
                auto edge = [&](const char* card) {
                    QRectF r = placeOf(view.findChild<ModeCard*>(card), &view);
                    return at(image, r.left() + 0.75, r.center().y());
                };
                EXPECT_TRUE(near(edge("simpleCard"), token(Token::ink), 30)) << "chosen";
                EXPECT_TRUE(near(edge("detailedCard"), token(Token::line), 30));
            } else {
                EXPECT_GT(inkIn("Let Kelvora look everywhere."), 400);
                EXPECT_GT(inkIn("Allowed"), 40);
                EXPECT_GT(inkIn("All set. Kelvora can look everywhere."), 40);
            }
        }
    }
}

TEST_F(WelcomeViewTest, TheSnapshotModeDrawsEachStepBelowTheWindowsTopMargin) {
    constexpr qreal kTop = 52;
    for (int step = 0; step < 3; ++step) {
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE("step " + std::to_string(step) + " " + name(appearance));
            auto token = [appearance](Token t) { return Theme::color(t, appearance); };
            const std::string output = env.tmp() + "/welcome.png";
            std::vector<std::string> arguments = {"--snapshot", output, "--marketing", "--welcome",
                                                  std::to_string(step + 1)};
            if (appearance == Appearance::dark) arguments.push_back("--dark");
            RunResult run = runKelvora(arguments, {{"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
            ASSERT_EQ(run.status, 0) << run.err;
            QImage image(QString::fromStdString(output));
            image.setDevicePixelRatio(2);

            Sketch frame = WelcomeView::frame(step, QSizeF(1280, 820 - kTop));
            frame.translate({0, kTop});
            EXPECT_GT(countNear(image, QRectF(0, 0, 1280, kTop), token(Token::ground)), 200'000)
                << "no header over the welcome";
            EXPECT_TRUE(near(
                at(image, frame.places["primary"].left() + 8, frame.places["primary"].center().y()),
                token(Token::ink)));
            QRectF squares = frame.places["squares"];
            EXPECT_GE(countNear(image, squares, token(Token::ink)), (step + 1) * 12 * 12 * 4 - 100)
                << "the squares up to this step filled";
            EXPECT_GT(countNear(image, frame.places["page"], token(Token::ink), 30), 20'000)
                << "the step drawn in full";
        }
    }
}

TEST_F(WelcomeViewTest, TheKeyboardRingsSkipLikeEveryOtherControlAndLeavesItsWordsInInk) {
    qputenv("KELVORA_REDUCE_MOTION", "1"); // the dial in the picture stands at its value
    auto model = makeModel();
    // The default window and the smallest, below the window's top margin.
    for (QSize room : {kRoom, QSize(1100, 668)})
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE(std::to_string(room.width()) + " " + name(appearance));
            auto token = [appearance](Token t) { return Theme::color(t, appearance); };
            Theme::Scope scope(appearance);
            WelcomeView view(*model, 0);
            showActive(view, room);
            QWidget* skip = button(view, "welcomeLeft");
            ASSERT_TRUE(tabTo(view, *skip));
            QImage image = Render::widget(view, room);
            keepPicture(image, "welcome-skip-focused-" + std::to_string(room.width()) + "-" +
                                   name(appearance));
            const QRectF text = placeOf(skip, &view);
            LinkFocusLook look = linkFocusLook(image, text, TextLinkButton::ringRect(text),
                                               token(Token::signal), token(Token::signalText));
            EXPECT_GT(look.ring, 200) << "a ring around Skip";
            EXPECT_EQ(look.accentText, 0) << "Skip keeps its colour";
            EXPECT_GT(countNear(image, text, token(Token::ink), 40), 60);
        }
    qunsetenv("KELVORA_REDUCE_MOTION");
}

TEST_F(WelcomeViewTest, TheDiskStepsDialComesToTheShareInUseWithoutOvershootingIt) {
    unsetenv("KELVORA_REDUCE_MOTION");
    MeetYourDisk step({1'000'000'000'000, 370'000'000'000});
    showActive(step, kRoom);
    DialView* dial = step.dial();
    double highest = 0;
    bool between = false;
    waitUntil(
        [&] {
            highest = std::max(highest, dial->needle());
            between = between || (dial->needle() > 0.05 && dial->needle() < 0.6);
            return false;
        },
        std::chrono::milliseconds(2200));
    EXPECT_TRUE(between) << "it swept";
    EXPECT_LE(highest, 0.63 + 1e-9);
    EXPECT_DOUBLE_EQ(dial->needle(), 0.63);
}

TEST_F(WelcomeViewTest, AStepChangeCrossFadesBothStepsUnlessMotionIsReduced) {
    unsetenv("KELVORA_REDUCE_MOTION");
    auto model = makeModel();
    WelcomeView view(*model, 0);
    showActive(view, kRoom);
    view.go(1);
    std::optional<WelcomeView::Fade> first = view.fading();
    ASSERT_TRUE(first) << "both steps on screen at once";
    EXPECT_GT(first->outgoing, 0.9);
    EXPECT_LT(first->incoming, 0.1);
    WelcomeView::Fade last = *first;
    ASSERT_TRUE(waitUntil(
        [&] {
            std::optional<WelcomeView::Fade> now = view.fading();
            if (!now) return true;
            EXPECT_LE(now->outgoing, last.outgoing + 1e-9);
            EXPECT_GE(now->incoming, last.incoming - 1e-9);
            EXPECT_NEAR(now->outgoing + now->incoming, 1, 1e-6);
            last = *now;
            return false;
        },
        std::chrono::seconds(2)));
    EXPECT_FALSE(view.page()->graphicsEffect()) << "the new step drawn plainly once in";

    qputenv("KELVORA_REDUCE_MOTION", "1");
    view.go(2);
    EXPECT_FALSE(view.fading()) << "at once";
    qunsetenv("KELVORA_REDUCE_MOTION");
}

TEST_F(WelcomeViewTest, DiskStepShowsTheShareInUseAndTheFreeSpace) {
    struct Case {
        DiskSpace disk;
        double used;
    };
    for (const Case& test : {Case{{494'380'000'000, 182'400'000'000}, 0.631}, Case{{0, 0}, 0},
                             Case{{100, 250}, 0}, Case{{100, 0}, 1}})
        EXPECT_NEAR(MeetYourDisk::usedFraction(test.disk), test.used, 0.001) << test.disk.total;
    Sketch step = MeetYourDisk::step({494'380'000'000, 182'400'000'000}, 760);
    EXPECT_EQ(step.texts(), (QStringList{"Welcome to Kelvora", "182.4 GB", "free of 494.4 GB",
                                         "Meet your disk.", MeetYourDisk::paragraph()}));
    // The free space and the disk's size stand on one baseline.
    auto number = step.text("182.4 GB"), total = step.text("free of 494.4 GB");
    EXPECT_NEAR(number->rect.top() + Type::ascent(number->font),
                total->rect.top() + Type::ascent(total->font), 0.01);
}

TEST_F(WelcomeViewTest, ModeCardsFollowTheControllerAndWriteItsModeAtOnce) {
    Prefs::setInteger(Prefs::Key::shelfDays, 14);
    auto model = makeModel();
    model->setMode(AppModel::ViewMode::detailed);
    WelcomeView view(*model, 1);
    showActive(view, kRoom);
    auto card = [&](const char* name) { return view.findChild<ModeCard*>(name); };
    EXPECT_TRUE(card("detailedCard")->selected());
    EXPECT_FALSE(card("simpleCard")->selected());
    EXPECT_TRUE(pageSketch(view).texts().contains("Your things wait 14 days"));

    QTest::mouseClick(card("simpleCard"), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(model->mode(), AppModel::ViewMode::simple);
    EXPECT_EQ(Prefs::string(Prefs::Key::viewMode), "simple");
    EXPECT_TRUE(card("simpleCard")->selected());
    EXPECT_FALSE(card("detailedCard")->selected());
    QTest::mouseClick(card("simpleCard"), Qt::LeftButton);
    EXPECT_TRUE(card("simpleCard")->selected()) << "the chosen card stays chosen";

    view.go(0);
    view.go(1);
    EXPECT_TRUE(card("simpleCard")->selected()) << "the choice outlives the step";
}

TEST_F(WelcomeViewTest, PermissionStepNamesTheClosedFoldersAndWhatToCheckLive) {
    EXPECT_EQ(PermissionsStep::paragraph(),
              "Kelvora reads your folders with your account’s own permissions, only to find "
              "space, and nothing ever leaves your computer.");
    EXPECT_EQ(PermissionsStep::status(false),
              "Make sure each belongs to you and that you may open it: ls -ld shows both, and "
              "chown or chmod u+rwx puts them right. It’s optional: without them, Kelvora still "
              "finds caches, logs, temp files and unused apps.");

    granted = false;
    auto model = makeModel();
    const std::string home = model->catalog().home;
    closed = {home + "/.Trash", home + "/Documents"};
    WelcomeView view(*model, 2);
    showActive(view, kRoom);
    QPointer<PermissionsStep> step = static_cast<PermissionsStep*>(view.page());
    EXPECT_EQ(pageSketch(view).texts(),
              (QStringList{"Step 3 of 3", "Let Kelvora look everywhere.",
                           PermissionsStep::paragraph(), "Your folders",
                           "Desktop, Documents, Downloads and the Trash, read as your account may "
                           "read them.",
                           "Closed", "Closed to Kelvora now: ~/.Trash, ~/Documents.",
                           PermissionsStep::status(false)}));
    EXPECT_FALSE(view.findChild<QPushButton*>("openSettings")) << "no settings to open here";

    closed = {home + "/.Trash"};
    ASSERT_TRUE(waitUntil(
        [&] { return pageSketch(view).texts().contains("Closed to Kelvora now: ~/.Trash."); },
        std::chrono::seconds(3)))
        << "the folders are read again at every tick";

    granted = true;
    ASSERT_TRUE(waitUntil([&] { return step->fullDisk(); }, std::chrono::seconds(3)));
    EXPECT_TRUE(pageSketch(view).texts().contains("All set. Kelvora can look everywhere."));
    EXPECT_TRUE(pageSketch(view).text("Allowed"));
    EXPECT_FALSE(pageSketch(view).texts().contains("Closed to Kelvora now: ~/.Trash."));
    EXPECT_EQ(view.step(), 2) << "access does not move the welcome on";
    granted = false;
    ASSERT_TRUE(waitUntil([&] { return !step->fullDisk(); }, std::chrono::seconds(3)))
        << "a permission taken back shows at the next tick";

    view.go(1);
    EXPECT_FALSE(step->isPolling()) << "leaving the step ends its watch";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(step.isNull());
    view.go(2);
    EXPECT_TRUE(static_cast<PermissionsStep*>(view.page())->isPolling());
}

TEST_F(WelcomeViewTest, PermissionStepsClosedLookRendersInBothAppearances) {
    granted = false;
    auto model = makeModel();
    closed = {model->catalog().home + "/.local/share/Trash/files"};
    // The default window and the smallest, below the window's top margin.
    for (QSize room : {kRoom, QSize(1100, 668)})
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE(std::to_string(room.width()) + " " + name(appearance));
            auto token = [appearance](Token t) { return Theme::color(t, appearance); };
            WelcomeView view(*model, 2);
            QImage image = picture(view, room, appearance);
            keepPicture(image, "welcome-3-closed-" + std::to_string(room.width()) + "-" +
                                   name(appearance));
            Sketch page = pageSketch(view);
            QPointF origin = placeOf(view.page(), &view).topLeft();
            auto inkIn = [&](const QString& text, Token color) {
                auto item = page.text(text);
                return item ? countNear(image, item->rect.translated(origin), token(color), 30)
                            : -1;
            };
            EXPECT_GT(inkIn("Closed", Token::ink), 40);
            EXPECT_GT(inkIn("Closed to Kelvora now: ~/.local/share/Trash/files.", Token::muted),
                      100);
            EXPECT_GT(inkIn(PermissionsStep::status(false), Token::faint), 100);
        }
}

} // namespace
} // namespace kelvora::testing
