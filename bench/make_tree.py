#!/usr/bin/env python3
"""Makes a reproducible home folder for kelvora_bench: 200,000 small files in
the caches of twenty applications (with some hard links), a few old logs, and
large files in Documents among which some are duplicates.

With --linux the same home is laid out the way a Linux desktop keeps it: the
caches in .cache, the documents in the folder that .config/user-dirs.dirs names
(Dokumente), and a desktop Trash of thrown files, each with its record."""
import os
import random
import sys


def write(path, size, rng, fill=None):
    with open(path, "wb") as out:
        out.write(fill if fill is not None else rng.randbytes(size))


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


def main():
    args = sys.argv[1:]
    linux = "--linux" in args
    args = [arg for arg in args if arg != "--linux"]
    if len(args) != 1:
        sys.exit("usage: make_tree.py [--linux] DIR")
    root = args[0]
    caches = os.path.join(root, ".cache") if linux else os.path.join(root, "Library", "Caches")
    documents = "Dokumente" if linux else "Documents"
    rng = random.Random(7)
    files = 0
    for top in range(20):
        for middle in range(25):
            folder = os.path.join(caches, f"app{top:02}", f"m{middle:02}", "leaf")
            os.makedirs(folder, exist_ok=True)
            for index in range(400):
                path = os.path.join(folder, f"f{index:03}.dat")
                write(path, rng.choice([0, 120, 900, 3000, 5000, 12000]), rng)
                files += 1
                if index % 97 == 0:
                    os.link(path, os.path.join(folder, f"f{index:03}.link"))
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
    if linux:
        os.makedirs(os.path.join(root, ".config"), exist_ok=True)
        with open(os.path.join(root, ".config", "user-dirs.dirs"), "w") as dirs:
            dirs.write(f'XDG_DOCUMENTS_DIR="$HOME/{documents}"\n')
        trash(root, rng)
    else:
        logs = os.path.join(root, "Library", "Logs", "tool")
        os.makedirs(logs, exist_ok=True)
        for index in range(20):
            path = os.path.join(logs, f"run{index:02}.log")
            write(path, 20000, rng)
            os.utime(path, (1_700_000_000, 1_700_000_000))
    print(f"{files} small files and the large ones under {root}")


if __name__ == "__main__":
    main()
