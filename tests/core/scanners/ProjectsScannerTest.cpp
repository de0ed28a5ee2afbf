#include "HomeFixture.h"

#include <gtest/gtest.h>
#include <map>

using namespace kelvora;
using namespace kelvora::testing;
using Kind = ScanItem::DeveloperInfo::Kind;

namespace {

std::map<std::string, Kind> kindsByPath(const std::vector<ScanItem>& items) {
    std::map<std::string, Kind> kinds;
    for (const auto& item : items)
        kinds[item.location.path()] = item.developer()->kind;
    return kinds;
}

std::vector<ScanItem> scanProjects(HomeFixture& f, std::vector<std::string> processes = {}) {
    FileCounter counter;
    return f.scanner.scanProjects(processes, counter);
}

} // namespace

TEST(ProjectBuildFolders, EachMarkerGivesItsKind) {
    HomeFixture f;
    f.file("code/web/package.json", 120);
    f.file("code/web/node_modules/left-pad/index.js", 120);
    f.file("code/web/.next/cache/page", 120);
    f.file("code/rs/Cargo.toml", 120);
    f.file("code/rs/target/debug/rs", 120);
    f.file("code/sw/Package.swift", 120);
    f.file("code/sw/.build/out.o", 120);
    f.file("code/ios/Podfile", 120);
    f.file("code/ios/Pods/Lib/lib.a", 120);
    f.file("code/droid/settings.gradle.kts", 120);
    f.file("code/droid/build.gradle", 120);
    f.file("code/droid/build/classes/A.class", 120);
    f.file("code/both/pubspec.yaml", 120);
    f.file("code/both/build.gradle", 120);
    f.file("code/both/build/out", 120);
    f.file("code/flutter/pubspec.yaml", 120);
    f.file("code/flutter/build/app.so", 120);
    f.file("code/flutter/.dart_tool/state", 120);
    f.file("code/py/.git/HEAD", 120);
    f.file("code/py/requirements-prod.txt", 120);
    f.file("code/py/.env/pyvenv.cfg", 120);
    f.file("code/py/.env/lib/site.py", 120);
    f.file("code/loose/requirements.txt", 120);
    f.file("code/loose/.hidden/pyvenv-missing", 120);

    auto items = scanProjects(f);
    auto kinds = kindsByPath(items);
    std::map<std::string, Kind> expected = {
        {f.home / "code/web/node_modules", Kind::nodeModules},
        {f.home / "code/web/.next", Kind::webBuild},
        {f.home / "code/rs/target", Kind::rustTarget},
        {f.home / "code/sw/.build", Kind::swiftBuild},
        {f.home / "code/ios/Pods", Kind::pods},
        {f.home / "code/droid/build", Kind::gradleBuild},
        {f.home / "code/both/build", Kind::gradleBuild},
        {f.home / "code/flutter/build", Kind::flutterBuild},
        {f.home / "code/flutter/.dart_tool", Kind::flutterBuild},
        {f.home / "code/py/.env", Kind::pythonEnv},
    };
    EXPECT_EQ(kinds, expected);

    const ScanItem* target = itemAt(items, f.home / "code/rs/target");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->kind, JunkKind::developer);
    EXPECT_EQ(target->targets, std::vector<URL>{target->location});
    EXPECT_EQ(target->baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(target->developer()->owner, "rs");
    EXPECT_GE(target->bytes, allocated(f.home / "code/rs/target/debug/rs"));
    EXPECT_FALSE(target->inUseBy);
    EXPECT_FALSE(target->action);
}

TEST(ProjectBuildFolders, BelongToTheOutermostProjectAndItsNewestChange) {
    HomeFixture f;
    f.file("work/repo/.git/HEAD", 100);
    f.file("work/repo/README", 95);
    f.file("work/repo/app/package.json", 130);
    f.file("work/repo/app/node_modules/x/index.js", 1); // build output is not activity
    f.file("work/repo/.git/objects/ab", 1);             // nor are other files of .git

    auto items = scanProjects(f);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].location.path(), f.home / "work/repo/app/node_modules");
    EXPECT_EQ(items[0].developer()->owner, "repo");
    EXPECT_EQ(items[0].developer()->lastActivity, f.daysAgo(95));

    // Any ordinary file touched lately anywhere in the repository keeps every build folder.
    f.file("work/repo/docs/deep/notes.txt", 3);
    EXPECT_TRUE(scanProjects(f).empty());
}

TEST(ProjectBuildFolders, NinetyDayRuleCountsTheGitFiles) {
    HomeFixture f;
    f.file("p/site/package.json", 200);
    f.file("p/site/node_modules/m/i.js", 200);
    f.file("p/site/.git/index", 150);
    f.file("p/site/.git/HEAD", 140);
    f.file("p/site/.git/logs/HEAD", 91);

    auto items = scanProjects(f);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].developer()->lastActivity, f.daysAgo(91));

    f.age("p/site/.git/logs/HEAD", 89);
    EXPECT_TRUE(scanProjects(f).empty());

    // The marker file itself is activity like any other file.
    f.age("p/site/.git/logs/HEAD", 150);
    f.age("p/site/package.json", 10);
    EXPECT_TRUE(scanProjects(f).empty());

    // A repository with no dated file at all gives nothing.
    HomeFixture g;
    g.folder("p/bare/.git", 300);
    g.file("p/bare/.git/objects/x", 300);
    EXPECT_TRUE(scanProjects(g).empty());
}

TEST(ProjectBuildFolders, FolderInUseByARunningProcessIsMarked) {
    HomeFixture f;
    f.file("src/tool/Cargo.toml", 100);
    f.file("src/tool/target/release/tool", 100);
    f.file("src/tool/target2/other", 100);
    std::vector<std::string> processes = {"/usr/bin/bash", f.home / "src/tool/target2/other",
                                          f.home / "src/tool/target/release/tool"};

    auto items = scanProjects(f, processes);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].inUseBy, std::optional<std::string>("tool"));
    EXPECT_EQ(items[0].verdict(), Verdict::inUse);
}

TEST(ProjectBuildFolders, PlacesThatAreNeverWalked) {
    HomeFixture f;
    // Not project folders: Library, hidden top-level folders, links and packages.
    f.file("Library/proj/package.json", 100);
    f.file("Library/proj/node_modules/a", 100);
    f.file(".config/proj/package.json", 100);
    f.file(".config/proj/node_modules/a", 100);
    f.file("Tool.app/proj/package.json", 100);
    f.file("Tool.app/proj/node_modules/a", 100);
    f.file("elsewhere/proj/package.json", 100);
    f.file("elsewhere/proj/node_modules/a", 100);
    ASSERT_EQ(rename((f.home / "elsewhere").c_str(), (f.home / ".elsewhere").c_str()), 0);
    ASSERT_EQ(symlink((f.home / ".elsewhere").c_str(), (f.home / "linked").c_str()), 0);
    // A toolkit's own installation.
    f.file("sdk/flutter/bin/internal/engine.version", 100);
    f.file("sdk/flutter/pubspec.yaml", 100);
    f.file("sdk/flutter/build/out", 100);
    // A "target" without Cargo.toml is an ordinary folder, and an empty build folder is nothing.
    f.file("code/js/package.json", 100);
    f.folder("code/js/node_modules", 100);
    f.file("code/js/target/stale", 100);

    auto items = scanProjects(f);
    EXPECT_TRUE(items.empty()) << items.front().location.path();

    f.file("code/js/target/fresh", 2);
    f.file("code/js/node_modules/now-full/index.js", 100);
    EXPECT_TRUE(scanProjects(f).empty()) << "a fresh file in an ordinary folder is activity";
}

TEST(ProjectBuildFolders, DepthStopsTwelveLevelsBelowATopFolder) {
    HomeFixture f;
    std::string atTwelve = "top/1/2/3/4/5/6/7/8/9/10/11/12";
    f.file(atTwelve + "/package.json", 100);
    f.file(atTwelve + "/node_modules/m", 100);
    f.file(atTwelve + "/13/package.json", 100);
    f.file(atTwelve + "/13/node_modules/m", 100);

    auto items = scanProjects(f);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].location.path(), f.home / (atTwelve + "/node_modules"));
}
