#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"
#include "clean/ShelfManifest.h"
#include "clean/UndoShelf.h"
#include "controller/SettingsStore.h"
#include "engine/DiskHistory.h"
#include "engine/DiskScanner.h"
#include "login/LoginItemScanner.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/Mounts.h"
#include "platform/Plist.h"
#include "platform/ProcessTable.h"
#include "platform/StandIns.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/resource.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// Runs the check in a child given far less memory than the files it meets claim, so that a
// reader that takes a file whole, whatever its size, fails there rather than take the
// machine's memory. Whether the check held.
bool inSmallChild(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit memory{size_t{2} << 30, size_t{2} << 30};
        setrlimit(RLIMIT_AS, &memory);
#endif
        _exit(check() ? 0 : 1);
    }
    return waitForChild(child, "the check in a small child") == 0;
}

// A file that claims 6 GB and takes no room.
void sparse(const std::string& path) {
    createDirectories(parentPath(path));
    writeFileAtomically(path, "");
    ASSERT_EQ(truncate(path.c_str(), int64_t{6} << 30), 0);
}

} // namespace

// Every file Kelvora reads whole is read only up to a size fitting its kind, far above any
// real one: a larger file (a sparse one costs its maker nothing) counts as damaged, never
// as a demand for its size in memory.
TEST(WholeFileReads, EachFileLargerThanAnyOfItsKindCountsAsDamaged) {
    IsolatedHome env;
    const URL home = URL::fileURL(env.home(), true);
    struct Read {
        const char* what;
        std::string file;
        std::function<bool()> damaged;
    };
    const std::string shelf = env.data() + "/Kelvora/Undo Shelf";
    const std::vector<Read> reads = {
        {"settings.json", env.settingsFile(),
         [&] {
             return SettingsStore(env.settingsFile()).read().state ==
                    SettingsStore::Reading::State::damaged;
         }},
        {"the disk history", DiskHistory::defaultFile().path(),
         [] { return DiskHistory::load(DiskHistory::defaultFile()) == DiskHistory{}; }},
        {"user-dirs.dirs", env.config() + "/user-dirs.dirs",
         [&] { return HomeFolders(home).user("Downloads") == home.appending("Downloads", true); }},
        {"a desktop entry", env.data() + "/applications/big.desktop",
         [&] { return !DesktopEntry::read(env.data() + "/applications/big.desktop"); }},
        {"a property list", env.home() + "/Applications/Big.app/Contents/Info.plist",
         [&] { return !readPlist(env.home() + "/Applications/Big.app/Contents/Info.plist"); }},
        {"a local model's manifest",
         env.home() + "/.ollama/models/manifests/registry.ollama.ai/library/big/latest",
         [&] {
             DiskScanner scanner = DiskScanner::live();
             scanner.ollamaTool = "/bin/true";
             return scanner.ollamaModels().empty();
         }},
        {"a clean-up's manifest on the Undo Shelf",
         shelf + "/2026-01-01T00-00-00-aaaaaa/manifest.json",
         [&] {
             for (const auto& sweep : UndoShelf(URL::fileURL(shelf, true)).sweeps())
                 for (const auto& entry : sweep.entries)
                     if (entry.bytes > int64_t{1} << 30) return false;
             return true;
         }},
        {"a process's list of mapped files", env.tmp() + "/maps",
         [&] { return !ProcessTable::mappedFiles(env.tmp() + "/maps"); }},
        {"the mount table", env.tmp() + "/mountinfo",
         [&] { return readMountTable(env.tmp() + "/mountinfo").empty(); }},
        {"the login jobs the stand-in launchctl keeps",
         env.data() + "/Kelvora/launchctl-state.json",
         [] {
             auto listed = DiskScanner::runTool("/bin/launchctl", {"list"}, 30);
             return !standInFor("/bin/launchctl") || (listed && listed->status == 0);
         }},
        {"the login items the stand-in System Events keeps",
         env.data() + "/Kelvora/login-items.json",
         [] {
             auto listed = DiskScanner::runTool("/usr/bin/osascript",
                                                {"-e", LoginItemScanner::openAtLoginScript()}, 30);
             return !standInFor("/usr/bin/osascript") || (listed && listed->status == 0);
         }},
    };
    for (const Read& read : reads) {
        SCOPED_TRACE(read.what);
        sparse(read.file);
        EXPECT_TRUE(inSmallChild(read.damaged));
    }

    // The helper's run reads the history, the settings and the shelf: it ends as usual.
    const RunResult helper = runKelvora({"--empty-expired-shelf"});
    EXPECT_EQ(helper.status, 0) << helper.err;
}
