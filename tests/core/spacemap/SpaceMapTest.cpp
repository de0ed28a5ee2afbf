#include "spacemap/SpaceMap.h"

#include "support/FixtureScanner.h"
#include "support/NestedTree.h"
#include "support/TempDir.h"

#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvora {
namespace {

using testing::duBytes;
using testing::makeNestedTree;
using testing::NestedTree;
using testing::TempDir;

int64_t allocated(const std::string& path) {
    return fileInfo(path)->allocatedSize;
}

void touch(const std::string& path) {
    close(open(path.c_str(), O_CREAT | O_WRONLY, 0644));
}

std::vector<std::string> namesOf(const std::vector<SpaceMap::Entry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.name);
    return names;
}

const SpaceMap::Entry* find(const std::vector<SpaceMap::Entry>& entries, const std::string& name) {
    for (const auto& entry : entries)
        if (entry.name == name) return &entry;
    return nullptr;
}

TEST(SpaceMap, SumsFilesAndListsChildrenLargestFirst) {
    TempDir dir;
    std::string big(300'000, 'b'), mid(90'000, 'm');
    dir.write("root/Movies/film.mov", big);
    dir.write("root/Movies/.hidden-clip", mid);
    dir.write("root/notes.txt", std::string(20'000, 'n'));
    dir.write("root/Tool.app/Contents/MacOS/tool", mid);
    dir.write("elsewhere/huge.bin", std::string(500'000, 'h'));
    ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (dir / "root/link").c_str()), 0);
    sync();

    auto map = SpaceMap::measure(URL::fileURL(dir / "root", true), {});
    // Each folder's own blocks count with what it holds.
    int64_t movies = allocated(dir / "root/Movies") + allocated(dir / "root/Movies/film.mov") +
                     allocated(dir / "root/Movies/.hidden-clip");
    int64_t app = allocated(dir / "root/Tool.app") + allocated(dir / "root/Tool.app/Contents") +
                  allocated(dir / "root/Tool.app/Contents/MacOS") +
                  allocated(dir / "root/Tool.app/Contents/MacOS/tool");
    EXPECT_EQ(map->filesMeasured(), 4);
    EXPECT_EQ(map->size(URL::fileURL(dir / "root/Movies", true)), movies);
    EXPECT_EQ(map->size(URL::fileURL(dir / "root", true)),
              allocated(dir / "root") + movies + app + allocated(dir / "root/notes.txt"));

    auto children = map->children(URL::fileURL(dir / "root", true));
    EXPECT_EQ(namesOf(children), (std::vector<std::string>{"Movies", "Tool.app", "notes.txt"}));
    EXPECT_TRUE(children[0].isFolder);
    EXPECT_EQ(children[1].bytes, app);
    EXPECT_FALSE(children[1].isFolder) << "a package opens as one item";
    EXPECT_FALSE(children[2].isFolder);
    EXPECT_EQ(children[0].url.path(), dir / "root/Movies");
    EXPECT_TRUE(find(map->children(URL::fileURL(dir / "root/Movies", true)), ".hidden-clip"));

    EXPECT_FALSE(map->size(URL::fileURL(dir / "root/notes.txt")));
    EXPECT_FALSE(map->size(URL::fileURL(dir / "elsewhere", true)));
    EXPECT_FALSE(map->size(URL::fileURL(dir / "root/link", true)));
}

// Every folder's figure is what du says it takes, its own blocks and its folders' included;
// only a file with several links in the tree counts once for each. Names beginning with two
// dots are ordinary names.
TEST(SpaceMap, FolderFiguresEqualDuOnANestedTree) {
    TempDir dir;
    const NestedTree tree = makeNestedTree(dir);
    auto map = SpaceMap::measure(URL::fileURL(tree.root, true), {});
    struct Row {
        std::string folder;
        int64_t countedAgain;
    };
    const std::vector<Row> rows = {
        {"", tree.insideLinked + tree.outsideLinked},
        {"small", 0},
        {"big", 0},
        {"inside", tree.insideLinked},
        {"outside", 0},
        {"empty", 0},
        {"empty/a/b/c", 0},
        {"dots", 0},
        {"dots/..data", 0},
        {"dots/..2024_01_01_10_10_10.1", 0},
    };
    for (const auto& row : rows) {
        const std::string path = row.folder.empty() ? tree.root : tree.root + "/" + row.folder;
        EXPECT_EQ(map->size(URL::fileURL(path, true)), duBytes(path) + row.countedAgain)
            << row.folder;
    }
    auto dots = namesOf(map->children(URL::fileURL(tree.root + "/dots", true)));
    std::sort(dots.begin(), dots.end());
    EXPECT_EQ(dots,
              (std::vector<std::string>{"...", "..2024_01_01_10_10_10.1", "..data", ".hidden"}));
}

TEST(SpaceMap, TreesDeeperThanTheLongestPathMeasureInFull) {
    TempDir dir;
    const testing::DeepTree tree = testing::makeDeepTree(dir, 240);
    const size_t deepLevel = 230;
    ASSERT_GT(tree.pathTo(deepLevel).size(), size_t{PATH_MAX});
    auto map = SpaceMap::measure(URL::fileURL(tree.top, true), {});
    EXPECT_EQ(map->filesMeasured(), 241);
    EXPECT_EQ(map->size(URL::fileURL(tree.top, true)), duBytes(tree.top));
    EXPECT_EQ(map->size(URL::fileURL(tree.top, true)), tree.below[0]);
    EXPECT_EQ(map->size(URL::fileURL(tree.pathTo(deepLevel), true)), tree.below[deepLevel]);
}

TEST(SpaceMap, EqualSizesKeepListingOrderAndNewFoldersShowZero) {
    TempDir dir;
    for (const char* name : {"b", "a", "c"})
        dir.write(std::string("root/") + name, "");
    auto map = SpaceMap::measure(URL::fileURL(dir / "root", true), {});
    EXPECT_EQ(namesOf(map->children(URL::fileURL(dir / "root", true))),
              (std::vector<std::string>{"a", "b", "c"}));

    dir.write("root/later/inner/file", std::string(50'000, 'x'));
    auto later = map->children(URL::fileURL(dir / "root/later", true));
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].bytes, 0);
    EXPECT_TRUE(later[0].isFolder);
    EXPECT_FALSE(map->size(URL::fileURL(dir / "root/later", true)));
}

TEST(SpaceMap, SkippedFoldersArePrivate) {
    TempDir dir;
    dir.write("root/Library/Mail/inbox", std::string(40'000, 'm'));
    dir.write("root/Library/Caches/c", std::string(40'000, 'c'));
    URL root = URL::fileURL(dir / "root", true);

    auto skippedRoot = SpaceMap::measure(root, {dir / "root"});
    EXPECT_FALSE(skippedRoot->size(root));
    EXPECT_EQ(skippedRoot->filesMeasured(), 0);

    // Given through a link, the skipped path still matches the walked one.
    ASSERT_EQ(symlink((dir / "root").c_str(), (dir / "alias").c_str()), 0);
    auto map =
        SpaceMap::measure(root, SpaceMap::protectedFolders(URL::fileURL(dir / "alias", true)));
    EXPECT_EQ(map->filesMeasured(), 1);
    auto library = map->children(URL::fileURL(dir / "root/Library", true));
    ASSERT_EQ(namesOf(library), (std::vector<std::string>{"Caches", "Mail"}));
    EXPECT_FALSE(library[1].bytes);
    EXPECT_FALSE(library[1].isFolder);
}

TEST(SpaceMap, ProtectedFoldersOfAHome) {
    auto folders = SpaceMap::protectedFolders(URL::fileURL("/home/alex", true));
    EXPECT_EQ(folders.size(), 13u);
    EXPECT_TRUE(folders.count("/home/alex/Pictures/Photos Library.photoslibrary"));
    EXPECT_TRUE(folders.count("/home/alex/Library/Application Support/AddressBook"));
    EXPECT_TRUE(folders.count("/home/alex/Library/Biome"));
}

TEST(SpaceMap, UnreadableFoldersArePrivateAndListedLast) {
    TempDir dir;
    dir.write("root/open/file", std::string(10'000, 'o'));
    dir.write("root/closed/secret", std::string(90'000, 's'));
    dir.write("root/tiny", "");
    chmod(dir.path().c_str(), 0755);
    chmod((dir / "root/closed").c_str(), 0700);

    // Root reads everything; the walk runs as nobody, who cannot list "closed".
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        auto map = SpaceMap::measure(URL::fileURL(dir / "root", true), {});
        std::string report;
        for (const auto& entry : map->children(URL::fileURL(dir / "root", true)))
            report += entry.name + ":" + (entry.bytes ? "sized" : "none") + ":" +
                      (entry.isFolder ? "folder" : "item") + " ";
        report += std::to_string(map->filesMeasured());
        (void)!write(channel[1], report.data(), report.size());
        _exit(0);
    }
    close(channel[1]);
    char buffer[512] = {};
    ssize_t n = read(channel[0], buffer, sizeof buffer - 1);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot drop privileges";
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer), "open:sized:folder tiny:sized:item closed:none:item 2");
}

// A folder that may be listed but not searched shows names and nothing about them:
// a refusal, unless it has no names at all.
TEST(SpaceMap, ListableButUnsearchableFolderIsPrivateUnlessEmpty) {
    TempDir dir;
    chmod(dir.path().c_str(), 0755);
    dir.write("root/open/file", std::string(10'000, 'o'));
    dir.write("root/names-only/secret", std::string(90'000, 's'));
    dir.mkdir("root/names-only-empty");
    chmod((dir / "root").c_str(), 0755);
    chmod((dir / "root/open").c_str(), 0755);
    chmod((dir / "root/names-only").c_str(), 0744);
    chmod((dir / "root/names-only-empty").c_str(), 0744);
    const URL root = URL::fileURL(dir / "root", true);
    const int64_t emptyBytes = allocated(dir / "root/names-only-empty");
    const int64_t rootBytes = allocated(dir / "root") + allocated(dir / "root/open") +
                              allocated(dir / "root/open/file") + emptyBytes;
    EXPECT_TRUE(testing::asNobody([&] {
        auto map = SpaceMap::measure(root, {});
        auto children = map->children(root);
        const auto* namesOnly = find(children, "names-only");
        const auto* empty = find(children, "names-only-empty");
        return map->filesMeasured() == 1 && namesOnly && !namesOnly->bytes &&
               !namesOnly->isFolder && empty && empty->bytes == emptyBytes && empty->isFolder &&
               map->size(root) == rootBytes;
    }));
}

TEST(SpaceMap, ReportsProgressEvery5000Files) {
    TempDir dir;
    for (int folder = 0; folder < 4; ++folder) {
        std::string path = dir.mkdir("root/f" + std::to_string(folder));
        for (int i = 0; i < 3000; ++i)
            touch(path + "/" + std::to_string(i));
    }
    std::vector<int64_t> reported;
    auto map = SpaceMap::measure(URL::fileURL(dir / "root", true), {},
                                 [&](int64_t count) { reported.push_back(count); });
    EXPECT_EQ(reported, (std::vector<int64_t>{5000, 10000, 12000}));
    EXPECT_EQ(map->filesMeasured(), 12000);
}

TEST(SpaceMap, KernelFileSystemsAreNeverEntered) {
    for (const char* path : {"/proc", "/sys"}) {
        auto map = SpaceMap::measure(URL::fileURL(path, true), {});
        EXPECT_EQ(map->filesMeasured(), 0) << path;
        EXPECT_FALSE(map->size(URL::fileURL(path, true))) << path;
    }
}

} // namespace
} // namespace kelvora
