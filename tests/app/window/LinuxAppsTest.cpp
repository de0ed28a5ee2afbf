#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/VirtualDisplay.h"
#include "app/support/WindowSteps.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "engine/DiskScanner.h"
#include "panes/ShelfView.h"
#include "panes/UninstallSheet.h"
#include "platform/AppImages.h"
#include "platform/DesktopEntry.h"
#include "support/DesktopFiles.h"
#include "window/AppEvents.h"
#include "window/CategoryList.h"
#include "window/CategoryRows.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/HeaderBar.h"
#include "window/MainWindow.h"
#include "window/RootView.h"
#include "window/SheetOverlay.h"

#include <QTest>

namespace kelvora::testing {
namespace {

// A desktop's home as a new user has it: which desktop, in which language, with its own
// unused AppImage.
struct Desktop {
    std::string name;
    std::string currentDesktop; // XDG_CURRENT_DESKTOP
    std::string language;       // LANG
    std::string downloads;      // the Downloads folder user-dirs.dirs names
    std::string appImage;       // the unused AppImage's file name
    std::string appName;        // its entry's Name in the user's language
    std::string entryLines;     // its entry's further lines
};

void PrintTo(const Desktop& desktop, std::ostream* out) {
    *out << desktop.name;
}

const Desktop kGnome{"gnome",
                     "ubuntu:GNOME",
                     "fr_FR.UTF-8",
                     "Téléchargements",
                     "Sketchbook-3.2.0-x86_64.AppImage",
                     "Carnet de croquis",
                     "Name[fr]=Carnet de croquis\n"};
const Desktop kKde{"kde",
                   "KDE",
                   "en_GB.UTF-8",
                   "Downloads",
                   "kdenlive-23.08.4-x86_64.AppImage",
                   "Kdenlive",
                   "OnlyShowIn=KDE;\n"};

class LinuxAppsTest : public ControllerTest, public ::testing::WithParamInterface<Desktop> {
protected:
    // An AppImage the menu runs, kept in Downloads and run last week; an AppImage last run
    // half a year ago with its menu entry and icon; the data Flatpak left of an app it no
    // longer has.
    struct Home {
        std::string launched; // the AppImage the menu runs
        std::string unused;
        std::string entry;
        std::string icon;
        std::string flatpakData;
    };

    Home writeHome(const Desktop& desktop) {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        writeAt(env.config() + "/user-dirs.dirs",
                "XDG_DOWNLOAD_DIR=\"$HOME/" + desktop.downloads + "\"\n");
        const Date now = currentDate();
        auto daysAgo = [&](double days) { return addSeconds(now, -days * 86400); };
        const std::string apps = env.data() + "/applications";
        Home home;

        home.launched = writeAppImage(env.home() + "/" + desktop.downloads + "/Obsidian.AppImage");
        writeDesktopEntry(apps + "/obsidian.desktop", "Obsidian", home.launched + " %U",
                          "obsidian");
        setTimes(home.launched, daysAgo(10), daysAgo(300));

        // A shell script stands in for the AppImage, so that launching it leaves a trace.
        home.unused = writeAt(env.home() + "/Applications/" + desktop.appImage,
                              "#!/bin/sh\ntouch \"$0.launched\"\n");
        chmod(home.unused.c_str(), 0755);
        const std::string key = "appimagekit_9f1c" + desktop.name;
        home.entry = writeDesktopEntry(apps + "/" + key + "-app.desktop",
                                       desktop.appName == "Kdenlive" ? "Kdenlive" : "Sketchbook",
                                       home.unused + " %U", key, desktop.entryLines);
        home.icon = writeAt(env.data() + "/icons/hicolor/256x256/apps/" + key + ".png", "png");
        setTimes(home.unused, daysAgo(200), daysAgo(300));

        createDirectories(env.dir() / "system/var/lib/flatpak/app/org.gnome.Calculator/current");
        const std::string kritarc = write(".var/app/org.kde.krita/config/kritarc", "[General]");
        home.flatpakData = parentPath(parentPath(kritarc));
        for (const std::string& path : {kritarc, parentPath(kritarc), home.flatpakData})
            setTimes(path, daysAgo(30), daysAgo(30));
        sync();
        return home;
    }

    static const ScanItem* itemAt(const AppModel& model, const std::string& path) {
        for (const ScanItem& item : model.result()->items)
            if (item.location.path() == path) return &item;
        return nullptr;
    }
};

// Through the real window, on each desktop's home: the scan offers the unused AppImage and
// Flatpak's leftover data and leaves the AppImage the menu runs alone; the AppImage, opened
// with Kelvora, is removed with its entry and icon, then put back from the Undo Shelf, and
// its menu entry launches it again.
TEST_P(LinuxAppsTest, AnUnusedAppImageGoesWithItsEntryAndIconAndComesBackLaunchable) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    const Desktop& desktop = GetParam();
    DesktopSession session(desktop.currentDesktop, desktop.language);
    const Home home = writeHome(desktop);
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    ASSERT_NO_FATAL_FAILURE(showAndScan(window, *model));

    const ScanItem* unused = itemAt(*model, home.unused);
    ASSERT_TRUE(unused) << "offered as an unused app";
    EXPECT_EQ(unused->kind, JunkKind::apps);
    EXPECT_EQ(unused->app()->name, desktop.appName);
    EXPECT_EQ(unused->targets,
              (std::vector<URL>{URL::fileURL(home.unused), URL::fileURL(home.entry),
                                URL::fileURL(home.icon)}));
    EXPECT_FALSE(itemAt(*model, home.launched)) << "the app the menu runs is no installer";

    // The unused apps with the AppImage in view, then its uninstall sheet, at the smallest
    // window and the default one, light and dark: each picture is kept to be looked at.
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    model->setMode(AppModel::ViewMode::detailed);
    model->setCategory(JunkKind::apps);
    model->setFocusedItem(URL::fileURL(home.unused));
    for (bool sheet : {false, true}) {
        if (sheet) {
            model->prepareUninstall(URL::fileURL(home.unused));
            ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
        }
        for (QSize size : {QSize(1100, 720), QSize(1280, 820)})
            for (Appearance appearance : {Appearance::light, Appearance::dark}) {
                const std::string name =
                    std::string(sheet ? "appimage-uninstall-" : "appimage-apps-") + desktop.name +
                    "-" + std::to_string(size.width()) +
                    (appearance == Appearance::dark ? "-dark" : "-light");
                SCOPED_TRACE(name);
                Theme::Scope scope(appearance);
                RootView root(*model, 0);
                Snapshot::setSnapshot(&root, true);
                root.applyForeground();
                QImage image = Render::widget(root, size);
                keepPicture(image, name);
                if (!sheet) {
                    auto* list = root.findChild<CategoryList*>();
                    ASSERT_TRUE(list);
                    ASSERT_EQ(list->rows()->rowCount(), 1);
                    EXPECT_EQ(list->rows()->item(0)->location.path(), home.unused);
                    continue;
                }
                auto* shown = root.findChild<UninstallSheet*>();
                ASSERT_TRUE(shown);
                const QRect placed(shown->mapTo(&root, QPoint(0, 0)), shown->size());
                EXPECT_TRUE(root.rect().contains(placed)) << "the whole sheet is on screen";
                EXPECT_EQ(shown->layout().paths.size(), 3u);
            }
    }
    model->closeUninstall();

    // The removed Flatpak's data, in the leftovers the sidebar opens.
    DetailedView* detailed = detailedView(window);
    ASSERT_NO_FATAL_FAILURE(
        clickSidebarRow(window, Sidebar::Destination::category, JunkKind::leftovers));
    CategoryList* list = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        list = detailed->paneWidget()->findChild<CategoryList*>();
        return model->category() == JunkKind::leftovers && list && list->rows()->rowCount() == 1 &&
               list->rows()->item(0)->kind == JunkKind::leftovers;
    }));
    const ScanItem* leftover = list->rows()->item(0);
    EXPECT_EQ(leftover->location.path(), home.flatpakData);
    EXPECT_EQ(leftover->leftover()->name, "org.kde.krita");
    EXPECT_EQ(leftover->leftover()->kind, ScanItem::LeftoverInfo::Kind::flatpakData);

    // Opened with Kelvora, as the file manager's "Open With" does.
    emit AppEvents::shared().kelvoraOpenApps({URL::fileURL(home.unused)});
    UninstallSheet* sheet = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        SheetOverlay* overlay = window.root()->uninstallSheet();
        sheet = overlay ? qobject_cast<UninstallSheet*>(overlay->sheet()) : nullptr;
        return sheet && sheet->isVisible();
    }));
    EXPECT_EQ(sheet->layout().title.text().toStdString(), "Remove " + desktop.appName + "?");
    EXPECT_EQ(sheet->layout().subtitle.text().toStdString(),
              "The app, plus 2 files that go with it.");
    QTest::keyClick(sheet, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return model->uninstallReport().has_value(); }));
    EXPECT_TRUE(model->uninstallReport()->failures.empty());
    for (const auto& path : {home.unused, home.entry, home.icon})
        EXPECT_FALSE(fileExists(path)) << path;
    QTest::keyClick(sheet, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return !model->uninstallTarget(); })) << "Done closes it";

    // Put back from the Undo Shelf, reached by the header's button.
    OutlineButton* shelfButton = window.root()->header()->shelfButton();
    ASSERT_TRUE(waitUntil([&] { return shelfButton->isVisible(); }));
    QTest::mouseClick(shelfButton, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::shelf; }));
    auto* shelf = qobject_cast<ShelfView*>(detailed->paneWidget());
    ASSERT_TRUE(shelf);
    auto* putAllBack = shelf->findChild<TextLinkButton*>("putAllBack");
    ASSERT_TRUE(waitUntil([&] { return putAllBack->isVisible(); }));
    QTest::mouseClick(putAllBack, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy() && model->sweeps().empty(); }));
    for (const auto& path : {home.unused, home.entry, home.icon})
        EXPECT_TRUE(fileExists(path)) << path;

    auto entry = DesktopEntry::read(home.entry);
    ASSERT_TRUE(entry);
    auto program = AppImages::programFile(entry->program().value_or(""), "");
    EXPECT_EQ(program, home.unused) << "the entry's Exec resolves to the restored file";
    // Launched as the desktop's launcher does, by the entry's command.
    const std::vector<std::string> words = entry->execWords().value_or(std::vector<std::string>());
    ASSERT_FALSE(words.empty());
    auto launched = DiskScanner::runTool(words[0], {words.begin() + 1, words.end()}, 20);
    ASSERT_TRUE(launched);
    EXPECT_EQ(launched->status, 0);
    EXPECT_TRUE(fileExists(home.unused + ".launched")) << "the menu entry launches it again";
}

INSTANTIATE_TEST_SUITE_P(Homes, LinuxAppsTest, ::testing::Values(kGnome, kKde),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace kelvora::testing
