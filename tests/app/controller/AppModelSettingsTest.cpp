#include "app/controller/ControllerFixture.h"

#include "model/JunkKind.h"

namespace kelvora::testing {
namespace {

class SettingsCacheTest : public ControllerTest {
protected:
    std::unique_ptr<AppModel> countingModel() {
        AppModel::Tools counted = tools();
        counted.readSettings = [this] {
            ++reads;
            return SettingsStore::standard().read();
        };
        return makeModel(std::move(counted));
    }
    // Every category's texts, as the overview asks for them on each refresh.
    static std::string blurbs(const AppModel& model) {
        std::string all;
        for (JunkKind kind : JunkKinds::allCases())
            all += model.catalog().info(kind).blurb + "\n";
        return all;
    }

    int reads = 0;
};

TEST_F(SettingsCacheTest, SettingsAreReadOnceAndAgainOnlyWhenTheFileChanges) {
    Prefs::setInteger(Prefs::Key::shelfDays, 14);
    auto model = countingModel();
    const int atStart = reads;
    EXPECT_LE(atStart, 2) << "once, and once after the picks are written back";
    for (int refresh = 0; refresh < 30; ++refresh)
        EXPECT_NE(blurbs(*model).find("on the Undo Shelf for 14 days"), std::string::npos);
    EXPECT_EQ(model->receipt(), std::nullopt);
    EXPECT_EQ(reads, atStart) << "drawing reads nothing";

    // Another process changes the file: the watcher reads it once.
    SettingsStore(env.settingsFile()).set(Prefs::Key::shelfDays, 30);
    ASSERT_TRUE(waitUntil(
        [&] { return blurbs(*model).find("on the Undo Shelf for 30 days") != std::string::npos; }));
    settle();
    EXPECT_EQ(reads, atStart + 1);

    // This process writes: read back at once, and its own change of the folder is not
    // read again.
    model->setMode(AppModel::ViewMode::detailed);
    EXPECT_EQ(reads, atStart + 2);
    EXPECT_EQ(Prefs::string(model->settings().document, Prefs::Key::viewMode), "detailed");
    settle();
    EXPECT_EQ(reads, atStart + 2);
}

TEST_F(SettingsCacheTest, ADamagedFileIsSaidAndTheCopyKeptAsideIsNamed) {
    env.dir().write("config/Kelvora/settings.json", "{\"shelfDays\": 14,");
    auto model = makeModel();
    // Start-up writes the picks back, which sets the damaged file aside.
    ASSERT_TRUE(model->settingsError());
    EXPECT_EQ(*model->settingsError(),
              "Kelvora’s settings file was damaged, so every setting went back to its default. "
              "The damaged file is kept as " +
                  env.settingsFile() + ".damaged.");
    EXPECT_EQ(readFile(env.settingsFile() + ".damaged"), "{\"shelfDays\": 14,");
    model->setMode(AppModel::ViewMode::detailed);
    EXPECT_TRUE(model->settingsError()) << "still said after a later change is saved";
}

// Settings that cannot be read now may read fine later (a folder put in the file's place, a
// permission changed back): no change of this process writes over them.
TEST_F(SettingsCacheTest, AnUnreadableFileIsSaidAndNeverWrittenOver) {
    env.dir().mkdir("config/Kelvora/settings.json");
    auto model = makeModel();
    const std::string said = "Kelvora can’t read its settings file " + env.settingsFile() +
                             " (it is not a file), so every setting shows its default and no "
                             "change can be saved.";
    EXPECT_EQ(model->settingsError(), said);
    model->setMode(AppModel::ViewMode::detailed);
    EXPECT_EQ(model->settingsError(), said) << "the cause, rather than each refused change";
    EXPECT_TRUE(fileInfo(env.settingsFile())->isDirectory());
}

} // namespace
} // namespace kelvora::testing
