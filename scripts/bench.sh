#!/usr/bin/env bash
# Builds the Linux edition and runs the benchmarks; prints the figures.
#   scripts/bench.sh [IDLE-SECONDS]   (the idle CPU measurement, default 30 s a session)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavolin-bench-reading tavolin-bench-latency tavolin-readersim
echo "=== one reading through the card data pipeline"
build/linux/bench/tavolin-bench-reading --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "=== reader sessions on a pseudo-terminal with tavolin-readersim"
build/linux/bench/tavolin-bench-latency build/linux/tools/readersim/tavolin-readersim "${1:-30}"
