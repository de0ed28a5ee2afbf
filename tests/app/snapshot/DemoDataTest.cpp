#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"

#include "snapshot/DemoData.h"
#include "snapshot/SnapshotRun.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

TEST(DemoData, DressingRewritesPathsAndSizesOnly) {
    const std::vector<std::string> homes = {"/private/tmp/d/home", "/tmp/d/home"};
    struct Case {
        std::string manifest;
        std::string dressed;
    };
    const std::vector<Case> cases{
        {R"({"original": "/tmp/d/home/.Trash/a"})", R"({"original": "/Users/you/.Trash/a"})"},
        {R"({"original": "\/private\/tmp\/d\/home\/x", "bytes" : 12})",
         R"({"original": "\/Users\/you\/x", "bytes":3120})"},
        {R"([{"bytes":0},{"bytes":	7}])", R"([{"bytes":0},{"bytes":1820}])"},
        {R"({"bytes": 99999999999999999999})", R"({"bytes":0})"},
        {R"({"label": "bytes: 5"})", R"({"label": "bytes: 5"})"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Snapshot::dressedManifest(c.manifest, homes), c.dressed) << c.manifest;
}

TEST(DemoData, OnlyItemsInsideTheDemoFolderMayBeCleaned) {
    const URL folder = URL::fileURL("/tmp/kelvora-demo-X", true);
    auto item = [](const std::string& location, std::vector<std::string> targets) {
        ScanItem it;
        it.location = URL::fileURL(location);
        for (const auto& target : targets)
            it.targets.push_back(URL::fileURL(target));
        return it;
    };
    ScanItem tool = item("/tmp/kelvora-demo-X/home/m", {"/tmp/kelvora-demo-X/home/m"});
    tool.action = ScanItem::Action{"/usr/bin/model-tool", {"rm", "m"}};
    ScanItem system;
    system.location = *URL::parse("kelvora-system:purgeable");
    const std::vector<ScanItem> items{
        item("/tmp/kelvora-demo-X/home/.Trash/a", {"/tmp/kelvora-demo-X/home/.Trash/a"}),
        item("/tmp/kelvora-demo-X/home/c", {"/home/user/.cache/c"}),
        item("/tmp/kelvora-demo-Xtra/home/a", {"/tmp/kelvora-demo-Xtra/home/a"}),
        item("/home/user/.cache/x", {"/home/user/.cache/x"}),
        tool,
        system,
    };
    const auto inside = Snapshot::itemsInside(items, folder);
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(inside.front().location.lastPathComponent(), "a");
}

TEST(DemoData, DemoShelfHoldsTwoCleanUpsMadeByTheRealCleaner) {
    IsolatedHome env;
    Snapshot::DemoShelf demo = Snapshot::demoShelf();
    const auto sweeps = demo.shelf.sweeps();
    ASSERT_EQ(sweeps.size(), 2u);
    // Newest first: the one made now, then the one of six days ago that expires tomorrow.
    EXPECT_EQ(sweeps[0].entries.size(), 3u);
    EXPECT_EQ(sweeps[1].entries.size(), 2u);
    const double left = secondsBetween(currentDate(), sweeps[1].expires);
    EXPECT_NEAR(left, 86'400, 120);
    EXPECT_EQ(demo.report.shelved, sweeps[0].bytes());
    EXPECT_GE(demo.report.freed, 1'843'200) << "the cache is deleted, not shelved";
    EXPECT_EQ(demo.folder.path().rfind(env.tmp() + "/kelvora-demo-", 0), 0u);
    EXPECT_FALSE(fileExists(demo.folder.path() + "/home/.Trash/Figma.dmg"));

    Snapshot::dressForWebsite(demo.shelf, demo.folder.appending("home", true));
    const auto dressed = demo.shelf.sweeps();
    EXPECT_EQ(dressed[0].bytes(), sweeps[0].bytes() * 260);
    for (const auto& entry : dressed[1].entries)
        for (const auto& file : entry.files)
            EXPECT_EQ(file.original.rfind("/Users/you/", 0), 0u) << file.original;
    removeItem(demo.folder.path());
}

// A receipt that cannot be drawn must not read as success, and the demo files go either way.
TEST(DemoData, ReceiptRunReportsFailureAndClearsUp) {
    IsolatedHome env;
    eventLoop();
    SnapshotOptions options;
    options.output = env.dir() / "receipt.png";
    options.demo = SnapshotOptions::Demo::done;
    options.marketing = true;
    options.receipt = true;

    for (bool draws : {false, true}) {
        std::vector<std::string> lines;
        Snapshot::Environment environment = Snapshot::Environment::live();
        environment.print = [&](const std::string& line) { lines.push_back(line); };
        environment.receiptPng = [draws](const Receipt& receipt) -> std::optional<QByteArray> {
            if (!draws) return std::nullopt;
            return QByteArray::number(static_cast<qlonglong>(receipt.total));
        };
        const int status = Snapshot::run(options, environment);
        EXPECT_EQ(status, draws ? 0 : 1);
        EXPECT_EQ(lines.back(),
                  draws ? "Wrote " + options.output : "Could not render the receipt.");
        EXPECT_EQ(fileText(options.output),
                  draws ? std::optional<std::string>("12624000000") : std::nullopt)
            << "only the receipt is written, never the window";
        const auto left = listFolder(URL::fileURL(env.tmp(), true)).entries;
        EXPECT_TRUE(std::none_of(left.begin(), left.end(), [](const FileInfo& entry) {
            return entry.name.rfind("kelvora-demo-", 0) == 0;
        }));
    }
}

} // namespace
} // namespace kelvora::testing
