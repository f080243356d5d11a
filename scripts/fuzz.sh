#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz (preset fuzz: clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for SECONDS
# (default 60), or until it has run RUNS inputs if that comes first, two at
# a time, from its committed corpus tests/fuzz/corpus/NAME
# and the inputs earlier runs added in build/fuzz/corpus/NAME. Prints the
# executions, their rate and the coverage of each; fails when a target found
# an input that crashes, hangs or breaks its checks (kept in
# build/fuzz/findings/NAME/; the README, "Fuzzing", says how one becomes a
# test).
#   fuzz.sh [SECONDS [RUNS]]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60} runs=${2:--1}
targets=(ravlink_framing sessions card_pipeline add_chars registry_file setting_rules)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

run() {
  local target=$1 work=build/fuzz/corpus/$1 findings=build/fuzz/findings/$1
  mkdir -p "$work" "$findings"
  build/fuzz/tests/fuzz/tavolin-fuzz-"$target" -max_total_time="$seconds" -runs="$runs" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "tests/fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1
  echo $? >"build/fuzz/$target.status"
}

# Two targets at a time, the next started as soon as one ends; then the
# figures in the targets' order.
set +e
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n; done
  run "$target" &
done
wait
status=0
for target in "${targets[@]}"; do
  log=build/fuzz/$target.log
  if [ "$(cat "build/fuzz/$target.status")" = 0 ]; then
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
    echo "fuzz $target: $executed executions, $rate/s, $cov"
  else
    echo "fuzz $target: FAILED, see $log and build/fuzz/findings/$target/"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5 || true
    status=1
  fi
done
exit $status
