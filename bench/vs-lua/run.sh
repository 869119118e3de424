#!/usr/bin/env bash
# Runs each program here as a whole process under mcbrun beside the same work
# in Lua 5.4, in pairs (ours, Lua, ours, Lua, ...), and prints the CPU-time
# ratio ours / Lua (user + system; below 1: faster): median, min and max.
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

# The Lua side of each program: a file here, or one of the native benchmarks'
# programs at the full size.
lua_program() {
  case "$1" in
    string_append_search | vector_fill_sum) echo "$here/../natives/$1.lua 10000000" ;;
    *) echo "$here/$1.lua" ;;
  esac
}

cpu() { # user + system seconds of one run of a command
  /usr/bin/time -f "%U %S" -o "$work/time" "$@" >/dev/null 2>&1
  awk '{print $1 + $2}' "$work/time"
}

for name in "${names[@]}"; do
  mkdir -p "$work/$name"
  "$build/mcbasm" "$here/$name.s" -o "$work/$name/index.mcb" >/dev/null
  ratios=()
  for _ in $(seq "$runs"); do
    ours=$(cpu "$build/mcbrun" "$work/$name/index.mcb")
    # shellcheck disable=SC2046 # the program and its argument are two words
    theirs=$(cpu "$lua" $(lua_program "$name"))
    ratios+=("$(echo "$ours / $theirs" | bc -l)")
  done
  printf '%s\n' "${ratios[@]}" | sort -g | awk -v name="$name" '
    { r[NR] = $1 }
    END { printf "%-22s ratio %.2f (min %.2f, max %.2f, %d runs)\n", name, r[int((NR + 1) / 2)], r[1], r[NR], NR }'
done
