#include "platform/HomeFolders.h"

#include "app/support/IsolatedHome.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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
