#!/usr/bin/env bash
# Runs the native benchmarks and the equivalent Lua 5.4 programs side by
# side; prints each time and the ratio natives / Lua (below 1: faster).
#   bench/natives/run.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?usage: run.sh BUILD_DIR}"
exec "$here/../lua-compare.sh" "$build/bench/natives/natives_bench" "$here" natives 22 \
  StringAppendSearch1M:string_append_search VectorFillSum1M:vector_fill_sum
