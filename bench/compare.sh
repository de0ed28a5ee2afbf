#!/usr/bin/env bash
# Runs kelvora_bench beside du, gdu, jdupes and fdupes on one tree, warm cache,
# best of five runs each. Usage: bench/compare.sh BUILD_DIR HOME_TREE
set -euo pipefail
bench="$1/bench/kelvora_bench"
home="$2"

best() { # best wall time in seconds of five runs of the command
  local fastest=""
  for _ in 1 2 3 4 5; do
    local start end took
    start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N)
    took=$(echo "$end - $start" | bc -l)
    if [ -z "$fastest" ] || (( $(echo "$took < $fastest" | bc -l) )); then fastest=$took; fi
  done
  printf '%.3f' "$fastest"
}
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }

"$bench" walk "$home" >/dev/null; du -s "$home" >/dev/null   # warm the cache

walk8=$(best "$bench" walk "$home"); du8=$(best du -s "$home"); gdu8=$(best gdu -n -p -s "$home")
walk2=$(best taskset -c 0,1 "$bench" walk "$home"); du2=$(best taskset -c 0,1 du -s "$home")
gdu2=$(best taskset -c 0,1 gdu -n -p -s -m 2 "$home")
dups=$(best "$bench" duplicates "$home")
jd=$(best jdupes -q -r -X size+=:1000000 "$home"); fd=$(best fdupes -q -r -G 1000000 "$home")
scan=$(best "$bench" scan "$home" --now 2026-12-07T09:00:00Z)

echo "walk, 8 cores: kelvora ${walk8}s, du -s ${du8}s ($(ratio "$du8" "$walk8")x), gdu ${gdu8}s ($(ratio "$gdu8" "$walk8")x)"
echo "walk, 2 cores: kelvora ${walk2}s, du -s ${du2}s ($(ratio "$du2" "$walk2")x), gdu ${gdu2}s ($(ratio "$gdu2" "$walk2")x)"
echo "duplicates: kelvora ${dups}s, jdupes ${jd}s ($(ratio "$jd" "$dups")x), fdupes ${fd}s ($(ratio "$fd" "$dups")x)"
echo "scan: kelvora ${scan}s"
echo "bytes: kelvora $("$bench" walk "$home" | sed -n 's/^bytes //p')," \
  "regular files counted once per inode $(find "$home" -type f -printf '%i %b\n' | sort -u | awk '{s += $2 * 512} END {print s}')"
echo "duplicate read: kelvora $("$bench" duplicates "$home" | sed -n 's/^bytes read //p')," \
  "allowed $(python3 "$(dirname "$0")/read_bound.py" "$home")"
