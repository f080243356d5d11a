#!/usr/bin/env bash
# Builds the Linux edition and runs the benchmarks; prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavolin-bench-reading
build/linux/bench/tavolin-bench-reading --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
