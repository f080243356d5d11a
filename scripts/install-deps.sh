#!/usr/bin/env bash
# Installs the Debian packages a job needs, only those that are missing.
# Runs as root, or through sudo.
#   install-deps.sh          everything: both editions and all tests
#   install-deps.sh linux    the Linux edition and its tests
#   install-deps.sh run      only what building and running the console edition needs (the demo)
#   install-deps.sh windowed the same and Qt 6, for the windowed edition (the demo on a display)
#   install-deps.sh images   the tools of scripts/make-images.sh and scripts/screenshots.sh (the images are committed)
#   install-deps.sh screenshots  what the Qt edition's part of scripts/screenshots.sh needs besides the build
#   install-deps.sh packages the build of both editions and the packaging tools (scripts/package.sh)
set -euo pipefail

job=${1:-all}
if [ "$job" = images ]; then
  packages=(librsvg2-bin imagemagick)
else
  packages=(
    cmake ninja-build g++ pkg-config
    libcanberra-dev libxkbcommon-dev libxkbcommon-x11-dev libx11-dev libx11-xcb-dev libxtst-dev xkb-data
  )
fi
if [ "$job" = windowed ]; then
  packages+=(qt6-base-dev qt6-translations-l10n)
elif [ "$job" = screenshots ]; then
  # The windows on a virtual display, framed by a window manager, captured.
  packages+=(qt6-base-dev qt6-translations-l10n xvfb openbox trayer xdotool imagemagick)
elif [ "$job" != run ] && [ "$job" != images ]; then
  # Qt 6 for the windowed programs tavolin_en and tavolin_de; without it the
  # build leaves them out (the demo builds only the console edition).
  packages+=(
    googletest libgtest-dev libgmock-dev libbenchmark-dev socat
    xvfb x11-xkb-utils x11-utils tigervnc-standalone-server
    qt6-base-dev qt6-translations-l10n desktop-file-utils xdotool xclip dbus-daemon
    # The help files' check reads the .mht documents with Python's MIME parser.
    python3
    # The sanitized builds and the fuzz targets: clang 14 with its runtimes
    # (AddressSanitizer, ThreadSanitizer, libFuzzer) and llvm-symbolizer.
    clang libclang-rt-14-dev llvm
  )
fi
if [ "$job" = all ] || [ "$job" = packages ]; then
  # The Windows edition; its installer (makensis), the Debian package's
  # dependencies (dpkg-shlibdeps).
  packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nsis dpkg-dev)
fi
if [ "$job" = all ]; then
  # The tests under wine; the package tests (lintian, systemd-analyze, strace).
  # Wine's own fonts (fonts-wine: "MS Sans Serif", "Tahoma" for "MS Shell
  # Dlg") and Liberation Mono, with the metrics of "Courier New", which the
  # wine prefix puts in its place (cmake/wine-run.sh): the windows under
  # wine are as wide as on Windows.
  packages+=(wine wine64 fonts-wine fonts-liberation lintian systemd strace)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
