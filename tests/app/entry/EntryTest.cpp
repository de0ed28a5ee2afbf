#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvora;
using kelvora::testing::runKelvora;

namespace {

// A systemctl that keeps the timer's enabled state in a marker file and reports a running
// user manager.
const char* kFakeSystemctl = R"(#!/bin/sh
echo "$*" >> "$FAKE_SYSTEMCTL_LOG"
shift
case "$1" in
  enable) touch "$FAKE_SYSTEMCTL_LOG.enabled" ;;
  disable) rm -f "$FAKE_SYSTEMCTL_LOG.enabled" ;;
  is-enabled) if [ -e "$FAKE_SYSTEMCTL_LOG.enabled" ]; then echo enabled; else echo disabled; exit 1; fi ;;
  is-system-running) echo running ;;
esac
exit 0
)";

class EntryTest : public ::testing::Test {
protected:
    kelvora::testing::IsolatedHome env;
    std::string bin = env.dir().mkdir("bin");
    std::string log = env.dir() / "systemctl.log";
    std::string exeFolder = parentPath(KELVORA_EXE);

    void SetUp() override {
        std::string script = env.dir().write("bin/systemctl", kFakeSystemctl);
        chmod(script.c_str(), 0755);
    }
    kelvora::testing::RunResult run(const std::vector<std::string>& arguments) {
        return runKelvora(
            arguments, {{"PATH", bin + ":/usr/bin:/bin"}, {"FAKE_SYSTEMCTL_LOG", log}}, env.tmp());
    }
    std::string unit(const std::string& suffix) {
        return env.config() + "/systemd/user/app.kelvora.Kelvora.shelf." + suffix;
    }
};

TEST_F(EntryTest, HelperReportRegistersUnregistersAndOnlyReportsOtherwise) {
    auto status = run({"--debug-helper", "status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(status.out, "status: off · app at " + exeFolder + "\n");
    EXPECT_FALSE(fileExists(unit("service")));

    std::string file = env.dir() / "report.txt";
    auto registered = run({"--debug-helper", "register", file});
    std::string line = "register: ok · status: on · app at " + exeFolder;
    EXPECT_EQ(registered.out, line + "\n");
    EXPECT_EQ(readFile(file), line + "\n");
    auto service = readFile(unit("service"));
    ASSERT_TRUE(service);
    EXPECT_NE(service->find(std::string("ExecStart=\"") + KELVORA_EXE + "\" --empty-expired-shelf"),
              std::string::npos);
    EXPECT_NE(service->find("Environment=\"XDG_DATA_HOME=" + env.data() + "\""), std::string::npos);
    EXPECT_TRUE(fileExists(unit("timer")));

    auto unregistered = run({"--debug-helper", "unregister"});
    EXPECT_EQ(unregistered.out, "unregister: ok · status: off · app at " + exeFolder + "\n");
    EXPECT_FALSE(fileExists(unit("service")));
    EXPECT_FALSE(fileExists(unit("timer")));
}

TEST_F(EntryTest, HelperWithoutSystemdIsUnavailableAndRegisteringSaysWhy) {
    auto registered = runKelvora({"--debug-helper", "register"}, {{"PATH", bin + "/none"}});
    EXPECT_EQ(registered.status, 0);
    EXPECT_EQ(registered.out,
              "register: This system has no systemd user manager to run the helper. · status: "
              "unavailable(\"This system has no systemd user manager to run the helper.\") · "
              "app at " +
                  exeFolder + "\n");
}

TEST_F(EntryTest, ModesAreTakenInTheirFixedOrder) {
    auto helperFirst = run({"--debug-helper", "status", "--empty-expired-shelf"});
    EXPECT_EQ(helperFirst.out, "status: off · app at " + exeFolder + "\n");
    EXPECT_EQ(readFile(env.tmp() + "/--empty-expired-shelf"), helperFirst.out)
        << "the argument after the action word names the report file, whatever it looks like";

    auto iconLast = run({"--empty-expired-shelf", "--render-icon"});
    EXPECT_EQ(iconLast.status, 0);
    EXPECT_EQ(iconLast.out, "Emptied 0 KB of expired cleanups · 0 still held\n")
        << "a flag given last has no value, so its mode is passed over";

    auto icon = run({"--render-icon", env.tmp(), "--empty-expired-shelf", "--dmg-background"});
    EXPECT_EQ(icon.status, 0);
    EXPECT_EQ(icon.out, "Wrote " + env.tmp() + "\n");
    EXPECT_FALSE(fileExists(env.tmp() + "/background.png"));
    EXPECT_EQ(run({"--snapshot", env.tmp() + "/s.png", "--welcome", "two"}).status, 0);
    EXPECT_TRUE(fileExists(env.tmp() + "/s.png"))
        << "snapshots come last, and an odd step is ignored";

    std::string leftoverReport = env.dir() / "leftover.txt";
    std::string aiReport = env.dir() / "ai.txt";
    auto noLabel = run({"--debug-leftover-agent-check", leftoverReport, "--debug-ai-shelf-check",
                        aiReport, "--label"});
    EXPECT_EQ(noLabel.status, 1);
    EXPECT_FALSE(fileExists(leftoverReport)) << "without a label that check is not taken";
    auto ai = readFile(aiReport);
    ASSERT_TRUE(ai);
    EXPECT_NE(ai->find("No test home at "), std::string::npos);
    EXPECT_TRUE(noLabel.out.empty() && noLabel.err.empty()) << "a check prints nothing";
}

// A snapshot of a category nobody has would be the simple view, drawn without a word.
TEST_F(EntryTest, AnUnknownSnapshotCategoryNamesTheCategoriesAndEndsWithStatusTwo) {
    std::string picture = env.tmp() + "/s.png";
    auto unknown = run({"--snapshot", picture, "--category", "cache"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "There is no category \"cache\". The categories are: caches, logs, "
                           "tempFiles, downloads, mail, screenshots, photos, duplicates, "
                           "largeFiles, developer, ai, systemData, apps, leftovers, trash.\n");
    EXPECT_TRUE(unknown.out.empty());
    EXPECT_FALSE(fileExists(picture));
}

} // namespace
