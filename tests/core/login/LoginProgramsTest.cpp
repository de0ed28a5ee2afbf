#include "login/LoginItemScanner.h"
#include "platform/Text.h"
#include "support/LoginFixtures.h"

#include <gtest/gtest.h>
#include <set>

using namespace kelvora;

namespace {

// The test folder's own world: `media` holds the removable disks (only `media/usb` is
// plugged in), `srv/nas` is a share /etc/fstab mounts that is not mounted now, programs are
// installed and removed in `opt` and the home, and the user's service manager puts
// `manager/bin` on PATH.
struct ProgramWorld : kelvora::testing::LoginHome {
    std::optional<std::string> savedFlatpak;

    ProgramWorld() {
        if (const char* old = std::getenv("FLATPAK_USER_DIR")) savedFlatpak = old;
        setenv("FLATPAK_USER_DIR", (dir / "flatpak-user").c_str(), 1);
    }
    ~ProgramWorld() {
        if (savedFlatpak)
            setenv("FLATPAK_USER_DIR", savedFlatpak->c_str(), 1);
        else
            unsetenv("FLATPAK_USER_DIR");
    }

    std::string executable(const std::string& relative) const {
        const std::string path = dir.write(relative, "#!/bin/sh\n");
        chmod(path.c_str(), 0755);
        return path;
    }

    LoginItemScanner scanner() const {
        LoginItemScanner scanner = kelvora::testing::isolatedScanner(dir);
        DiskPlaces disks;
        disks.removableRoots = {dir / "media"};
        disks.programRoots = {dir / "opt", home()};
        disks.fstab = "nas:/export " + dir / "srv/nas" + " nfs4 defaults 0 0\n";
        disks.mountInfo = "22 1 254:0 / / rw - ext4 /dev/vda rw\n30 22 8:1 / " + dir / "media/usb" +
                          " rw - vfat /dev/sdb1 rw\n";
        scanner.diskPlaces = disks;
        scanner.systemctl = [this](const std::vector<std::string>& arguments) {
            if (arguments != std::vector<std::string>{"--user", "show-environment"})
                return std::optional<ToolOutput>();
            return std::optional<ToolOutput>(
                ToolOutput{0, "HOME=" + home() + "\nPATH=" + dir / "manager/bin" + ":/usr/bin\n"});
        };
        return scanner;
    }
};

} // namespace

// Each command line, written as an autostart entry's Exec and as a unit's ExecStart, is a
// leftover only where its program is surely gone: env's options are read, a program on a disk
// that is away is unknown, one whose folder its removal left empty is gone, and a bare name is
// looked for in the user's own folders and on the manager's PATH as well as on $PATH. An
// entry that is a leftover is not counted as starting at login.
TEST(LoginPrograms, OnlyAProgramSurelyGoneMakesALeftover) {
    ProgramWorld world;
    const kelvora::testing::TempDir& dir = world.dir;
    const std::string present = world.program("present");
    world.executable("home/.local/bin/tool-local");
    world.executable("manager/bin/from-manager");
    world.executable("flatpak-user/exports/bin/org.example.Tool");
    world.executable("media/usb/bin/there");
    dir.mkdir("media/unplugged");
    dir.mkdir("srv/nas");
    dir.mkdir("srv/hand");
    for (const char* emptied : {"opt", "home/Applications", "home/bin"})
        dir.mkdir(emptied);
    world.link(dir / "media/unplugged/bin/tool", "home/.local/bin/on-usb");

    struct Row {
        const char* what;
        std::string command; // {present} {gone} {dir} {home} stand for their paths
        bool leftover;
    };
    const std::vector<Row> rows = {
        {"env unsets a variable", "env -u DISPLAY {present}", false},
        {"env changes folder", "env -C {dir} {gone}", true},
        {"env splits a string", "env -S \"{present} --tray\"", false},
        {"env's option Kelvora does not know", "env --frobnicate {gone}", false},
        {"env ends its options", "env -- LANG=C {gone} --flag", true},
        {"a name in the home's ~/.local/bin", "tool-local --daemon", false},
        {"a name on the manager's PATH", "from-manager", false},
        {"a name Flatpak exports for the user", "org.example.Tool", false},
        {"a name found nowhere", "kelvora-no-such-tool", true},
        {"a name whose link leads onto an unplugged disk", "on-usb", false},
        {"a link in the home onto an unplugged disk", "{home}/.local/bin/on-usb", false},
        {"on an unplugged disk", "{dir}/media/unplugged/bin/tool", false},
        {"on a share that is not mounted now", "{dir}/srv/nas/bin/tool", false},
        {"missing from a disk that is plugged in", "{dir}/media/usb/bin/gone", true},
        {"the only AppImage, deleted from ~/Applications", "{home}/Applications/Sync.AppImage",
         true},
        {"the one script, gone from ~/bin", "{home}/bin/sync-notes", true},
        {"the only app of /opt, removed with its package", "{dir}/opt/sync/bin/sync", true},
        {"on a disk mounted by hand, named nowhere", "{dir}/srv/hand/bin/tool", false},
        {"a script through its shell", "sh {gone}", false},
        {"a path relative to a folder the session chooses", "bin/tool --daemon", false},
        {"a path relative to the folder it starts in", "./tool", false},
    };
    std::set<std::string> expected;
    for (size_t i = 0; i < rows.size(); ++i) {
        std::string command = rows[i].command;
        for (const auto& [mark, path] : {std::pair<std::string, std::string>{"{present}", present},
                                         {"{gone}", dir / "gone/tool"},
                                         {"{dir}", dir.path()},
                                         {"{home}", world.home()}})
            command = replacingAll(command, mark, path);
        const std::string name = "row" + std::to_string(i);
        world.entry(world.userAutostart(), name, "Exec=" + command + "\n");
        dir.write("config/systemd/user/" + name + ".service",
                  "[Service]\nExecStart=" + command + "\n[Install]\nWantedBy=default.target\n");
        if (rows[i].leftover)
            expected.insert({"openAtLogin:" + name, "userAgent:" + name + ".service"});
    }
    // An entry or unit that is itself a link is judged by where it leads.
    world.link(dir / "media/unplugged/sync.desktop", "config/autostart/on-disk.desktop");
    world.link(dir / "media/unplugged/sync.service", "config/systemd/user/on-disk.service");
    world.link(dir / "removed/sync.desktop", "config/autostart/dangling.desktop");
    world.link(dir / "removed/sync.service", "config/systemd/user/dangling.service");
    expected.insert({"openAtLogin:dangling", "userAgent:dangling.service"});

    std::set<std::string> leftovers;
    for (const LoginItem& item : world.scanner().linuxLeftovers())
        leftovers.insert(item.id());
    const std::vector<LoginItem> listed = world.scanner().scan();
    for (size_t i = 0; i < rows.size(); ++i) {
        for (const std::string& id : {"openAtLogin:row" + std::to_string(i),
                                      "userAgent:row" + std::to_string(i) + ".service"})
            EXPECT_EQ(leftovers.count(id), expected.count(id)) << id << ": " << rows[i].what;
        const LoginItem* entry =
            kelvora::testing::byID(listed, "openAtLogin:row" + std::to_string(i));
        ASSERT_TRUE(entry) << rows[i].what;
        EXPECT_EQ(entry->isActiveAtLogin(), !rows[i].leftover) << rows[i].what;
    }
    EXPECT_EQ(leftovers, expected);
}

// An autostart entry is judged by the command the desktop runs: its Exec read as GLib reads it,
// the last of two Exec lines, and the app `flatpak run` starts after options that take their
// value as the next word. Quoting or options that cannot be read leave the program unknown.
TEST(LoginPrograms, AnEntryIsJudgedByTheExecTheDesktopRuns) {
    ProgramWorld world;
    const kelvora::testing::TempDir& dir = world.dir;
    const std::string present = world.executable("My Apps/tool");
    const std::string gone = dir / "Gone Apps/tool";
    createDirectories(dir / "data/flatpak/app/com.discordapp.Discord/current");
    auto escaped = [](const std::string& path) { return replacingAll(path, " ", "\\\\ "); };

    const std::vector<std::pair<std::string, bool>> rows = {
        {"Exec=" + escaped(present) + " --tray\n", false},
        {"Exec=" + escaped(gone) + "\n", true},
        {"Exec=" + gone + "\nExec=" + escaped(present) + "\n", false},
        {"Exec=" + escaped(present) + "\nExec=" + escaped(gone) + "\n", true},
        {"Exec=\"" + gone + "\n", false},
        {"Exec=flatpak run --talk-name org.kde.StatusNotifierWatcher com.discordapp.Discord\n",
         false},
        {"Exec=flatpak run --socket=wayland --own-name org.removed.Tray org.removed.App\n", true},
        {"Exec=flatpak run --frobnicate org.removed.App\n", false},
    };
    for (size_t i = 0; i < rows.size(); ++i)
        world.entry(world.userAutostart(), "row" + std::to_string(i), rows[i].first);
    std::set<std::string> leftovers;
    for (const LoginItem& item : world.scanner().linuxLeftovers())
        leftovers.insert(item.id());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(leftovers.count("openAtLogin:row" + std::to_string(i)), rows[i].second ? 1 : 0)
            << rows[i].first;
}
