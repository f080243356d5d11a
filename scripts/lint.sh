#!/usr/bin/env bash
# Static checks of the core: the layering, clang-tidy and cppcheck.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-layers.sh
scripts/check-ascii.sh
cmake --preset linux -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build --preset linux --target tavolin_core >/dev/null
core=$(ls src/text/*.cpp src/services/*.cpp src/processing/*.cpp src/readers/*.cpp src/ui/*.cpp)
clang-tidy -p build/linux --quiet \
  --checks='-*,bugprone-*,performance-*,-bugprone-easily-swappable-parameters,-bugprone-narrowing-conversions' \
  --warnings-as-errors='*' $core
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability --std=c++17 \
  -I src -I resources -I build/linux/src/generated src/text src/services src/processing src/readers src/ui
echo "lint: clean"
