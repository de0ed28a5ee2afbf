#include "HomeFixture.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;
using AIKind = ScanItem::AIInfo::Kind;

namespace {

std::string encodedPath(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    return out;
}

// A folder holding one file, both dated `days` ago.
void oldFolder(HomeFixture& f, const std::string& relative, double days) {
    f.file(relative + "/data", days);
    f.age(relative, days);
}

} // namespace

TEST(AIChats, NothingChangedWithinADayIsOffered) {
    HomeFixture f;
    oldFolder(f, ".gemini/tmp/two-hours", 2.0 / 24);
    oldFolder(f, ".gemini/tmp/a-day-ago", 25.0 / 24);
    FileCounter counter;

    for (double setting : {0.0, -5.0, 3600.0, 86400.0}) {
        f.scanner.aiSessionAge = setting;
        auto items = f.scanner.geminiCLISessions(counter);
        ASSERT_EQ(items.size(), 1u) << setting;
        EXPECT_EQ(paths(items[0].targets),
                  std::vector<std::string>{f.home / ".gemini/tmp/a-day-ago"});
        EXPECT_EQ(items[0].ai()->tool, "Gemini CLI");
        EXPECT_EQ(items[0].ai()->detail, "project chats");
        EXPECT_EQ(items[0].ai()->lastUsed, f.daysAgo(25.0 / 24));
    }
    f.scanner.aiSessionAge = 2 * 86400;
    EXPECT_TRUE(f.scanner.geminiCLISessions(counter).empty());
}

TEST(AIChats, ClaudeCodeSessionsGoWithTheirCompanionFolders) {
    HomeFixture f;
    f.folder("code/my_app", 1);
    std::string project = ".claude/projects/" + encodedPath(f.home / "code/my_app");
    f.file(project + "/old.jsonl", 40);
    oldFolder(f, project + "/old", 40);
    f.file(project + "/lone.jsonl", 35);
    // The companion folder's own date is old, but a file inside it changed yesterday.
    f.file(project + "/kept.jsonl", 40);
    f.file(project + "/kept/tool-results/out.txt", 1);
    f.age(project + "/kept/tool-results", 40);
    f.age(project + "/kept", 40);
    f.file(project + "/CAPS.JSONL", 90);
    f.file(project + "/fresh.jsonl", 3);

    FileCounter counter;
    auto items = f.scanner.claudeCodeSessions(counter);
    ASSERT_EQ(items.size(), 1u);
    const ScanItem& item = items[0];
    EXPECT_EQ(item.kind, JunkKind::ai);
    EXPECT_EQ(item.location.path(), f.home / project);
    EXPECT_EQ(paths(item.targets), (std::vector<std::string>{f.home / (project + "/lone.jsonl"),
                                                             f.home / (project + "/old"),
                                                             f.home / (project + "/old.jsonl")}));
    EXPECT_EQ(item.ai()->kind, AIKind::sessions);
    EXPECT_EQ(item.ai()->tool, "Claude Code");
    EXPECT_EQ(item.ai()->detail, "my_app");
    EXPECT_EQ(item.ai()->count, 2);
    EXPECT_EQ(item.ai()->lastUsed, f.daysAgo(35));
    EXPECT_EQ(item.ai()->owners, std::vector<std::string>{"claude"});
    EXPECT_EQ(item.baseVerdict, Verdict::youDecide);
    EXPECT_TRUE(item.goesOnShelf());
    EXPECT_GT(item.bytes, 0);
}

TEST(AIChats, DottedSessionNamesNeverTakeTheFolderAbove) {
    HomeFixture f;
    std::string project = ".claude/projects/-x-proj";
    f.file(project + "/..jsonl", 40);
    f.file(project + "/...jsonl", 40);
    f.age(project, 40);
    f.age(".claude/projects", 40);
    f.age(".claude", 40);

    FileCounter counter;
    auto items = f.scanner.claudeCodeSessions(counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(paths(items[0].targets), (std::vector<std::string>{f.home / (project + "/...jsonl"),
                                                                 f.home / (project + "/..jsonl")}));
}

TEST(AIChats, ProjectNamesAreReadBackFromTheFolders) {
    HomeFixture f;
    f.folder("w/my", 1);
    f.folder("w/my-app", 1);
    f.folder(".config", 1);
    f.folder("w/Ann\u2019s caf\u00e9", 1);
    std::string base = encodedPath(f.home.path());
    auto name = [&](const std::string& encoded) {
        return DiskScanner::claudeProjectName(encoded, f.home.url());
    };
    EXPECT_EQ(name(base), "your home folder");
    EXPECT_EQ(name(base + "-w-my-app"), "my-app");
    EXPECT_EQ(name(base + "-w-my"), "my");
    EXPECT_EQ(name(base + "--config"), ".config");
    EXPECT_EQ(name(base + "-w-Ann-s-caf\u00e9"), "Ann\u2019s caf\u00e9");
    EXPECT_EQ(name(base + "-w-my-app-x"), "x") << "the walk never goes back";
    EXPECT_EQ(name(base + "-gone-app"), "app");
    EXPECT_EQ(name("proj"), "proj");
    EXPECT_EQ(name("-"), "-");
}

TEST(AIChats, CodexAntigravityAndScratchFolders) {
    HomeFixture f;
    f.file(".codex/sessions/2026/01/02/rollout-a.jsonl", 60);
    f.file(".codex/sessions/2026/01/02/rollout-b.jsonl", 50);
    f.file(".codex/sessions/2026/01/02/notes.txt", 60);
    f.file(".codex/sessions/2026/12/01/rollout-c.jsonl", 2);
    f.file(".codex/archived_sessions/rollout-z.jsonl", 45);
    f.file(".gemini/antigravity/conversations/c1.pb", 50);
    oldFolder(f, ".gemini/antigravity/brain/c1", 50);
    f.file(".gemini/antigravity-ide/conversations/c2.pb", 2);
    const std::string scratch = "Library/Application Support/Claude/scratch-workspaces/";
    oldFolder(f, scratch + "task-1", 40);
    oldFolder(f, scratch + "task-2", 40);
    f.file(scratch + "task-2/new-output", 1);
    f.age(scratch + "task-2", 40);

    FileCounter counter;
    auto codex = f.scanner.codexSessions(counter);
    ASSERT_EQ(codex.size(), 2u);
    EXPECT_EQ(codex[0].location.path(), f.home / ".codex/sessions");
    EXPECT_EQ(codex[0].ai()->detail, "sessions");
    EXPECT_EQ(codex[0].ai()->count, 2);
    EXPECT_EQ(codex[0].ai()->lastUsed, f.daysAgo(50));
    EXPECT_EQ(paths(codex[0].targets),
              (std::vector<std::string>{f.home / ".codex/sessions/2026/01/02/rollout-a.jsonl",
                                        f.home / ".codex/sessions/2026/01/02/rollout-b.jsonl"}));
    EXPECT_EQ(codex[1].ai()->detail, "archived sessions");

    auto antigravity = f.scanner.antigravitySessions(counter);
    ASSERT_EQ(antigravity.size(), 1u);
    EXPECT_EQ(antigravity[0].location.path(), f.home / ".gemini/antigravity/conversations");
    EXPECT_EQ(antigravity[0].ai()->detail, "agent");
    EXPECT_EQ(paths(antigravity[0].targets),
              (std::vector<std::string>{f.home / ".gemini/antigravity/brain/c1",
                                        f.home / ".gemini/antigravity/conversations/c1.pb"}));
    EXPECT_EQ(antigravity[0].ai()->owners, DiskScanner::aiApps()[3].owners);

    auto tasks = f.scanner.claudeScratchWorkspaces(counter);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(paths(tasks[0].targets), std::vector<std::string>{f.home / (scratch + "task-1")});
    EXPECT_EQ(tasks[0].ai()->detail, "task scratch folders");
    EXPECT_EQ(tasks[0].ai()->tool, "Claude");
}

TEST(AIInUse, EditorHistoryByBundleIdentifierCachesByEitherName) {
    HomeFixture f;
    for (const char* app : {"Cursor", "Windsurf"}) {
        std::string storage =
            std::string("Library/Application Support/") + app + "/User/workspaceStorage/";
        f.file(storage + "ws1/workspace.json", 60);
        f.file(storage + "ws1/state.vscdb", 60);
        f.age(storage + "ws1", 60);
        oldFolder(f, storage + "no-marker", 60);
        f.file(std::string("Library/Application Support/") + app + "/Cache/Cache_Data/f_0001", 5);
    }
    std::vector<RunningApp> apps = {{"Windsurf", "com.example.not-windsurf"}, {"cursor", "cursor"}};

    FileCounter counter;
    auto history = f.scanner.editorWorkspaceHistory(apps, counter);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].ai()->tool, "Cursor");
    EXPECT_EQ(history[0].ai()->count, 1);
    EXPECT_EQ(paths(history[0].targets),
              std::vector<std::string>{
                  f.home / "Library/Application Support/Cursor/User/workspaceStorage/ws1"});
    EXPECT_EQ(history[0].inUseBy, std::optional<std::string>("cursor"));
    EXPECT_EQ(history[1].ai()->tool, "Windsurf");
    EXPECT_FALSE(history[1].inUseBy) << "a matching name alone leaves the history free";

    auto caches = f.scanner.aiAppCaches(apps, counter);
    ASSERT_EQ(caches.size(), 2u);
    EXPECT_EQ(caches[0].inUseBy, std::optional<std::string>("cursor"));
    EXPECT_EQ(caches[1].inUseBy, std::optional<std::string>("Windsurf"));
    EXPECT_EQ(caches[1].verdict(), Verdict::inUse);
    EXPECT_EQ(caches[1].baseVerdict, Verdict::safe);
}

TEST(AICaches, TargetsAreTheContentsOfRealCacheFolders) {
    HomeFixture f;
    const std::string claude = "Library/Application Support/Claude/";
    f.file(claude + "Cache/Cache_Data/a", 1);
    f.file(claude + "GPUCache/data_0", 1);
    f.file(claude + "GPUCache/index", 1);
    f.file(claude + "Local Storage/leveldb/keep", 1);
    // A cache folder that is a link: its target's entries are never offered.
    f.file("precious/thesis.tex", 1);
    f.home.mkdir("Library/Application Support/Cursor");
    ASSERT_EQ(symlink((f.home / "precious").c_str(),
                      (f.home / "Library/Application Support/Cursor/Cache").c_str()),
              0);
    f.file(".codex/cache/models.json", 1);
    f.file(".codex/.tmp/plugins/p", 1);
    f.home.mkdir(".codex");
    ASSERT_EQ(symlink((f.home / "precious").c_str(), (f.home / ".codex/tmp").c_str()), 0);

    FileCounter counter;
    auto caches = f.scanner.aiAppCaches({}, counter);
    ASSERT_EQ(caches.size(), 1u);
    EXPECT_EQ(caches[0].location.path(), f.home / claude.substr(0, claude.size() - 1));
    EXPECT_EQ(paths(caches[0].targets),
              (std::vector<std::string>{f.home / (claude + "Cache/Cache_Data"),
                                        f.home / (claude + "GPUCache/data_0"),
                                        f.home / (claude + "GPUCache/index")}));
    EXPECT_EQ(caches[0].ai()->kind, AIKind::cache);
    EXPECT_EQ(caches[0].ai()->detail, "caches");
    EXPECT_EQ(caches[0].ai()->count, 1);
    EXPECT_FALSE(caches[0].goesOnShelf());

    auto codex = f.scanner.codexCaches({}, counter);
    ASSERT_EQ(codex.size(), 1u);
    EXPECT_EQ(codex[0].location.path(), f.home / ".codex/cache");
    EXPECT_EQ(paths(codex[0].targets),
              (std::vector<std::string>{f.home / ".codex/.tmp/plugins",
                                        f.home / ".codex/cache/models.json"}));
}

TEST(AICaches, UpdateLeftoversOfEachBundleIdentifier) {
    HomeFixture f;
    f.file("Library/Caches/com.google.antigravity.ShipIt/update.zip", 3);
    f.file("Library/Caches/com.google.antigravity-ide.ShipIt/update.zip", 3);
    f.file("Library/Caches/Antigravity.ShipIt/update.zip", 3);
    f.file("elsewhere/important", 3);
    ASSERT_EQ(symlink((f.home / "elsewhere").c_str(),
                      (f.home / "Library/Caches/com.exafunction.windsurf.ShipIt").c_str()),
              0);

    FileCounter counter;
    auto items = f.scanner.aiUpdateLeftovers({{"Antigravity", "com.google.antigravity"}}, counter);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].location.path(), f.home / "Library/Caches/com.google.antigravity.ShipIt");
    EXPECT_EQ(items[1].location.path(),
              f.home / "Library/Caches/com.google.antigravity-ide.ShipIt");
    EXPECT_EQ(items[1].ai()->kind, AIKind::updateLeftover);
    EXPECT_EQ(items[1].ai()->tool, "Antigravity");
    EXPECT_EQ(items[1].ai()->detail, "downloaded update");
    EXPECT_EQ(items[1].inUseBy, std::optional<std::string>("Antigravity"));
}

TEST(AIVersions, SupersededVersionsExceptTheOneInUse) {
    HomeFixture f;
    const std::string versions = ".local/share/claude/versions/";
    for (const char* v : {"1.0.9", "1.0.10", "2.0.0", "1.0.1"})
        f.file(versions + v, 10);
    f.file(versions + "latest", 10);
    f.home.mkdir(".local/bin");
    std::string command = f.home / ".local/bin/claude";
    ASSERT_EQ(symlink((f.home / (versions + "1.0.9")).c_str(), command.c_str()), 0);

    FileCounter counter;
    auto items = f.scanner.oldAIVersions(counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].location.path(), f.home / ".local/share/claude/versions");
    EXPECT_EQ(items[0].ai()->detail, "1.0.10, 1.0.1");
    EXPECT_EQ(items[0].ai()->count, 2);
    EXPECT_EQ(items[0].ai()->tool, "Claude Code");
    EXPECT_EQ(items[0].ai()->kind, AIKind::oldVersion);
    EXPECT_TRUE(items[0].ai()->owners.empty());

    // A version whose path leads the command's target is kept too.
    removeItem(command);
    ASSERT_EQ(symlink((f.home / (versions + "1.0.10")).c_str(), command.c_str()), 0);
    items = f.scanner.oldAIVersions(counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].ai()->detail, "1.0.9");

    HomeFixture single;
    single.file("Library/Application Support/Claude/claude-code/2.1.0/claude", 10);
    EXPECT_TRUE(single.scanner.oldAIVersions(counter).empty());
}

TEST(AIAppleModels, OneLockedItemForTheModelFolders) {
    HomeFixture f;
    FileCounter counter;
    f.file("AssetsV2/com_apple_MobileAsset_Other/x", 1);
    EXPECT_TRUE(f.scanner.appleIntelligenceModels(counter).empty());

    std::string a = f.file("AssetsV2/com_apple_MobileAsset_UAF_FM_Visual/a/model.bin", 1, 9000);
    std::string b = f.file("AssetsV2/com_apple_MobileAsset_UAF_FM_GenerativeModels/b", 1, 3000);
    auto items = f.scanner.appleIntelligenceModels(counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].location, f.scanner.appleModelsFolder);
    EXPECT_TRUE(items[0].targets.empty());
    EXPECT_EQ(items[0].bytes, allocated(a) + allocated(b));
    EXPECT_EQ(items[0].ai()->count, 2);
    EXPECT_EQ(items[0].lockedReason, std::optional<std::string>("macOS manages these models"));
    EXPECT_EQ(items[0].verdict(), Verdict::locked);
    EXPECT_FALSE(items[0].isRemovable());
}
