#!/usr/bin/env bash
# Runs a test program against tavolin-readersim on a real pseudo-terminal.
#   run_with_readersim.sh READERSIM TEST-PROGRAM [WINE-RUNNER]
# With WINE-RUNNER the program is a Windows one: the prefix's COM7 is
# linked to the simulator's device.
# The program finds the port, the command file and the simulator's log in
# TAVOLIN_SIM_DEVICE, TAVOLIN_SIM_COMMANDS and TAVOLIN_SIM_LOG.
set -u
readersim=$1 program=$2 wine=${3:-}
if [ ! -x "$readersim" ]; then
  echo "tavolin-readersim not found at $readersim: build the linux preset first"
  exit 77
fi
work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -rf "$work"' EXIT
: >"$work/commands"
"$readersim" --link "$work/com" --commands "$work/commands" 2>"$work/sim.log" &
sim=$!
for _ in $(seq 100); do [ -L "$work/com" ] && break; sleep 0.05; done

if [ -n "$wine" ]; then
  build_dir=$(dirname "$(dirname "$program")")
  while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != / ]; do build_dir=$(dirname "$build_dir"); done
  mkdir -p "$build_dir/wineprefix/dosdevices"
  ln -sfn "$work/com" "$build_dir/wineprefix/dosdevices/com7"
  export TAVOLIN_SIM_DEVICE='\\.\COM7'
  # wine's serial driver neither discards zero bytes nor refuses a second
  # opener as the Windows driver does; the tests leave those two out.
  export TAVOLIN_SIM_WINE=1
  export TAVOLIN_SIM_COMMANDS="Z:${work//\//\\}\\commands"
  export TAVOLIN_SIM_LOG="Z:${work//\//\\}\\sim.log"
  "$wine" "$program" --gtest_brief=1
else
  export TAVOLIN_SIM_DEVICE="$work/com"
  export TAVOLIN_SIM_COMMANDS="$work/commands"
  export TAVOLIN_SIM_LOG="$work/sim.log"
  "$program" --gtest_brief=1
fi
status=$?
[ $status -ne 0 ] && { echo "--- simulator log (tail)"; tail -n 40 "$work/sim.log"; }
exit $status
