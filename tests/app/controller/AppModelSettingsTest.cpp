#include "app/controller/ControllerFixture.h"

#include "model/JunkKind.h"

#include <cstdio>
#include <unistd.h>

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
    // Start-up changes nothing: the file stays as it is until a change is made.
    EXPECT_EQ(model->settingsError(),
              "Kelvora’s settings file is damaged (what it holds are not settings Kelvora can "
              "read), so every setting shows its default. The file will be kept aside, not "
              "written over.");
    model->setMode(AppModel::ViewMode::detailed);
    ASSERT_TRUE(model->settingsError());
    EXPECT_EQ(*model->settingsError(),
              "Kelvora’s settings file was damaged, so every setting went back to its default. "
              "The damaged file is kept as " +
                  env.settingsFile() + ".damaged.");
    EXPECT_EQ(fileText(env.settingsFile() + ".damaged"), "{\"shelfDays\": 14,");
    model->setMode(AppModel::ViewMode::simple);
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

// An editor, or "echo >", changes the file where it is: the same file, new contents. The
// running window takes them in, and so its next clean-up holds for the days set there.
TEST_F(SettingsCacheTest, AChangeMadeInPlaceByAnotherProgramIsTakenIn) {
    Prefs::setInteger(Prefs::Key::shelfDays, 14);
    auto model = countingModel();
    const auto before = fileInfo(env.settingsFile());
    {
        std::FILE* file = std::fopen(env.settingsFile().c_str(), "r+");
        ASSERT_TRUE(file);
        std::fputs("{\"shelfDays\": 30}", file);
        ASSERT_EQ(ftruncate(fileno(file), 16), 0);
        std::fclose(file);
    }
    ASSERT_EQ(fileInfo(env.settingsFile())->inode, before->inode) << "changed in place";
    EXPECT_TRUE(waitUntil([&] { return Prefs::shelfDays(model->settings().document) == 30; }));
}

// A folder the user cannot write (a read-only home, settings restored as root) is no news
// while nothing changes: it is said when a change cannot be saved.
TEST_F(SettingsCacheTest, AFolderThatCannotBeWrittenIsSaidOnlyWhenAChangeIsMade) {
    struct Case {
        const char* story;
        bool immutable; // else the config folder lies below a file
    } cases[] = {{"settings in a folder nobody may change", true},
                 {"no settings, where no folder can be made", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        IsolatedHome own;
        const std::string folder = parentPath(own.settingsFile());
        if (c.immutable) {
            Prefs::setInteger(Prefs::Key::shelfDays, 14);
            Prefs::setPicks(PickList{});
            if (system(("chattr +i '" + folder + "' 2>/dev/null").c_str()) != 0) {
                std::printf("no immutable folders here\n");
                continue;
            }
        } else {
            own.dir().write("file-not-folder", "x");
            setenv("XDG_CONFIG_HOME", (own.dir() / "file-not-folder/config").c_str(), 1);
        }
        auto model = makeModel();
        EXPECT_EQ(model->settingsError(), std::nullopt);
        model->setMode(AppModel::ViewMode::detailed);
        EXPECT_TRUE(model->settingsError());
        model.reset();
        if (c.immutable) system(("chattr -i '" + folder + "'").c_str());
    }
}

} // namespace
} // namespace kelvora::testing
