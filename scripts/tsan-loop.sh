#!/usr/bin/env bash
# Runs the ThreadSanitizer build of every Linux unit-test program that
# starts a reading thread (or a thread of its own) again and again, to show
# that no test reads what another thread writes without its lock:
#   scripts/tsan-loop.sh [RUNS]     (default 100; builds the preset tsan first)
# Fails on the first failed run or sanitizer report; prints the count and
# the time taken.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-100}
cmake --preset tsan >/dev/null
cmake --build --preset tsan --target tavolin_core_test tavolin_shell_test tavolin_readers_test tavolin_qt_test
programs=(tavolin_core_test tavolin_shell_test tavolin_readers_test tavolin_qt_test)
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export TSAN_OPTIONS="log_path=$reports/report:halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/sanitizers/tsan.supp"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$reports
start=$(date +%s)
for ((run = 1; run <= runs; run++)); do
  for program in "${programs[@]}"; do
    if ! build/tsan/tests/$program --gtest_brief=1 >"$reports/out" 2>&1; then
      echo "run $run: $program failed"; tail -n 40 "$reports/out"; cat "$reports"/report.* 2>/dev/null; exit 1
    fi
    if compgen -G "$reports/report.*" >/dev/null; then
      echo "run $run: $program: sanitizer report"; cat "$reports"/report.*; exit 1
    fi
  done
  (( run % 10 == 0 )) && echo "$run runs of ${#programs[@]} programs clean ($(( $(date +%s) - start )) s)"
done
echo "tsan loop: $runs runs of ${programs[*]}, no failure, no report, $(( $(date +%s) - start )) s"
