#!/usr/bin/env bash
# Checks that `kelvora_bench scan` reports the caches and the desktop Trash of a small home
# laid out the Linux way. Usage: bench/scan_linux_home.sh KELVORA_BENCH
set -euo pipefail
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/.cache/tool" "$home/.local/share/Trash/files" "$home/.local/share/Trash/info"
head -c 20000 /dev/zero >"$home/.cache/tool/blob"
head -c 9000 /dev/zero >"$home/.local/share/Trash/files/old.txt"
printf '[Trash Info]\nPath=%s/old.txt\nDeletionDate=2026-11-01T10:00:00\n' "$home" \
  >"$home/.local/share/Trash/info/old.txt.trashinfo"
output=$("$1" scan "$home" --now 2026-12-07T09:00:00Z)
grep -q "^caches [1-9][0-9]* safe file://$home/.cache/tool/$" <<<"$output"
grep -q "^trash [1-9][0-9]* youDecide file://$home/.local/share/Trash/files/old.txt$" <<<"$output"
echo "caches and Trash reported"
