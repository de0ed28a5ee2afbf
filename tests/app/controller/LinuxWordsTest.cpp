#include "app/controller/ControllerFixture.h"

#include "login/LoginItemSwitch.h"
#include "onboarding/SettingsLayout.h"
#include "onboarding/SettingsText.h"
#include "panes/LoginItemsText.h"
#include "panes/SearchText.h"
#include "panes/SpaceMapText.h"
#include "panes/UninstallText.h"

namespace kelvora::testing {
namespace {

// What only a Mac has: a text that names it cannot be true where this runs.
const char* const kMacOnly[] = {"macOS",       "System Events",    "System Settings",
                                "Login Items", "Full Disk Access", "Privacy & Security",
                                "Finder",      "Spotlight"};

LoginItem loginItem(LoginItem::Source source,
                    LoginItem::State state = LoginItem::State::waiting()) {
    LoginItem item;
    item.source = source;
    item.label = "org.example.sync";
    item.name = "Sync";
    item.owner = "Sync";
    item.state = state;
    item.startsAtLogin = true;
    return item;
}

class LinuxWordsTest : public ControllerTest {};

TEST_F(LinuxWordsTest, WhatShowsOnThisComputerSpeaksOfThisComputer) {
    write("Applications/Notes.app", "not a bundle");
    env.dir().write("config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n");
    auto model = makeModel();
    model->prepareUninstall(URL::fileURL(env.home() + "/Applications/Notes.app"));
    ASSERT_TRUE(waitUntil([&] { return model->shelfError().has_value(); }));
    model->search("clips in videos");
    ASSERT_TRUE(model->searchQuery());

    ScanItem locked;
    locked.kind = JunkKind::apps;
    locked.location = URL::fileURL("/Applications/Sketchpad.app", true);
    locked.targets = {locked.location};
    locked.baseVerdict = Verdict::youDecide;
    locked.lockedReason = "Installed by an administrator";
    LoginItemSwitch failing([](const std::string&, const std::vector<std::string>&) {
        return std::optional<int32_t>(1);
    });
    using Source = LoginItem::Source;
    auto notLoaded = loginItem(Source::userAgent, LoginItem::State::notLoaded());
    ShelfSweeper::Status waiting = ShelfSweeper::Status::needsApproval();

    struct Case {
        const char* where;
        std::string text;
        const char* says; // what it must say here, if anything
    } cases[] = {
        {"explanation of an app an administrator installed", model->catalog().explanation(locked),
         "desktop asks for it"},
        {"uninstall sheet of that app", UninstallText::message(locked, std::nullopt, 7),
         "desktop asks for it"},
        {"refusal of what is no app", *model->shelfError(), "isn’t an app Kelvora can read"},
        {"chip of the videos folder",
         model->searchQuery()->chips(QueryCalendar::gregorian(), model->searchFolderNames()).back(),
         "In Videos"},
        {"search's introduction", SearchText::kIntroBody.toStdString(), "looks through"},
        {"space map's unread folders",
         SpaceMapText::privateLine({{URL::fileURL("/root/", true), "root", {}, true}}).value_or(""),
         "Closed to Kelvora"},
        {"ask card", LoginItemsText::kAskDetail.toStdString(), "its own data folder"},
        {"daemon's button",
         LoginItemsText::action(loginItem(Source::systemDaemon), 7).tooltip.toStdString(),
         "administrator"},
        {"helper's button",
         LoginItemsText::action(loginItem(Source::appHelper), 7).tooltip.toStdString(),
         "app’s settings"},
        {"job not started, read aloud", LoginItemsText::badgeSpoken(notLoaded).toStdString(), ""},
        {"job not started", LoginItemsText::notLoadedNote(notLoaded)->toStdString(),
         "doesn’t start launch agents at login"},
        {"daemon's note",
         LoginItemsText::switchNote(loginItem(Source::systemDaemon))->toStdString(),
         "only an administrator"},
        {"helper's note", LoginItemsText::switchNote(loginItem(Source::appHelper))->toStdString(),
         ""},
        {"agent not switched on",
         *failing.set(loginItem(Source::userAgent, LoginItem::State::off()), true), ""},
        {"agent not switched off", *failing.set(loginItem(Source::userAgent), false), ""},
        {"app not switched", *failing.set(loginItem(Source::openAtLogin), false), ""},
        {"daemon not switched", *failing.set(loginItem(Source::systemDaemon), false), ""},
        {"helper waiting for login", SettingsText::helperNote(waiting, {}).text.toStdString(),
         "next login"},
        {"helper's folder link", SettingsLayout::kOpenLoginItems.toStdString(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        for (const char* word : kMacOnly)
            EXPECT_EQ(c.text.find(word), std::string::npos) << c.text;
        EXPECT_NE(c.text.find(c.says), std::string::npos) << c.text;
    }
}

} // namespace
} // namespace kelvora::testing
