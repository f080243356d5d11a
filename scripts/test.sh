#!/usr/bin/env bash
# Builds both editions and runs every test: the Linux edition natively, the
# Windows edition under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
status=0
for preset in linux windows; do
  echo "=== $preset edition ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
exit $status
