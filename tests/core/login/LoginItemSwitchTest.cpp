#include "login/LoginItemSwitch.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

struct Recorder {
    std::vector<std::vector<std::string>> calls;
    std::optional<int32_t> status = 0;
    std::optional<int32_t> laterStatus = 0;

    LoginItemSwitch makeSwitch() {
        LoginItemSwitch toggle(
            [this](const std::string& tool, const std::vector<std::string>& args) {
                std::vector<std::string> call{tool};
                call.insert(call.end(), args.begin(), args.end());
                calls.push_back(call);
                return calls.size() == 1 ? status : laterStatus;
            });
        toggle.uid = 501;
        return toggle;
    }
};

LoginItem agent(LoginItem::State state, bool withFile = true) {
    LoginItem item;
    item.source = LoginItem::Source::userAgent;
    item.label = "daily-backup";
    if (withFile) item.file = URL::fileURL("/Users/me/Library/LaunchAgents/daily-backup.plist");
    item.state = state;
    return item;
}

using Calls = std::vector<std::vector<std::string>>;

} // namespace

TEST(LoginItemSwitch, AgentsAreEnabledThenLoaded) {
    Recorder r;
    EXPECT_EQ(r.makeSwitch().set(agent(LoginItem::State::off()), true), std::nullopt);
    EXPECT_EQ(r.calls, (Calls{{"/bin/launchctl", "enable", "gui/501/daily-backup"},
                              {"/bin/launchctl", "bootstrap", "gui/501",
                               "/Users/me/Library/LaunchAgents/daily-backup.plist"}}));

    Recorder noFile;
    noFile.laterStatus = 5;
    EXPECT_EQ(noFile.makeSwitch().set(agent(LoginItem::State::off(), false), true), std::nullopt);
    EXPECT_EQ(noFile.calls.size(), 1u);

    Recorder alreadyLoaded;
    alreadyLoaded.laterStatus = 5;
    EXPECT_EQ(alreadyLoaded.makeSwitch().set(agent(LoginItem::State::waiting()), true),
              std::nullopt);
}

TEST(LoginItemSwitch, AgentsAreDisabledThenStoppedWhenLoaded) {
    Recorder running;
    running.laterStatus = std::nullopt;
    EXPECT_EQ(running.makeSwitch().set(agent(LoginItem::State::running(4)), false), std::nullopt);
    EXPECT_EQ(running.calls, (Calls{{"/bin/launchctl", "disable", "gui/501/daily-backup"},
                                    {"/bin/launchctl", "bootout", "gui/501/daily-backup"}}));

    Recorder unloaded;
    auto global = agent(LoginItem::State::notLoaded());
    global.source = LoginItem::Source::globalAgent;
    EXPECT_EQ(unloaded.makeSwitch().set(global, false), std::nullopt);
    EXPECT_EQ(unloaded.calls, (Calls{{"/bin/launchctl", "disable", "gui/501/daily-backup"}}));
}

TEST(LoginItemSwitch, FailuresGiveTheirMessages) {
    for (std::optional<int32_t> status : {std::optional<int32_t>(1), std::optional<int32_t>()}) {
        Recorder on;
        on.status = status;
        EXPECT_EQ(on.makeSwitch().set(agent(LoginItem::State::off()), true),
                  "Kelvora couldn’t switch it on.");
        EXPECT_EQ(on.calls.size(), 1u);
        Recorder off;
        off.status = status;
        EXPECT_EQ(off.makeSwitch().set(agent(LoginItem::State::running(3)), false),
                  "Kelvora couldn’t switch it off.");
        EXPECT_EQ(off.calls.size(), 1u);
    }
    for (auto source : {LoginItem::Source::systemDaemon, LoginItem::Source::appHelper}) {
        Recorder r;
        auto item = agent(LoginItem::State::waiting());
        item.source = source;
        EXPECT_EQ(r.makeSwitch().set(item, false),
                  "Kelvora doesn’t switch this one; its app or an administrator does.");
        EXPECT_EQ(r.makeSwitch().set(item, true),
                  "Kelvora doesn’t switch this one; its app or an administrator does.");
        EXPECT_TRUE(r.calls.empty());
    }
}

TEST(LoginItemSwitch, OpenAtLoginScriptsAreEscaped) {
    LoginItem app;
    app.source = LoginItem::Source::openAtLogin;
    app.label = "Say \"Hi\" \\ Co";
    app.file = URL::fileURL("/Applications/Say \"Hi\".app");

    Recorder on;
    EXPECT_EQ(on.makeSwitch().set(app, true), std::nullopt);
    EXPECT_EQ(on.calls, (Calls{{"/usr/bin/osascript", "-e",
                                "tell application \"System Events\" to make login item at end "
                                "with properties {path:\"/Applications/Say \\\"Hi\\\".app\", "
                                "hidden:false}"}}));
    Recorder off;
    EXPECT_EQ(off.makeSwitch().set(app, false), std::nullopt);
    EXPECT_EQ(off.calls, (Calls{{"/usr/bin/osascript", "-e",
                                 "tell application \"System Events\" to delete login item "
                                 "\"Say \\\"Hi\\\" \\\\ Co\""}}));

    Recorder refused;
    refused.status = 1;
    app.file.reset();
    EXPECT_EQ(refused.makeSwitch().set(app, true),
              "Kelvora couldn’t change its list of apps that open at login.");
    EXPECT_NE(refused.calls[0][2].find("{path:\"\", hidden:false}"), std::string::npos);
}

// A user's unit is switched by systemctl, at once and for the next logins; a service of the
// system, or any unit where there is no systemctl, is left as it is and the user told why.
TEST(LoginItemSwitch, OnlyTheUsersUnitsAreSwitchedAndOnlyWithSystemctl) {
    LoginItem unit;
    unit.source = LoginItem::Source::userAgent;
    unit.mechanism = LoginItem::Mechanism::systemdUnit;
    unit.label = "notes.service";
    LoginItem daemon = unit;
    daemon.source = LoginItem::Source::systemDaemon;
    const std::string tool = "/stand-in/systemctl";
    const Calls off{{tool, "--user", "disable", "--now", "notes.service"}};
    const Calls on{{tool, "--user", "enable", "--now", "notes.service"}};
    struct Row {
        const char* story;
        LoginItem item;
        bool switchOn;
        std::optional<int32_t> status;
        std::string systemctl;
        std::optional<std::string> said;
        Calls calls;
    };
    const Row rows[] = {
        {"switched off", unit, false, 0, tool, std::nullopt, off},
        {"switched on", unit, true, 0, tool, std::nullopt, on},
        {"refused", unit, false, 1, tool, LoginItemSwitch::kUnitRefusedOff, off},
        {"systemctl did not run", unit, true, std::nullopt, tool, LoginItemSwitch::kUnitRefusedOn,
         on},
        {"a service of the system", daemon, false, 0, tool, LoginItemSwitch::kSwitchInSettings, {}},
        {"no systemctl", unit, false, 0, "", LoginItemSwitch::kNoSystemctl, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        Recorder r;
        r.status = row.status;
        LoginItemSwitch toggle = r.makeSwitch();
        toggle.systemctl = row.systemctl;
        EXPECT_EQ(toggle.set(row.item, row.switchOn), row.said);
        EXPECT_EQ(r.calls, row.calls);
    }
}
