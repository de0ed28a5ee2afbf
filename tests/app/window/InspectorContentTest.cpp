#include "app/window/DetailFixture.h"

#include "catalog/PlainWords.h"
#include "support/FixtureScanner.h"
#include "window/InspectorContent.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

using Style = Fact::Style;
using Second = InspectorContent::Second;

const Date kNow = dateFromEpochSeconds(1'780'000'000);

Catalog catalog() {
    return Catalog(
        {}, [](const std::string&) { return std::optional<std::string>(); }, [] { return kNow; },
        kHome);
}

bool never(const URL&) {
    return false;
}

using Facts = std::vector<std::pair<std::string, std::string>>;

// The facts after "Verdict" and "Comes back?", as label and text.
std::vector<std::pair<std::string, std::string>> recordFacts(const ScanItem& item) {
    std::vector<std::pair<std::string, std::string>> out;
    std::vector<Fact> facts = InspectorContent::factsOf(catalog(), item);
    for (size_t i = 2; i < facts.size(); ++i)
        out.emplace_back(facts[i].label, facts[i].text);
    return out;
}

TEST(InspectorContent, ACacheItemTellsWhatItIsWhatItFreesAndWhereItLies) {
    ScanItem homebrew = cache("Homebrew", 1'210'000'000, Verdict::rebuilds);
    InspectorContent content = InspectorContent::of(catalog(), {}, homebrew, never);
    EXPECT_EQ(content.name, "Homebrew downloads");
    EXPECT_EQ(content.size.number, "1.2");
    EXPECT_EQ(content.size.unit, "GB");
    EXPECT_EQ(content.explanation, catalog().explanation(homebrew));
    EXPECT_EQ(content.facts,
              (std::vector<Fact>{{"Verdict", Style::badge, "", Verdict::rebuilds},
                                 {"Comes back?", Style::text, "Yes, downloads again"},
                                 {"Items inside", Style::text, "3"}}));
    EXPECT_EQ(content.whereCaption, "Where");
    EXPECT_EQ(content.whereText, "~/Library/Caches/Homebrew");
    EXPECT_TRUE(content.showInFolder);
    EXPECT_EQ(content.second, Second::keep); // caches are picked unless the user unticks them
    PickList unticked;
    unticked.toggle(homebrew);
    EXPECT_EQ(InspectorContent::of(catalog(), unticked, homebrew, never).second, Second::pick);
}

TEST(InspectorContent, FactsComeFromTheFirstRecordOnly) {
    using DevKind = ScanItem::DeveloperInfo::Kind;
    using SysKind = ScanItem::SystemInfo::Kind;
    using AIKind = ScanItem::AIInfo::Kind;
    using MailKind = ScanItem::MailInfo::Kind;
    Date lastYear = addSeconds(kNow, -400 * 86400.0);
    std::string ago = catalog().relativeDate(lastYear);
    Date march = dateFromEpochSeconds(1'710'000'000); // March 2024

    auto with = [](JunkKind kind, auto&& fill) {
        ScanItem item = found(kind, "thing", 1000);
        fill(item);
        return item;
    };
    struct Case {
        const char* story;
        ScanItem item;
        Facts facts;
    };
    const std::vector<Case> cases{
        {"an application never opened",
         with(JunkKind::apps,
              [](ScanItem& i) {
                  i.record = ScanItem::AppInfo{"Blender", "", {}, 4};
              }),
         {{"Last opened", "Never"}, {"Leftover files", "4"}}},
        {"a large file never opened",
         with(JunkKind::largeFiles,
              [&](ScanItem& i) {
                  i.record = ScanItem::LargeFileInfo{{}, std::nullopt, march};
              }),
         {{"Last opened", "Not since " + PlainWords::shortMonthDate(march)}}},
        {"a duplicate and the copy that stays",
         with(JunkKind::duplicates,
              [](ScanItem& i) {
                  i.record = ScanItem::DuplicateInfo{URL::fileURL(kHome + "/Pictures/a.jpg"), 3};
              }),
         {{"Copies", "3"}, {"Kept copy", "~/Pictures/a.jpg"}}},
        {"a year of Messages",
         with(JunkKind::mail,
              [](ScanItem& i) {
                  i.record = ScanItem::MailInfo{MailKind::messages, "2023", {}, 12};
              }),
         {{"Year", "2023"}, {"Files", "12"}}},
        {"Mail attachments",
         with(JunkKind::mail,
              [](ScanItem& i) {
                  i.record = ScanItem::MailInfo{MailKind::mailAttachments, "iCloud", {}, 7};
              }),
         {{"From", "iCloud"}, {"Files", "7"}}},
        {"a leftover unit with the link that enables it",
         with(JunkKind::leftovers,
              [](ScanItem& i) {
                  i.record = ScanItem::LeftoverInfo{
                      ScanItem::LeftoverInfo::Kind::userUnit, "sync.service", {}, {}, {}, 1};
                  i.targets.push_back(URL::fileURL("/b"));
              }),
         {{"Label", "sync.service"}, {"Files", "1"}}},
        {"a removed Flatpak app's folder of 13 files",
         with(JunkKind::leftovers,
              [](ScanItem& i) {
                  i.record = ScanItem::LeftoverInfo{
                      ScanItem::LeftoverInfo::Kind::flatpakData, "org.x.App", {}, {}, {}, 13};
              }),
         {{"App ID", "org.x.App"}, {"Files", "13"}}},
        {"a private device backup with a date",
         with(JunkKind::systemData,
              [&](ScanItem& i) {
                  i.record =
                      ScanItem::SystemInfo{SysKind::deviceBackup, "iPhone", "private", lastYear};
              }),
         {{"Backed up", ago}}},
        {"a device backup with no detail",
         with(JunkKind::systemData,
              [](ScanItem& i) {
                  i.record = ScanItem::SystemInfo{SysKind::deviceBackup, "Ana’s iPad", ""};
              }),
         {{"Device", "Ana’s iPad"}}},
        {"purgeable space",
         with(JunkKind::systemData,
              [&](ScanItem& i) {
                  i.record = ScanItem::SystemInfo{SysKind::purgeable, "", "", lastYear};
              }),
         {{"Newest snapshot", ago}}},
        {"an installer",
         with(JunkKind::systemData,
              [&](ScanItem& i) {
                  i.record = ScanItem::SystemInfo{SysKind::macOSInstaller, "", ""};
              }),
         {}},
        {"an AI cache",
         with(JunkKind::ai,
              [](ScanItem& i) {
                  i.record = ScanItem::AIInfo{AIKind::cache, "Ollama", "", 5};
              }),
         {{"Tool", "Ollama"}}},
        {"old AI chats",
         with(JunkKind::ai,
              [&](ScanItem& i) {
                  i.record = ScanItem::AIInfo{AIKind::sessions, "Claude Code", "", 38, lastYear};
              }),
         {{"Tool", "Claude Code"}, {"Chats", "38"}, {"Last used", ago}}},
        {"derived data",
         with(JunkKind::developer,
              [&](ScanItem& i) {
                  i.record = ScanItem::DeveloperInfo{DevKind::derivedData, "App", lastYear};
              }),
         {{"Belongs to", "App"}, {"Last used", ago}}},
        {"a project's packages",
         with(JunkKind::developer,
              [&](ScanItem& i) {
                  i.record = ScanItem::DeveloperInfo{DevKind::nodeModules, "site", lastYear};
              }),
         {{"Belongs to", "site"}, {"Last changed", ago}}},
        {"an archive download",
         with(JunkKind::downloads,
              [](ScanItem& i) {
                  i.record = ScanItem::DownloadInfo{ScanItem::DownloadInfo::FileKind::archive, {}};
              }),
         {{"Type", "Archive"}}},
        {"an application opened last year",
         with(JunkKind::apps,
              [&](ScanItem& i) {
                  i.record = ScanItem::AppInfo{"Pages", "", lastYear, 0};
              }),
         {{"Last opened", ago}, {"Leftover files", "0"}}},
        {"photos only",
         with(JunkKind::photos,
              [](ScanItem& i) {
                  i.record = ScanItem::PhotoInfo{"Beach", 3};
              }),
         {{"Items inside", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        std::vector<Fact> facts = InspectorContent::factsOf(catalog(), c.item);
        ASSERT_GE(facts.size(), 2u);
        EXPECT_EQ(facts[0].label, "Verdict");
        EXPECT_EQ(facts[1].label, "Comes back?");
        EXPECT_EQ(recordFacts(c.item), c.facts);
    }

    ScanItem big = found(JunkKind::caches, "many", 1000);
    big.targets.assign(1234, big.location);
    EXPECT_EQ(recordFacts(big), (Facts{{"Items inside", Format::count(1234)}}));
    EXPECT_EQ(InspectorContent::factsOf(catalog(), cases[5].item)[2].style, Style::middleCut);
    EXPECT_EQ(InspectorContent::factsOf(catalog(), cases[2].item)[3].style, Style::stacked);
}

// The desktop's Trash keeps a record beside each thrown item; the record is not one of the
// item's files.
TEST(InspectorContent, ATrashedFolderCountsTheFilesItHolds) {
    TempDir home;
    for (int i = 0; i < 12; ++i)
        home.write(".local/share/Trash/files/photos/" + std::to_string(i) + ".jpg", "j");
    home.write(".local/share/Trash/files/notes.txt", "n");
    for (const char* name : {"photos", "notes.txt"})
        home.write(std::string(".local/share/Trash/info/") + name + ".trashinfo",
                   "[Trash Info]\nPath=/home/user/x\n");
    FileCounter counter;
    auto [items, access] = fixtureScanner(home).scanTrash(counter);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(recordFacts(items[0]), (Facts{{"Items inside", "1"}}));
    EXPECT_EQ(recordFacts(items[1]), (Facts{{"Items inside", "12"}}));
}

TEST(InspectorContent, TheSecondButtonPicksKeepsOrReleasesAnAdministratorsApplication) {
    auto lockedApp = [](std::optional<std::string> inUse, bool withTargets) {
        ScanItem app =
            found(JunkKind::apps, "/Applications/Pages.app", 900'000'000, Verdict::youDecide);
        app.lockedReason = "installed by an administrator";
        app.inUseBy = std::move(inUse);
        if (!withTargets) app.targets.clear();
        return app;
    };
    ScanItem installer = found(JunkKind::systemData, "/Applications/Install macOS.app", 1);
    installer.record = ScanItem::SystemInfo{ScanItem::SystemInfo::Kind::macOSInstaller};
    installer.lockedReason = "installed by an administrator";
    ScanItem lockedCache = cache("com.apple.x", 5000);
    lockedCache.lockedReason = "managed by macOS";
    ScanItem unpicked = found(JunkKind::largeFiles, "Movies/a.mov", 5000);

    auto always = [](const URL&) { return true; };
    struct Case {
        const char* story;
        ScanItem item;
        Second second;
    };
    const std::vector<Case> cases{
        {"an opt-in item not picked yet", unpicked, Second::pick},
        {"an item in use", cache("Google", 5000, Verdict::safe, "Google Chrome"), Second::none},
        {"a locked application in the Applications folder", lockedApp(std::nullopt, true),
         Second::password},
        // A running application cannot be handed over and moved while it runs.
        {"a locked application that is running", lockedApp("Pages", true), Second::none},
        {"a locked application without targets", lockedApp(std::nullopt, false), Second::none},
        {"a locked macOS installer", installer, Second::password},
        {"a locked item of another kind", lockedCache, Second::none},
        {"an empty Trash item", found(JunkKind::trash, ".Trash/x", 0), Second::keep},
        {"an empty cache", found(JunkKind::caches, "Library/Caches/x", 0), Second::none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        EXPECT_EQ(InspectorContent::secondOf(c.item, {}, always), c.second);
    }
    EXPECT_EQ(InspectorContent::secondOf(lockedApp(std::nullopt, true), {}, never), Second::none);
    EXPECT_EQ(InspectorContent::title(Second::password), "Remove with password…");
    EXPECT_EQ(InspectorContent::title(Second::keep), "Keep this");
}

TEST(InspectorContent, WhereTellsThePathTheBundleOrTheCommand) {
    ScanItem images = found(JunkKind::developer, "Library/Containers/docker", 5000);
    images.record = ScanItem::DeveloperInfo{ScanItem::DeveloperInfo::Kind::dockerImages, "x"};
    images.action = ScanItem::Action{"/usr/local/bin/docker", {"image", "prune", "-a", "-f"}};
    ScanItem purgeable = found(JunkKind::systemData, "/", 5000);
    purgeable.location = *URL::parse("kelvora-system:purgeable");
    ScanItem temp = found(JunkKind::tempFiles, "/private/var/folders/xy/T/a", 5000);
    ScanItem app = found(JunkKind::apps, "Applications/Blender.app", 5000);
    app.record = ScanItem::AppInfo{"Blender"};
    app.targets = {URL::fileURL("/Applications/Blender.app"), app.location};

    struct Case {
        ScanItem item;
        std::optional<std::string> caption;
        std::string text;
        bool showInFolder;
    };
    for (const Case& c : std::vector<Case>{
             {images, "How it’s removed", "docker image prune -a -f", true},
             {purgeable, std::nullopt, "", false},
             {temp, "Where", "/var/folders/xy/T/a", true},
             {app, "Where", "/Applications/Blender.app", true},
         }) {
        InspectorContent content = InspectorContent::of(catalog(), {}, c.item, never);
        EXPECT_EQ(content.whereCaption, c.caption) << c.text;
        EXPECT_EQ(content.whereText, c.text);
        EXPECT_EQ(content.showInFolder, c.showInFolder) << c.text;
    }
}

} // namespace
} // namespace kelvora::testing
