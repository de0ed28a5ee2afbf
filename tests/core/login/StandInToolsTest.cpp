#include "engine/DiskScanner.h"
#include "login/LoginItemScanner.h"
#include "login/LoginItemSwitch.h"
#include "platform/Plist.h"
#include "platform/StandIns.h"
#include "support/LoginFixtures.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {

// Points the stand-ins' state at a folder of the test's own.
class StandInTools : public ::testing::Test {
protected:
    void SetUp() override {
        if (!standInFor("/bin/launchctl") || !standInFor("/usr/bin/osascript"))
            GTEST_SKIP() << "stand-in tools are not built";
        if (const char* old = std::getenv("XDG_DATA_HOME")) savedDataHome = old;
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    }
    void TearDown() override {
        if (savedDataHome)
            setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }

    std::optional<ToolOutput> launchctl(const std::vector<std::string>& arguments) {
        return DiskScanner::runTool("/bin/launchctl", arguments, 15);
    }

    std::string agent(const std::string& label, const Json& extra = Json::object()) {
        Json dict = {{"Label", label}, {"ProgramArguments", {"/bin/sleep", "120"}}};
        dict.update(extra);
        std::string path = dir / ("home/Library/LaunchAgents/" + label + ".plist");
        createDirectories(parentPath(path));
        writePlist(dict, path);
        return path;
    }

    LoginItemScanner scanner() {
        return kelvora::testing::isolatedScanner(dir, LoginItemScanner::liveLaunchctl);
    }

    std::optional<LoginItem> find(const std::string& label) {
        for (const auto& item : scanner().scan())
            if (item.label == label) return item;
        return std::nullopt;
    }

    std::string domain() { return "gui/" + std::to_string(getuid()); }

    TempDir dir;
    std::optional<std::string> savedDataHome;
};

// Running and not merely waiting to be reaped by whoever adopted it.
bool alive(int32_t pid) {
    auto stat = fileText("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return false;
    auto close = stat->rfind(')');
    return close != std::string::npos && close + 2 < stat->size() && (*stat)[close + 2] != 'Z';
}

bool endsSoon(int32_t pid) {
    for (int i = 0; i < 100 && alive(pid); ++i)
        usleep(20000);
    return !alive(pid);
}

} // namespace

TEST_F(StandInTools, LaunchctlRoundTripLikeLaunchd) {
    std::string plist = agent("com.example.sleeper", {{"RunAtLoad", true}});
    ASSERT_EQ(find("com.example.sleeper")->state, LoginItem::State::notLoaded());

    auto loaded = launchctl({"bootstrap", domain(), plist});
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->status, 0);
    auto print = launchctl({"print", domain() + "/com.example.sleeper"});
    ASSERT_TRUE(print);
    EXPECT_EQ(print->status, 0);
    auto pid = LoginItemScanner::parsePID("\n" + print->output);
    ASSERT_TRUE(pid);
    EXPECT_TRUE(alive(*pid));
    EXPECT_EQ(find("com.example.sleeper")->state, LoginItem::State::running(*pid));
    EXPECT_EQ(LoginItemScanner::parseList(launchctl({"list"})->output).at("com.example.sleeper"),
              pid);
    EXPECT_NE(launchctl({"bootstrap", domain(), plist})->status, 0) << "already loaded";

    EXPECT_EQ(launchctl({"disable", domain() + "/com.example.sleeper"})->status, 0);
    auto disabled = launchctl({"print-disabled", domain()})->output;
    EXPECT_EQ(LoginItemScanner::parseDisabled(disabled).at("com.example.sleeper"), true);
    EXPECT_EQ(find("com.example.sleeper")->state, LoginItem::State::off());

    EXPECT_EQ(launchctl({"bootout", domain() + "/com.example.sleeper"})->status, 0);
    EXPECT_TRUE(endsSoon(*pid));
    EXPECT_EQ(find("com.example.sleeper")->state, LoginItem::State::off());
    EXPECT_NE(launchctl({"print", domain() + "/com.example.sleeper"})->status, 0);
    EXPECT_FALSE(LoginItemScanner::liveLaunchctl({"print", domain() + "/com.example.sleeper"}));
    EXPECT_NE(launchctl({"bootout", domain() + "/com.example.sleeper"})->status, 0);
    EXPECT_NE(launchctl({"bootstrap", domain(), plist})->status, 0) << "switched off";

    EXPECT_EQ(launchctl({"enable", domain() + "/com.example.sleeper"})->status, 0);
    EXPECT_EQ(LoginItemScanner::parseDisabled(launchctl({"print-disabled", domain()})->output)
                  .at("com.example.sleeper"),
              false);
    EXPECT_EQ(launchctl({"bootstrap", domain(), plist})->status, 0);
    auto again = find("com.example.sleeper");
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isRunning());
    launchctl({"bootout", domain() + "/com.example.sleeper"});
}

TEST_F(StandInTools, LaunchctlLoadsWithoutStartingAndRefusesOtherForms) {
    std::string plist = agent("com.example.idle");
    EXPECT_EQ(launchctl({"bootstrap", domain(), plist})->status, 0);
    auto print = launchctl({"print", domain() + "/com.example.idle"});
    EXPECT_EQ(print->status, 0);
    EXPECT_FALSE(LoginItemScanner::parsePID("\n" + print->output));
    EXPECT_EQ(find("com.example.idle")->state, LoginItem::State::waiting());
    EXPECT_EQ(launchctl({"print-disabled", "system"})->status, 0);
    EXPECT_NE(launchctl({"list", "com.example.idle"})->status, 0);
    EXPECT_NE(launchctl({"print-disabled", "elsewhere"})->status, 0);
    EXPECT_NE(launchctl({"frobnicate"})->status, 0);
    EXPECT_NE(launchctl({"bootstrap", domain(), dir / "missing.plist"})->status, 0);
    launchctl({"bootout", domain() + "/com.example.idle"});
}

TEST_F(StandInTools, SwitchTurnsAnAgentOffAndOnThroughTheToolRunner) {
    agent("com.example.switched", {{"RunAtLoad", true}});
    LoginItemSwitch toggle;
    auto item = find("com.example.switched");
    ASSERT_TRUE(item);
    EXPECT_EQ(toggle.set(*item, true), std::nullopt);
    auto on = find("com.example.switched");
    ASSERT_TRUE(on->isRunning());
    int32_t pid = on->state.pid;

    EXPECT_EQ(toggle.set(*on, false), std::nullopt);
    auto off = find("com.example.switched");
    EXPECT_TRUE(off->isOff());
    EXPECT_FALSE(LoginItemScanner::liveLaunchctl({"print", domain() + "/com.example.switched"}));
    EXPECT_TRUE(endsSoon(pid));

    EXPECT_EQ(toggle.set(*off, true), std::nullopt);
    auto back = find("com.example.switched");
    EXPECT_TRUE(back->isRunning());
    toggle.set(*back, false);
}

TEST_F(StandInTools, OsascriptKeepsTheOpenAtLoginList) {
    // The stand-in answers in place of osascript, but it is no System Events.
    ASSERT_TRUE(standInFor("/usr/bin/osascript"));
    EXPECT_FALSE(LoginItemScanner::hasSystemEvents());
    std::string app = dir.mkdir("Applications/Say \"Hi\".app");
    LoginItemSwitch toggle;
    LoginItem item;
    item.source = LoginItem::Source::openAtLogin;
    item.file = URL::fileURL(app);
    EXPECT_EQ(toggle.set(item, true), std::nullopt);
    auto listed = LoginItemScanner::liveOpenAtLogin();
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 1u);
    EXPECT_EQ((*listed)[0].name, "Say \"Hi\"");
    EXPECT_EQ((*listed)[0].path, app);

    auto reader = scanner();
    reader.openAtLogin = LoginItemScanner::liveOpenAtLogin;
    auto items = reader.scan();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].state, LoginItem::State::waiting());
    EXPECT_FALSE(items[0].programMissing);

    item.label = (*listed)[0].name;
    EXPECT_EQ(toggle.set(item, false), std::nullopt);
    EXPECT_TRUE(LoginItemScanner::liveOpenAtLogin()->empty());
    EXPECT_EQ(toggle.set(item, false), LoginItemSwitch::kSystemEventsRefused);
    item.file.reset();
    EXPECT_EQ(toggle.set(item, true), LoginItemSwitch::kSystemEventsRefused);
}
