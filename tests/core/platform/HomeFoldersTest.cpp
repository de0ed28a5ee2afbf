#include "platform/HomeFolders.h"
#include "platform/Text.h"

#include "app/support/IsolatedHome.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

TEST(HomeFolders, UserDirsNameTheUserFoldersAndTheUsualNamesFillTheGaps) {
    TempDir home;
    home.write(".config/user-dirs.dirs", "# written by the desktop\n"
                                         "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                                         "  XDG_DOWNLOAD_DIR = \"$HOME/Téléchargements\"\n"
                                         "XDG_DOCUMENTS_DIR=\"$HOME/\"\n"
                                         "XDG_MUSIC_DIR=\"/srv/music\"\n"
                                         "XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"\"\n"
                                         "XDG_VIDEOS_DIR=\"Videos\"\n");
    const HomeFolders folders(home.url());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Desktop", home / "Bureau"},      {"Downloads", home / "Téléchargements"},
        {"Documents", home / "Documents"}, // the home itself switches a folder off
        {"Music", "/srv/music"},           {"Pictures", home / "My \"Pics\""},
        {"Movies", home / "Movies"}}; // only "$HOME/…" or an absolute path names a folder
    for (const auto& [name, path] : expected)
        EXPECT_EQ(folders.user(name).path(), path) << name;
    EXPECT_EQ(HomeFolders(TempDir().url()).user("Downloads").lastPathComponent(), "Downloads");
}

TEST(HomeFolders, XdgVariablesCountOnlyForTheUsersOwnHome) {
    IsolatedHome own;
    const TempDir& dir = own.dir();
    dir.write("config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Mine\"\n");
    dir.write("home/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Unused\"\n");
    const HomeFolders mine(URL::fileURL(own.home(), true));
    EXPECT_EQ(mine.cache().path(), own.cache());
    EXPECT_EQ(mine.data().path(), own.data());
    EXPECT_EQ(mine.config().path(), own.config());
    EXPECT_EQ(mine.user("Downloads").path(), own.home() + "/Mine");

    TempDir other;
    other.write(".config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Theirs\"\n");
    const HomeFolders theirs(other.url());
    EXPECT_EQ(theirs.cache().path(), other / ".cache");
    EXPECT_EQ(theirs.data().path(), other / ".local/share");
    EXPECT_EQ(theirs.user("Downloads").path(), other / "Theirs");
}

TEST(HomeFolders, AUserFolderThatHoldsTheHomeOrLiesInOurDataIsIgnored) {
    IsolatedHome own;
    const TempDir& dir = own.dir();
    ASSERT_EQ(symlink(dir.path().c_str(), (dir / "up").c_str()), 0);
    const std::vector<std::string> lines = {
        "XDG_DESKTOP_DIR=\"/\"", "XDG_DOCUMENTS_DIR=\"$HOME/..\"",
        "XDG_MUSIC_DIR=\"" + dir / "up" + "\"", // a link to the home's parent
        "XDG_PICTURES_DIR=\"" + own.data() + "/Kelvora/Undo Shelf\"",
        "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\""};
    const std::string file = dir.write("config/user-dirs.dirs", joined(lines, "\n"));
    ::testing::internal::CaptureStderr();
    const HomeFolders folders(URL::fileURL(own.home(), true));
    const std::string logged = ::testing::internal::GetCapturedStderr();
    for (const char* name : {"Desktop", "Documents", "Music", "Pictures"})
        EXPECT_EQ(folders.user(name).path(), own.home() + "/" + name) << name;
    EXPECT_EQ(folders.user("Downloads").path(), own.home() + "/Téléchargements");
    EXPECT_NE(logged.find("The user folder XDG_DESKTOP_DIR=/ in " + file +
                          " is ignored: it holds the home folder.\n"),
              std::string::npos)
        << logged;
    EXPECT_NE(logged.find("XDG_PICTURES_DIR=" + own.data() + "/Kelvora/Undo Shelf in " + file +
                          " is ignored: it lies in Kelvora's own data folder"),
              std::string::npos)
        << logged;
}
