#include "app/controller/ControllerFixture.h"

#include <QSignalSpy>

#include <map>

namespace kelvora::testing {
namespace {

using Signal = void (AppModel::*)();

const std::map<std::string, Signal>& areaSignals() {
    static const std::map<std::string, Signal> byArea = {
        {"navigation", &AppModel::navigationChanged}, {"scan", &AppModel::scanChanged},
        {"shelf", &AppModel::shelfChanged},           {"disk", &AppModel::diskChanged},
        {"spaceMap", &AppModel::spaceMapChanged},     {"search", &AppModel::searchChanged},
        {"photos", &AppModel::photosChanged},         {"loginItems", &AppModel::loginItemsChanged},
        {"uninstall", &AppModel::uninstallChanged},   {"settings", &AppModel::settingsChanged}};
    return byArea;
}

// How often each area's signal was emitted while it lived.
class AreaSpies {
public:
    explicit AreaSpies(AppModel& model) {
        for (const auto& [name, signal] : areaSignals())
            spies_.emplace(name, std::make_unique<QSignalSpy>(&model, signal));
    }
    std::map<std::string, int> counts() const {
        std::map<std::string, int> counts;
        for (const auto& [name, spy] : spies_)
            if (spy->count() > 0) counts[name] = static_cast<int>(spy->count());
        return counts;
    }

private:
    std::map<std::string, std::unique_ptr<QSignalSpy>> spies_;
};

class AreaTest : public ControllerTest {
protected:
    UndoShelf::Sweep shelveFile(const std::string& name, const std::string& contents) {
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = URL::fileURL(write("Downloads/" + name, contents));
        item.targets = {item.location};
        item.bytes = static_cast<int64_t>(contents.size());
        auto made =
            UndoShelf(URL::fileURL(shelfRoot(), true)).shelve({{item, name}}, currentDate());
        EXPECT_TRUE(made.sweep);
        return made.sweep.value_or(UndoShelf::Sweep{});
    }
};

// Each change is told to the area it belongs to, once per operation however many fields
// it set, and to no other area.
TEST_F(AreaTest, EachChangeIsToldOnceToItsOwnAreaOnly) {
    write("Library/Caches/com.example.tool/blob.bin", std::string(200'000, 'c'));
    auto model = makeModel();
    model->scan();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    const ScanItem item = model->result()->items.at(0);
    const URL somewhere = URL::fileURL("/tmp/somewhere");

    struct Case {
        const char* what;
        std::function<void()> change;
        std::map<std::string, int> told;
    };
    const std::vector<Case> cases = {
        {"open a category",
         [&] { model->show(JunkKind::caches, false, false, false, false, false); },
         {{"navigation", 1}}},
        {"pick", [&] { model->toggle(item); }, {{"scan", 1}}},
        {"pick a search hit", [&] { model->toggleSearchPick(somewhere); }, {{"search", 1}}},
        {"pick every photo group", [&] { model->pickAllPhotos(true); }, {{"photos", 1}}},
        {"select a tile", [&] { model->setMapSelection(somewhere); }, {{"spaceMap", 1}}},
        {"present a map",
         [&] { model->showSpaceMap(nullptr); },
         {{"spaceMap", 1}, {"navigation", 1}}},
        {"select a login item", [&] { model->setLoginSelection("agent"); }, {{"loginItems", 1}}},
        {"present login items",
         [&] { model->showLoginItems({}); },
         {{"loginItems", 1}, {"navigation", 1}}},
        {"dismiss a notice", [&] { model->setRemovedAppNotice(std::nullopt); }, {{"uninstall", 1}}},
        {"close the uninstall sheet", [&] { model->closeUninstall(); }, {{"uninstall", 1}}},
        {"say what failed", [&] { model->setShelfError("no"); }, {{"shelf", 1}}},
        {"forecast", [&] { model->setForecastDays(12.0); }, {{"disk", 1}}},
        {"learn application names",
         [&] { model->setApplicationNames([](const std::string&) { return std::nullopt; }); },
         {{"settings", 1}}},
    };
    for (const auto& c : cases) {
        AreaSpies spies(*model);
        c.change();
        EXPECT_EQ(spies.counts(), c.told) << c.what;
    }
}

// Put back, put all back and emptying move files on a pool thread: the window goes on at
// once with the shelf busy, a second shelf operation meanwhile is refused and says why, and
// the outcome is applied here when the work ends.
TEST_F(AreaTest, ShelfWorkRunsInTheBackgroundAndRefusesASecondUntilItLands) {
    UndoShelf::Sweep first = shelveFile("first.zip", "first");
    UndoShelf::Sweep second = shelveFile("second.zip", "second");
    auto model = makeModel();
    ASSERT_EQ(model->sweeps().size(), 2u);
    HeldShelf held(shelfRoot());

    AreaSpies spies(*model);
    model->putBack(first.entries.front(), first);
    EXPECT_TRUE(model->shelfBusy());
    EXPECT_TRUE(model->isChangingFiles()) << "quitting now waits for the files";
    EXPECT_EQ(spies.counts(), (std::map<std::string, int>{{"shelf", 1}}));
    model->emptyShelf();
    EXPECT_EQ(model->shelfError(), AppModel::shelfRefusal(AppModel::ShelfWork::emptying,
                                                          AppModel::ShelfWork::puttingBack));
    model->putBackAll(second);
    EXPECT_EQ(model->shelfError(), "Nothing was put back: the Undo Shelf is still putting things "
                                   "back. Try again when it’s done.");
    EXPECT_EQ(model->shelfWork(), AppModel::ShelfWork::puttingBack);
    EXPECT_EQ(model->sweeps().size(), 2u);
    EXPECT_FALSE(fileExists(env.home() + "/Downloads/first.zip"));

    held.letGo();
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    EXPECT_EQ(readFile(env.home() + "/Downloads/first.zip"), "first");
    EXPECT_FALSE(fileExists(env.home() + "/Downloads/second.zip"))
        << "the refused put back did not run";
    ASSERT_EQ(model->sweeps().size(), 1u) << "the refused emptying did not run";
    EXPECT_EQ(model->sweeps().front().id, second.id);
    EXPECT_FALSE(model->isChangingFiles());
    EXPECT_EQ(spies.counts(), (std::map<std::string, int>{{"shelf", 4}, {"disk", 1}}))
        << "each refusal told once, and the outcome once, all of it set";

    model->emptyShelf();
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    EXPECT_TRUE(model->sweeps().empty());
    EXPECT_EQ(model->shelfBytes(), 0);
}

} // namespace
} // namespace kelvora::testing
