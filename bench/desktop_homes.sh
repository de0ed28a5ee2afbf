#!/usr/bin/env bash
# Makes a French GNOME home and an English KDE home (bench/make_tree.py --desktop), scans
# each and sets every figure beside du -s -B1 of what its item frees; fails when one differs.
# Usage: bench/desktop_homes.sh KELVORA_BENCH
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
homes=$(mktemp -d)
trap 'rm -rf "$homes"' EXIT
status=0
for desktop in gnome-fr kde-en; do
  python3 "$here/make_tree.py" --desktop "$desktop" "$homes/$desktop" >/dev/null
  # Written back only later, a large file may take an extent block more after the scan has
  # measured it and before du does: both measure the home as it lies on the disk.
  sync -f "$homes/$desktop"
  echo "== $desktop"
  python3 "$here/freed_vs_du.py" "$1" "$homes/$desktop" || status=1
done
exit $status
