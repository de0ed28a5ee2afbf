#include "app/controller/ControllerFixture.h"
#include "app/support/AtSpi.h"
#include "app/support/VirtualDisplay.h"
#include "app/support/WindowSteps.h"

#include "controller/Updater.h"
#include "design/DialGeometry.h"
#include "onboarding/SettingsLayout.h"
#include "onboarding/SettingsView.h"
#include "onboarding/SystemDataHelp.h"
#include "panes/UninstallSheet.h"
#include "window/DetailSidebar.h"
#include "window/MainWindow.h"
#include "window/PickFooter.h"
#include "window/RootView.h"
#include "window/SidebarContent.h"

#include <QTest>

#include <regex>

namespace kelvora::testing {
namespace {

using Kind = AppModel::Phase::Kind;

// The windows as a screen reader reads them over AT-SPI, in a D-Bus session of their own:
// the main window with each pane, the simple view, the uninstall, System Data and receipt
// sheets and the settings window.
class AccessibilityTreeTest : public ControllerTest {
protected:
    void SetUp() override { Prefs::setBoolean(Prefs::Key::welcomeDone, true); }

    // The window's object, read afresh; fails the test when the bus gives none.
    static AtSpiObject window(const std::string& title) {
        std::string error;
        std::optional<AtSpiObject> application = AtSpiReader::application(error);
        if (!application) {
            ADD_FAILURE() << "the accessibility bus: " << error;
            return {};
        }
        for (const AtSpiObject& window : application->children)
            if (window.name == title && window.has("showing")) return window;
        ADD_FAILURE() << "no window “" << title << "” on the accessibility bus";
        return {};
    }

    // Every object on screen that the keyboard can reach has a name and a role that a
    // screen reader can say; how many there are. Whatever is said, each sentence ends once.
    static int expectEveryStopNamed(const AtSpiObject& window, const std::string& what) {
        static const std::set<std::string> silent{"",        "filler",  "panel",
                                                  "unknown", "invalid", "redundant object"};
        int stops = 0;
        window.walkShowing([&](const AtSpiObject& object) {
            for (const std::string& said : {object.name, object.description})
                EXPECT_EQ(said.find(".,"), std::string::npos) << what << ": " << object.where;
            if (!object.has("focusable")) return;
            ++stops;
            EXPECT_FALSE(object.name.empty()) << what << ": " << object.where;
            EXPECT_FALSE(silent.count(object.role)) << what << ": " << object.where;
        });
        EXPECT_GT(stops, 2) << what;
        return stops;
    }

    static const AtSpiObject* named(const AtSpiObject& root, const std::string& role,
                                    const std::string& name) {
        return root.find(
            [&](const AtSpiObject& object) { return object.role == role && object.name == name; });
    }

    // The dial says where the needle stands, in words; nothing moves it, so it offers nothing.
    static void expectDial(const AtSpiObject& window, const AppModel& model) {
        const AtSpiObject* dial = named(window, "progress bar", "Disk dial");
        ASSERT_TRUE(dial) << "the dial is a progress bar";
        const DiskSpace& disk = model.result()->disk;
        const double used = static_cast<double>(disk.total - disk.available) /
                            static_cast<double>(std::max<int64_t>(disk.total, 1));
        EXPECT_TRUE(dial->has("read only")) << dial->where;
        EXPECT_TRUE(dial->actions.empty()) << dial->actions.front();
        std::smatch said;
        ASSERT_TRUE(std::regex_match(
            dial->description, said,
            std::regex("([0-9]+) percent used now, [0-9]+ percent after cleaning")))
            << dial->description;
        EXPECT_EQ(std::stoi(said[1]), Dial::wholePercent(used));
    }
};

TEST_F(AccessibilityTreeTest, EveryStopOfTheWindowsAndSheetsSaysItsNameRoleAndState) {
    KELVORA_ON_VIRTUAL_DISPLAY_WITH_SCREEN_READER_BUS();
    write("Library/Caches/com.example.tool/blob.bin", std::string(400'000, 'c'));
    write(".Trash/old draft.txt", std::string(50'000, 't'));
    write("Library/iTunes/iPhone Software Updates/iPhone.ipsw", std::string(50'000, 'u'));
    const std::string bundle = writeApp("Sketchpad", "com.example.sketchpad");
    AppModel::Tools tools = this->tools();
    tools.measure = AppModel::Tools::live().measure;
    auto model = makeModel(tools);
    model->setMode(AppModel::ViewMode::detailed);
    Updater updater;
    MainWindow main(*model, updater);
    ASSERT_NO_FATAL_FAILURE(showAndScan(main, *model));

    // The sidebar and the overview: lists of items with their figures, the dial a gauge.
    AtSpiObject overview = window("Kelvora");
    expectEveryStopNamed(overview, "overview");
    const AtSpiObject* sidebar = named(overview, "list", "Sidebar");
    ASSERT_TRUE(sidebar);
    const std::vector<Sidebar::Row> rows = Sidebar::rows(*model);
    ASSERT_EQ(sidebar->children.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const AtSpiObject& item = sidebar->children[i];
        EXPECT_EQ(item.role, "list item") << item.where;
        EXPECT_EQ(item.name, rows[i].title);
        EXPECT_EQ(item.description, rows[i].size.value_or(""));
        EXPECT_EQ(item.has("selected"), rows[i].selected) << item.where;
        EXPECT_EQ(item.actions, std::vector<std::string>{"Open"}) << item.where;
    }
    const AtSpiObject* categories = named(overview, "list", "Categories");
    ASSERT_TRUE(categories);
    const AtSpiObject* caches = named(*categories, "list item", "App caches");
    ASSERT_TRUE(caches);
    EXPECT_TRUE(caches->description.ends_with(". Safe to remove, " +
                                              *Sidebar::size(*model, JunkKind::caches)))
        << caches->description;
    EXPECT_EQ(caches->actions, std::vector<std::string>{"Show details"});
    expectDial(overview, *model);
    // The view switch, on a start that skipped the welcome: two radio buttons, the shown
    // view's checked.
    for (const auto& [segment, checked] : {std::pair{"Simple", false}, {"Detailed", true}}) {
        const AtSpiObject* button = named(overview, "radio button", segment);
        ASSERT_TRUE(button) << segment << " is a radio button";
        EXPECT_EQ(button->has("checked"), checked) << button->where;
    }
    // What the footers show: the picks' totals as the window's status bar, the disk in words.
    const FooterContent& totals = main.findChild<PickFooter*>()->content();
    const AtSpiObject* status = named(overview, "status bar", totals.countLine);
    ASSERT_TRUE(status) << totals.countLine;
    EXPECT_EQ(status->description, totals.shelfNote);
    const Sidebar::DiskFooter& disk =
        qobject_cast<DetailSidebar*>(detailedView(main)->sidebar())->footer();
    const AtSpiObject* diskLine = named(overview, "label", disk.label + ", " + disk.freeText);
    ASSERT_TRUE(diskLine) << disk.label;
    EXPECT_TRUE(
        std::regex_match(diskLine->description,
                         std::regex("[0-9]+ percent used now, [0-9]+ percent after cleaning")))
        << diskLine->description;

    // Every other pane the sidebar opens.
    for (const Sidebar::Row& row : rows) {
        if (row.destination == Sidebar::Destination::overview) continue;
        SCOPED_TRACE(row.title);
        Sidebar::open(*model, row);
        settle();
        ASSERT_TRUE(waitUntil([&] { return !model->measuring() && !model->findingPhotos(); }));
        expectEveryStopNamed(window("Kelvora"), row.title);
    }

    // The simple view.
    model->setMode(AppModel::ViewMode::simple);
    settle();
    AtSpiObject simple = window("Kelvora");
    expectEveryStopNamed(simple, "simple view");
    expectDial(simple, *model);

    // Each sheet over the window, a dialog named as it is titled. The uninstall sheet, asked
    // for from the keyboard and prepared meanwhile, reads its words in order and has its
    // default button take the keyboard.
    QTest::keyClick(&main, Qt::Key_Shift);
    model->prepareUninstall(URL::fileURL(bundle));
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    settle();
    AtSpiObject removing = window("Kelvora");
    expectEveryStopNamed(removing, "the uninstall sheet");
    const UninstallSheetLayout& drawn = main.findChild<UninstallSheet*>()->layout();
    const AtSpiObject* sheet = named(removing, "dialog", "Remove Sketchpad?");
    ASSERT_TRUE(sheet) << "the uninstall sheet";
    std::vector<std::string> words;
    sheet->walkShowing([&](const AtSpiObject& object) {
        if (object.role == "label" || object.role == "list item") words.push_back(object.name);
    });
    std::vector<std::string> painted{drawn.title.text().toStdString(),
                                     drawn.subtitle.text().toStdString()};
    for (const QString& path : drawn.paths)
        painted.push_back(path.toStdString());
    painted.push_back(drawn.message.text().toStdString());
    EXPECT_EQ(words, painted);
    EXPECT_EQ(words.front(), "Remove Sketchpad?");
    EXPECT_NE(words.back().find("Undo Shelf"), std::string::npos) << words.back();
    const AtSpiObject* files = named(*sheet, "list", UninstallSheet::kFilesName.toStdString());
    ASSERT_TRUE(files);
    EXPECT_EQ(files->children.size(), drawn.paths.size());
    const AtSpiObject* answer =
        sheet->find([](const AtSpiObject& object) { return object.has("is default"); });
    ASSERT_TRUE(answer) << "a default button";
    EXPECT_EQ(answer->name, drawn.find(UninstallSheetLayout::Button::move)->title.toStdString());
    EXPECT_TRUE(answer->has("focused")) << answer->where;
    model->closeUninstall();
    model->setShowingSystemDataHelp(true);
    settle();
    AtSpiObject helped = window("Kelvora");
    expectEveryStopNamed(helped, "the System Data sheet");
    const AtSpiObject* help = named(helped, "dialog", SystemDataHelp::kTitle.toStdString());
    ASSERT_TRUE(help) << "the System Data sheet";
    EXPECT_EQ(help->description,
              SystemDataHelp::spoken(*SystemDataHelp::words(model->result())).toStdString());
    model->setShowingSystemDataHelp(false);
    model->freeUp();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(Kind::done) && model->receipt(); }));
    model->setShowingReceipt(true);
    settle();
    AtSpiObject printed = window("Kelvora");
    expectEveryStopNamed(printed, "the receipt sheet");
    EXPECT_TRUE(named(printed, "dialog", "Receipt")) << "the receipt sheet";
    model->setShowingReceipt(false);

    // The settings window: its switches are check boxes, checked as the settings are, each
    // described by the words under it; the helper, which nothing here could run, is disabled
    // and says why.
    SettingsView::Services services = SettingsView::Services::live();
    services.helperStatus = [] {
        return ShelfSweeper::Status::unavailable(ShelfSweeper::kNoServiceManager);
    };
    SettingsView settings(*model, services);
    settings.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings));
    AtSpiObject shown = window("Kelvora Settings");
    EXPECT_EQ(shown.role, window("Kelvora").role) << "a window, as the main one is";
    expectEveryStopNamed(shown, "settings");
    int switches = 0;
    shown.walkShowing([&](const AtSpiObject& object) {
        if (object.role != "check box") return;
        ++switches;
        using Switch = SettingsLayout::Switch;
        for (Switch which :
             {Switch::helper, Switch::includeDocker, Switch::scheduledClean, Switch::showMenuBar}) {
            if (object.name != SettingsLayout::switchTitle(which).toStdString()) continue;
            EXPECT_EQ(object.has("checked"), which == Switch::showMenuBar) << object.where;
            EXPECT_EQ(object.description, settings.layout().explanations.at(which).toStdString());
            EXPECT_EQ(object.has("enabled"), which != Switch::helper) << object.where;
        }
    });
    const AtSpiObject* helper = shown.find([](const AtSpiObject& object) {
        return object.name ==
               SettingsLayout::switchTitle(SettingsLayout::Switch::helper).toStdString();
    });
    ASSERT_TRUE(helper);
    EXPECT_NE(helper->description.find(ShelfSweeper::kNoServiceManager), std::string::npos)
        << helper->description;
    EXPECT_EQ(switches, 4) << "the helper, Docker, the scheduled clean and the menu bar";
    // The never-touch list: what it is for, then its rows, before the button that adds to it.
    // Each row's remove button is named as the row reads; its description gives the whole
    // path and does not say the name again.
    const auto expectNeverTouch = [&](const std::vector<std::string>& rows,
                                      const std::vector<std::string>& paths = {}) {
        AtSpiObject read = window("Kelvora Settings");
        int at = 0, note = -1, list = -1, add = -1;
        read.walkShowing([&](const AtSpiObject& object) {
            if (object.name == SettingsLayout::kNeverTouchNote.toStdString()) note = at;
            if (object.name == SettingsLayout::kNeverTouchTitle.toStdString()) list = at;
            if (object.name == SettingsLayout::kAdd.toStdString()) add = at;
            ++at;
        });
        ASSERT_GE(note, 0) << "the explanation";
        ASSERT_GE(list, 0) << "the list";
        EXPECT_LT(note, add);
        EXPECT_LT(list, add);
        const AtSpiObject* listed =
            named(read, "list", SettingsLayout::kNeverTouchTitle.toStdString());
        ASSERT_TRUE(listed);
        std::vector<std::string> names;
        for (const AtSpiObject& row : listed->children)
            names.push_back(row.name);
        EXPECT_EQ(names, rows);
        const AtSpiObject* adding = named(read, "push button", SettingsLayout::kAdd.toStdString());
        ASSERT_TRUE(adding);
        EXPECT_EQ(adding->description, SettingsLayout::kNeverTouchNote.toStdString());
        for (size_t i = 0; i < paths.size() && i < rows.size(); ++i) {
            const AtSpiObject* remove = named(read, "push button", "Remove " + rows[i]);
            ASSERT_TRUE(remove) << "Remove " << rows[i];
            EXPECT_TRUE(remove->description.starts_with(paths[i] + ", ")) << remove->description;
            EXPECT_EQ(remove->description.find(rows[i]), std::string::npos) << remove->description;
        }
    };
    expectNeverTouch({"Nothing added yet"});
    const std::vector<std::string> paths{env.home() + "/Projects/archive", env.home() + "/Music"};
    model->noteSettingsWrite(Prefs::setStringList(Prefs::Key::neverTouch, paths));
    settle();
    expectNeverTouch({"~/Projects/archive", "~/Music"}, paths);

    const AtSpiObject* look = named(shown, "page tab list", "Look");
    ASSERT_TRUE(look) << "the appearance is a row of tabs";
    ASSERT_EQ(look->children.size(), 3u);
    EXPECT_TRUE(look->children[0].has("selected")) << "Match my computer, chosen by default";
}

} // namespace
} // namespace kelvora::testing
