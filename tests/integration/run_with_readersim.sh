#!/usr/bin/env bash
# Runs a test program against tavolin-readersim on a pseudo-terminal (a
# Windows one with WINE-RUNNER, the prefix's COM7 linked to it), naming the
# port, command file and log in TAVOLIN_SIM_DEVICE, _COMMANDS and _LOG.
#   run_with_readersim.sh READERSIM TEST-PROGRAM [WINE-RUNNER]
readersim=$1 program=$2 wine=${3:-}
source "$(dirname "$0")/lib.bash"
need_readersim "$readersim"
readersim_start "$readersim"
export TAVOLIN_SIM_DEVICE=$work/com TAVOLIN_SIM_COMMANDS=$work/commands TAVOLIN_SIM_LOG=$work/sim.log
if [ -n "$wine" ]; then
  wine_prefix "$program"
  wine_com 7
  # wine's serial driver neither discards zero bytes nor refuses a second
  # opener as the Windows driver does; the tests leave those two out.
  export TAVOLIN_SIM_DEVICE='\\.\COM7' TAVOLIN_SIM_WINE=1
  TAVOLIN_SIM_COMMANDS="Z:${work//\//\\}\\commands" TAVOLIN_SIM_LOG="Z:${work//\//\\}\\sim.log"
fi
${wine:+"$wine"} "$program" --gtest_brief=1 || { status=$?; echo "--- simulator log (tail)"; tail -n 40 "$work/sim.log"; exit $status; }
