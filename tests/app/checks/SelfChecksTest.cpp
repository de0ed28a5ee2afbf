#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"
#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

using namespace kelvora;
using kelvora::testing::runKelvora;

namespace {

const std::string kTestAppID = "app.kelvora.Kelvoramaccheck.app";
const std::string kTestAgent = "app.kelvora.Kelvoramaccheck.agent";

// Each check from a fixture on a temporary home to its report.
class SelfChecksTest : public ::testing::Test {
protected:
    kelvora::testing::IsolatedHome env;
    std::string reportPath = env.dir() / "report.txt";
    std::string runningAs = "Running as: app.kelvora.Kelvora at " + parentPath(KELVORA_EXE);

    void TearDown() override {
        // Ends any agent program the launchctl stand-in started for this home.
        DiskScanner::runTool("/bin/launchctl",
                             {"bootout", "gui/" + std::to_string(getuid()) + "/" + kTestAgent}, 10);
    }

    // Runs a check and returns its report's lines; the check itself prints nothing.
    std::vector<std::string> check(const std::vector<std::string>& arguments, int expected) {
        auto run = runKelvora(arguments);
        EXPECT_EQ(run.status, expected);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
        auto text = fileText(reportPath);
        EXPECT_TRUE(text && !text->empty() && text->back() == '\n');
        std::vector<std::string> lines;
        std::string line;
        for (char c : text.value_or("")) {
            if (c == '\n') {
                lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        EXPECT_FALSE(lines.empty() || lines.front() != runningAs);
        return lines;
    }

    std::string testApp(const std::string& folder, const std::string& name,
                        const std::optional<std::string>& bundleID = kTestAppID) {
        std::string app = folder + "/" + name;
        Json info = {{"CFBundleExecutable", "Demo"}};
        if (bundleID) info["CFBundleIdentifier"] = *bundleID;
        createDirectories(app + "/Contents/MacOS");
        writePlist(info, app + "/Contents/Info.plist");
        writeFileAtomically(app + "/Contents/MacOS/Demo", "#!/bin/sh\n");
        // The metadata index knows when the app arrived, long enough ago to count as unused.
        std::string added = formatIso8601(addSeconds(currentDate(), -86400 * 900));
        setxattr(app.c_str(), "user.kMDItemDateAdded", added.data(), added.size(), 0);
        return app;
    }

    std::string agent(const std::string& label, const std::string& program) {
        std::string file = env.home() + "/Library/LaunchAgents/" + label + ".plist";
        createDirectories(parentPath(file));
        writePlist(Json{{"Label", label},
                        {"ProgramArguments", Json::array({program, "300"})},
                        {"RunAtLoad", true}},
                   file);
        return file;
    }

    void oldFile(const std::string& relative, Date when) {
        std::string path = env.dir().write("home/" + relative, "{\"role\":\"user\"}\n");
        setModificationDate(path, when);
    }
    Date daysAgo(int days) { return addSeconds(currentDate(), -86400.0 * days); }
};

using Lines = std::vector<std::string>;

TEST_F(SelfChecksTest, AppRemovalFindsMovesAndPutsBackTheTestApp) {
    std::string app = testApp(env.home() + "/Applications/Tools", "Kelvora Check - Demo.app");
    Lines lines = check({"--debug-app-removal-check", reportPath}, 0);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "Found: " + app + " · youDecide · 1 targets");
    EXPECT_TRUE(lines[2].starts_with("Remove: shelved ")) << lines[2];
    EXPECT_EQ(lines[3], "All targets moved off: true");
    EXPECT_EQ(lines[4], "Put back: ok");
    EXPECT_EQ(lines[5], "All targets back: true · restored bundle ID: " + kTestAppID);
    EXPECT_EQ(lines[6], "RESULT: PASS");
    EXPECT_TRUE(listFolder(URL::fileURL(env.tmp(), true)).entries.empty())
        << "the emptied test shelf is removed";
}

TEST_F(SelfChecksTest, AppRemovalByPathTakesOnlyATestBundleInAnApplicationsFolder) {
    std::string app = testApp(env.home() + "/Applications", "Kelvora Check - Demo.app");
    Lines lines = check({"--debug-app-removal-check", reportPath, "--app", app}, 0);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1],
              "Copy: " + app + " · bundle ID " + kTestAppID + " · bundle only, no leftovers");
    EXPECT_EQ(lines.back(), "RESULT: PASS");
    EXPECT_TRUE(fileExists(app + "/Contents/Info.plist"));

    auto relative = runKelvora({"--debug-app-removal-check", reportPath, "--app",
                                "../home/Applications/Kelvora Check - Demo.app"},
                               {}, env.tmp());
    EXPECT_EQ(relative.status, 0) << "a relative path is taken from the working folder";
    std::string relativeReport = fileText(reportPath).value_or("");
    EXPECT_NE(relativeReport.find("\nCopy: " + app + " · "), std::string::npos) << relativeReport;
    EXPECT_TRUE(relativeReport.ends_with("\nRESULT: PASS\n")) << relativeReport;

    std::string other = testApp(env.home() + "/Applications", "Editor.app");
    std::string nested = testApp(env.home() + "/Applications/Sub", "Kelvora Check - Deep.app");
    std::string unnamed =
        testApp(env.home() + "/Applications", "Kelvora Check - NoID.app", std::nullopt);
    for (const std::string& refused : {other, nested, unnamed}) {
        Lines refusal = check({"--debug-app-removal-check", reportPath, "--app", refused}, 1);
        EXPECT_EQ(refusal, (Lines{runningAs,
                                  "Refusing " + refused +
                                      ": it must be an app named \"Kelvora Check - …\" directly "
                                      "in ~/Applications or /Applications",
                                  "RESULT: FAIL"}));
        EXPECT_TRUE(fileExists(refused + "/Contents/Info.plist"));
    }
}

TEST_F(SelfChecksTest, AppRemovalWithoutOneTestAppFails) {
    Lines none = check({"--debug-app-removal-check", reportPath}, 1);
    EXPECT_EQ(none,
              (Lines{runningAs, "Test app not found in ~/Applications (found 0)", "RESULT: FAIL"}));
    testApp(env.home() + "/Applications", "Kelvora Check - One.app");
    testApp(env.home() + "/Applications", "Kelvora Check - Two.app");
    Lines two = check({"--debug-app-removal-check", reportPath}, 1);
    EXPECT_EQ(two[1], "Test app not found in ~/Applications (found 2)");
}

TEST_F(SelfChecksTest, LeftoverAgentIsMovedOffAndPutBack) {
    std::string file = agent("com.example.gone", "/opt/gone/helper");
    Lines lines =
        check({"--debug-leftover-agent-check", reportPath, "--label", "com.example.gone"}, 0);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(lines[1].starts_with("Found: ")) << lines[1];
    EXPECT_NE(lines[1].find(" · program missing: true · launchd: not loaded"), std::string::npos);
    EXPECT_EQ(lines[2], "File: " + file);
    EXPECT_NE(lines[3].find("failures 0 · file gone: true · still listed: false"),
              std::string::npos)
        << lines[3];
    EXPECT_EQ(lines[4], "Put back: ok");
    EXPECT_EQ(lines[5], "File back: true · listed again: notLoaded, leftover true · launchd: not "
                        "loaded");
    EXPECT_EQ(lines[6], "RESULT: PASS");
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(fileExists(env.home() + "/Kelvora Check Shelf"));
}

TEST_F(SelfChecksTest, LeftoverAgentRefusesAnAgentThatIsNoLeftover) {
    std::string file = agent("com.example.alive", "/bin/sleep");
    for (const char* label : {"com.example.alive", "com.example.unknown"}) {
        Lines lines = check({"--debug-leftover-agent-check", reportPath, "--label", label}, 1);
        EXPECT_EQ(lines, (Lines{runningAs,
                                std::string(label) +
                                    " isn't a leftover login item of yours, so nothing was touched",
                                "RESULT: FAIL"}));
    }
    EXPECT_TRUE(fileExists(file));
}

TEST_F(SelfChecksTest, LoginSwitchTurnsTheTestAgentOffAndOnAgain) {
    std::string file = agent(kTestAgent, "/bin/sleep");
    Lines lines = check({"--debug-login-switch-check", reportPath}, 0);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(lines[1].starts_with("Before: sleep · ")) << lines[1];
    EXPECT_EQ(lines[2], "After off: off · launchctl: \"" + kTestAgent +
                            "\" => disabled · not "
                            "loaded");
    EXPECT_TRUE(lines[3].starts_with("After on: running(pid: ")) << lines[3];
    EXPECT_NE(lines[3].find("=> enabled · running, pid "), std::string::npos) << lines[3];
    EXPECT_EQ(lines[4], "File still there: true");
    EXPECT_EQ(lines[5], "RESULT: PASS");
}

TEST_F(SelfChecksTest, LoginSwitchWithoutTheTestAgentFails) {
    agent(kTestAgent + ".other", "/bin/sleep");
    EXPECT_EQ(check({"--debug-login-switch-check", reportPath}, 1),
              (Lines{runningAs, "Test agent " + kTestAgent + " not found in ~/Library/LaunchAgents",
                     "RESULT: FAIL"}));
}

TEST_F(SelfChecksTest, AIShelfMovesTheOldChatsOfTheFixtureHomeAndPutsThemBack) {
    oldFile("Kelvora Check AI/home/.codex/sessions/2026/01/a.jsonl", daysAgo(60));
    oldFile("Kelvora Check AI/home/.codex/sessions/2026/01/b.jsonl", daysAgo(45));
    oldFile("Kelvora Check AI/home/.codex/sessions/2026/02/new.jsonl", daysAgo(1));
    oldFile(".codex/sessions/2026/01/real.jsonl", daysAgo(60));
    Lines lines = check({"--debug-ai-shelf-check", reportPath}, 0);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_TRUE(lines[1].starts_with("Found: Codex sessions · 2 sessions · ")) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(" bytes · youDecide · shelf: true")) << lines[1];
    EXPECT_EQ(lines[2], "  target: ~test/.codex/sessions/2026/01/a.jsonl");
    EXPECT_EQ(lines[3], "  target: ~test/.codex/sessions/2026/01/b.jsonl");
    EXPECT_TRUE(lines[4].ends_with(" · freed now 0 · skipped 0 · failures 0")) << lines[4];
    EXPECT_EQ(lines[5], "All targets moved off: true");
    EXPECT_EQ(lines[6], "Put back: ok");
    EXPECT_EQ(lines[7], "All targets back: true · shelf now holds 0 sweeps");
    EXPECT_EQ(lines[8], "RESULT: PASS");
    EXPECT_TRUE(fileExists(env.home() + "/.codex/sessions/2026/01/real.jsonl"));
}

TEST_F(SelfChecksTest, AIShelfNeedsExactlyOneSetOfOldChats) {
    EXPECT_EQ(check({"--debug-ai-shelf-check", reportPath}, 1),
              (Lines{runningAs, "No test home at " + env.home() + "/Kelvora Check AI/home",
                     "RESULT: FAIL"}));
    env.dir().mkdir("home/Kelvora Check AI/home");
    EXPECT_EQ(check({"--debug-ai-shelf-check", reportPath}, 1)[1],
              "Expected one set of old chats, found 0");
    oldFile("Kelvora Check AI/home/.codex/sessions/a.jsonl", daysAgo(60));
    oldFile("Kelvora Check AI/home/.codex/archived_sessions/b.jsonl", daysAgo(60));
    EXPECT_EQ(check({"--debug-ai-shelf-check", reportPath}, 1)[1],
              "Expected one set of old chats, found 2");
    EXPECT_TRUE(fileExists(env.home() + "/Kelvora Check AI/home/.codex/sessions/a.jsonl"));
}

TEST_F(SelfChecksTest, DevRemovalDeletesBuildFoldersOfTheFixtureProjectsOnly) {
    oldFile("Kelvora Check Projects/web/package.json", daysAgo(200));
    env.dir().write("home/Kelvora Check Projects/web/node_modules/pad/index.js", "x");
    oldFile("Code/site/package.json", daysAgo(200));
    env.dir().write("home/Code/site/node_modules/pad/index.js", "x");
    sync();
    std::string modules = env.home() + "/Kelvora Check Projects/web/node_modules";
    Lines lines = check({"--debug-dev-removal-check", reportPath}, 0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[1].starts_with("Found: " + modules + " · rebuilds · ")) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(" bytes · nodeModules")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with(" · shelved 0 · skipped 0 · failures 0")) << lines[2];
    EXPECT_EQ(lines[3], "All removed: true");
    EXPECT_EQ(lines[4], "RESULT: PASS");
    EXPECT_FALSE(fileExists(modules));
    EXPECT_TRUE(fileExists(env.home() + "/Code/site/node_modules/pad/index.js"));
}

TEST_F(SelfChecksTest, DevRemovalWithoutFixtureFilesRemovesNothing) {
    env.dir().mkdir("home/Kelvora Check Projects");
    EXPECT_EQ(
        check({"--debug-dev-removal-check", reportPath}, 1),
        (Lines{runningAs, "No developer files found in " + env.home() + "/Kelvora Check Projects",
               "RESULT: FAIL"}));
}

TEST_F(SelfChecksTest, APassWhoseReportCannotBeWrittenExitsOneAndSaysWhy) {
    std::string app = testApp(env.home() + "/Applications", "Kelvora Check - Demo.app");
    std::string nowhere = env.dir() / "missing/report.txt";
    auto run = runKelvora({"--debug-app-removal-check", nowhere, "--app", app});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fileExists(nowhere));
    EXPECT_TRUE(run.err.starts_with("The self-check report could not be written: ")) << run.err;
    EXPECT_TRUE(fileExists(app + "/Contents/Info.plist")) << "the check itself still ran whole";
}

} // namespace
