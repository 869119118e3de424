#!/usr/bin/env bash
# Runs each program here as a whole process under mcbrun beside the same work
# in Lua 5.4, in pairs (ours, Lua, ours, Lua, ...), and prints the CPU-time
# ratio ours / Lua (user + system, to the millisecond; below 1: faster):
# median, min and max; and the peak resident memory of each side (MiB, from
# one more run of each before the pairs, which also warms the file cache).
# Both sides run at the programs' own sizes.
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

cpu() { # CPU seconds of one run of a command: bash's own count, to the millisecond
  local TIMEFORMAT='%3U %3S' times
  times=$({ time "$@" >/dev/null 2>&1; } 2>&1) || true
  awk '{print $1 + $2}' <<<"$times"
}

peak() { # peak resident KiB of one run of a command
  /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>&1 || true
  cat "$work/time"
}

for name in "${names[@]}"; do
  mkdir -p "$work/$name"
  "$build/mcbasm" "$here/$name.s" -o "$work/$name/index.mcb" >/dev/null
  ours_cmd=("$build/mcbrun" "$work/$name/index.mcb") theirs_cmd=("$lua" "$here/$name.lua")
  ours_kib=$(peak "${ours_cmd[@]}")
  theirs_kib=$(peak "${theirs_cmd[@]}")
  ratios=()
  for _ in $(seq "$runs"); do
    ours=$(cpu "${ours_cmd[@]}")
    theirs=$(cpu "${theirs_cmd[@]}")
    ratios+=("$(echo "$ours / $theirs" | bc -l)")
  done
  printf '%s\n' "${ratios[@]}" | sort -g | awk -v name="$name" -v ours="$ours_kib" -v theirs="$theirs_kib" '
    { r[NR] = $1 }
    END { printf "%-22s ratio %.2f (min %.2f, max %.2f, %d runs)  peak %.1f / %.1f MiB\n",
                 name, r[int((NR + 1) / 2)], r[1], r[NR], NR, ours / 1024, theirs / 1024 }'
done
