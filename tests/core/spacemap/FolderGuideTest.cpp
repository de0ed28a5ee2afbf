#include "spacemap/FolderGuide.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace kelvora {
namespace {

using FolderGuide::Advice;
using testing::TempDir;

struct Guide : ::testing::Test {
    TempDir dir;
    URL home = URL::fileURL(dir / "alex", true);
    std::vector<std::string> lookedUp;
    FolderGuide::AppLocator locator = [this](const std::string& bundleID) -> std::optional<URL> {
        lookedUp.push_back(bundleID);
        if (bundleID == "com.example.viewer") return URL::fileURL("/Applications/Viewer.app", true);
        return std::nullopt;
    };

    std::optional<FolderGuide::Answer> explain(const std::string& path) {
        return FolderGuide::explain(URL::fileURL(path, true), home, locator);
    }
    std::string inHome(const std::string& relative) { return joinPath(home.path(), relative); }
};

TEST_F(Guide, TablesHaveEveryRowAndText) {
    EXPECT_EQ(FolderGuide::places().size(), 43u);
    EXPECT_EQ(FolderGuide::names().size(), 10u);
    for (const auto& table : {FolderGuide::places(), FolderGuide::names()})
        for (const auto& [key, answer] : table) {
            EXPECT_FALSE(answer.title.empty()) << key;
            EXPECT_FALSE(answer.text.empty()) << key;
        }
    EXPECT_EQ(FolderGuide::places().at(".cache/huggingface").advice, Advice::yours);
    EXPECT_EQ(FolderGuide::names().at(".git").advice, Advice::yours);
    for (Advice advice : {Advice::clearable, Advice::yours, Advice::leaveIt})
        EXPECT_EQ(FolderGuide::adviceFromRawValue(FolderGuide::rawValue(advice)), advice);
    EXPECT_FALSE(FolderGuide::adviceFromRawValue("Clearable"));
}

TEST_F(Guide, PlacesComeBeforeParentRules) {
    auto caches = explain(inHome("Library/Caches"));
    ASSERT_TRUE(caches);
    EXPECT_EQ(caches->title, "App caches");
    EXPECT_EQ(caches->advice, Advice::clearable);

    auto docker = explain(inHome("Library/Containers/com.docker.docker"));
    ASSERT_TRUE(docker);
    EXPECT_EQ(docker->title, "Docker Desktop");
    EXPECT_EQ(docker->advice, Advice::leaveIt);
}

TEST_F(Guide, AppFoldersAreNamedAfterTheInstalledApp) {
    auto viewer = explain(inHome("Library/Caches/com.example.viewer"));
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->title, "Cache for Viewer");
    EXPECT_EQ(viewer->text, "Viewer keeps these to load faster and makes them again as needed. "
                            "Kelvora’s App caches category can clear them while Viewer is closed.");
    EXPECT_EQ(viewer->advice, Advice::clearable);

    auto gone = explain(inHome("Library/Application Support/com.example.gone"));
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->title, "Data for com.example.gone");
    EXPECT_EQ(gone->advice, Advice::leaveIt);

    lookedUp.clear();
    auto shortName = explain(inHome("Library/Containers/example.app2"));
    ASSERT_TRUE(shortName);
    EXPECT_EQ(shortName->title, "Data for example.app2");
    EXPECT_TRUE(lookedUp.empty());

    // Only direct children of the three parents are named this way.
    EXPECT_FALSE(explain(inHome("Library/Caches/com.example.viewer/inner")));
}

TEST_F(Guide, NamesAndExtensionsAnywhere) {
    EXPECT_EQ(explain("/srv/project/node_modules")->title, "Node packages");
    EXPECT_EQ(explain(inHome("code/site/node_modules"))->title, "Node packages");
    auto app = explain("/Applications/Editor.app");
    ASSERT_TRUE(app);
    EXPECT_EQ(app->title, "An app");
    EXPECT_EQ(app->advice, Advice::yours);
    EXPECT_FALSE(explain("/Applications/Editor.APP"));
    auto library = explain("/Volumes/Archive/Old.photoslibrary");
    ASSERT_TRUE(library);
    EXPECT_EQ(library->title, "Photos library");
}

TEST_F(Guide, HomeBoundariesAndLinks) {
    EXPECT_FALSE(explain(home.path()));
    EXPECT_FALSE(explain(inHome("Projects")));
    // A sibling whose name merely starts with the home folder's is not inside it.
    EXPECT_FALSE(explain(dir / "alex2/Downloads"));

    dir.mkdir("alex/Library/Logs");
    ASSERT_EQ(symlink((dir / "alex").c_str(), (dir / "via-link").c_str()), 0);
    auto logs = FolderGuide::explain(URL::fileURL(dir / "via-link/Library/Logs", true),
                                     URL::fileURL(dir / "via-link", true), locator);
    ASSERT_TRUE(logs);
    EXPECT_EQ(logs->title, "Logs");
    auto throughLink =
        FolderGuide::explain(URL::fileURL(dir / "via-link/Library/Logs", true), home, locator);
    ASSERT_TRUE(throughLink);
    EXPECT_EQ(throughLink->title, "Logs");
}

// On a Linux home the guide knows what the categories know: the system's cache folder and
// each cache in it as the App caches category treats it, the desktop's Trash, and the user
// folders wherever user-dirs.dirs puts them.
TEST_F(Guide, AnswersFromTheRulesOfTheCategories) {
    dir.write("alex/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n"
                                             "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n"
                                             "XDG_PICTURES_DIR=\"$HOME/Images\"\n");
    const FolderGuide::CacheRules caches{
        {}, [](const std::string& folder) {
            return folder == "ms-playwright" ? std::optional<std::string>("Playwright browsers")
                                             : std::nullopt;
        }};
    struct Row {
        const char* relative;
        const char* title;
        Advice advice;
        const char* says;
    };
    const std::vector<Row> rows = {
        {".cache", "App caches", Advice::clearable, "Files apps keep"},
        {".cache/ms-playwright", "Cache for Playwright browsers", Advice::clearable,
         "download again"},
        {".cache/go-build", "Cache for go-build", Advice::clearable, "built on this computer"},
        {".cache/spotify", "Cache for spotify", Advice::clearable, "while spotify is closed"},
        {".cache/ibus", "Your input method’s learned words", Advice::leaveIt, "never offers"},
        {".cache/huggingface", "Hugging Face models", Advice::yours, "AI files"},
        {".local/share/Trash", "Trash", Advice::clearable, "deleted"},
        {".local/share/Trash/files", "Trash", Advice::clearable, "deleted"},
        {"Téléchargements", "Downloads", Advice::yours, "Old downloads"},
        {"Videos", "Videos", Advice::yours, "large old files"},
        {"Images", "Pictures", Advice::yours, "screenshots"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.relative);
        auto answer =
            FolderGuide::explain(URL::fileURL(inHome(row.relative), true), home, locator, caches);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->title, row.title);
        EXPECT_EQ(answer->advice, row.advice);
        EXPECT_NE(answer->text.find(row.says), std::string::npos) << answer->text;
        EXPECT_EQ(answer->text.find("command-line"), std::string::npos) << answer->text;
    }
    // Where the system keeps its caches elsewhere, the folder is only what it is called.
    const FolderGuide::CacheRules elsewhere{{URL::fileURL(dir / "cache", true)}, {}};
    EXPECT_EQ(
        FolderGuide::explain(URL::fileURL(inHome(".cache"), true), home, locator, elsewhere)->title,
        "Tool caches");
    auto tool =
        FolderGuide::explain(URL::fileURL(dir / "cache/tool", true), home, locator, elsewhere);
    ASSERT_TRUE(tool) << "a cache folder outside the home is still one";
    EXPECT_EQ(tool->title, "Cache for tool");
}

} // namespace
} // namespace kelvora
