#!/usr/bin/env bash
# Builds the Linux edition and runs the benchmarks; prints the figures.
#   scripts/bench.sh [IDLE-SECONDS]   (the idle CPU measurement, default 30 s a session)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavolin-bench-reading tavolin-bench-latency tavolin-readersim \
  tavolin-bench-xtest xkey_recorder tavolin-console tavolin-bench-console-startup
echo "=== one reading through the card data pipeline"
build/linux/bench/tavolin-bench-reading --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "=== reader sessions on a pseudo-terminal with tavolin-readersim"
build/linux/bench/tavolin-bench-latency build/linux/tools/readersim/tavolin-readersim "${1:-30}" \
  build/linux/src/frontend/console/tavolin-console
echo "=== tavolin-console: start-up and memory"
build/linux/bench/tavolin-bench-console-startup build/linux/src/frontend/console/tavolin-console \
  build/linux/tools/readersim/tavolin-readersim 20
echo "=== keys through XTest into an X client under Xvfb"
work=$(mktemp -d)
Xvfb :93 -screen 0 320x200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb $rec 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=:93
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
build/linux/tests/xkey_recorder >"$work/keys" &
rec=$!
for _ in $(seq 100); do grep -q ready "$work/keys" && break; sleep 0.05; done
build/linux/bench/tavolin-bench-xtest 20000 "$work/keys"
