#include "controller/SettingsStore.h"
#include "controller/Prefs.h"

#include "app/support/IsolatedHome.h"
#include "platform/FileSystem.h"
#include "support/FixtureScanner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

constexpr uid_t kNobody = 65534;
const std::string kStored = "{\n  \"shelfDays\": 14\n}\n";

// The user's settings, in a folder the user may no longer write or a file they may no
// longer read, as happens after a copy from another machine or a backup restored as root.
TEST(SettingsStore, AChangeThatCannotBeWrittenIsRefusedWithItsReasonAndNothingChanges) {
    struct Case {
        const char* story;
        bool lockFileThere;
        mode_t folderMode;
        mode_t fileMode;
        const char* reason; // after the file's path
    } cases[] = {
        {"a read-only folder", false, 0555, 0644, "Could not write %s: permission was refused"},
        {"a read-only folder that has its lock already", true, 0555, 0644,
         "Could not write %s: permission was refused"},
        {"a file the user cannot read", true, 0755, 0200,
         "Could not read %s: permission was refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        IsolatedHome env;
        std::string file = env.settingsFile();
        std::string folder = parentPath(file);
        env.dir().write("config/Kelvora/settings.json", kStored);
        if (c.lockFileThere) env.dir().write("config/Kelvora/settings.json.lock", "");
        for (const std::string& open : {env.dir().path(), env.config()})
            chmod(open.c_str(), 0755);
        for (const std::string& owned : {folder, file, file + ".lock"})
            chown(owned.c_str(), kNobody, kNobody);
        chmod(file.c_str(), c.fileMode);
        chmod(folder.c_str(), c.folderMode);
        char expected[512];
        std::snprintf(expected, sizeof expected, c.reason, file.c_str());

        EXPECT_TRUE(asNobody([&] {
            auto hold = Prefs::setInteger(Prefs::Key::shelfDays, 30);
            auto never = Prefs::setStringList(Prefs::Key::neverTouch, {"/srv/keep"});
            if (hold.result.reason != expected)
                std::fprintf(stderr, "%s\n", hold.result.reason.c_str());
            return !hold.result && !never.result && hold.result.reason == expected &&
                   never.result.reason == expected && !hold.damagedCopy;
        }));
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(fileText(file), kStored);
        EXPECT_EQ(listFolder(URL::fileURL(folder, true)).entries.size(), c.lockFileThere ? 2u : 1u)
            << "no temporary file is left behind";
    }
}

TEST(SettingsStore, EveryDamagedFileIsKeptUnderItsOwnName) {
    IsolatedHome env;
    SettingsStore store(env.settingsFile());
    const std::string damage[] = {"{\"shelfDays\": 14,", "\xff\xfe not settings", "[1, 2]"};
    std::vector<std::string> copies;
    for (const std::string& bytes : damage) {
        env.dir().write("config/Kelvora/settings.json", bytes);
        SettingsStore::Reading reading = store.read();
        EXPECT_EQ(reading.state, SettingsStore::Reading::State::damaged);
        EXPECT_EQ(reading.document, nlohmann::json::object()) << "every setting as its default";
        auto write = store.set(Prefs::Key::welcomeDone, true);
        ASSERT_TRUE(write.result) << write.result.reason;
        ASSERT_TRUE(write.damagedCopy);
        copies.push_back(*write.damagedCopy);
        EXPECT_EQ(store.read().document, (nlohmann::json{{"welcomeDone", true}}));
    }
    EXPECT_EQ(copies, (std::vector<std::string>{env.settingsFile() + ".damaged",
                                                env.settingsFile() + ".damaged-2",
                                                env.settingsFile() + ".damaged-3"}));
    for (size_t i = 0; i < copies.size(); ++i)
        EXPECT_EQ(fileText(copies[i]), damage[i]) << "no damaged copy is written over";
}

// Valid settings padded far past any real size: read whole, they would cost their size in
// memory on every read.
TEST(SettingsStore, AFileFarLargerThanAnySettingsReadsAsDamagedAndIsKeptAside) {
    IsolatedHome env;
    std::string huge = "{\"shelfDays\": 14}" + std::string(SettingsStore::kMaxBytes, ' ');
    env.dir().write("config/Kelvora/settings.json", huge);
    EXPECT_EQ(Prefs::shelfDays(), 7);
    EXPECT_EQ(SettingsStore::standard().read().state, SettingsStore::Reading::State::damaged);
    auto write = Prefs::setInteger(Prefs::Key::shelfDays, 30);
    ASSERT_TRUE(write.result);
    EXPECT_EQ(Prefs::shelfDays(), 30);
    ASSERT_TRUE(write.damagedCopy);
    EXPECT_EQ(fileInfo(*write.damagedCopy)->logicalSize, static_cast<int64_t>(huge.size()));
}

// Settings kept with the user's dotfiles are a link to a file in their repository: a change
// is written there, and the link stays.
TEST(SettingsStore, AChangeIsWrittenThroughALinkAndTheLinkStays) {
    for (const bool relative : {false, true}) {
        SCOPED_TRACE(relative ? "a relative link" : "an absolute link");
        IsolatedHome env;
        const std::string kept = env.dir().write("dotfiles/kelvora/settings.json", kStored);
        createDirectories(parentPath(env.settingsFile()));
        const std::string target = relative ? "../../dotfiles/kelvora/settings.json" : kept;
        ASSERT_EQ(symlink(target.c_str(), env.settingsFile().c_str()), 0);
        EXPECT_EQ(Prefs::shelfDays(), 14);
        ASSERT_TRUE(Prefs::setInteger(Prefs::Key::shelfDays, 30).result);
        EXPECT_TRUE(fileInfo(env.settingsFile())->isSymlink());
        EXPECT_EQ(Prefs::shelfDays(), 30);
        EXPECT_EQ(nlohmann::json::parse(*fileText(kept)), (nlohmann::json{{"shelfDays", 30}}));
    }
}

} // namespace
