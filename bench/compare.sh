#!/usr/bin/env bash
# Runs kelvora_bench beside du, gdu, jdupes and fdupes on one generated home,
# warm cache. Each comparison runs the two commands in turn, PAIRS times, and
# reports the median of each command's times and the median of the per-pair
# ratios (peer time divided by ours, so above 1 means faster), which a burst of
# load on a shared machine moves far less than a best or a mean. On a shared
# machine each pair waits (at most 20 s) until at least IDLE percent of the
# cores have been idle for 0.3 s.
# ONLY names the comparisons to run by the start of their label ("walk" runs the walk's);
# a peer that is not installed is skipped with a note.
# Usage: [IDLE=90] [TWO_CORES=0,1] [ONLY=walk] bench/compare.sh BUILD_DIR HOME_TREE [PAIRS]
set -euo pipefail
bench="$1/bench/kelvora_bench"
home="$2"
pairs="${3:-11}"
here="$(cd "$(dirname "$0")" && pwd)"
folders=()
# A Linux-style home may keep its documents in a folder of another name.
documents=$(sed -n 's/^XDG_DOCUMENTS_DIR="\$HOME\/\(.*\)"$/\1/p' "$home/.config/user-dirs.dirs" 2>/dev/null)
for name in Desktop Documents ${documents:+"$documents"} Downloads Movies Music Pictures; do
  [ -d "$home/$name" ] && folders+=("$home/$name")
done
two=(taskset -c "${TWO_CORES:-0,1}") # the pair of cores for the two-core runs

idle_percent() { # share of all cores idle over the next 0.3 s
  local a b
  a=($(head -1 /proc/stat)); sleep 0.3; b=($(head -1 /proc/stat))
  local total=0 i
  for i in 1 2 3 4 5 6 7 8; do total=$((total + b[i] - a[i])); done
  echo $(( total > 0 ? 100 * (b[4] - a[4] + b[5] - a[5]) / total : 100 ))
}
wait_idle() { # on a shared machine, start a pair only once the others pause (at most 20 s)
  local tries=0
  while [ "$(idle_percent)" -lt "${IDLE:-90}" ] && [ $tries -lt 60 ]; do tries=$((tries + 1)); done
}

seconds() { # wall seconds of one run, output discarded
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1
  echo "$EPOCHREALTIME - $start" | bc -l
}
median() { sort -g | awk '{v[NR] = $1} END {m = int((NR + 1) / 2); printf "%.3f", (NR % 2) ? v[m] : (v[m] + v[m + 1]) / 2}'; }

# compare LABEL PEER_NAME -- OUR COMMAND -- PEER COMMAND
compare() {
  local label="$1" peer="$2"; shift 3
  local ours=() theirs=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done; shift
  theirs=("$@")
  case "$label" in "${ONLY:-}"*) ;; *) return 0 ;; esac
  if ! command -v "${peer%% *}" >/dev/null; then
    printf '%-24s %s is not installed, skipped\n' "$label" "${peer%% *}"
    return 0
  fi
  local our_times="" peer_times="" ratios=""
  for _ in $(seq "$pairs"); do
    local a b
    wait_idle
    a=$(seconds "${ours[@]}"); b=$(seconds "${theirs[@]}")
    our_times+="$a"$'\n'; peer_times+="$b"$'\n'
    ratios+="$(echo "$b / $a" | bc -l)"$'\n'
  done
  printf '%-24s kelvora %ss  %-7s %ss  ratio %s\n' "$label" \
    "$(printf '%s' "$our_times" | median)" "$peer" "$(printf '%s' "$peer_times" | median)" \
    "$(printf '%s' "$ratios" | median)"
}

peak_kib() { # median peak resident size of five runs, KiB
  for _ in 1 2 3 4 5; do /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; done | median
}

echo "tree: $home ($(find "$home" -type f | wc -l) files), $pairs pairs each, idle at least ${IDLE:-90}% before each pair, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Warm the cache: every file the commands below list or read.
du -s "$home" >/dev/null; "$bench" duplicates --home "$home" >/dev/null

compare "walk, all cores" "du -s" -- "$bench" walk "$home" -- du -s "$home"
compare "walk, all cores" "gdu" -- "$bench" walk "$home" -- gdu -n -p -s "$home"
compare "walk, 2 cores" "du -s" -- "${two[@]}" "$bench" walk "$home" -- "${two[@]}" du -s "$home"
compare "walk, 2 cores" "gdu" -- "${two[@]}" "$bench" walk "$home" -- "${two[@]}" gdu -n -p -s -m 2 "$home"
compare "space map, all cores" "du -s" -- "$bench" spacemap "$home" -- du -s "$home"
compare "space map, all cores" "gdu" -- "$bench" spacemap "$home" -- gdu -n -p -s "$home"
compare "space map, 2 cores" "du -s" -- "${two[@]}" "$bench" spacemap "$home" -- "${two[@]}" du -s "$home"
compare "duplicates, all cores" "jdupes" -- "$bench" duplicates --home "$home" -- \
  jdupes -q -r -X size+=:1000000 "${folders[@]}"
compare "duplicates, all cores" "fdupes" -- "$bench" duplicates --home "$home" -- \
  fdupes -q -r -G 1000000 "${folders[@]}"
compare "duplicates, 2 cores" "jdupes" -- "${two[@]}" "$bench" duplicates --home "$home" -- \
  "${two[@]}" jdupes -q -r -X size+=:1000000 "${folders[@]}"
compare "full scan, all cores" "du -s" -- "$bench" scan "$home" --now 2026-12-07T09:00:00Z -- \
  du -s "$home"
compare "full scan, 2 cores" "du -s" -- "${two[@]}" "$bench" scan "$home" --now 2026-12-07T09:00:00Z -- \
  "${two[@]}" du -s "$home"

echo "walk peak memory: $(peak_kib "$bench" walk "$home") KiB all cores, $(peak_kib "${two[@]}" "$bench" walk "$home") KiB on 2"
# The walk frees what du counts: every folder's own blocks and every file once per inode
# (the tree's hard links all lie inside it). The space map counts a file once per link.
echo "walk bytes: kelvora $("$bench" walk "$home" | sed -n 's/^bytes //p')," \
  "du -s -B1 $(du -s -B1 "$home" | cut -f1)"
echo "space map bytes: kelvora $("$bench" spacemap "$home" | sed -n 's/^bytes //p')," \
  "every folder and every regular file's link $(find "$home" \( -type f -o -type d \) -printf '%b\n' | awk '{s += $1 * 512} END {printf "%.0f", s}')"
echo "duplicate read: kelvora $("$bench" duplicates --home "$home" | sed -n 's/^bytes read //p')," \
  "allowed $(python3 "$here/read_bound.py" "${folders[@]}")"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
