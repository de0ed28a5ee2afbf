#!/usr/bin/env python3
"""Makes a reproducible home folder for kelvora_bench: 200,000 small files in
the caches of twenty applications (with some hard links), a few old logs, and
large files in Documents among which some are duplicates."""
import os
import random
import sys


def write(path, size, rng, fill=None):
    with open(path, "wb") as out:
        out.write(fill if fill is not None else rng.randbytes(size))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_tree.py DIR")
    root = sys.argv[1]
    rng = random.Random(7)
    files = 0
    for top in range(20):
        for middle in range(25):
            folder = os.path.join(root, "Library", "Caches", f"app{top:02}", f"m{middle:02}", "leaf")
            os.makedirs(folder, exist_ok=True)
            for index in range(400):
                path = os.path.join(folder, f"f{index:03}.dat")
                write(path, rng.choice([0, 120, 900, 3000, 5000, 12000]), rng)
                files += 1
                if index % 97 == 0:
                    os.link(path, os.path.join(folder, f"f{index:03}.link"))
    big = os.path.join(root, "Documents", "big")
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
    logs = os.path.join(root, "Library", "Logs", "tool")
    os.makedirs(logs, exist_ok=True)
    for index in range(20):
        path = os.path.join(logs, f"run{index:02}.log")
        write(path, 20000, rng)
        os.utime(path, (1_700_000_000, 1_700_000_000))
    print(f"{files} small files and the large ones under {root}")


if __name__ == "__main__":
    main()
