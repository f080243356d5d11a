#!/usr/bin/env bash
# The console edition of the Windows edition under wine, with COM8 linked
# to the reader simulator: the settings options, a burst typed as key
# events, readings read whole and in time through a pipe, and the reader
# vanishing.
#   console_wine.sh TAVOLIN-CONSOLE.EXE TAVOLIN-READERSIM WINE-RUNNER
set -u
console=$1 readersim=$2 wine=$3
if [ ! -x "$readersim" ]; then
  echo "tavolin-readersim not found at $readersim: build the linux preset first"
  exit 77
fi
work=$(mktemp -d)
sim= run=
trap '[ -n "$run" ] && kill "$run" 2>/dev/null; [ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  for f in out err sim.log; do echo "--- $f"; tail -n 30 "$work/$f" 2>/dev/null; done
  exit 1
}
wait_for() { for _ in $(seq 400); do grep -q -- "$2" "$work/$1" 2>/dev/null && return 0; sleep 0.05; done; return 1; }

build_dir=$(dirname "$console")
while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != / ]; do build_dir=$(dirname "$build_dir"); done
source "$(dirname "$0")/../../tools/readersim/readersim.bash"
source "$(dirname "$0")/readings_on_a_pipe.bash"
send() { echo "$*" >>"$work/commands"; }
readersim_start "$readersim" --kind active
mkdir -p "$build_dir/wineprefix/dosdevices"
ln -sfn "$work/com" "$build_dir/wineprefix/dosdevices/com8"

# The settings go to the prefix's registry.
"$wine" "$console" --set "Speed=9601" 2>"$work/err" && fail "--set accepted a speed not offered"
grep -q '"Speed" allows one of' "$work/err" || fail "no clear message for a speed not offered"
for setting in "COM=8" "Ravlink protocol=no" "Speed=9600" "Read stop position=3" "Total reader data length=3" \
  "Postfix characters=<TAB>"; do
  "$wine" "$console" --set "$setting" >/dev/null || fail "--set $setting"
done
"$wine" "$console" --show-settings | tr -d '\r' >"$work/out"
[ "$(wc -l <"$work/out")" = 27 ] || fail "--show-settings does not print 27 values"
grep -qx "COM=8" "$work/out" || fail "--show-settings shows COM=8"

"$wine" "$console" --keyboard=print >"$work/out" 2>"$work/err" &
run=$!
wait_for out "Reading from COM8 is active" || fail "reading did not start"
echo "text 9a0" >>"$work/commands"
wait_for out "up 0x09 0x0f" || fail "no keys typed"
expected="down 0x39 0x0a
up 0x39 0x0a
down 0x41 0x1e
up 0x41 0x1e
down 0x30 0x0b
up 0x30 0x0b
down 0x09 0x0f
up 0x09 0x0f"
[ "$(tr -d '\r' <"$work/out" | grep -E '^(down|up) ')" = "$expected" ] || fail "key events differ"
tr -d '\r' <"$work/out" | grep -qx "Typed: 9a0<TAB>" || fail "typed line"
kill "$run"; wait "$run"; run=

readings_on_a_pipe 20 3 "<TAB>" "$wine" "$console"

"$wine" "$console" --keyboard=print >"$work/out" 2>"$work/err" &
run=$!
wait_for out "Reading from COM8 is active" || fail "reading did not start again"

echo "hangup" >>"$work/commands"
wait "$run"; status=$?
run=
[ $status = 4 ] || fail "vanished reader: exit code $status"
grep -q "Communication error with reader at \\\\\\\\.\\\\COM8." "$work/err" || fail "watchdog message"
echo "console under wine: all checks passed"
