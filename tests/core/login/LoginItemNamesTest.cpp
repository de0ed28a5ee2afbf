#include "login/LoginItemNames.h"
#include "platform/AppPaths.h"
#include "platform/Plist.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {

LoginItemNames::Description describe(const std::string& label, const std::string& program = "",
                                     const std::optional<std::string>& owner = std::nullopt,
                                     bool startsAtLogin = true) {
    std::optional<URL> url;
    if (!program.empty()) url = URL::fileURL(program);
    return LoginItemNames::describe(label, url, owner, startsAtLogin);
}

} // namespace

TEST(LoginItemNames, KnownAgentsGoFirstWhateverTheOwner) {
    auto google =
        describe("com.google.keystone.agent", "/x/Updater.app/Contents/MacOS/Updater", "Chrome");
    EXPECT_EQ(google.name, "Google Updater (old)");
    EXPECT_EQ(google.purpose, "Google’s older updater for Chrome and other Google apps.");
    EXPECT_EQ(describe("com.microsoft.update.agent"), describe("com.microsoft.autoupdate.helper"));
    EXPECT_EQ(describe("com.dropboxer").name, "Dropbox");
    EXPECT_EQ(describe(std::string(kBundleID) + ".shelf").name, "Kelvora Undo Shelf helper");
    EXPECT_EQ(describe("com.Dropbox.x").name, "com.Dropbox.x"); // prefixes are case-sensitive
}

TEST(LoginItemNames, HomebrewServices) {
    auto redis = describe("homebrew.mxcl.redis", "/opt/homebrew/bin/redis-server");
    EXPECT_EQ(redis.name, "Redis (Homebrew)");
    EXPECT_EQ(redis.purpose, "Runs Redis in the background. It was started with brew services; "
                             "brew services stop redis also turns it off.");
    auto postgres = describe("homebrew.mxcl.postgresql@16");
    EXPECT_EQ(postgres.name, "PostgreSQL 16 (Homebrew)");
    EXPECT_NE(postgres.purpose.find("brew services stop postgresql@16 also"), std::string::npos);
    EXPECT_EQ(describe("homebrew.mxcl.foo").name, "foo (Homebrew)");
    EXPECT_EQ(LoginItemNames::formulaNames().size(), 16u);
    // No formula at all: shown like any other label.
    EXPECT_EQ(describe("homebrew.mxcl.@", "").name, "homebrew.mxcl.@");
}

TEST(LoginItemNames, ItemsWithoutOwner) {
    auto bare = describe("org.example.task");
    EXPECT_EQ(bare.name, "org.example.task");
    EXPECT_EQ(bare.purpose, "A background task with no program to run.");
    EXPECT_EQ(describe("x", "/usr/local/bin/syncer", std::nullopt, true).purpose,
              "Runs “syncer” when you log in.");
    auto sometimes = describe("x", "/usr/local/bin/syncer", std::nullopt, false);
    EXPECT_EQ(sometimes.name, "syncer");
    EXPECT_EQ(sometimes.purpose, "Runs “syncer” in the background from time to time.");
    // A generic tool names nothing: the row goes by its label, and says what it runs.
    for (const char* tool : {"/usr/bin/true", "/bin/sh", "/usr/bin/env", "/usr/bin/python3.11",
                             "/usr/bin/flatpak", "/usr/bin/BASH"}) {
        auto generic = describe("backup.service", tool);
        EXPECT_EQ(generic.name, "backup.service") << tool;
        EXPECT_EQ(generic.purpose, "Runs “" + lastComponent(tool) + "” when you log in.");
    }
}

// Rows named after a program several rows run are told apart by their labels; rows that
// name themselves, or whose program only one runs, keep their names.
TEST(LoginItemNames, RowsThatWouldReadAlikeTakeTheirLabels) {
    auto row = [](const std::string& label, const std::string& name, const std::string& program) {
        LoginItem item;
        item.label = label;
        item.name = name;
        if (!program.empty()) item.program = URL::fileURL(program);
        return item;
    };
    std::vector<LoginItem> items = {
        row("sync-docs.service", "syncd", "/opt/bin/syncd"),
        row("sync-photos.service", "syncd", "/opt/bin/syncd"),
        row("notes", "syncd", "/usr/bin/notes"),
        row("mail", "mailer", "/usr/bin/mailer"),
        row("com.dropbox.agent", "dropbox", "/opt/dropbox"),
        row("com.dropbox.helper", "dropbox", "/opt/dropbox"),
    };
    LoginItemNames::partAlike(items);
    std::vector<std::string> names;
    for (const LoginItem& item : items)
        names.push_back(item.name);
    EXPECT_EQ(names, (std::vector<std::string>{"sync-docs.service", "sync-photos.service", "syncd",
                                               "mailer", "dropbox", "dropbox"}))
        << "a known agent keeps the name the table gives it";
}

TEST(LoginItemNames, OwnedItems) {
    const std::string main = "/Applications/Notes Pro.app/Contents/MacOS/Notes Pro";
    auto opens = describe("com.notespro.launcher", main, "Notes Pro", true);
    EXPECT_EQ(opens.name, "Notes Pro");
    EXPECT_EQ(opens.purpose, "Opens Notes Pro when you log in.");
    auto helper = describe("com.notespro.launcher", main, "Notes Pro", false);
    EXPECT_EQ(helper.name, "Notes Pro helper");
    EXPECT_EQ(helper.purpose, "A background helper for Notes Pro.");

    auto updater =
        describe("com.notespro.agent", "/Applications/Notes Pro.app/Contents/Update", "Notes Pro");
    EXPECT_EQ(updater.name, "Notes Pro updater");
    EXPECT_EQ(updater.purpose, "Checks for updates to Notes Pro.");
    EXPECT_EQ(describe("com.notespro.updating", main, "Notes Pro").name, "Notes Pro updater");

    auto nested = describe(
        "com.notespro.helper",
        "/Applications/Notes Pro.app/Contents/Library/LoginItems/Helper.app/Contents/MacOS/Helper",
        "Notes Pro");
    EXPECT_EQ(nested.name, "Notes Pro helper");
}

TEST(LoginItemNames, AppNameOfAPathIsTheOutermostBundle) {
    EXPECT_EQ(LoginItemNames::appName(URL::fileURL(
                  "/Applications/Mail Tools.app/Contents/Library/LoginItems/Tools Helper.app")),
              "Mail Tools");
    EXPECT_FALSE(LoginItemNames::appName(URL::fileURL("/usr/local/bin/tool")));
    EXPECT_FALSE(LoginItemNames::appName(URL::fileURL("/Applications/Loud.APP/Contents/MacOS/x")));
}

TEST(LoginItemNames, AppNameOfAnIdentifierSearchesTheApplicationFolders) {
    TempDir dir;
    createDirectories(dir / "Applications/Suite/Writer.app/Contents");
    writePlist({{"CFBundleIdentifier", "com.example.Writer"}},
               dir / "Applications/Suite/Writer.app/Contents/Info.plist", PlistFormat::binary);
    std::vector<URL> folders{URL::fileURL(dir / "Applications")};
    EXPECT_EQ(LoginItemNames::appName("com.example.writer", folders), "Writer");
    EXPECT_FALSE(LoginItemNames::appName("com.example.reader", folders));
}
