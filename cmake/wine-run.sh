#!/usr/bin/env bash
# Runs a Windows program under wine with a private prefix in the build tree.
#   wine-run.sh PROGRAM ARGS...   or   wine-run.sh --init  (only make the prefix)
# The prefix is made on first use, under a lock, so that tests started in
# parallel do not race to create it; the tests make it first of all.
set -eu
build_dir=${TAVOLIN_WINE_BUILD_DIR:-$PWD}
while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != / ]; do
  build_dir=$(dirname "$build_dir")
done
[ "$build_dir" = / ] && build_dir=$PWD
# Programs that make windows run in a prefix of their own
# (TAVOLIN_WINE_PREFIX_NAME=wineprefix-display): a prefix's desktop belongs
# to the display its first program had, and the console tests have none.
prefix_name=${TAVOLIN_WINE_PREFIX_NAME:-wineprefix}
export WINEPREFIX="$build_dir/$prefix_name"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 </dev/null 9>&- || true
    wineserver --wait >/dev/null 2>&1 || true
  fi
  # Wine has no "Courier New" of its own: Liberation Mono (fonts-liberation)
  # has its metrics, so the fixed-pitch fields are as wide as on Windows.
  # ("MS Sans Serif" and "Tahoma", the dialogs' fonts, are Wine's own,
  # from fonts-wine.)
  if [ -f "$WINEPREFIX/system.reg" ] && ! grep -q '^"Courier New"="Liberation Mono"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" /d "Liberation Mono" /f \
      >/dev/null 2>&1 </dev/null 9>&- || true
  fi
) 9>"$build_dir/$prefix_name.lock"
if [ "${1:-}" = --init ]; then
  [ -f "$WINEPREFIX/system.reg" ] && echo "wine prefix ready: $WINEPREFIX" && exit 0
  echo "the wine prefix could not be made"
  exit 1
fi
exec wine "$@"
