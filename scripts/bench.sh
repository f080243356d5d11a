#!/usr/bin/env bash
# Builds the Linux edition and runs the benchmarks; prints the figures.
#   scripts/bench.sh [IDLE-SECONDS]   (the idle CPU measurement, default 30 s a session)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavolin-bench-reading tavolin-bench-latency tavolin-readersim \
  tavolin-bench-xtest xkey_recorder tavolin-console tavolin_en tavolin-bench-startup
echo "=== one reading through the card data pipeline"
build/linux/bench/tavolin-bench-reading --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "=== reader sessions on a pseudo-terminal with tavolin-readersim"
build/linux/bench/tavolin-bench-latency build/linux/tools/readersim/tavolin-readersim "${1:-30}" \
  build/linux/src/frontend/console/tavolin-console
echo "=== tavolin-console: start-up and memory"
build/linux/bench/tavolin-bench-startup build/linux/src/frontend/console/tavolin-console \
  build/linux/src/frontend/console/tavolin-console build/linux/tools/readersim/tavolin-readersim 20
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
rec=
trap 'kill $xvfb $rec 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
echo "=== tavolin_en (Qt windows, under Xvfb): start-up and memory"
build/linux/bench/tavolin-bench-startup build/linux/src/frontend/qt/tavolin_en \
  build/linux/src/frontend/console/tavolin-console build/linux/tools/readersim/tavolin-readersim 20
echo "=== keys through XTest into an X client under Xvfb"
build/linux/tests/xkey_recorder >"$work/keys" &
rec=$!
for _ in $(seq 100); do grep -q ready "$work/keys" && break; sleep 0.05; done
build/linux/bench/tavolin-bench-xtest 20000 "$work/keys"
