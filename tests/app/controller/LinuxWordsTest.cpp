#include "app/controller/ControllerFixture.h"

#include "login/LoginItemSwitch.h"
#include "onboarding/SettingsLayout.h"
#include "onboarding/SettingsText.h"
#include "panes/LoginItemsText.h"
#include "panes/SearchText.h"
#include "panes/SimilarPhotosText.h"
#include "panes/SpaceMapText.h"
#include "panes/UninstallText.h"
#include "spacemap/FolderGuide.h"
#include "support/TempDir.h"

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
        {"search's introduction", SearchText::introBody({}).toStdString(), "looks through"},
        {"space map's unread folders",
         SpaceMapText::privateLine({{URL::fileURL("/root/", true), "root", {}, true}}).value_or(""),
         "Closed to Kelvora"},
        {"daemon's button",
         LoginItemsText::action(loginItem(Source::systemDaemon), 7).tooltip.toStdString(),
         "administrator"},
        {"helper's button",
         LoginItemsText::action(loginItem(Source::appHelper), 7).tooltip.toStdString(),
         "app’s settings"},
        {"job not started, read aloud", LoginItemsText::badgeSpoken(notLoaded).toStdString(), ""},
        {"job not started", LoginItemsText::stateNote(notLoaded)->toStdString(),
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
        {"login settings on GNOME",
         LoginItemsText::settingsTitle(LoginSettings::Place::gnomeStartup).toStdString(),
         "Startup Applications"},
        {"login settings on Plasma",
         LoginItemsText::settingsTitle(LoginSettings::Place::kdeAutostart).toStdString(),
         "Autostart"},
        {"login settings elsewhere",
         LoginItemsText::settingsTitle(LoginSettings::Place::folder).toStdString(),
         "autostart folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        for (const char* word : kMacOnly)
            EXPECT_EQ(c.text.find(word), std::string::npos) << c.text;
        EXPECT_NE(c.text.find(c.says), std::string::npos) << c.text;
    }
}

// Texts that name the Mac's own apps and places (Mail, Messages, the Photos library, Xcode,
// the Library folder, the menu bar) show only where this computer has them; elsewhere they
// read what is true here.
TEST_F(LinuxWordsTest, TextsNamingTheMacsOwnThingsReadWhatIsTrueHere) {
    const MacPlaces none;
    const MacPlaces mac{true, true, true, true, true};
    auto catalogOf = [](MacPlaces places) {
        Catalog catalog;
        catalog.macPlaces = [places] { return places; };
        return catalog;
    };
    auto listed = [](MacPlaces places) {
        ScanResult result;
        result.macPlaces = places;
        std::string titles;
        for (JunkKind kind : Catalog::visibleKinds(&result))
            titles += Catalog::title(kind) + "; ";
        return titles;
    };
    // A home laid out as a Linux desktop keeps it, its caches in .cache.
    TempDir other;
    other.write(".cache/tool/blob", "b");
    auto guide = [&](const std::string& relative) {
        auto answer =
            FolderGuide::explain(URL::fileURL(other / relative, true), other.url(), {}, {});
        return answer ? answer->title + ": " + answer->text : std::string();
    };

    struct Row {
        const char* where;
        std::string here;     // on a home without the Mac's own things
        std::string reading;  // what it must read there
        std::string mac;      // where they are
        const char* macWords; // what it names there
    } rows[] = {
        {"overview's categories", listed(none),
         "App caches; Old logs; Leftover temp files; Old downloads; Duplicates; Large & old "
         "files; Apps you don’t use; Trash; ",
         listed(mac), "Mail & Messages attachments"},
        {"duplicates", catalogOf(none).info(JunkKind::duplicates).blurb,
         "Files you have more than once in your own folders. The best copy stays. None is "
         "picked until you tick it.",
         catalogOf(mac).info(JunkKind::duplicates).blurb, "outside the Photos library"},
        {"similar photos' category", catalogOf(none).info(JunkKind::photos).blurb,
         "Near-identical shots in your own folders. The best of each group stays.",
         catalogOf(mac).info(JunkKind::photos).blurb, "outside the Photos library"},
        {"developer files", catalogOf(none).info(JunkKind::developer).blurb,
         "Packages and build folders in projects untouched for 3 months. They come back when "
         "you next install or build. None is picked until you tick it.",
         catalogOf(mac).info(JunkKind::developer).blurb, "plus old Xcode data"},
        {"search's introduction", SearchText::introBody(none).toStdString(),
         "Kelvora turns what you type into filters and looks through your folders, on this "
         "computer. Your own folders only, never hidden ones.",
         SearchText::introBody(mac).toStdString(), "never the Library or the Photos library"},
        {"similar photos' pane", SimilarPhotosText::subtitle(none),
         "Near-identical shots in Pictures, Desktop, Downloads and Documents.",
         SimilarPhotosText::subtitle(mac), "Never the Photos library"},
        {"settings' switch",
         SettingsLayout::switchTitle(SettingsLayout::Switch::showMenuBar).toStdString(),
         "Show Kelvora in the system tray", "", ""},
        {"space map's guide of .cache", guide(".cache"),
         "App caches: Files apps keep so they open and load faster. They make them again as "
         "needed. Kelvora’s App caches category clears these, leaving caches of open apps "
         "alone.",
         "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.where);
        EXPECT_EQ(row.here, row.reading);
        for (const char* word :
             {"Mail", "Messages", "Photos library", "Xcode", "Library", "menu bar", "command-line"})
            EXPECT_EQ(row.here.find(word), std::string::npos) << word;
        if (*row.macWords) EXPECT_NE(row.mac.find(row.macWords), std::string::npos) << row.mac;
    }
}

} // namespace
} // namespace kelvora::testing
