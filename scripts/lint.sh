#!/usr/bin/env bash
# Static checks of the core: the layering, clang-tidy and cppcheck. clang knows no
# Windows-1252 execution character set, so its compile commands leave that
# flag out (what is checked does not depend on it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-layers.sh
cmake --preset linux -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build --preset linux --target tavolin_core >/dev/null
lint=build/lint
mkdir -p "$lint"
sed 's/ -fexec-charset=CP1252//g' build/linux/compile_commands.json >"$lint/compile_commands.json"
core=$(ls src/text/*.cpp src/services/*.cpp src/processing/*.cpp src/readers/*.cpp src/ui/*.cpp)
clang-tidy -p "$lint" --quiet \
  --checks='-*,bugprone-*,performance-*,-bugprone-easily-swappable-parameters,-bugprone-narrowing-conversions' \
  --warnings-as-errors='*' $core
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability --std=c++17 \
  -I src -I resources -I build/linux/src/generated src/text src/services src/processing src/readers src/ui
echo "lint: clean"
