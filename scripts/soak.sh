#!/usr/bin/env bash
# Builds the console edition and the reader simulator and runs the long
# soak: 10 000 readings through the bus reader and 10 000 through the
# active-sending reader, bursts 250 ms apart (about 45 minutes). Each
# reading must be typed once and logged once, the data log rolling over
# every 2000 lines, and resident memory must stay flat.
#   scripts/soak.sh [BUS-READINGS [ACTIVE-READINGS [GAP-MS]]]
# On a busy machine give a larger gap (300): a reading thread that comes
# late to the port joins two bursts that are only 50 ms more than the
# 200 ms end of a burst apart.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavolin-console tavolin-readersim
TAVOLIN_SOAK_ONLY=1 tests/integration/console_faults.sh build/linux/src/frontend/console/tavolin-console \
  build/linux/tools/readersim/tavolin-readersim "${1:-10000}" "${2:-10000}" "${3:-250}"
