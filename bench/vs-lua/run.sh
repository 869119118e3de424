#!/usr/bin/env bash
# Runs each program here as a whole process under mcbrun beside the same work
# in Lua 5.4 and in LuaJIT's interpreter (`luajit -joff`: the compiler off),
# in rounds (ours, Lua, LuaJIT, ours, ...), and prints the CPU-time ratios
# ours / Lua and ours / LuaJIT (user + system, to the millisecond; below 1:
# faster): median, min and max; and the peak resident memory of each side
# (MiB, from one more run of each before the rounds, which also warms the
# file cache). All sides run at the programs' own sizes. LuaJIT is Lua 5.1:
# a program whose Lua needs 5.3's operators has its own NAME.luajit.lua.
# Two of ours may do the same work in different ways: the twin of
# vector_element_load (elements read through their addresses) is
# vector_fill_sum's Lua, which has one way to read an element.
#   bench/vs-lua/run.sh BUILD_DIR [RUNS] [NAME...]
# LUA and LUAJIT name other interpreters; scripts/install-deps installs both.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?usage: run.sh BUILD_DIR [RUNS] [NAME...]}"
runs="${2:-3}"
shift $(( $# >= 2 ? 2 : 1 ))
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(fib loop churn string_append_search vector_fill_sum vector_element_load)
lua="${LUA:-/usr/bin/lua5.4}"
luajit="${LUAJIT:-luajit}"
for interpreter in "$lua" "$luajit"; do
  command -v "$interpreter" >/dev/null || { echo "run.sh: no $interpreter here; scripts/install-deps installs it" >&2; exit 1; }
done
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
  twin="$name"
  [ "$name" != vector_element_load ] || twin=vector_fill_sum
  jit_source="$here/$twin.luajit.lua"
  [ -f "$jit_source" ] || jit_source="$here/$twin.lua"
  ours_cmd=("$build/mcbrun" "$work/$name/index.mcb") lua_cmd=("$lua" "$here/$twin.lua")
  jit_cmd=("$luajit" -joff "$jit_source")
  ours_kib=$(peak "${ours_cmd[@]}")
  lua_kib=$(peak "${lua_cmd[@]}")
  jit_kib=$(peak "${jit_cmd[@]}")
  : >"$work/lua" && : >"$work/jit"
  for _ in $(seq "$runs"); do
    ours=$(cpu "${ours_cmd[@]}")
    lua_s=$(cpu "${lua_cmd[@]}")
    jit_s=$(cpu "${jit_cmd[@]}")
    echo "$ours / $lua_s" | bc -l >>"$work/lua"
    echo "$ours / $jit_s" | bc -l >>"$work/jit"
  done
  spread() { # median (min - max) of the numbers in a file
    sort -g "$1" | awk '{ r[NR] = $1 } END { printf "%.2f (%.2f - %.2f)", r[int((NR + 1) / 2)], r[1], r[NR] }'
  }
  printf '%-22s /Lua %s  /LuaJIT %s  %d runs  peak %.1f / %.1f / %.1f MiB\n' "$name" "$(spread "$work/lua")" \
    "$(spread "$work/jit")" "$runs" "$(echo "$ours_kib / 1024" | bc -l)" "$(echo "$lua_kib / 1024" | bc -l)" \
    "$(echo "$jit_kib / 1024" | bc -l)"
done
