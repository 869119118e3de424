#!/usr/bin/env bash
# Runs the machine benchmarks and the equivalent Lua 5.4 programs side by
# side; prints each time and the ratio machine / Lua (below 1: faster).
#   bench/machine/run.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?usage: run.sh BUILD_DIR}"
exec "$here/../lua-compare.sh" "$build/bench/machine/machine_bench" "$here" machine 9 \
  Fib30:fib Loop100M:loop Churn1M:churn
