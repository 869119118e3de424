#!/usr/bin/env bash
# Runs the native benchmarks and the equivalent Lua 5.4 programs side by
# side; prints each time and the ratio natives / Lua (below 1: faster).
#   bench/natives/run.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?usage: run.sh BUILD_DIR}"
bench="$build/bench/natives/natives_bench"
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

for pair in StringAppendSearch1M:string_append_search VectorFillSum1M:vector_fill_sum; do
  name=${pair%%:*}; script=${pair##*:}
  ours_ms=$("$bench" --benchmark_filter="BM_${name}\$" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '/_min"|_median"/ {print $3; exit}')
  lua_s=$(seconds "$lua" "$here/$script.lua")
  lua_ms=$(echo "$lua_s * 1000" | bc -l)
  printf '%-22s natives %8.1f ms   lua %8.1f ms   ratio %.2f\n' "$name" "$ours_ms" "$lua_ms" \
    "$(echo "$ours_ms / $lua_ms" | bc -l)"
done
