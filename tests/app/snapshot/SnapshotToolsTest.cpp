#include "app/snapshot/SnapshotRunner.h"

#include "design/Theme.h"
#include "engine/DiskScanner.h"
#include "login/LoginItemScanner.h"
#include "panes/SpaceMapTiles.h"
#include "platform/Plist.h"
#include "platform/StandIns.h"

#include <unistd.h>

namespace kelvora::testing {
namespace {

// The tools drawn in the detailed view's main area. The space map's largest tile fills the
// left of the map; a search hit's row ends on a hairline under the chips; the login items
// list marks its selected first row with an accent bar at its left, and its card closes
// under the fourth row.
const QRectF kLargestTile(300, 250, 400, 450);
const QRectF kHitRowRule(400, 222, 600, 4);
const QRectF kSelectedAgent(250, 246, 8, 46);
const QRectF kFourthAgentRule(400, 462, 500, 4);

// A run of the snapshot with its tools pointed at a small fixture: a folder to map, a home
// with two videos to search, and four launch agents in the states the stand-in launchctl
// can give them.
class SnapshotToolsTest : public SnapshotRunner {
protected:
    void SetUp() override {
        if (!standInFor("/bin/launchctl") || !standInFor("/usr/bin/mdfind"))
            GTEST_SKIP() << "stand-in tools are not built";
    }

    void TearDown() override {
        for (const char* label : {"com.example.sleeper", "com.example.tail"})
            launchctl({"bootout", domain() + "/" + label});
    }

    static std::string domain() { return "gui/" + std::to_string(getuid()); }

    static std::optional<ToolOutput> launchctl(const std::vector<std::string>& arguments) {
        return DiskScanner::runTool("/bin/launchctl", arguments, 15);
    }

    std::string agent(const std::string& label, const std::string& program, Json extra) {
        Json dict = {{"Label", label}, {"ProgramArguments", Json::array({program, "300"})}};
        dict.update(extra);
        std::string file = env.home() + "/Library/LaunchAgents/" + label + ".plist";
        createDirectories(parentPath(file));
        writePlist(dict, file);
        return file;
    }

    // Loads the running and the waiting agent, switches one off and leaves one unloaded;
    // returns the running one's process.
    std::optional<int32_t> stageAgents() {
        const Json atLogin = {{"RunAtLoad", true}};
        std::string sleeper = agent("com.example.sleeper", "/bin/sleep", atLogin);
        agent("com.example.cat", "/bin/cat", atLogin);
        agent("com.example.echo", "/bin/echo", atLogin);
        std::string tail = agent("com.example.tail", "/usr/bin/tail",
                                 {{"WatchPaths", Json::array({env.dir() / "watched"})}});
        for (const auto& arguments :
             std::vector<std::vector<std::string>>{{"bootstrap", domain(), sleeper},
                                                   {"bootstrap", domain(), tail},
                                                   {"disable", domain() + "/com.example.echo"}}) {
            auto done = launchctl(arguments);
            if (!done || done->status != 0) return std::nullopt;
        }
        auto printed = launchctl({"print", domain() + "/com.example.sleeper"});
        return printed ? LoginItemScanner::parsePID("\n" + printed->output) : std::nullopt;
    }
};

// The lines a tool prints about what it measured or found, in order.
std::vector<std::string> toolLines(const std::string& out) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = out.substr(start, end - start);
        if (line.starts_with("Measured ") || line.starts_with("  [userAgent] "))
            lines.push_back(line);
    }
    return lines;
}

TEST_F(SnapshotToolsTest, EachToolPrintsWhatItFoundAndTheWindowDrawsIt) {
    KELVORA_REQUIRE_GUI();
    const std::string map = env.dir().mkdir("map");
    env.dir().write("map/Movies/film.bin", std::string(300'000, 'm'));
    env.dir().write("map/Music/song.bin", std::string(100'000, 's'));
    env.dir().write("map/Notes/note.txt", std::string(20'000, 'n'));
    env.dir().write("home/Movies/Trip.mov", std::string(200'000, 't'));
    env.dir().write("home/Movies/Clip.mov", std::string(10'000, 'c'));
    const auto pid = stageAgents();
    ASSERT_TRUE(pid) << "the stand-in launchctl did not start the sleeper";

    const std::string measured = "Measured 3 files under " + map;
    // Running first, then by name among those that may start, and what is off last.
    const std::vector<std::string> agents{
        "  [userAgent] sleep · running(pid: " + std::to_string(*pid) +
            ") · Runs “sleep” when you log in.",
        "  [userAgent] cat · notLoaded · Runs “cat” when you log in.",
        "  [userAgent] tail · waiting · Runs “tail” in the background from time to time.",
        "  [userAgent] echo · off · Runs “echo” when you log in.",
    };
    std::vector<std::string> everything{measured};
    everything.insert(everything.end(), agents.begin(), agents.end());

    const auto light = [](Token token) { return Theme::color(token, Appearance::light); };
    struct Check {
        const char* what;
        QRectF rect;
        QColor color;
        int atLeast;
    };
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> printed;
        std::vector<Check> checks;
    };
    const std::vector<Case> cases{
        {{"--marketing", "--space-map", map},
         {measured},
         {{"darkest tile", kLargestTile, SpaceMapTiles::shade(0).fill, 600'000}}},
        {{"--marketing", "--search", "videos over 100 KB"},
         {},
         {{"the one hit's row", kHitRowRule, light(Token::line), 2'000}}},
        {{"--marketing", "--search", "videos over 1 GB"},
         {},
         {{"no hit row", kHitRowRule, light(Token::line), 0}}},
        {{"--marketing", "--login-items"},
         agents,
         {{"selected agent", kSelectedAgent, light(Token::signal), 300},
          {"four agents", kFourthAgentRule, light(Token::line), 800}}},
        // Every tool is applied; the search is the one the window draws.
        {{"--marketing", "--login-items", "--search", "videos over 100 KB", "--space-map", map},
         everything,
         {{"the search's hit row", kHitRowRule, light(Token::line), 2'000},
          {"no map", kLargestTile, SpaceMapTiles::shade(0).fill, 0},
          {"no login items", kSelectedAgent, light(Token::signal), 0}}},
    };
    int index = 0;
    for (const Case& c : cases) {
        std::string name = "tool" + std::to_string(index++);
        std::string options;
        for (const auto& option : c.options) {
            options += " " + option;
            if (option.starts_with("--")) name += option;
        }
        SCOPED_TRACE(options);
        const std::string output = env.dir() / (name + ".png");
        const RunResult run = snapshot(output, c.options);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(toolLines(run.out), c.printed) << run.out;
        EXPECT_EQ(lastLine(run.out), "Wrote " + output);
        QImage image(QString::fromStdString(output));
        ASSERT_EQ(image.size(), QSize(2560, 1640));
        image.setDevicePixelRatio(2);
        keepPicture(image, name);
        for (const Check& check : c.checks)
            expectShare(image, check.what, check.rect, check.color, check.atLeast);
    }
}

} // namespace
} // namespace kelvora::testing
