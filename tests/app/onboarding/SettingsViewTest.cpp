#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/RunKelvora.h"

#include "controller/Prefs.h"
#include "design/Fonts.h"
#include "design/Scrolling.h"
#include "design/Snapshot.h"
#include "design/WindowFit.h"
#include "onboarding/SettingsControls.h"
#include "onboarding/SettingsView.h"
#include "platform/FileSystem.h"

#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::testing {
namespace {

using Switch = SettingsLayout::Switch;
using Status = ShelfSweeper::Status;

// What the settings window reaches outside the settings file, steered by the test.
struct Outside {
    std::vector<Status> statuses{Status::off()}; // read in turn; the last one stays
    size_t reads = 0;
    std::optional<std::string> setFails;
    std::vector<bool> sets;
    std::vector<std::optional<QStringList>> choices; // answered in turn
    size_t chosen = 0;
    int loginItemsOpened = 0;

    SettingsView::Services services() {
        SettingsView::Services services = SettingsView::Services::live();
        services.helperStatus = [this] { return statuses[std::min(reads++, statuses.size() - 1)]; };
        services.setHelper = [this](bool on) {
            sets.push_back(on);
            return setFails;
        };
        services.chooseFiles = [this](QWidget*) {
            return chosen < choices.size() ? choices[chosen++] : std::nullopt;
        };
        services.openLoginItems = [this] { ++loginItemsOpened; };
        return services;
    }
};

class SettingsViewTest : public ControllerTest {
protected:
    SettingsViewTest() { Fonts::registerFonts(KELVORA_FONTS_DIR); }

    // The window's own controller over the isolated home: it reads the settings once and
    // writes the picks back at start-up.
    std::unique_ptr<AppModel> model() { return makeModel(); }
    std::unique_ptr<SettingsView> shown(AppModel& model) {
        auto view = std::make_unique<SettingsView>(model, outside.services());
        view->resize(view->sizeHint());
        view->show();
        return view;
    }
    static void click(QWidget* widget) {
        ASSERT_TRUE(widget && widget->isVisible());
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    static ChoiceButton* popUp(const SettingsView& view, const char* key) {
        return view.findChild<ChoiceButton*>(key);
    }
    static QStringList entriesOf(ChoiceButton* button) {
        click(button);
        QStringList labels;
        for (QAction* action : button->menu()->actions())
            labels << action->text() + (action->isChecked() ? " ✓" : "");
        button->menu()->hide();
        return labels;
    }
    static void choose(ChoiceButton* button, const QString& label) {
        click(button);
        for (QAction* action : button->menu()->actions())
            if (action->text() == label) action->trigger();
    }
    static SwitchButton* toggle(const SettingsView& view, const char* name) {
        return view.findChild<SwitchButton*>(name);
    }
    // How many pixels of a shown text are near its colour.
    static int inked(const QImage& image, const SettingsLayout& layout, const QString& words,
                     const QColor& color) {
        const auto* text = layout.find(words);
        return text ? countNear(image, QRectF(text->at, text->lines.size()), color, 40) : -1;
    }
    nlohmann::json stored() {
        auto text = fileText(env.settingsFile());
        return text ? nlohmann::json::parse(*text) : nlohmann::json();
    }

    Outside outside;
};

// The window's process as the unprivileged user for a while (tests run as root, whom no
// permission stops); root again when it ends.
class AsNobody {
public:
    AsNobody() { ok_ = seteuid(65534) == 0; }
    ~AsNobody() {
        if (ok_) EXPECT_EQ(seteuid(0), 0);
    }
    explicit operator bool() const { return ok_; }

private:
    bool ok_ = false;
};

TEST_F(SettingsViewTest, AnEmptyStoreShowsEveryDefaultAndEachPopUpListsItsEntriesInOrder) {
    KELVORA_REQUIRE_GUI();
    auto model = this->model();
    auto before = fileText(env.settingsFile());
    auto view = shown(*model);
    struct Case {
        const char* key;
        QStringList entries; // the checked one marked
    } cases[] = {
        {"shelfDays", {"7 days ✓", "14 days", "30 days"}},
        {"appMonths", {"3 months", "6 months ✓", "1 year"}},
        {"downloadsDays", {"1 week ✓", "2 weeks", "1 month"}},
        {"aiSessionDays", {"1 week", "30 days ✓", "90 days"}},
        {"projectMonths", {"1 month", "3 months ✓", "6 months"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(entriesOf(popUp(*view, c.key)), c.entries);
    }
    EXPECT_TRUE(popUp(*view, "scheduleDays")->isHidden()) << "scheduled clean is off";
    EXPECT_FALSE(toggle(*view, "helper")->isOn());
    EXPECT_FALSE(toggle(*view, "includeDocker")->isOn());
    EXPECT_FALSE(toggle(*view, "scheduledClean")->isOn());
    EXPECT_TRUE(toggle(*view, "showMenuBar")->isOn());
    auto* look = view->findChild<SegmentedControl*>("appearance");
    EXPECT_EQ(look->current(), 0);
    EXPECT_EQ(look->accessibleDescription(), "Match my computer");
    const SettingsLayout& layout = view->layout();
    EXPECT_TRUE(layout.find("Nothing added yet"));
    EXPECT_TRUE(layout.rows.empty());
    EXPECT_FALSE(layout.find("Turn on the helper above so this can run while Kelvora is closed."));
    EXPECT_FALSE(layout.openLoginItems);
    EXPECT_EQ(fileText(env.settingsFile()), before) << "the window's reading never writes";

    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        Snapshot::setSnapshot(view.get(), true);
        QImage image = Render::widget(*view, view->sizeHint());
        keepPicture(image, appearance == Appearance::dark ? "settings-defaults-dark"
                                                          : "settings-defaults");
        EXPECT_EQ(image.size(), QSize(1120, 1400));
        QRectF off = view->layout().switches.at(Switch::includeDocker);
        EXPECT_TRUE(near(at(image, off.right() - 5, off.center().y()), Theme::track()));
        EXPECT_GT(inked(image, view->layout(), "Nothing added yet", Theme::faint()), 20);
    }
}

// The store passes on a number below 1 (or of another type) as its default, so the window
// shows that default; a whole number of days it does use shows as it is, even one the
// pop-up does not offer. Nothing is written back.
TEST_F(SettingsViewTest, AStoredNumberTheStoreWouldNotUseShowsItsDefault) {
    KELVORA_REQUIRE_GUI();
    std::string settings = R"({"shelfDays": 0, "appMonths": -3, "aiSessionDays": "90",
        "downloadsDays": 14, "projectMonths": 5, "scheduledClean": true, "scheduleDays": 0})";
    env.dir().write("config/Kelvora/settings.json", settings);
    auto model = this->model();
    auto before = fileText(env.settingsFile());
    auto view = shown(*model);
    struct Case {
        const char* key;
        QString shown;
    } cases[] = {{"shelfDays", "7 days"},      {"appMonths", "6 months"},
                 {"aiSessionDays", "30 days"}, {"downloadsDays", "2 weeks"},
                 {"projectMonths", ""},        {"scheduleDays", "Every week"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(popUp(*view, c.key)->shownLabel(), c.shown);
    }
    EXPECT_EQ(entriesOf(popUp(*view, "projectMonths")),
              (QStringList{"1 month", "3 months", "6 months"}));
    EXPECT_EQ(fileText(env.settingsFile()), before);
}

TEST_F(SettingsViewTest, ChangesAreWrittenAtOnceAndReadByAnotherProcess) {
    KELVORA_REQUIRE_GUI();
    auto model = this->model();
    auto view = shown(*model);
    QSignalSpy menuBar(view.get(), &SettingsView::showMenuBarChanged);

    choose(popUp(*view, "shelfDays"), "14 days");
    EXPECT_EQ(stored()["shelfDays"], 14);
    EXPECT_EQ(popUp(*view, "shelfDays")->shownLabel(), "14 days");
    click(toggle(*view, "showMenuBar"));
    EXPECT_EQ(stored()["showMenuBar"], false);
    ASSERT_EQ(menuBar.count(), 1);
    EXPECT_EQ(menuBar[0][0].toBool(), false) << "the menu bar extra follows at once";

    click(toggle(*view, "scheduledClean"));
    EXPECT_EQ(stored()["scheduledClean"], true);
    ChoiceButton* every = popUp(*view, "scheduleDays");
    EXPECT_EQ(entriesOf(every), (QStringList{"Every day", "Every week ✓", "Every month"}));
    choose(every, "Every day");
    EXPECT_EQ(stored()["scheduleDays"], 1);
    EXPECT_TRUE(
        view->layout().find("Turn on the helper above so this can run while Kelvora is closed."));
    for (const auto& text : view->layout().texts)
        EXPECT_FALSE(text.lines.text().startsWith("Last ran")) << "it never ran";

    // The helper's run reads the switch from the same file: on, and never run, it is due.
    auto run = runKelvora({"--empty-expired-shelf"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Emptied 0 KB of expired cleanups · 0 still held\n");
    auto ran = Prefs::lastScheduledClean();
    ASSERT_TRUE(ran) << "the other process ran the scheduled clean";
    ASSERT_TRUE(waitUntil([&] {
        return Prefs::lastScheduledClean(model->settings().document).has_value();
    })) << "the controller reads the file again once another process changed it";

    SettingsView again(*model, outside.services());
    EXPECT_EQ(popUp(again, "shelfDays")->shownLabel(), "14 days");
    EXPECT_EQ(popUp(again, "scheduleDays")->shownLabel(), "Every day");
    EXPECT_FALSE(toggle(again, "showMenuBar")->isOn());
    QString line = *SettingsText::lastRan(ran, 0, again.state().now);
    EXPECT_TRUE(line.startsWith("Last ran ") && line.endsWith(", with too little to clear."));
    EXPECT_TRUE(again.layout().find(line));
}

TEST_F(SettingsViewTest, TheHelperSwitchShowsTheStatusReadAfterEachUse) {
    KELVORA_REQUIRE_GUI();
    const std::string missing = ShelfSweeper::kNoServiceManager;
    struct Case {
        const char* name;
        std::vector<Status> statuses; // at opening, then after the click
        bool click;
        std::optional<std::string> fails;
        bool on;
        QString note;
        bool enabled = true; // a click reaches the helper
    } cases[] = {
        {"turned on", {Status::off(), Status::on()}, true, {}, true, ""},
        {"refused",
         {Status::off(), Status::off()},
         true,
         "systemd didn’t enable the helper.",
         false,
         "systemd didn’t enable the helper."},
        {"turned off", {Status::on(), Status::off()}, true, {}, false, ""},
        {"waiting", {Status::needsApproval()}, false, {}, true, "It starts with your next login."},
        // Nothing could turn it on: the switch is disabled, and the note says why.
        {"missing",
         {Status::unavailable(missing)},
         true,
         {},
         false,
         QString::fromStdString(missing),
         false},
    };
    auto model = this->model();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Prefs::remove(Prefs::Key::shelfHelperDecided);
        outside = Outside{};
        outside.statuses = c.statuses;
        outside.setFails = c.fails;
        auto view = shown(*model);
        bool before = toggle(*view, "helper")->isOn();
        EXPECT_EQ(toggle(*view, "helper")->isEnabled(), c.enabled);
        if (c.click) click(toggle(*view, "helper"));
        const bool reached = c.click && c.enabled;
        EXPECT_EQ(outside.sets, reached ? std::vector<bool>{!before} : std::vector<bool>{});
        EXPECT_EQ(Prefs::boolean(Prefs::Key::shelfHelperDecided), reached);
        EXPECT_EQ(toggle(*view, "helper")->isOn(), c.on);
        Snapshot::setSnapshot(view.get(), true);
        QImage image = Render::widget(*view);
        if (!c.enabled) keepPicture(image, "settings-helper-unavailable");
        // The note, when there is one, comes right after the switch's title and description.
        const auto& next = view->layout().texts[3];
        EXPECT_EQ(next.lines.text(), c.note.isEmpty() ? "An app nobody has opened for" : c.note);
        if (!c.note.isEmpty()) {
            EXPECT_GT(inked(image, view->layout(), c.note, Theme::signalText()), 20);
        }
        auto* link = view->findChild<TextLinkButton*>("openLoginItems");
        EXPECT_EQ(link->isVisible(), c.statuses.front() == Status::needsApproval());
        if (link->isVisible()) {
            click(link);
            EXPECT_EQ(outside.loginItemsOpened, 1);
        }
    }
}

TEST_F(SettingsViewTest, TheNeverTouchListAppendsNewPathsInOrderAndRemovesThem) {
    KELVORA_REQUIRE_GUI();
    std::string projects = env.home() + "/Projects";
    outside.choices = {QStringList{QString::fromStdString(projects), "/private/var/tmp/build"},
                       std::nullopt,
                       QStringList{QString::fromStdString(projects), "/srv/b", "/srv/a"}};
    auto model = this->model();
    auto view = shown(*model);
    auto* add = view->findChild<OutlineButton*>("addNeverTouch");
    auto list = [&] { return stored()["neverTouch"].get<std::vector<std::string>>(); };
    auto rows = [&] {
        QStringList shown;
        for (const auto& row : view->layout().rows)
            shown << row.shown;
        return shown;
    };

    click(add);
    EXPECT_EQ(list(), (std::vector<std::string>{projects, "/private/var/tmp/build"}));
    EXPECT_EQ(rows(), (QStringList{"~/Projects", "/var/tmp/build"}));
    click(add); // cancelled
    EXPECT_EQ(list().size(), 2u);
    click(add);
    EXPECT_EQ(list(),
              (std::vector<std::string>{projects, "/private/var/tmp/build", "/srv/b", "/srv/a"}));
    EXPECT_FALSE(view->layout().find("Nothing added yet"));

    // Named as its row reads.
    auto removeButton = [&](const QString& row) -> QWidget* {
        for (auto* button : view->findChildren<RemoveButton*>("removeNeverTouch"))
            if (button->accessibleName() == "Remove " + row) return button;
        ADD_FAILURE() << "no button named as the row " << row.toStdString();
        return nullptr;
    };
    click(removeButton("/srv/b"));
    EXPECT_EQ(list(), (std::vector<std::string>{projects, "/private/var/tmp/build", "/srv/a"}));
    EXPECT_EQ(rows(), (QStringList{"~/Projects", "/var/tmp/build", "/srv/a"}));
    for (const QString& row : rows())
        click(removeButton(row));
    EXPECT_TRUE(stored()["neverTouch"].is_array());
    EXPECT_TRUE(list().empty());
    EXPECT_TRUE(view->layout().find("Nothing added yet"));
    EXPECT_TRUE(view->findChildren<RemoveButton*>().isEmpty());
}

TEST_F(SettingsViewTest, ALookChosenAppliesAtOnce) {
    KELVORA_REQUIRE_GUI();
    auto model = this->model();
    auto view = shown(*model);
    auto* look = view->findChild<SegmentedControl*>("appearance");
    auto pick = [&](int segment) {
        QTest::mouseClick(look, Qt::LeftButton, {}, look->segmentRect(segment).center().toPoint());
    };
    pick(2);
    EXPECT_EQ(stored()["appearance"], "dark");
    EXPECT_EQ(Theme::appearance(), Appearance::dark);
    EXPECT_EQ(look->current(), 2);
    pick(1);
    EXPECT_EQ(stored()["appearance"], "light");
    EXPECT_EQ(Theme::appearance(), Appearance::light);
    pick(0);
    EXPECT_EQ(stored()["appearance"], "system");
    EXPECT_EQ(look->current(), 0);
}

// The column is taller than the window: it scrolls, under the thin scroller rather than a
// classic scroll bar, down to the last row, whose button brings the welcome back.
TEST_F(SettingsViewTest, ScrolledToTheEndTheWelcomeComesBackAndTheWindowCloses) {
    KELVORA_REQUIRE_GUI();
    auto model = this->model();
    auto view = shown(*model);
    QScrollArea* area = view->scrolling()->scrollArea();
    ASSERT_TRUE(area);
    EXPECT_GE(view->page()->height(), std::ceil(view->layout().size.height()));
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(ThinScroller::of(area));
    for (QScrollBar* bar : view->findChildren<QScrollBar*>())
        EXPECT_FALSE(bar->isVisible());
    auto* button = view->findChild<OutlineButton*>("showWelcome");
    area->ensureWidgetVisible(button);
    EXPECT_EQ(area->verticalScrollBar()->value(), area->verticalScrollBar()->maximum());
    QSignalSpy welcome(view.get(), &SettingsView::welcomeShown);
    click(button);
    EXPECT_TRUE(model->showingWelcome());
    EXPECT_EQ(welcome.count(), 1);
    EXPECT_FALSE(view->isVisible());
}

TEST_F(SettingsViewTest, TheWindowDrawsEverySectionInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    Prefs::setLastScheduledClean(addSeconds(currentDate(), -86400 - 3600));
    Prefs::setLastScheduledFreed(1'240'000'000);
    Prefs::setStringList(Prefs::Key::neverTouch,
                         {env.home() + "/Projects/client-archive", "/private/var/backups"});
    outside.statuses = {Status::needsApproval()};
    auto model = this->model();
    SettingsView view(*model, outside.services());
    const SettingsLayout& layout = view.layout();
    ASSERT_EQ(layout.rows.size(), 2u);
    EXPECT_EQ(layout.rows[0].shown, "~/Projects/client-archive");
    EXPECT_EQ(layout.rows[1].shown, "/var/backups");
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(appearance == Appearance::dark ? "dark" : "light");
        Theme::Scope scope(appearance);
        Snapshot::setSnapshot(&view, true);
        QImage image = Render::widget(view, layout.size.toSize());
        keepPicture(image, appearance == Appearance::dark ? "settings-dark" : "settings");
        EXPECT_EQ(image.width(), 1120) << "the whole column at the window's width";
        EXPECT_TRUE(near(at(image, 3, 3), Theme::ground()));
        QRectF on = layout.switches.at(Switch::helper);
        EXPECT_TRUE(near(at(image, on.left() + 5, on.center().y()), Theme::signal()))
            << "waiting for approval, the switch shows on";
        EXPECT_GT(inked(image, layout, "Last ran yesterday, freeing 1.2 GB.", Theme::faint()), 20);
        EXPECT_GT(inked(image, layout,
                        "Turn on the helper above so this can run while Kelvora is closed.",
                        Theme::signalText()),
                  20);
        QRectF row = layout.rows[0].rect;
        EXPECT_TRUE(near(at(image, row.left() + 4, row.center().y()), Theme::panel()));
        EXPECT_GT(countNear(image, layout.rows[0].path, Theme::ink(), 40), 30);
        EXPECT_GT(countNear(image, layout.rows[1].remove, Theme::muted(), 40), 10);
        EXPECT_GT(
            countNear(image, QRectF(row.left() + 20, row.bottom() - 1, 40, 1), Theme::line(), 6),
            40)
            << "the rule between the rows";
        QRectF chosen = view.findChild<SegmentedControl*>("appearance")->segmentRect(0);
        chosen.translate(layout.appearance.topLeft());
        EXPECT_TRUE(near(at(image, chosen.left() + 4, chosen.top() + 3), Theme::panel()));
        EXPECT_GT(countNear(image, chosen, Theme::ink(), 40), 40) << "Match my computer";
    }
}

// The window at its default size and at the size it takes on a 1100 × 720 screen inside a
// window manager's frame, light and dark: the column fills the window's width, and scrolled
// to its end it shows its last button whole.
TEST_F(SettingsViewTest, TheWindowDrawsAtItsDefaultSizeAndOnASmallScreenScrollsToItsEnd) {
    KELVORA_REQUIRE_GUI();
    auto model = this->model();
    SettingsView view(*model, outside.services());
    const QSize small =
        WindowFit::fitIn(QRect(0, 0, 1100, 720), QMargins(1, 20, 1, 5),
                         QRect(QPoint(270, 10), view.sizeHint()), SettingsView::kSmallestSize)
            .geometry.size();
    EXPECT_EQ(view.sizeHint(), QSize(560, 700));
    EXPECT_EQ(small, QSize(560, 695));
    for (QSize size : {view.sizeHint(), small}) {
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            const std::string name = "settings-window-" + std::to_string(size.width()) + "x" +
                                     std::to_string(size.height()) +
                                     (appearance == Appearance::dark ? "-dark" : "-light");
            SCOPED_TRACE(name);
            Theme::Scope scope(appearance);
            // Drawn as the window shows, in its scroll area rather than whole as a still
            // picture of the column would be.
            QImage top = Render::widget(view, size);
            QScrollArea* area = view.scrolling()->scrollArea();
            ASSERT_TRUE(area);
            area->verticalScrollBar()->setValue(0);
            top = Render::widget(view, size);
            keepPicture(top, name);
            ASSERT_EQ(top.size(), size * 2);
            EXPECT_EQ(view.page()->width(), size.width()) << "the column fills the width";
            EXPECT_TRUE(near(at(top, 3, size.height() - 3), Theme::ground()));
            const QRectF first = view.layout().captions.front().first;
            EXPECT_GT(countNear(top, first, Theme::faint(), 60) +
                          countNear(top, first, Theme::muted(), 60),
                      10)
                << "the first section's caption";

            auto* last = view.findChild<QWidget*>("showWelcome");
            area->ensureWidgetVisible(last);
            EXPECT_GT(area->verticalScrollBar()->value(), 0) << "the column scrolls";
            QImage end = Render::widget(view, size);
            keepPicture(end, name + "-end");
            const QRectF place(last->mapTo(&view, QPoint()), last->size());
            EXPECT_TRUE(QRectF(QPointF(), size).contains(place));
            EXPECT_GT(countNear(end, place, Theme::ink(), 60), 30) << "its words";
        }
    }
}

// The settings folder the user can no longer write to: a change is shown as it was saved
// before, and the window says why, above the column wherever it is scrolled.
TEST_F(SettingsViewTest, AChangeThatCannotBeSavedSaysWhyAndEveryControlShowsWhatIsStored) {
    KELVORA_REQUIRE_GUI();
    Prefs::setInteger(Prefs::Key::shelfDays, 14);
    outside.choices = {QStringList{"/srv/keep"}};
    auto model = this->model();
    auto view = shown(*model);
    std::string folder = parentPath(env.settingsFile());
    for (const std::string& open : {env.dir().path(), env.config()})
        chmod(open.c_str(), 0755);
    const std::string said = "Kelvora couldn’t save the last change, so it is not in effect. "
                             "Could not write " +
                             env.settingsFile() + ": permission was refused.";
    {
        AsNobody nobody;
        ASSERT_TRUE(nobody);
        choose(popUp(*view, "shelfDays"), "30 days");
        click(view->findChild<OutlineButton*>("addNeverTouch"));
    }
    EXPECT_EQ(stored()["shelfDays"], 14);
    EXPECT_FALSE(stored().contains("neverTouch"));
    EXPECT_EQ(popUp(*view, "shelfDays")->shownLabel(), "14 days");
    EXPECT_TRUE(view->layout().rows.empty()) << "the path that was not saved is not listed";
    EXPECT_TRUE(view->layout().find("Nothing added yet"));
    ASSERT_TRUE(view->noticeBar()->isVisible());
    ASSERT_TRUE(view->noticeBar()->banner());
    const SettingsBanner& banner = *view->noticeBar()->banner();
    EXPECT_EQ(banner.text.lines.text().toStdString(), said);
    EXPECT_EQ(view->noticeBar()->accessibleName().toStdString(), said);
    EXPECT_EQ(view->noticeBar()->height(), static_cast<int>(banner.size.height()));
    EXPECT_EQ(view->scrolling()->y(), view->noticeBar()->height()) << "the column starts below";

    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(appearance == Appearance::dark ? "dark" : "light");
        Theme::Scope scope(appearance);
        Snapshot::setSnapshot(view.get(), true);
        QImage image = Render::widget(*view, view->sizeHint());
        keepPicture(image, appearance == Appearance::dark ? "settings-not-saved-dark"
                                                          : "settings-not-saved");
        EXPECT_TRUE(near(at(image, banner.size.width() - 4, 4), Theme::panel()));
        EXPECT_GT(countNear(image, banner.symbol, Theme::signalText(), 40), 20);
        EXPECT_GT(countNear(image, QRectF(banner.text.at, banner.text.lines.size()),
                            Theme::signalText(), 40),
                  200);
        EXPECT_TRUE(near(at(image, 40, banner.rule.top() + 0.5), Theme::line(), 12));
    }

    // Once a change is saved again, the window stops saying so.
    choose(popUp(*view, "shelfDays"), "30 days");
    EXPECT_EQ(stored()["shelfDays"], 30);
    EXPECT_EQ(popUp(*view, "shelfDays")->shownLabel(), "30 days");
    EXPECT_FALSE(view->noticeBar()->isVisible());
    EXPECT_TRUE(waitUntil([&] { return view->scrolling()->y() == 0; }));
}

TEST_F(SettingsViewTest, ADamagedSettingsFileIsSaidInTheWindow) {
    KELVORA_REQUIRE_GUI();
    env.dir().write("config/Kelvora/settings.json", "{\"shelfDays\": 14,");
    auto model = this->model();
    auto view = shown(*model);
    ASSERT_TRUE(view->noticeBar()->banner());
    // The words themselves are pinned where the controller says them.
    EXPECT_EQ(view->noticeBar()->banner()->text.lines.text().toStdString(),
              model->settingsError().value_or("no error"));
    EXPECT_EQ(popUp(*view, "shelfDays")->shownLabel(), "7 days");
    Snapshot::setSnapshot(view.get(), true);
    QImage image = Render::widget(*view, view->sizeHint());
    keepPicture(image, "settings-damaged");
    const SettingsBanner& banner = *view->noticeBar()->banner();
    EXPECT_GT(
        countNear(image, QRectF(banner.text.at, banner.text.lines.size()), Theme::signalText(), 40),
        200);
}

} // namespace
} // namespace kelvora::testing
