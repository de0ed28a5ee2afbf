#include "controller/ShelfSweeper.h"

#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <algorithm>
#include <map>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace kelvora;
using Status = ShelfSweeper::Status;

namespace {

// A scripted systemctl: answers by verb and records every call.
struct FakeSystemctl {
    std::vector<std::vector<std::string>> calls;
    std::map<std::string, ToolOutput> answers;

    ShelfSweeper::ServiceManager::Systemctl runner() {
        return [this](const std::vector<std::string>& arguments) -> std::optional<ToolOutput> {
            calls.push_back(arguments);
            auto it = answers.find(arguments.front());
            if (it == answers.end()) return ToolOutput{0, ""};
            return it->second;
        };
    }
};

class ShelfSweeperTest : public ::testing::Test {
protected:
    kelvora::testing::TempDir dir;
    FakeSystemctl systemctl;

    ShelfSweeper::ServiceManager manager() {
        ShelfSweeper::ServiceManager m;
        m.unitFolder = dir / "systemd/user";
        m.executable = "/opt/Kelvora 2/kelvora";
        m.systemctl = systemctl.runner();
        return m;
    }
    std::string unit(const std::string& name) { return dir / ("systemd/user/" + name); }
};

TEST_F(ShelfSweeperTest, NamesFollowTheBundleIdentifier) {
    EXPECT_EQ(ShelfSweeper::plistName(), "app.kelvora.Kelvora.shelf.plist");
    EXPECT_EQ(ShelfSweeper::serviceName(), "app.kelvora.Kelvora.shelf.service");
    EXPECT_EQ(ShelfSweeper::timerName(), "app.kelvora.Kelvora.shelf.timer");
}

TEST_F(ShelfSweeperTest, EnableWritesBothUnitsAndEnablesTheTimer) {
    auto m = manager();
    m.environment = {{"XDG_DATA_HOME", "/home/u/100%data"}};
    EXPECT_EQ(m.enable(), std::nullopt);
    auto service = fileText(unit(ShelfSweeper::serviceName()));
    ASSERT_TRUE(service);
    EXPECT_NE(service->find("ExecStart=\"/opt/Kelvora 2/kelvora\" --empty-expired-shelf\n"),
              std::string::npos)
        << *service;
    EXPECT_NE(service->find("Environment=\"XDG_DATA_HOME=/home/u/100%%data\"\n"),
              std::string::npos);
    auto timer = fileText(unit(ShelfSweeper::timerName()));
    ASSERT_TRUE(timer);
    EXPECT_NE(timer->find("Unit=app.kelvora.Kelvora.shelf.service\n"), std::string::npos);
    EXPECT_NE(timer->find("WantedBy=timers.target"), std::string::npos);
    EXPECT_NE(std::find(systemctl.calls.begin(), systemctl.calls.end(),
                        std::vector<std::string>{"enable", "app.kelvora.Kelvora.shelf.timer"}),
              systemctl.calls.end());
}

TEST_F(ShelfSweeperTest, CommandLineCharactersSystemdWouldReadAreEscaped) {
    auto m = manager();
    m.executable = "/opt/a\"b\\c$d%e/kelvora";
    EXPECT_NE(m.serviceUnit().find("ExecStart=\"/opt/a\\\"b\\\\c$$d%%e/kelvora\""),
              std::string::npos)
        << m.serviceUnit();
}

TEST_F(ShelfSweeperTest, FailedEnableIsReportedAsText) {
    systemctl.answers["is-system-running"] = {0, "running\n"};
    systemctl.answers["enable"] = {1, ""};
    EXPECT_EQ(manager().enable(), "systemd didn’t enable the helper.");
}

TEST_F(ShelfSweeperTest, WithoutAReachableUserManagerTheTimerIsEnabledOnDiskAndWaits) {
    for (const char* verb : {"is-system-running", "enable", "is-enabled", "disable"})
        systemctl.answers[verb] = {1, ""};
    auto m = manager();
    EXPECT_EQ(m.enable(), std::nullopt);
    std::string link = unit("timers.target.wants/" + ShelfSweeper::timerName());
    char target[4096] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), unit(ShelfSweeper::timerName()));
    EXPECT_EQ(m.status(), Status::needsApproval());

    EXPECT_EQ(m.disable(), std::nullopt);
    EXPECT_FALSE(fileExists(link));
    EXPECT_FALSE(fileExists(unit(ShelfSweeper::timerName())));
    EXPECT_EQ(m.status(), Status::off());
}

TEST_F(ShelfSweeperTest, StatusMapsUnitFilesAndTheUserManager) {
    auto m = manager();
    EXPECT_EQ(m.status(), Status::off()) << "nothing written yet";
    ASSERT_EQ(m.enable(), std::nullopt);
    systemctl.answers["is-enabled"] = {0, "enabled\n"};
    systemctl.answers["is-system-running"] = {0, "running\n"};
    EXPECT_EQ(m.status(), Status::on());
    systemctl.answers["is-system-running"] = {1, "degraded\n"};
    EXPECT_EQ(m.status(), Status::on());
    systemctl.answers["is-system-running"] = {1, ""};
    EXPECT_EQ(m.status(), Status::needsApproval()) << "written, but no manager to run it now";
    systemctl.answers["is-enabled"] = {1, "disabled\n"};
    EXPECT_EQ(m.status(), Status::off());
}

TEST_F(ShelfSweeperTest, ASystemNotStartedBySystemdCanNeverRunTheHelper) {
    systemctl.answers["is-system-running"] = {1, "offline\n"};
    auto m = manager();
    EXPECT_EQ(m.status(), Status::unavailable(ShelfSweeper::kNoServiceManager));
    EXPECT_EQ(m.enable(), std::string(ShelfSweeper::kNoServiceManager));
    EXPECT_FALSE(fileExists(unit(ShelfSweeper::timerName()))) << "nothing is written for it";
}

TEST_F(ShelfSweeperTest, WithoutSystemctlTheHelperIsUnavailable) {
    auto m = manager();
    m.systemctl = nullptr;
    EXPECT_EQ(m.status(), Status::unavailable(ShelfSweeper::kNoServiceManager));
    EXPECT_EQ(m.enable(), std::string(ShelfSweeper::kNoServiceManager));
    EXPECT_FALSE(fileExists(unit(ShelfSweeper::serviceName())));
}

TEST_F(ShelfSweeperTest, DisableRemovesUnitsAndTheEnableLink) {
    auto m = manager();
    ASSERT_EQ(m.enable(), std::nullopt);
    dir.mkdir("systemd/user/timers.target.wants");
    symlink(unit(ShelfSweeper::timerName()).c_str(),
            unit("timers.target.wants/" + ShelfSweeper::timerName()).c_str());
    systemctl.calls.clear();
    EXPECT_EQ(m.disable(), std::nullopt);
    EXPECT_FALSE(fileExists(unit(ShelfSweeper::serviceName())));
    EXPECT_FALSE(fileExists(unit(ShelfSweeper::timerName())));
    EXPECT_FALSE(fileExists(unit("timers.target.wants/" + ShelfSweeper::timerName())));
    EXPECT_NE(std::find(systemctl.calls.begin(), systemctl.calls.end(),
                        std::vector<std::string>{"disable", ShelfSweeper::timerName()}),
              systemctl.calls.end());
    EXPECT_EQ(m.disable(), std::nullopt) << "unregistering twice is no error";
}

TEST_F(ShelfSweeperTest, StatusDescriptionsAreCaseNames) {
    EXPECT_EQ(Status::on().description(), "on");
    EXPECT_EQ(Status::needsApproval().description(), "needsApproval");
    EXPECT_EQ(Status::unavailable("No way.").description(), "unavailable(\"No way.\")");
}

} // namespace
