#!/usr/bin/env bash
# Runs Google Benchmark cases beside the equivalent Lua 5.4 programs; prints
# each time and the ratio benchmark / Lua (below 1: faster).
#   bench/lua-compare.sh BENCH_BINARY LUA_DIR LABEL NAME_WIDTH NAME:SCRIPT...
# NAME is the benchmark BM_NAME, SCRIPT the Lua program LUA_DIR/SCRIPT.lua.
set -euo pipefail
usage="usage: lua-compare.sh BENCH_BINARY LUA_DIR LABEL NAME_WIDTH NAME:SCRIPT..."
bench="${1:?$usage}"; lua_dir="${2:?$usage}"; label="${3:?$usage}"; width="${4:?$usage}"
shift 4
lua="${LUA:-/usr/bin/lua5.4}"

seconds() { # best of three wall-clock runs of a command
  local best=""
  for _ in 1 2 3; do
    local start end t
    start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
  done
  echo "$best"
}

for pair in "$@"; do
  name=${pair%%:*}; script=${pair##*:}
  ours_ms=$("$bench" --benchmark_filter="BM_${name}\$" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '/_min"|_median"/ {print $3; exit}')
  lua_s=$(seconds "$lua" "$lua_dir/$script.lua")
  lua_ms=$(echo "$lua_s * 1000" | bc -l)
  printf "%-${width}s %s %8.1f ms   lua %8.1f ms   ratio %.2f\n" "$name" "$label" "$ours_ms" "$lua_ms" \
    "$(echo "$ours_ms / $lua_ms" | bc -l)"
done
