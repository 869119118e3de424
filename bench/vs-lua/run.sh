#!/usr/bin/env bash
# Runs each program here as a whole process under mcbrun beside the same work
# in Lua 5.4, in pairs (ours, Lua, ours, Lua, ...), and prints the CPU-time
# ratio ours / Lua (user + system; below 1: faster): median, min and max; and
# the peak resident memory of each side (median, MiB). Both sides run at the
# programs' own sizes.
#   bench/vs-lua/run.sh BUILD_DIR [RUNS] [NAME...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?usage: run.sh BUILD_DIR [RUNS] [NAME...]}"
runs="${2:-3}"
shift $(( $# >= 2 ? 2 : 1 ))
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(fib loop churn string_append_search vector_fill_sum)
lua="${LUA:-/usr/bin/lua5.4}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run() { # "CPU-seconds peak-KiB" of one run of a command
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >/dev/null 2>&1
  awk '{print $1 + $2, $3}' "$work/time"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for name in "${names[@]}"; do
  mkdir -p "$work/$name"
  "$build/mcbasm" "$here/$name.s" -o "$work/$name/index.mcb" >/dev/null
  ratios=() our_peaks=() their_peaks=()
  for _ in $(seq "$runs"); do
    read -r ours our_peak < <(run "$build/mcbrun" "$work/$name/index.mcb")
    read -r theirs their_peak < <(run "$lua" "$here/$name.lua")
    ratios+=("$(echo "$ours / $theirs" | bc -l)")
    our_peaks+=("$our_peak") their_peaks+=("$their_peak")
  done
  ours_mib=$(printf '%s\n' "${our_peaks[@]}" | median)
  theirs_mib=$(printf '%s\n' "${their_peaks[@]}" | median)
  printf '%s\n' "${ratios[@]}" | sort -g | awk -v name="$name" -v ours="$ours_mib" -v theirs="$theirs_mib" '
    { r[NR] = $1 }
    END { printf "%-22s ratio %.2f (min %.2f, max %.2f, %d runs)  peak %.1f / %.1f MiB\n",
                 name, r[int((NR + 1) / 2)], r[1], r[NR], NR, ours / 1024, theirs / 1024 }'
done
