#!/usr/bin/env bash
# The main job: builds the Linux edition and runs tavolin-console against
# tavolin-readersim. A simulated card reader on a pseudo-terminal sends two
# cards; the console edition reads them and types them: on a machine
# without a display it prints each key event (US layout) instead.
# Then the same with a bus (Ravlink) reader, in test mode.
# Settings, lock and event log are private to this run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavolin-console tavolin-readersim >/dev/null
console=$PWD/build/linux/src/frontend/console/tavolin-console
readersim=$PWD/build/linux/tools/readersim/tavolin-readersim

work=$(mktemp -d)
sim= run=
trap '[ -n "$run" ] && kill "$run" 2>/dev/null; [ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT
export TAVOLIN_REGISTRY="$work/tavolin.reg" TAVOLIN_LOCKFILE="$work/lock" TAVOLIN_EVENTLOG="$work/events.log"
export APPDATA="$work"

reader() {  # starts a simulated reader of the kind given
  [ -n "$sim" ] && { echo quit >>"$work/commands"; wait "$sim" || true; }
  : >"$work/commands"
  rm -f "$work/com"
  "$readersim" --link "$work/com" --commands "$work/commands" "$@" 2>"$work/sim.log" &
  sim=$!
  for _ in $(seq 100); do [ -L "$work/com" ] && break; sleep 0.05; done
}
card() { echo "$*" >>"$work/commands"; sleep 1; }
section() { echo; echo "=== $*"; }

section "Settings: an active-sending reader on the simulator's port, <TAB> before and <CR> after each card"
"$console" --set "COM=$work/com" --set "Ravlink protocol=no" --set "Speed=9600" \
  --set "Read stop position=8" --set "Total reader data length=8" \
  --set "Prefix characters=<TAB>" --set "Postfix characters=<CR>"

section "tavolin-console reads two cards (12345678 and 0042ABCD) and types them"
reader --kind active
"$console" &
run=$!
sleep 1
card "text 12345678"
card "text 0042ABCD"
kill -INT "$run"; wait "$run" || true; run=

section "The same reader, test mode: readings are shown, not typed (a short burst warns)"
"$console" --test &
run=$!
sleep 1
card "text 0042ABCD"
card "text 0042"
kill -INT "$run"; wait "$run" || true; run=

section "A Ravlink bus reader: identified, then a card frame is typed"
"$console" --set "Ravlink protocol=yes" --set "Speed=19200" --set "Prefix characters=none" >/dev/null
reader --kind bus --type D --info F1 --param 12345
"$console" &
run=$!
sleep 1.5
card "frame 0;1;2;3;4;87654321*"
kill -INT "$run"; wait "$run" || true; run=

section "Event log entries of this run"
cat "$work/events.log"
