#!/usr/bin/env bash
# Runs a command with an X display of its own, a private Xvfb server: wine
# makes windows only on a display. Wine programs run in the build's display
# prefix, whose desktop no display-less test has started.
#   with_xvfb.sh COMMAND ARGS...
source "$(dirname "$0")/lib.bash"
start_x Xvfb -screen 0 1280x1024x24 -nolisten tcp
TAVOLIN_WINE_PREFIX_NAME=wineprefix-display "$@"
