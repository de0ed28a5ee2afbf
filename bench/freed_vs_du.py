#!/usr/bin/env python3
"""Scans a home with kelvora_bench and sets each item's figure beside `du -s -B1` of what
removing it takes (its targets, counted together), then each category's. Exits with 1 when
any figure differs from du.

    bench/freed_vs_du.py build/bench/kelvora_bench HOME [--now 2026-12-07T09:00:00Z]

Items a tool removes (containers, models) have no targets and are left out."""
import argparse
import collections
import subprocess
import sys
import urllib.parse


def scanned(bench, home, now):
    out = subprocess.run([bench, "scan", home, "--now", now, "--targets"], check=True,
                         capture_output=True, text=True).stdout
    items = []
    for line in out.splitlines():
        if line.startswith("  target "):
            items[-1]["targets"].append(line[len("  target "):])
        elif line.split(" ", 1)[0] not in ("step", "files", "seconds"):
            kind, figure, verdict, url = line.split(" ", 3)
            items.append({"kind": kind, "figure": int(figure), "verdict": verdict, "url": url,
                          "targets": []})
    return items


def du(paths):
    listed = "".join(path + "\0" for path in paths)
    out = subprocess.run(["du", "-s", "-B1", "-c", "--files0-from=-"], input=listed,
                         check=True, capture_output=True, text=True).stdout
    return int(out.strip().splitlines()[-1].split()[0])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bench")
    parser.add_argument("home")
    parser.add_argument("--now", default="2026-12-07T09:00:00Z")
    args = parser.parse_args()
    totals = collections.defaultdict(lambda: [0, 0, 0])
    differ = 0
    print(f"{'category':<12} {'Kelvora':>14} {'du -s -B1':>14}  item")
    for item in scanned(args.bench, args.home, args.now):
        if not item["targets"]:
            continue
        measured = du(item["targets"])
        same = measured == item["figure"]
        differ += not same
        total = totals[item["kind"]]
        total[0] += item["figure"]
        total[1] += measured
        total[2] += 1
        shown = urllib.parse.unquote(item["url"]).replace("file://" + args.home, "~")
        print(f"{item['kind']:<12} {item['figure']:>14,} {measured:>14,}  "
              f"{'' if same else 'DIFFERS '}{shown}")
    print()
    for kind, (figure, measured, count) in sorted(totals.items()):
        print(f"{kind:<12} {figure:>14,} {measured:>14,}  {count} items"
              f"{'' if figure == measured else ', DIFFERS'}")
    print("every figure equals du" if not differ else f"{differ} figures differ from du")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
