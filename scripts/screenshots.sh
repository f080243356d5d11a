#!/usr/bin/env bash
# Takes the pictures of docs/screenshots again: every window of the program,
# in both languages, taken by the window tests while they drive the programs
# (SCREENSHOT_DIR). The pictures are committed; run this after changing a
# window.
#   screenshots.sh [EDITION...]    windows (the default: all editions)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$root/docs/screenshots
mkdir -p "$out"
scripts/install-deps.sh
scripts/install-deps.sh images # ImageMagick's import takes the pictures

# The Windows edition under wine (win-*.png), against the reader simulator
# of the Linux build.
windows() {
  cmake --preset linux
  cmake --build --preset linux --target tavolin-readersim
  cmake --preset windows
  cmake --build --preset windows --target tavolin_en tavolin_de tavolin-console tavolin-uidriver
  SCREENSHOT_DIR=$out ctest --preset windows -R '^tavolin_windows_ui$'
}

editions=("$@")
[ ${#editions[@]} -gt 0 ] || editions=(windows)
for edition in "${editions[@]}"; do
  case $edition in
    windows) windows ;;
    *)
      echo "usage: screenshots.sh [windows]..."
      exit 2
      ;;
  esac
done
ls -l "$out"
