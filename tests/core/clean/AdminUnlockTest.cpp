#include "clean/AdminUnlock.h"

#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;

namespace {

// Bundles under /Applications, the one place a release is allowed; removed afterwards.
struct AdminUnlockTest : ::testing::Test {
    std::string folder;
    std::string topBundle;
    bool madeApplications = false;

    void SetUp() override {
        madeApplications = !fileExists("/Applications");
        std::string pattern = "/Applications/kelvora-test-XXXXXX";
        if (!createDirectories("/Applications") || !mkdtemp(pattern.data()))
            GTEST_SKIP() << "/Applications cannot be written here";
        folder = pattern;
        topBundle = folder + ".app";
        createDirectories(topBundle);
    }
    void TearDown() override {
        if (!folder.empty()) removeItem(folder);
        if (!topBundle.empty()) removeItem(topBundle);
        if (madeApplications) rmdir("/Applications");
    }
    URL bundle(const std::string& relative) const {
        std::string path = joinPath(folder, relative);
        createDirectories(path);
        return URL::fileURL(path, true);
    }
};

} // namespace

// One test, so that only one process at a time lays out bundles in /Applications.
TEST_F(AdminUnlockTest, ReleasesOnlyBundlesInTheApplicationsFolderQuotedAsOneWordEach) {
    EXPECT_TRUE(AdminUnlock::isUnlockable(URL::fileURL(topBundle)));
    EXPECT_TRUE(AdminUnlock::isUnlockable(bundle("Editor.app")));
    EXPECT_FALSE(AdminUnlock::isUnlockable(bundle("Set/Editor.app")));
    EXPECT_FALSE(AdminUnlock::isUnlockable(bundle("Editor.APP")));
    EXPECT_FALSE(AdminUnlock::isUnlockable(bundle("Editor.pkg")));
    EXPECT_FALSE(AdminUnlock::isUnlockable(URL::fileURL(folder + "/Missing.app")));
    // Standardizes into the folder, but was written five components deep.
    URL climbing = URL::fileURL(folder + "/../" + lastComponent(topBundle));
    EXPECT_FALSE(AdminUnlock::isUnlockable(climbing));

    kelvora::testing::TempDir home;
    home.mkdir("Applications/Own.app");
    EXPECT_FALSE(AdminUnlock::isUnlockable(URL::fileURL(home / "Applications/Own.app")));

    // A link would hand whatever it points at to the user.
    std::string link = folder + "/Link.app";
    ASSERT_EQ(symlink("/etc", link.c_str()), 0);
    EXPECT_FALSE(AdminUnlock::isUnlockable(URL::fileURL(link)));

    std::vector<std::string> names = {"Editor's Tool.app", "two  spaces.app", "line\nbreak.app",
                                      "say \"hi\" $HOME `id`.app"};
    std::vector<URL> bundles;
    for (const auto& name : names)
        bundles.push_back(bundle(name));
    auto command = AdminUnlock::command(bundles, 501);
    ASSERT_TRUE(command);
    std::string prefix = "/usr/sbin/chown -R 501 ";
    ASSERT_EQ(command->rfind(prefix, 0), 0u);
    EXPECT_NE(command->find("/Editor'\\''s Tool.app'"), std::string::npos);

    // The shell must read back exactly the paths, one word each.
    std::string echo = "printf '%s\\0' " + command->substr(prefix.size());
    auto run = DiskScanner::runTool("/bin/sh", {"-c", echo}, 10);
    ASSERT_TRUE(run);
    std::string expected;
    for (const auto& name : names)
        expected += joinPath(folder, name) + std::string(1, '\0');
    EXPECT_EQ(run->output, expected);

    EXPECT_EQ(*AdminUnlock::command({URL::fileURL(topBundle)}, 0),
              "/usr/sbin/chown -R 0 '" + topBundle + "'");
    EXPECT_FALSE(AdminUnlock::command({}, 501));
    EXPECT_FALSE(AdminUnlock::command({bundles[0], URL::fileURL("/tmp/Else.app")}, 501));
}

TEST(AdminUnlockScript, EscapesBackslashesAndQuotesOnOneLine) {
    EXPECT_EQ(AdminUnlock::appleScript("/usr/sbin/chown -R 501 '/Applications/A.app'", "A"),
              "do shell script \"/usr/sbin/chown -R 501 '/Applications/A.app'\" with prompt "
              "\"Kelvora wants to move A to its Undo Shelf.\" with administrator privileges");
    std::string script = AdminUnlock::appleScript("echo a\\b \"c\"", "The \"Best\" App");
    EXPECT_NE(script.find("echo a\\\\b \\\"c\\\""), std::string::npos);
    EXPECT_NE(script.find("move The \\\"Best\\\" App to"), std::string::npos);
}

TEST(AdminUnlockOutcome, MapsThePromptsEndings) {
    EXPECT_TRUE(AdminUnlock::outcomeOf(ToolOutput{0, ""}).succeeded);
    auto dismissed = AdminUnlock::outcomeOf(ToolOutput{126, ""});
    EXPECT_FALSE(dismissed.succeeded);
    EXPECT_EQ(dismissed.errorNumber, AdminUnlock::kCancelled);
    auto refused = AdminUnlock::outcomeOf(ToolOutput{127, ""});
    EXPECT_NE(refused.errorNumber, AdminUnlock::kCancelled);
    EXPECT_FALSE(refused.message.empty());
    auto failed = AdminUnlock::outcomeOf(ToolOutput{1, ""});
    EXPECT_EQ(failed.errorNumber, 1);
    auto noPrompt = AdminUnlock::outcomeOf(std::nullopt);
    EXPECT_FALSE(noPrompt.succeeded);
    EXPECT_NE(noPrompt.errorNumber, AdminUnlock::kCancelled);
}
