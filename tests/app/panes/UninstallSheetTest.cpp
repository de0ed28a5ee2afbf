#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/VirtualDisplay.h"

#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Theme.h"
#include "model/Format.h"
#include "panes/UninstallSheet.h"
#include "panes/UninstallText.h"
#include "platform/FileSystem.h"

#include <QTest>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

using Button = UninstallSheetLayout::Button;
using State = UninstallText::State;

ScanItem appItem(const std::string& name, std::optional<int> leftoverCount) {
    ScanItem item;
    item.kind = JunkKind::apps;
    item.location = URL::fileURL("/home/al/Applications/" + name + ".app", true);
    item.targets = {item.location};
    item.bytes = 120'000'000;
    if (leftoverCount) item.record = ScanItem::AppInfo{name, "com.example.app", {}, *leftoverCount};
    return item;
}

ScanItem leftoversItem(const std::string& name, int targets) {
    ScanItem item;
    item.kind = JunkKind::leftovers;
    item.location = URL::fileURL("/home/al/Library/Application Support/" + name, true);
    for (int i = 0; i < targets; ++i)
        item.targets.push_back(URL::fileURL("/home/al/Library/Caches/" + name + std::to_string(i)));
    item.bytes = 4'000'000;
    item.record = ScanItem::LeftoverInfo{};
    item.leftover()->name = name;
    return item;
}

// An AppImage with its menu entry, its icon and the link that runs it (the first of them).
ScanItem appImageItem(int companions = 3) {
    ScanItem item = appItem("Obsidian", companions);
    item.location = URL::fileURL("/home/al/Applications/Obsidian-1.5.3.AppImage");
    item.targets = {item.location,
                    URL::fileURL("/home/al/.local/share/applications/obsidian.desktop"),
                    URL::fileURL("/home/al/.local/share/icons/hicolor/256x256/apps/obsidian.png"),
                    URL::fileURL("/home/al/.local/bin/obsidian")};
    item.targets.resize(1 + companions);
    item.app()->bundleID = "Obsidian-1.5.3.AppImage";
    return item;
}

// The data a Flatpak app left in the home.
ScanItem flatpakLeftovers() {
    ScanItem item = leftoversItem("org.kde.krita", 0);
    item.location = URL::fileURL("/home/al/.var/app/org.kde.krita", true);
    item.targets = {item.location};
    item.leftover()->kind = ScanItem::LeftoverInfo::Kind::flatpakData;
    item.leftover()->id = "org.kde.krita";
    item.leftover()->places = {"~/.var/app"};
    return item;
}

TEST(UninstallTextTest, TitlesSubtitlesAndFileListsCountInTheirNumber) {
    const std::string sketchpad = "Remove Sketchpad?", inkwell = "Clean up after Inkwell?";
    struct Case {
        ScanItem item;
        std::string title;
        std::string subtitle;
        size_t listed;
        std::optional<std::string> more = {};
    } cases[] = {
        {appItem("Sketchpad", 1), sketchpad, "The app, plus 1 file it keeps in your Library.", 1},
        {appItem("Sketchpad", 0), sketchpad, "The app, plus 0 files it keeps in your Library.", 1},
        {appItem("Sketchpad", std::nullopt), "Remove Sketchpad.app?",
         "The app, plus 0 files it keeps in your Library.", 1},
        {leftoversItem("Inkwell", 1), inkwell, "Inkwell is gone, but left 1 item in your Library.",
         1},
        {leftoversItem("Inkwell", 7), inkwell, "Inkwell is gone, but left 7 items in your Library.",
         7},
        {leftoversItem("Inkwell", 12), inkwell,
         "Inkwell is gone, but left 12 items in your Library.", 7, "and 5 more"},
        // An AppImage keeps nothing in a Library, and neither does a Flatpak app.
        {appImageItem(), "Remove Obsidian?", "The app, plus 3 files that go with it.", 4},
        {appImageItem(1), "Remove Obsidian?", "The app, plus 1 file that goes with it.", 2},
        {flatpakLeftovers(), "Clean up after org.kde.krita?",
         "org.kde.krita is gone, but left 1 item in your home folder.", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subtitle);
        EXPECT_EQ(UninstallText::title(c.item), c.title);
        EXPECT_EQ(UninstallText::subtitle(c.item), c.subtitle);
        auto files = UninstallText::files(c.item, "/home/al");
        EXPECT_EQ(files.paths.size(), c.listed);
        EXPECT_EQ(files.more, c.more);
    }
    ScanItem spread = leftoversItem("Inkwell", 0);
    spread.targets = {URL::fileURL("/private/var/folders/x/y"),
                      URL::fileURL("/home/al/Library/Preferences/ink.plist")};
    EXPECT_EQ(UninstallText::files(spread, "/home/al").paths,
              (std::vector<std::string>{"/var/folders/x/y", "~/Library/Preferences/ink.plist"}));
}

TEST(UninstallTextTest, EachStateSaysWhatWillHappenOrWhatHappened) {
    ScanItem ready = appItem("Sketchpad", 2);
    ScanItem locked = ready;
    locked.lockedReason = "Installed by an administrator";
    ScanItem open = locked;
    open.inUseBy = "Sketchpad";
    CleanReport moved;
    moved.shelved = 120'000'000;
    CleanReport failed = moved;
    failed.failures = {{URL::fileURL("/a"), "Could not move /a: permission was refused"},
                       {URL::fileURL("/b"), "Could not move /b: permission was refused"}};
    CleanReport empty;
    CleanReport skipped;
    skipped.skippedInUse = 1;

    struct Case {
        ScanItem item;
        std::optional<CleanReport> report;
        State state;
        std::string message;
    } cases[] = {
        {ready,
         {},
         State::ready,
         "It all waits on the Undo Shelf for 14 days, then goes for good."},
        {locked,
         {},
         State::adminInstalled,
         "An administrator installed this, so removing it takes an administrator’s password. Your "
         "desktop asks for it in its own window; Kelvora never sees the password."},
        {open, {}, State::inUse, "Sketchpad is open. Quit it, then try again."},
        {ready, moved, State::report,
         "Moved 120 MB onto the Undo Shelf. You can put it back for 14 days."},
        {ready, empty, State::report,
         "Moved 0 KB onto the Undo Shelf. You can put it back for 14 days."},
        {ready, failed, State::report,
         "2 items couldn’t be moved. Could not move /a: permission was refused."},
        // Opened after the sheet came up: the cleaner left it alone, and the sheet says so.
        {ready, skipped, State::report,
         "Sketchpad is open, so nothing was moved. Quit it, then try again."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(UninstallText::state(c.item, c.report), c.state);
        EXPECT_EQ(UninstallText::message(c.item, c.report, 14), c.message);
    }
    EXPECT_EQ(UninstallText::moveTitle(ready), "Move 120 MB to the Undo Shelf");
}

class UninstallSheetTest : public ControllerTest {
protected:
    UninstallSheetTest() { Fonts::registerFonts(KELVORA_FONTS_DIR); }

    std::unique_ptr<AppModel> snapshotModel() {
        return std::make_unique<AppModel>(ScanResult{}, AppModel::ViewMode::detailed,
                                          UndoShelf(URL::fileURL(shelfRoot(), true), 7),
                                          std::nullopt);
    }

    // A model whose cleaner finds the application running when the removal starts.
    std::unique_ptr<AppModel> modelWithAppOpenAtCleanTime(const RunningApp& app) {
        Cleaner openAtCleanTime([app] { return std::vector<RunningApp>{app}; },
                                [] { return std::vector<std::string>(); },
                                [](const ScanItem::Action&) { return std::optional<int32_t>(0); });
        return std::make_unique<AppModel>(scanner(), openAtCleanTime,
                                          UndoShelf(URL::fileURL(shelfRoot(), true), 7), tools());
    }

    static QRectF placeOf(const UninstallSheet& sheet, Button button) {
        return sheet.layout().find(button)->rect;
    }
    static std::vector<Button> shown(const UninstallSheet& sheet) {
        std::vector<Button> buttons;
        for (Button b :
             {Button::cancel, Button::move, Button::ok, Button::done, Button::usePassword})
            if (!sheet.button(b)->isHidden()) buttons.push_back(b);
        return buttons;
    }
};

TEST_F(UninstallSheetTest, EveryStateDrawsItsMessageAndButtonsInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    auto model = snapshotModel();
    ScanItem locked = appItem("Sketchpad", 3);
    locked.lockedReason = "Installed by an administrator";
    ScanItem open = locked;
    open.inUseBy = "Sketchpad";
    // An app whose menu entry names an icon shows it; any other the symbol on its chip.
    const QColor iconColor(30, 160, 70);
    QImage icon(64, 64, QImage::Format_ARGB32);
    icon.fill(iconColor);
    const std::string iconFile = env.dir().mkdir("icons") + "/obsidian.png";
    ASSERT_TRUE(icon.save(QString::fromStdString(iconFile)));
    ScanItem appImage = appImageItem();
    appImage.app()->icon = iconFile;
    struct Case {
        std::string name;
        ScanItem item;
        std::vector<Button> buttons;
        KeyRole cancelKey;
    } cases[] = {
        {"ready", appItem("Sketchpad", 3), {Button::cancel, Button::move}, KeyRole::cancel},
        {"appimage", appImage, {Button::cancel, Button::move}, KeyRole::cancel},
        {"leftovers",
         leftoversItem("Inkwell", 12),
         {Button::cancel, Button::move},
         KeyRole::cancel},
        {"admin", locked, {Button::cancel, Button::usePassword}, KeyRole::none},
        {"in-use", open, {Button::ok}, KeyRole::none},
    };
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            UninstallSheet sheet(*model, c.item);
            QImage image = Render::widget(sheet);
            keepPicture(image, "uninstall-" + c.name +
                                   (appearance == Appearance::light ? "-light" : "-dark"));
            const auto& layout = sheet.layout();
            EXPECT_EQ(image.size() / 2, QSize(480, static_cast<int>(layout.size.height())));
            EXPECT_TRUE(near(at(image, 4, layout.list.top() - 4), Theme::ground()));
            EXPECT_TRUE(
                near(at(image, layout.list.left() + 3, layout.list.center().y()), Theme::panel()));
            EXPECT_EQ(shown(sheet), c.buttons);
            EXPECT_EQ(sheet.button(Button::cancel)->keyRole(), c.cancelKey);
            EXPECT_TRUE(near(at(image, layout.icon.left() + 4, layout.icon.center().y()),
                             c.name == "appimage" ? iconColor : Theme::chip()));
            if (c.name == "leftovers") {
                EXPECT_EQ(layout.more, "and 5 more");
            }
            if (c.name == "in-use") {
                EXPECT_GT(countNear(image, QRectF(layout.messageAt, layout.message.size()),
                                    Theme::signalText(), 40),
                          30);
            }
            if (c.buttons.back() == Button::move) {
                QRectF move = placeOf(sheet, Button::move);
                EXPECT_TRUE(near(at(image, move.left() + 6, move.center().y()), Theme::signal()));
                EXPECT_EQ(sheet.button(Button::move)->keyRole(), KeyRole::confirm);
            } else {
                QRectF ink = placeOf(sheet, c.buttons.back());
                EXPECT_TRUE(near(at(image, ink.left() + 6, ink.center().y()), Theme::ink()));
            }
        }
    }
}

TEST_F(UninstallSheetTest, AnAppOpenedMeanwhileMovesNothingAndTheSheetSaysSo) {
    KELVORA_REQUIRE_GUI();
    std::string bundle = writeApp("Sketchpad", "com.example.sketchpad");
    auto model = modelWithAppOpenAtCleanTime({"Sketchpad", "com.example.sketchpad"});
    model->prepareUninstall(URL::fileURL(bundle));
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    UninstallSheet sheet(*model, *model->uninstallTarget());
    ASSERT_EQ(sheet.layout().state, State::ready);

    sheet.button(Button::move)->click();
    ASSERT_TRUE(waitUntil([&] { return model->uninstallReport().has_value(); }));
    EXPECT_EQ(sheet.layout().state, State::report);
    EXPECT_EQ(sheet.layout().message.text(),
              "Sketchpad is open, so nothing was moved. Quit it, then try again.");
    EXPECT_TRUE(fileExists(bundle));
    Theme::Scope scope(Appearance::light);
    keepPicture(Render::widget(sheet), "uninstall-nothing-moved");
}

// Drives the sheet as a person would: Return moves the application, Return again closes.
TEST_F(UninstallSheetTest, AnAppRemovedThroughTheSheetLandsOnTheShelfWithItsLeftovers) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    std::string bundle = writeApp("Sketchpad", "com.example.sketchpad");
    std::string prefs = write("Library/Preferences/com.example.sketchpad.plist", "prefs");
    write("Library/Application Support/Sketchpad/state.db", "state");
    std::string support = home().path() + "/Library/Application Support/Sketchpad";
    auto model = makeModel();
    model->prepareUninstall(URL::fileURL(bundle));
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));

    UninstallSheet sheet(*model, *model->uninstallTarget());
    EXPECT_EQ(sheet.layout().title.text(), "Remove Sketchpad?");
    EXPECT_EQ(sheet.layout().paths.size(), 3u) << "the app and both files it keeps";
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTest::keyClick(&sheet, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return model->uninstallReport().has_value(); }));

    EXPECT_EQ(sheet.layout().message.text().toStdString(),
              "Moved " + Format::size(model->uninstallReport()->shelved) +
                  " onto the Undo Shelf. You can put it back for 7 days.");
    for (const auto& path : {bundle, prefs, support})
        EXPECT_FALSE(fileExists(path)) << path;
    ASSERT_EQ(model->sweeps().size(), 1u);
    std::set<std::string> shelved;
    for (const auto& file : model->sweeps().front().entries.front().files)
        shelved.insert(file.original);
    EXPECT_EQ(shelved, (std::set<std::string>{bundle, prefs, support}));
    keepPicture(Render::widget(sheet), "uninstall-moved");

    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_FALSE(model->uninstallTarget()) << "Done closes the sheet through the controller";
}

} // namespace
} // namespace kelvora::testing
