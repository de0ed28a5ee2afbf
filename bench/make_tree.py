#!/usr/bin/env python3
"""Makes a reproducible home folder for kelvora_bench.

Two layouts of about 200,000 small cache files (with some hard links), a few
old logs, and large files in the user's folders among which some are
duplicates:

  one-big-folder      100,000 files in one browser cache folder, 93,000 more
                      in folders of 200 (the shape of a real home, where the
                      biggest folder is most of the walk)
  many-small-folders  200,000 files in 10,000 folders of 20

With --linux the same home is laid out the way a Linux desktop keeps it: the
caches in .cache, the documents in the folder that .config/user-dirs.dirs names
(Dokumente), a desktop Trash of thrown files, each with its record, and what a
Linux home grows besides: nested folders (a Go build cache of 256 folders, a
project whose node_modules nests packages four deep), installers downloaded
long ago (.deb packages of applications installed since and an AppImage) and a
GNOME Screenshots folder in Pictures with English and localised names.

With --desktop gnome-fr or kde-en a small home is made instead, as a French GNOME or an
English KDE desktop leaves it (see desktop_home), for checking every figure of a scan
against du."""
import argparse
import os
import random


def write(path, size, rng, fill=None):
    with open(path, "wb") as out:
        out.write(fill if fill is not None else rng.randbytes(size))


def small_files(folder, count, rng, link_every=97):
    os.makedirs(folder, exist_ok=True)
    for index in range(count):
        path = os.path.join(folder, f"f{index:06}.dat")
        write(path, rng.choice([0, 120, 900, 3000, 5000, 12000]), rng)
        if link_every and index % link_every == 0:
            os.link(path, os.path.join(folder, f"f{index:06}.link"))
    return count


def caches(root, layout, rng, linux):
    caches_folder = os.path.join(root, ".cache") if linux else os.path.join(root, "Library", "Caches")
    files = 0
    if layout == "one-big-folder":
        browser = os.path.join(caches_folder, "Browser", "Default", "Cache", "Cache_Data")
        files += small_files(browser, 100_000, rng)
        for app in range(15):
            for folder in range(31):
                path = os.path.join(caches_folder, f"app{app:02}", f"m{folder:02}")
                files += small_files(path, 200, rng)
    else:
        for app in range(20):
            for middle in range(25):
                for leaf in range(20):
                    path = os.path.join(caches_folder, f"app{app:02}", f"m{middle:02}", f"l{leaf:02}")
                    # One file in a hundred gets a second link, as in the other layout.
                    files += small_files(path, 20, rng, link_every=20 if leaf % 5 == 0 else None)
    return files


def large_files(root, rng, documents):
    """150 files of 1 to 4 MB in Documents (50 copied, 15 edited in the middle
    only), and two groups of large identical files spread over the user's
    folders, whose full hashes dominate the duplicate finder's time."""
    big = os.path.join(root, documents, "big")
    os.makedirs(os.path.join(big, "copies"), exist_ok=True)
    for index in range(150):
        size = 1_000_000 + rng.randrange(3_000_000)
        data = rng.randbytes(size)
        write(os.path.join(big, f"b{index:03}.bin"), size, rng, data)
        if index % 3 == 0:
            write(os.path.join(big, "copies", f"b{index:03} copy.bin"), size, rng, data)
        if index % 10 == 0:
            # Same size and same ends, different middle: only the full hash tells them apart.
            changed = bytearray(data)
            changed[size // 2] ^= 0xFF
            write(os.path.join(big, "copies", f"b{index:03}-edited.bin"), size, rng, bytes(changed))
    groups = [
        (256_000_000, ["Movies/Holiday.mov", "Downloads/Holiday.mov", "Desktop/Holiday copy.mov"]),
        (128_000_000, ["Music/Live set.wav", f"{documents}/Backups/Live set.wav"]),
    ]
    for size, places in groups:
        data = rng.randbytes(size)
        for place in places:
            path = os.path.join(root, place)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            write(path, size, rng, data)
    os.makedirs(os.path.join(root, "Pictures"), exist_ok=True)


def trash(root, rng):
    trash_root = os.path.join(root, ".local", "share", "Trash")
    for folder in ("files", "info"):
        os.makedirs(os.path.join(trash_root, folder), exist_ok=True)
    for index in range(50):
        name = f"thrown{index:02}.bin"
        write(os.path.join(trash_root, "files", name), 20000 + 1000 * index, rng)
        with open(os.path.join(trash_root, "info", name + ".trashinfo"), "w") as record:
            record.write(f"[Trash Info]\nPath={root}/{name}\nDeletionDate=2026-11-01T10:00:00\n")
    with open(os.path.join(trash_root, "directorysizes"), "w") as sizes:
        sizes.write("")


LONG_AGO = 1_735_732_800  # 2025-01-01 12:00 UTC


def aged(path, size, rng, when=LONG_AGO):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    write(path, size, rng)
    os.utime(path, (when, when))


def nested_folders(root, rng):
    """A Go build cache (256 folders named by two hex digits) and a project
    untouched for a year whose node_modules nests packages four deep: folders
    whose own blocks are a good part of what they take."""
    go_build = os.path.join(root, ".cache", "go-build")
    for index in range(256):
        folder = os.path.join(go_build, f"{index:02x}")
        os.makedirs(folder, exist_ok=True)
        for item in range(index % 5):
            write(os.path.join(folder, f"{index:02x}{item:062x}-d"), rng.choice([200, 1500, 9000]), rng)
    with open(os.path.join(go_build, "README"), "w") as readme:
        readme.write("This directory holds cached build artifacts from the Go build system.\n")
    project = os.path.join(root, "Projekte", "web")
    aged(os.path.join(project, "package.json"), 400, rng)
    for top in range(40):
        for nested in range(3):
            package = os.path.join(project, "node_modules", f"pkg{top:02}", "node_modules",
                                   f"dep{nested}", "node_modules", f"leaf{nested}")
            for part in ("lib", "dist"):
                aged(os.path.join(package, part, "index.js"), rng.choice([300, 2500, 7000]), rng)
            aged(os.path.join(package, "package.json"), 500, rng)


def linux_downloads(root, rng):
    """Installers fetched long ago: two Debian packages of applications installed since
    (each with its desktop entry) and an AppImage last run a month after it came."""
    downloads = os.path.join(root, "Downloads")
    for name, size in (("code_1.85.1-1702462158_amd64.deb", 30_000_000),
                       ("slack-desktop-4.36.140-amd64.deb", 20_000_000),
                       ("Obsidian-1.4.16.AppImage", 90_000_000)):
        aged(os.path.join(downloads, name), size, rng)
    os.utime(os.path.join(downloads, "Obsidian-1.4.16.AppImage"),
             (LONG_AGO + 31 * 86400, LONG_AGO))
    applications = os.path.join(root, ".local", "share", "applications")
    os.makedirs(applications, exist_ok=True)
    for entry, name in (("code", "Visual Studio Code"), ("slack", "Slack")):
        with open(os.path.join(applications, entry + ".desktop"), "w") as desktop:
            desktop.write(f"[Desktop Entry]\nType=Application\nName={name}\nExec={entry}\n")


def gnome_screenshots(root, rng):
    """Pictures/Screenshots as GNOME fills it, in English, French and German."""
    folder = os.path.join(root, "Pictures", "Screenshots")
    names = []
    for day in range(1, 5):
        names.append(f"Screenshot from 2024-03-0{day} 10-10-1{day}.png")
        names.append(f"Capture d’écran du 2024-04-0{day} 11-11-1{day}.png")
        names.append(f"Bildschirmfoto vom 2024-05-0{day} 12-12-1{day}.png")
    for index, name in enumerate(names):
        aged(os.path.join(folder, name), 300_000 + 50_000 * index, rng)


def linux_places(root, rng, documents):
    os.makedirs(os.path.join(root, ".config"), exist_ok=True)
    with open(os.path.join(root, ".config", "user-dirs.dirs"), "w") as dirs:
        dirs.write(f'XDG_DOCUMENTS_DIR="$HOME/{documents}"\n'
                   'XDG_DOWNLOAD_DIR="$HOME/Downloads"\n'
                   'XDG_PICTURES_DIR="$HOME/Pictures"\n')
    trash(root, rng)
    nested_folders(root, rng)
    linux_downloads(root, rng)
    gnome_screenshots(root, rng)


# The user folders of a desktop in its language, as xdg-user-dirs names them.
DESKTOP_FOLDERS = {
    "gnome-fr": {"DESKTOP": "Bureau", "DOWNLOAD": "Téléchargements", "DOCUMENTS": "Documents",
                 "PICTURES": "Images", "VIDEOS": "Vidéos", "MUSIC": "Musique"},
    "kde-en": {"DESKTOP": "Desktop", "DOWNLOAD": "Downloads", "DOCUMENTS": "Documents",
               "PICTURES": "Pictures", "VIDEOS": "Videos", "MUSIC": "Music"},
}


def files_in(folder, count, size, rng):
    os.makedirs(folder, exist_ok=True)
    for index in range(count):
        write(os.path.join(folder, f"{index:03}.bin"), size + 37 * index, rng)


def desktop_home(root, desktop, rng):
    """A small home as a French GNOME or an English KDE desktop leaves it: its user folders
    under their own names, the caches of its programs, a desktop Trash holding a folder of
    twelve files, an installer of an installed program, screenshots of the desktop's own tool,
    a large old video beside a sparse disk image, two copies of a document and a project
    untouched for a year."""
    names = DESKTOP_FOLDERS[desktop]
    os.makedirs(os.path.join(root, ".config"), exist_ok=True)
    with open(os.path.join(root, ".config", "user-dirs.dirs"), "w") as dirs:
        for key, name in names.items():
            dirs.write(f'XDG_{key}_DIR="$HOME/{name}"\n')
    cache = os.path.join(root, ".cache")
    programs = ["mozilla/firefox/x1y2z3.default-esr/cache2/entries", "thumbnails/large",
                "fontconfig", "go-build/3f", "go-build/a0", "ms-playwright/chromium-1091/chrome-linux"]
    programs += (["evolution/mail", "keepassxc", "tracker3/files", "gnome-software/odrs"]
                 if desktop == "gnome-fr" else
                 ["plasmashell/qmlcache", "kwin/qmlcache", "org.kde.dolphin", "spotify/Data/ab"])
    for index, folder in enumerate(programs):
        files_in(os.path.join(cache, folder), 3 + index % 4, 1500 + 900 * index, rng)
    applications = os.path.join(root, ".local", "share", "applications")
    os.makedirs(applications, exist_ok=True)
    entries = [("firefox-esr", "Firefox ESR", "/usr/lib/firefox-esr/firefox-esr %u", ""),
               ("code", "Visual Studio Code", "/usr/share/code/code %F", "Code")]
    entries += ([("org.gnome.Evolution", "Evolution", "evolution %U", ""),
                 ("org.keepassxc.KeePassXC", "KeePassXC", "keepassxc %f", "")]
                if desktop == "gnome-fr" else
                [("org.kde.dolphin", "Dolphin", "dolphin %u", ""),
                 ("spotify", "Spotify", "spotify %U", "spotify")])
    for entry, name, command, window in entries:
        with open(os.path.join(applications, entry + ".desktop"), "w") as out:
            out.write(f"[Desktop Entry]\nType=Application\nName={name}\nExec={command}\n")
            if window:
                out.write(f"StartupWMClass={window}\n")

    trash_root = os.path.join(root, ".local", "share", "Trash")
    files_in(os.path.join(trash_root, "files", "vieux projet" if desktop == "gnome-fr"
                          else "old project"), 12, 4000, rng)
    aged(os.path.join(trash_root, "files", "notes.txt"), 900, rng)
    os.makedirs(os.path.join(trash_root, "info"), exist_ok=True)
    for thrown in os.listdir(os.path.join(trash_root, "files")):
        with open(os.path.join(trash_root, "info", thrown + ".trashinfo"), "w") as record:
            record.write(f"[Trash Info]\nPath={root}/{thrown}\nDeletionDate=2026-11-01T10:00:00\n")

    downloads = os.path.join(root, names["DOWNLOAD"])
    aged(os.path.join(downloads, "code_1.85.1-1702462158_amd64.deb"), 3_000_000, rng)

    pictures = os.path.join(root, names["PICTURES"])
    if desktop == "gnome-fr":
        shots = [os.path.join("Captures d’écran", f"Capture d’écran du 2024-03-0{day} 10-10-1{day}.png")
                 for day in range(1, 5)]
    else:
        shots = [f"Screenshot_2024030{day}_10101{day}.png" for day in range(1, 5)]
    for index, shot in enumerate(shots):
        aged(os.path.join(pictures, shot), 200_000 + 30_000 * index, rng)

    videos = os.path.join(root, names["VIDEOS"])
    aged(os.path.join(videos, "vacances.mkv" if desktop == "gnome-fr" else "holiday.mkv"),
         210_000_000, rng, when=LONG_AGO - 400 * 86400)
    disk = os.path.join(root, names["DOCUMENTS"], "disk.img")
    os.makedirs(os.path.dirname(disk), exist_ok=True)
    with open(disk, "wb") as image:
        image.write(b"x" * 4096)
        image.truncate(2 * 1024 ** 3)
    os.utime(disk, (LONG_AGO - 400 * 86400, LONG_AGO - 400 * 86400))
    report = rng.randbytes(1_500_000)
    for place in ("rapport.pdf", "copies/rapport (copie).pdf"):
        path = os.path.join(root, names["DOCUMENTS"], place)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        write(path, 0, rng, report)

    project = os.path.join(root, "Projets" if desktop == "gnome-fr" else "Projects", "site")
    aged(os.path.join(project, "package.json"), 400, rng)
    for package in range(6):
        aged(os.path.join(project, "node_modules", f"pkg{package}", "lib", "index.js"),
             2500 + 300 * package, rng)


def logs(root, rng):
    folder = os.path.join(root, "Library", "Logs", "tool")
    os.makedirs(folder, exist_ok=True)
    for index in range(20):
        path = os.path.join(folder, f"run{index:02}.log")
        write(path, 20000, rng)
        os.utime(path, (1_700_000_000, 1_700_000_000))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--layout", choices=["one-big-folder", "many-small-folders"],
                        default="one-big-folder")
    parser.add_argument("--linux", action="store_true",
                        help="lay the home out the way a Linux desktop keeps it")
    parser.add_argument("--desktop", choices=sorted(DESKTOP_FOLDERS),
                        help="a small home of a French GNOME or an English KDE desktop instead")
    parser.add_argument("root")
    args = parser.parse_args()
    rng = random.Random(7)
    if args.desktop:
        desktop_home(args.root, args.desktop, rng)
        print(f"a {args.desktop} home under {args.root}")
        return
    documents = "Dokumente" if args.linux else "Documents"
    files = caches(args.root, args.layout, rng, args.linux)
    large_files(args.root, rng, documents)
    if args.linux:
        linux_places(args.root, rng, documents)
    else:
        logs(args.root, rng)
    print(f"{files} small files ({args.layout}) and the large ones under {args.root}")


if __name__ == "__main__":
    main()
