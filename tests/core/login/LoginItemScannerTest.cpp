#include "login/LoginItemScanner.h"
#include "platform/Plist.h"
#include "support/LoginFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::byID;
using kelvora::testing::TempDir;

namespace {

using State = LoginItem::State;
using Source = LoginItem::Source;

struct Fixture : kelvora::testing::LoginHome {
    std::map<std::string, std::string> answers; // arguments joined by blanks -> output
    std::vector<std::string> asked;

    void job(const std::string& folder, const std::string& label, const Json& dict,
             PlistFormat format = PlistFormat::xml) const {
        std::string path = joinPath(folder, label + ".plist");
        createDirectories(folder);
        writePlist(dict, path, format);
    }

    void helper(const std::string& app, const std::string& helper, const std::string& id) const {
        std::string path = dir / ("Applications/" + app + ".app/Contents/Library/LoginItems/" +
                                  helper + ".app/Contents");
        createDirectories(path);
        writePlist({{"CFBundleIdentifier", id}}, joinPath(path, "Info.plist"));
    }

    LoginItemScanner scanner(bool launchctlWorks = true) {
        auto launchctl =
            [this, launchctlWorks](
                const std::vector<std::string>& arguments) -> std::optional<std::string> {
            std::string key;
            for (const auto& argument : arguments)
                key += (key.empty() ? "" : " ") + argument;
            asked.push_back(key);
            if (!launchctlWorks) return std::nullopt;
            auto it = answers.find(key);
            if (it == answers.end()) return std::nullopt;
            return it->second;
        };
        LoginItemScanner scanner =
            kelvora::testing::isolatedScanner(dir, launchctl, {URL::fileURL(dir / "Applications")});
        scanner.uid = 501;
        return scanner;
    }
};

} // namespace

TEST(LaunchctlOutput, ParsesListDisabledAndPid) {
    auto listed = LoginItemScanner::parseList("PID\tStatus\tLabel\n"
                                              "123\t0\tcom.example.running\n"
                                              "-\t0\tcom.example.waiting\n"
                                              "-\t78\tcom.example.tab\tin label\n"
                                              "+7\t0\tcom.example.signed\n"
                                              "broken line\n"
                                              "9\t0\tcom.example.waiting\n");
    EXPECT_EQ(listed.at("com.example.running"), 123);
    EXPECT_EQ(listed.at("com.example.waiting"), 9);
    EXPECT_EQ(listed.at("com.example.tab\tin label"), std::nullopt);
    EXPECT_EQ(listed.at("com.example.signed"), 7);
    EXPECT_EQ(listed.size(), 4u);
    EXPECT_TRUE(LoginItemScanner::parseList("123\t0\tonly.a.heading").empty());

    auto disabled = LoginItemScanner::parseDisabled("disabled services = {\n"
                                                    "\t\"com.a\" => disabled\n"
                                                    "\t\"com.b\" => true\n"
                                                    "\t\"com.c\" => enabled\n"
                                                    "\t\"com.d\"=>false\n"
                                                    "}\n");
    EXPECT_EQ(disabled, (std::unordered_map<std::string, bool>{
                            {"com.a", true}, {"com.b", true}, {"com.c", false}, {"com.d", false}}));

    EXPECT_EQ(LoginItemScanner::parsePID("gui/501/x = {\n\tstate = running\n\tpid = 4242\n}"),
              4242);
    EXPECT_FALSE(LoginItemScanner::parsePID("pid = 12 at the start is no line"));
    EXPECT_FALSE(LoginItemScanner::parsePID("\n\tpid = 99999999999\n"));
    EXPECT_FALSE(LoginItemScanner::parsePID("\n\tparent pid = 12\n"));
}

TEST(LoginItemScanner, StatesOfAgentsAndDaemons) {
    Fixture f;
    std::string agents = f.home() + "/Library/LaunchAgents";
    f.job(agents, "com.example.running", {{"Program", "/bin/sh"}, {"RunAtLoad", true}});
    f.job(agents, "com.example.waiting", {{"Program", "/bin/sh"}}, PlistFormat::binary);
    f.job(agents, "com.example.off", {{"Program", "/bin/sh"}});
    f.job(agents, "com.example.unloaded", {{"Program", "/bin/sh"}});
    f.job(agents, "com.example.empty", Json::object());
    f.job(agents, "com.example.gone", {{"Program", f.dir / "gone/tool"}, {"RunAtLoad", true}});
    f.dir.write("home/Library/LaunchAgents/com.example.loud.PLIST", "x");
    f.job(f.dir / "global", "com.example.running", {{"Program", "/bin/sh"}});
    f.job(f.dir / "daemons", "com.example.daemon", {{"Program", "/bin/sh"}});
    f.job(f.dir / "daemons", "com.example.idled", {{"Program", "/bin/sh"}});
    f.job(f.dir / "daemons", "com.example.stopped", {{"Program", "/bin/sh"}});
    f.job(f.dir / "daemons", "com.example.absent", {{"Program", "/bin/sh"}});
    f.answers["list"] =
        "PID\tStatus\tLabel\n55\t0\tcom.example.running\n-\t0\tcom.example.waiting\n"
        "-\t0\tcom.example.off\n";
    f.answers["print-disabled gui/501"] = "\"com.example.off\" => disabled\n";
    f.answers["print-disabled system"] = "\"com.example.stopped\" => disabled\n";
    f.answers["print system/com.example.daemon"] = "system/com.example.daemon = {\n\tpid = 77\n}";
    f.answers["print system/com.example.idled"] = "system/com.example.idled = {\n}";

    auto items = f.scanner().scan();
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(byID(items, "userAgent:com.example.running")->state, State::running(55));
    EXPECT_EQ(byID(items, "globalAgent:com.example.running")->state, State::running(55));
    EXPECT_EQ(byID(items, "userAgent:com.example.waiting")->state, State::waiting());
    EXPECT_EQ(byID(items, "userAgent:com.example.off")->state, State::off());
    EXPECT_EQ(byID(items, "userAgent:com.example.unloaded")->state, State::notLoaded());
    EXPECT_EQ(byID(items, "systemDaemon:com.example.daemon")->state, State::running(77));
    EXPECT_EQ(byID(items, "systemDaemon:com.example.idled")->state, State::waiting());
    EXPECT_EQ(byID(items, "systemDaemon:com.example.stopped")->state, State::off());
    EXPECT_EQ(byID(items, "systemDaemon:com.example.absent")->state, State::notLoaded());
    EXPECT_EQ(items[0].label, "com.example.empty"); // user agents first, sorted by file name

    const LoginItem* empty = byID(items, "userAgent:com.example.empty");
    EXPECT_TRUE(empty->isPlaceholder);
    EXPECT_FALSE(empty->isLeftover());
    EXPECT_EQ(empty->purpose,
              "An empty file. It does nothing; its app left it here to stay switched off.");
    const LoginItem* gone = byID(items, "userAgent:com.example.gone");
    EXPECT_TRUE(gone->programMissing);
    EXPECT_TRUE(gone->isLeftover());
    EXPECT_EQ(gone->name, "tool");
    EXPECT_EQ(gone->purpose, "Left behind: the program it starts is gone, usually because its "
                             "app was removed. It does nothing now.");
    // Stopped daemons are not asked about; the others are, one call each.
    EXPECT_EQ(std::count(f.asked.begin(), f.asked.end(), "print system/com.example.stopped"), 0);
    EXPECT_EQ(f.asked.size(), 6u);
}

TEST(LoginItemScanner, WithoutLaunchctlEverythingIsNotLoadedAndHelpersAreHidden) {
    Fixture f;
    f.job(f.home() + "/Library/LaunchAgents", "com.example.a", {{"Program", "/bin/sh"}});
    f.job(f.dir / "daemons", "com.example.d", {{"Program", "/bin/sh"}});
    f.helper("Mail Tools", "Tools Helper", "com.example.tools.helper");
    auto items = f.scanner(false).scan();
    ASSERT_EQ(items.size(), 2u);
    for (const auto& item : items)
        EXPECT_EQ(item.state, State::notLoaded());
}

TEST(LoginItemScanner, AppHelpersKnownToLaunchd) {
    Fixture f;
    f.helper("Mail Tools", "Tools Helper", "com.example.tools.helper");
    f.helper("Other", "Tools Copy", "com.example.tools.helper");
    f.helper("Paused", "Paused Helper", "com.example.paused.helper");
    f.helper("Unknown", "Unknown Helper", "com.example.unknown.helper");
    f.helper("Shadowed", "Agent", "com.example.agent");
    f.job(f.home() + "/Library/LaunchAgents", "com.example.agent", {{"Program", "/bin/sh"}});
    f.answers["list"] =
        "PID\tStatus\tLabel\n8\t0\tcom.example.tools.helper\n-\t0\tcom.example.agent\n";
    f.answers["print-disabled gui/501"] = "\"com.example.paused.helper\" => disabled\n";

    auto items = f.scanner().scan();
    ASSERT_EQ(items.size(), 3u);
    const LoginItem* tools = byID(items, "appHelper:com.example.tools.helper");
    ASSERT_TRUE(tools);
    EXPECT_EQ(tools->owner, "Mail Tools");
    EXPECT_EQ(tools->name, "Mail Tools helper");
    EXPECT_EQ(tools->state, State::running(8));
    EXPECT_TRUE(tools->startsAtLogin);
    EXPECT_EQ(tools->file->lastPathComponent(), "Tools Helper.app");
    EXPECT_EQ(byID(items, "appHelper:com.example.paused.helper")->state, State::off());
    EXPECT_FALSE(byID(items, "appHelper:com.example.agent"));
}

TEST(LoginItemScanner, OwnerFromProgramPathOrAssociatedBundle) {
    Fixture f;
    std::string agents = f.home() + "/Library/LaunchAgents";
    f.dir.write("Applications/Notes Pro.app/Contents/MacOS/Notes Pro");
    f.job(agents, "com.notespro.launcher",
          {{"Program", f.dir / "Applications/Notes Pro.app/Contents/MacOS/Notes Pro"},
           {"RunAtLoad", true}});
    createDirectories(f.dir / "Applications/Writer.app/Contents");
    writePlist({{"CFBundleIdentifier", "com.example.writer"}},
               f.dir / "Applications/Writer.app/Contents/Info.plist");
    f.job(agents, "com.example.sync",
          {{"Program", "/bin/sh"},
           {"AssociatedBundleIdentifiers", {"com.example.missing", "com.example.writer"}}});

    auto items = f.scanner().scan();
    const LoginItem* launcher = byID(items, "userAgent:com.notespro.launcher");
    EXPECT_EQ(launcher->owner, "Notes Pro");
    EXPECT_EQ(launcher->purpose, "Opens Notes Pro when you log in.");
    EXPECT_EQ(byID(items, "userAgent:com.example.sync")->owner, "Writer");
}

TEST(LoginItemScanner, OpenAtLoginApplications) {
    Fixture f;
    std::string mail = f.dir.mkdir("Applications/Mail.app");
    using App = LoginItemScanner::OpenAtLoginApp;
    auto scanner = f.scanner();
    scanner.turnedOffApps = {{"Chat", "/Applications/Chat.app"}, {"Mail", mail}};
    EXPECT_TRUE(scanner.scan().empty()) << "without a reader the turned-off list is ignored";

    scanner.openAtLogin = [] { return std::optional<std::vector<App>>(); };
    EXPECT_TRUE(scanner.scan().empty());

    std::string link = f.dir / "Applications/Old.app";
    ASSERT_EQ(symlink((f.dir / "Removed/Old.app").c_str(), link.c_str()), 0);
    scanner.openAtLogin = [mail, link] {
        return std::optional<std::vector<App>>(
            {{"Mail", mail}, {"Gone", "/nowhere/Gone.app"}, {"Old", link}});
    };
    auto items = scanner.scan();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].label, "Chat");
    EXPECT_EQ(items[0].state, State::off());
    EXPECT_EQ(items[0].purpose, "Kelvora stopped it opening when you log in.");
    EXPECT_EQ(items[1].label, "Mail");
    EXPECT_EQ(items[1].state, State::waiting());
    EXPECT_EQ(items[1].purpose, "Opens when you log in.");
    EXPECT_FALSE(items[1].programMissing);
    EXPECT_TRUE(items[2].programMissing);
    EXPECT_EQ(items[2].purpose, "Was set to open at login, but the app is gone.");
    EXPECT_EQ(items[2].id(), "openAtLogin:Gone");
    EXPECT_TRUE(items[3].programMissing) << "a link to a removed app";
}

TEST(LoginItemScanner, OpenAtLoginOutputIsReadLineByLine) {
    auto apps = LoginItemScanner::parseOpenAtLogin("Mail\t/Applications/Mail.app\n\nno tab\n"
                                                   "Odd\tpath\twith tab\n\t/only/path\n");
    using App = LoginItemScanner::OpenAtLoginApp;
    EXPECT_EQ(apps,
              (std::vector<App>{{"Mail", "/Applications/Mail.app"}, {"Odd", "path\twith tab"}}));
}
