#!/usr/bin/env bash
# Runs a Windows program under wine with a private prefix in the build tree.
# The prefix is made on first use, under a lock, so that tests started in
# parallel do not race to create it.
set -eu
build_dir=${TAVOLIN_WINE_BUILD_DIR:-$PWD}
while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != / ]; do
  build_dir=$(dirname "$build_dir")
done
[ "$build_dir" = / ] && build_dir=$PWD
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot --init >/dev/null 2>&1 || true
      wineserver --wait || true
    fi
  ) 9>"$build_dir/wineprefix.lock"
fi
exec wine "$@"
