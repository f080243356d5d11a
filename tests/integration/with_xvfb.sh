#!/usr/bin/env bash
# Runs a command with an X display of its own, a private Xvfb server: wine
# makes windows only on a display. Wine programs run in the build's display
# prefix, whose desktop no display-less test has started.
#   with_xvfb.sh COMMAND ARGS...
set -u
work=$(mktemp -d)
# The server picks a free display and writes its number once it accepts
# clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 200); do [ -s "$work/display" ] && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.05; done
if ! [ -s "$work/display" ]; then
  echo "FAILED: Xvfb did not start: $(cat "$work/xvfb.log")"
  exit 1
fi
export TAVOLIN_WINE_PREFIX_NAME=wineprefix-display
DISPLAY=:$(cat "$work/display") "$@"
