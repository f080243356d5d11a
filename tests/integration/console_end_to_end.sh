#!/usr/bin/env bash
# The console edition against the reader simulator on a pseudo-terminal:
# readings typed as key events, the bus reader, test mode, a second
# instance, the installation check, the settings options, and the reader
# vanishing.
#   console_end_to_end.sh TAVOLIN-CONSOLE TAVOLIN-READERSIM TAVOLIN-DEMO
set -u
console=$1 readersim=$2 demo=$3
work=$(mktemp -d)
sim= run=
trap '[ -n "$run" ] && kill "$run" 2>/dev/null; [ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT
export TAVOLIN_REGISTRY="$work/tavolin.reg" TAVOLIN_LOCKFILE="$work/lock" TAVOLIN_EVENTLOG="$work/events.log"
export APPDATA="$work/appdata"
mkdir -p "$APPDATA"
unset DISPLAY WAYLAND_DISPLAY
fail() {
  echo "FAILED: $*"
  for f in out err events.log sim.log; do echo "--- $f"; tail -n 30 "$work/$f" 2>/dev/null; done
  exit 1
}
# Waits up to 10 s for a line matching the pattern in the file.
wait_for() { for _ in $(seq 200); do grep -q -- "$2" "$work/$1" 2>/dev/null && return 0; sleep 0.05; done; return 1; }
source "$(dirname "$0")/../../tools/readersim/readersim.bash"
source "$(dirname "$0")/readings_on_a_pipe.bash"
start_console() {
  # Emptied here, not by the background child: a wait must not find the
  # last run's lines.
  : >"$work/out"
  : >"$work/err"
  "$console" "$@" >>"$work/out" 2>>"$work/err" &
  run=$!
}
stop_console() {
  kill -"${1:-INT}" "$run"
  wait "$run"; status=$?
  run=
}
send() { echo "$*" >>"$work/commands"; }

# Showing writes nothing: on a fresh machine the defaults are shown, and
# the store is not made.
[ "$("$console" --show-settings | wc -l)" = 27 ] || fail "--show-settings on a fresh machine"
[ ! -e "$TAVOLIN_REGISTRY" ] || fail "--show-settings wrote the settings"

# Settings: checked against what each setting allows, saved in the store.
"$console" --set "COM=$work/com" >/dev/null || fail "--set COM"
"$console" --set "Ravlink protocol=no" --set "Read stop position=4" --set "Total reader data length=4" \
  --set "Postfix characters=<CR>" >/dev/null || fail "--set card layout"
# Several values: each checked first, then all saved or none.
"$console" --set "Parity=odd" --set "Speed=9601" 2>"$work/err"; status=$?
[ $status = 6 ] || fail "--set with a speed not offered: exit code $status"
grep -q '"Speed" allows one of "300", "1200"' "$work/err" || fail "no clear message for a speed not offered"
grep -q '"Speed"="19200"' "$TAVOLIN_REGISTRY" && grep -q '"Parity"="none"' "$TAVOLIN_REGISTRY" \
  || fail "a refused value let the store change"
"$console" --set "No such thing=1" 2>"$work/err" && fail "--set accepted an unknown setting"
grep -q -- "--show-settings lists the settings" "$work/err" || fail "an unknown name does not point at --show-settings"
[ "$("$console" --version)" = "Elvor Tavolin Version 2.10.00" ] || fail "--version"
[ "$("$readersim" --version)" = "tavolin-readersim, Elvor Tavolin Version 2.10.00" ] || fail "readersim --version"
"$console" --set "Read start position=9" >/dev/null 2>"$work/err" || fail "--set start behind stop"
grep -q "do not fit together now" "$work/err" || fail "an implausible layout is not pointed out"
"$console" --set "Read start position=1" >/dev/null 2>"$work/err" || fail "--set start"
[ -s "$work/err" ] && fail "a plausible layout is called implausible: $(cat "$work/err")"
[ "$("$console" --show-settings | wc -l)" = 27 ] || fail "--show-settings does not print 27 values"
"$console" --show-settings | grep -qx "Read stop position=4" || fail "--show-settings"
"$console" -e --test 2>/dev/null; [ $? = 2 ] || fail "-e with other options is not refused"
if [ "$(id -u)" = 0 ]; then
  # A user who may not write the store changes nothing and is told so.
  chmod 755 "$work"
  setpriv --reuid=65534 --regid=65534 --clear-groups "$console" --set "Speed=4800" 2>"$work/err" \
    && fail "--set without write access succeeded"
  grep -q "cannot be written" "$work/err" || fail "no message without write access"
  grep -q '"Speed"="19200"' "$TAVOLIN_REGISTRY" || fail "the store changed without write access"
fi

# An active reader whose device comes 5 s after the program (a USB adapter
# late at boot): it is looked for and read once there; a burst becomes key
# events (US layout, print keyboard).
rm -f "$work/com"
start_console --keyboard=print
wait_for err "waiting for the reader's device $work/com; it is looked for every 2 seconds." \
  || fail "an absent reader is not waited for"
sleep 5
readersim_start "$readersim" --kind active
wait_for out "is active" || fail "reading did not start when the reader's device came"
grep -q "the reader's device $work/com is there; reading starts." "$work/err" || fail "the reader's coming is not said"
grep -qx "Reading from $work/com is active" "$work/out" || fail "state line"
grep -qx "Reader type: active sending" "$work/out" || fail "reader line"
send "text 12Ab"
wait_for out "up 0x0d 0x1c" || fail "no keys typed"
expected="down 0x31 0x02
up 0x31 0x02
down 0x32 0x03
up 0x32 0x03
down 0x10 0x2a
down 0x41 0x1e
up 0x41 0x1e
up 0x10 0x2a
down 0x42 0x30
up 0x42 0x30
down 0x0d 0x1c
up 0x0d 0x1c"
[ "$(grep -E '^(down|up) ' "$work/out")" = "$expected" ] || fail "key events differ"
grep -qx "Typed: 12Ab<CR>" "$work/out" || fail "typed line"
# A reading's lines come as one block: the count, the keys, what they typed.
[ "$(grep -B1 -m1 '^down ' "$work/out" | head -n 1)" = "Count of readings: 1" ] || fail "count line not before the keys"
# The demo shows what the stored settings type, --set changing them for
# this one run.
[ "$("$demo" 12Ab | tail -n 1)" = "Typed: 12Ab<CR>" ] || fail "the demo does not use the stored settings"
[ "$("$demo" --set "Postfix characters=<TAB>" 12Ab | tail -n 1)" = "Typed: 12Ab<TAB>" ] || fail "demo --set"
"$demo" --set "Read stop position=abc" 12Ab 2>"$work/demo.err" && fail "the demo accepted a stop position abc"
grep -q '"Read stop position" allows' "$work/demo.err" || fail "the demo does not check --set"

# A --set while the program runs is saved, and the user is told when it
# takes effect.
"$console" --set "Postfix characters=<CR>" >/dev/null 2>"$work/set.err" || fail "--set while running"
grep -q "uses the new values after a restart" "$work/set.err" || fail "--set while running says nothing"

# A second instance is refused while the first runs.
"$console" --keyboard=print >"$work/second.out" 2>"$work/second.err"; status=$?
[ $status = 1 ] || fail "second instance: exit code $status"
grep -qx "Elvor Tavolin is already running, therefore this Elvor Tavolin ends." "$work/second.err" \
  || fail "second instance message"
grep -q '^warning \[5\] Elvor Tavolin (Version 2.10.00) is already running' "$TAVOLIN_EVENTLOG" || fail "entry 5"

stop_console INT
[ $status = 0 ] || fail "SIGINT: exit code $status"

# A consumer on a pipe sees every reading whole and in time.
readings_on_a_pipe 20 4 "<CR>" "$console"

# Test mode: the reading is shown, not typed, with a warning for a short burst.
start_console --keyboard=print --test
wait_for out "is active" || fail "test mode: reading did not start"
send "text 12"
wait_for out "Total length:" || fail "test mode: no reading shown"
[ "$(grep -A3 "^Card data: '12'" "$work/out")" = "Card data: '12' Length 1: 2
Total length: 4 byte
Warning: Reading length of 4 byte expected. Received bytes: 2!
Count of readings: 1" ] || fail "test mode's lines: $(cat "$work/out")"
grep -qE '^(down|up) ' "$work/out" && fail "test mode typed keys"
stop_console TERM
[ $status = 0 ] || fail "SIGTERM: exit code $status"

# Without a keyboard to type with (no display, no /dev/uinput) the readings
# are said not to be typed.
if [ ! -e /dev/uinput ]; then
  start_console --keyboard=native
  wait_for out "is active" || fail "no keyboard: reading did not start"
  send "text 5678"
  wait_for out "^Not typed: 5678<CR>" || fail "a reading without a keyboard: $(cat "$work/out")"
  grep -q "^Typed:" "$work/out" && fail "a reading without a keyboard is said to be typed"
  grep -q 'Readings are read and counted, not typed' "$work/err" || fail "no keyboard: nothing said"
  stop_console INT
fi

# A closed terminal (SIGHUP) ends it as the Exit button does. The trace,
# the data log and the event log hold card numbers: their owner's alone,
# whatever the umask.
umask 022
mkdir "$APPDATA/TavolinLog"
: >"$APPDATA/TavolinTrace.txt"
chmod 644 "$APPDATA/TavolinTrace.txt"
start_console --keyboard=print
wait_for out "is active" || fail "hangup: reading did not start"
send "text 1234"
wait_for out "Typed: 1234" || fail "hangup: nothing typed"
stop_console HUP
[ $status = 0 ] || fail "SIGHUP: exit code $status"
grep -q "CKelvaneDlg::OnCancel()" "$APPDATA/TavolinTrace.txt" || fail "SIGHUP does not end as Exit does"
grep -q "data: 1234" "$APPDATA"/TavolinLog/Datalog*-01.txt || fail "no data log"
for f in "$APPDATA/TavolinTrace.txt" "$APPDATA"/TavolinLog/Datalog*-01.txt "$TAVOLIN_EVENTLOG"; do
  [ "$(stat -c %a "$f")" = 600 ] || fail "$f is $(stat -c %A "$f"), not the owner's alone"
done
rm -r "$APPDATA/TavolinLog"
# A link planted at the trace's name is refused, never written through.
echo "untouched" >"$work/victim"
ln -sf "$work/victim" "$APPDATA/TavolinTrace.txt"
"$console" -e >"$work/out" 2>"$work/err"
[ "$(cat "$work/victim")" = untouched ] || fail "the trace was written through a link"
grep -q "TavolinTrace.txt is not written: it is a symbolic link, not a plain file." "$work/err" \
  || fail "the refused trace link is not reported"
rm "$APPDATA/TavolinTrace.txt"

# The buttons as commands on standard input.
mkfifo "$work/input"
"$console" --keyboard=print <"$work/input" >"$work/out" 2>"$work/err" &
run=$!
exec 7>"$work/input"
wait_for out "is active" || fail "commands: reading did not start"
echo "start" >&7
wait_for err '"Restart reading" is not available now.' || fail "a disabled button ran"
echo "test on" >&7
wait_for out "Test mode is on: readings are shown, not typed." || fail "test on says nothing"
send "text 1234"
wait_for out "Card data: '1234' Length 1: 4" || fail "test on: reading not shown"
echo "stop" >&7
wait_for out "is not active" || fail "stop"
echo "start" >&7
wait_for out "Count of readings" || true
[ "$(grep -c " is active$" "$work/out")" = 2 ] || fail "start after stop"
[ "$(grep -c "^Test mode is off: readings are typed.$" "$work/out")" = 1 ] || fail "start does not say test mode is off"
echo "nonsense" >&7
wait_for err 'Unknown command "nonsense"' || fail "unknown command"
echo "exit" >&7
wait "$run"; status=$?
run=
exec 7>&-
[ $status = 0 ] || fail "exit command: exit code $status"

# The installation check with a free port ends after its message.
"$console" -e >"$work/out" 2>"$work/err"; status=$?
[ $status = 0 ] || fail "-e with a free port: exit code $status"
grep -q "^Default settings ok: Thread reading from $work/com is started." "$work/err" || fail "-e message"

# Ports that cannot be read: the installation check ends with a code of
# its own; a plain file is no serial device, said in its own sentence.
: >"$work/plain"
"$console" --set "COM=$work/plain" >/dev/null
"$console" -e >"$work/out" 2>"$work/err"; status=$?
[ $status = 5 ] || fail "-e without reading: exit code $status"
grep -qx "Process reading from $work/plain could not be started. $work/plain is not a serial device." "$work/err" \
  || fail "a plain file as port"
"$console" --set "COM=7" >/dev/null
"$console" -e >"$work/out" 2>"$work/err"
grep -q "^Process reading from COM7 (/dev/ttyS6) could not be started." "$work/err" || fail "a numbered port names its device"
"$console" --set "COM=$work/com" >/dev/null

# A bus reader is identified and its frames are typed.
"$console" --set "Ravlink protocol=yes" --set "Speed=19200" --set "Postfix characters=none" >/dev/null
readersim_start "$readersim" --kind bus --type F --info "Mifare DESFire EV1" --param 4711
start_console --keyboard=print
wait_for out "Parameterization" || fail "bus reader not identified"
grep -q "Mifare DESFire EV1 Parameterization 4711$" "$work/out" || fail "reader information"
send "frame 0;1;2;3;4;9876*"
wait_for out "up 0x36 0x07" || fail "bus frame not typed"
[ "$(grep -E '^down ' "$work/out" | cut -d' ' -f2 | tr '\n' ' ')" = "0x39 0x38 0x37 0x36 " ] || fail "bus keys"

# The reader vanishes: the watchdog reports it and ends with exit code 4.
send "hangup"
wait "$run"; status=$?
run=
[ $status = 4 ] || fail "vanished reader: exit code $status"
grep -q "^Communication error with reader at $work/com." "$work/err" || fail "watchdog message"
grep -q "^error \[10\] Elvor Tavolin (Version 2.10.00) ends. Reason: reading thread failed to communicate with $work/com" \
  "$TAVOLIN_EVENTLOG" || fail "entry 10"
echo "console end to end: all checks passed"
