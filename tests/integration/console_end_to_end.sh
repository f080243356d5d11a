#!/usr/bin/env bash
# The console edition against the reader simulator on a pseudo-terminal, or
# (--wine) the Windows edition's with COM8 linked to it; the scenarios after
# the pipe's are the Linux edition's alone.
#   console_end_to_end.sh TAVOLIN-CONSOLE TAVOLIN-READERSIM [TAVOLIN-DEMO | --wine WINE-RUNNER]
console=$1 readersim=$2 demo=${3:-} wine=
[ "$demo" = --wine ] && wine=$4 demo=
source "$(dirname "$0")/lib.bash"
need_readersim "$readersim"
private_paths
logs=(out err events.log sim.log)
com=$work/com port=$work/com reader=$work/com tavolin=("$console")
if [ -n "$wine" ]; then
  wine_prefix "$console"
  wine_com 8
  com=8 port=COM8 reader='\\\\.\\COM8' deadline=20 tavolin=("$wine" "$console")
fi
# (Emptied here, not by the child: a wait must not find the last run's lines.)
start_console() { : >"$work/out"; : >"$work/err"; spawn run "${tavolin[@]}" "$@" >>"$work/out" 2>>"$work/err"; }
# OPTIONS... CARD: a run that reads, and the reader sends CARD.
read_card() { start_console "${@:1:$#-1}"; wait_for out "is active"; send "text ${*: -1}"; }
con() { "${tavolin[@]}" "$@" >"$work/out" 2>"$work/err"; }
unchanged() { con --show-settings; cmp -s "$work/out" "$work/settings" || fail "the store changed"; }

# Showing writes nothing: on a fresh machine the defaults, and no store.
[ -n "$wine" ] || { [ "$("$console" --show-settings | wc -l)" = 27 ] && [ ! -e "$TAVOLIN_REGISTRY" ]; } ||
  fail "--show-settings on a fresh machine"
# Settings are checked against what each allows; of several, all or none saved.
settings "COM=$com" "Ravlink protocol=no" "Speed=9600" "Read stop position=4" "Total reader data length=4" \
  "Postfix characters=<CR>"
con --show-settings && cp "$work/out" "$work/settings"
[ "$(wc -l <"$work/out")" = 27 ] || fail "--show-settings does not print 27 values"
has out "^COM=$com$" "^Read stop position=4$"
exits 6 con --set "Parity=odd" --set "Speed=9601"
has err '"Speed" allows one of "300", "1200"'
unchanged
if [ -z "$wine" ]; then
  con --set "No such thing=1" && fail "--set accepted an unknown setting"
  has err "--show-settings lists the settings"
  [ "$("$console" --version)" = "Elvor Tavolin Version 2.10.00" ] || fail "--version"
  [ "$("$readersim" --version)" = "tavolin-readersim, Elvor Tavolin Version 2.10.00" ] || fail "readersim --version"
  exits 0 con --set "Read start position=9"
  has err "do not fit together now"
  exits 0 con --set "Read start position=1"
  [ -s "$work/err" ] && fail "a plausible layout is called implausible: $(cat "$work/err")"
  exits 2 con -e --test
  if [ "$(id -u)" = 0 ]; then
    # A user who may not write the store changes nothing and is told so.
    chmod 755 "$work"
    setpriv --reuid=65534 --regid=65534 --clear-groups "$console" --set "Speed=4800" 2>"$work/err" &&
      fail "--set without write access succeeded"
    has err "cannot be written"
    unchanged
  fi
  # A reader whose device comes 5 s after the program is looked for, then read.
  rm -f "$work/com"
  start_console --keyboard=print
  wait_for err "waiting for the reader's device $work/com; it is looked for every 2 seconds."
  sleep 5
fi
readersim_start "$readersim" --kind active
[ -z "$wine" ] || start_console --keyboard=print
wait_for out "is active"
[ -n "$wine" ] || has err "the reader's device $work/com is there; reading starts."
# A burst becomes key events (US layout) in one block: count, keys, typed line.
has out "^Reading from $port is active$" "^Reader type: active sending$"
send "text 12Ab"
wait_for out "up 0x0d 0x1c"
[ "$(lines out | grep -E '^(down|up) ' | paste -sd' ')" = "down 0x31 0x02 up 0x31 0x02 down 0x32 0x03 up 0x32 0x03 \
down 0x10 0x2a down 0x41 0x1e up 0x41 0x1e up 0x10 0x2a down 0x42 0x30 up 0x42 0x30 down 0x0d 0x1c up 0x0d 0x1c" ] ||
  fail "key events differ"
has out "^Typed: 12Ab<CR>$"
[ "$(lines out | grep -B1 -m1 '^down ' | head -n 1)" = "Count of readings: 1" ] || fail "count line not before the keys"
if [ -z "$wine" ]; then
  # The demo types as the stored settings say, and checks what --set gives it.
  [ "$("$demo" 12Ab | tail -n 1)" = "Typed: 12Ab<CR>" ] || fail "the demo does not use the stored settings"
  "$demo" --set "Read stop position=abc" 12Ab 2>"$work/demo.err" && fail "the demo accepted a stop position abc"
  has demo.err '"Read stop position" allows'
  # A --set while it runs takes effect after a restart; a second one is refused.
  settings "Postfix characters=<CR>"
  has set.err "uses the new values after a restart"
  exits 1 "$console" --keyboard=print >"$work/second.out" 2>"$work/second.err"
  has second.err "^Elvor Tavolin is already running, therefore this Elvor Tavolin ends.$"
fi
if [ -n "$wine" ]; then stop run; else stop run INT 0; fi
# A consumer on a pipe gets each reading whole before the next; a hang-up ends it.
mkfifo "$work/pipe"
consume() { while IFS= read -r line; do printf '%s\n' "${line%$'\r'}"; done <"$work/pipe" >"$work/piped"; }
spawn consumer consume
spawn run "${tavolin[@]}" --keyboard=print >"$work/pipe" 2>"$work/err"
wait_for piped "is active"
RANDOM=7 alphabet=0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz downs=0
for i in $(seq 20); do
  card=
  while [ ${#card} -lt 4 ]; do card+=${alphabet:$((RANDOM % ${#alphabet})):1}; done
  upper=${card//[^A-Z]/}
  downs=$((downs + 4 + ${#upper} + 1))  # SHIFT with each capital, one key after the card
  send "text $card"
  wait_for piped "^Typed: $card<CR>\$"
done
send hangup
reap run 4
reap consumer
has err "^Communication error with reader at $reader."
torn=$(grep -vxE '(down|up) 0x[0-9a-f]{2} 0x[0-9a-f]{2}|Typed: .*|Count of readings: [0-9]+|Reading from .* is (not )?active|Reader type: active sending' \
  "$work/piped")
[ -z "$torn" ] || fail "pipe: lines torn apart: $torn"
[ "$(grep -c '^Typed: ' "$work/piped")" = 20 ] || fail "pipe: not every reading typed once"
[ "$(grep -c '^Count of readings: ' "$work/piped")" = 20 ] || fail "pipe: not every reading counted"
[ "$(grep -c '^down ' "$work/piped")" = "$downs" ] || fail "pipe: key events lost or added"
[ -n "$wine" ] && { echo "console end to end under wine: all checks passed"; exit; }
readersim_start "$readersim" --kind active
# Test mode shows the reading (a short burst warned of); SIGTERM ends it normally.
read_card --keyboard=print --test 12
wait_for out "Total length:"
[ "$(grep -A3 "^Card data: '12'" "$work/out")" = "Card data: '12' Length 1: 2
Total length: 4 byte
Warning: Reading length of 4 byte expected. Received bytes: 2!
Count of readings: 1" ] || fail "test mode's lines: $(cat "$work/out")"
lacks out '^\(down\|up\) '
stop run TERM 0
# Without a keyboard (no display, no /dev/uinput) readings are not typed.
if [ ! -e /dev/uinput ]; then
  read_card --keyboard=native 5678
  wait_for out "^Not typed: 5678<CR>"
  lacks out "^Typed:"
  has err 'Readings are read and counted, not typed'
  stop run INT
fi
# A closed terminal (SIGHUP) ends it as Exit does. The trace, data log and
# event log hold card numbers: their owner's alone, whatever the umask.
umask 022
trace=$APPDATA/TavolinTrace.txt
mkdir "$APPDATA/TavolinLog"
install -m 644 /dev/null "$trace"
read_card --keyboard=print 1234
wait_for out "Typed: 1234"
stop run HUP 0
has "$trace" "CKelvaneDlg::OnCancel()"
has "$APPDATA"/TavolinLog/Datalog*-01.txt "data: 1234"
for f in "$trace" "$APPDATA"/TavolinLog/Datalog*-01.txt "$TAVOLIN_EVENTLOG"; do
  [ "$(stat -c %a "$f")" = 600 ] || fail "$f is $(stat -c %A "$f"), not the owner's alone"
done
rm -r "$APPDATA/TavolinLog"
# A link planted at the trace's name is refused, never written through.
echo "untouched" >"$work/victim"
ln -sf "$work/victim" "$trace"
con -e
[ "$(cat "$work/victim")" = untouched ] || fail "the trace was written through a link"
has err "TavolinTrace.txt is not written: it is a symbolic link, not a plain file."
rm "$trace"
# The buttons as commands on standard input (a disabled one refused, an
# unknown one named); start after stop says that test mode is off.
mkfifo "$work/input"
input=$work/input spawn run "$console" --keyboard=print >"$work/out" 2>"$work/err"
exec 7>"$work/input"
wait_for out "is active"
for step in 'start|err|"Restart reading" is not available now.' 'test on|out|Test mode is on: readings are shown, not typed.' \
  "text 1234|out|Card data: '1234' Length 1: 4" 'stop|out|is not active' 'nonsense|err|Unknown command "nonsense"'; do
  IFS='|' read -r command file line <<<"$step"
  if [ "$command" = "text 1234" ]; then send "$command"; else echo "$command" >&7; fi
  wait_for "$file" "$line"
done
echo "start" >&7
wait_for out "Count of readings" 10
[ "$(grep -c " is active$" "$work/out")" = 2 ] || fail "start after stop"
[ "$(grep -c "^Test mode is off: readings are typed.$" "$work/out")" = 1 ] || fail "start does not say test mode is off"
echo "exit" >&7
reap run 0
exec 7>&-
# The installation check: ports that cannot be read, a code of their own (a
# plain file is no serial device, a number names its device); a free port.
plain=$work/plain && : >"$plain"
for row in "$plain|5|^Process reading from $plain could not be started. $plain is not a serial device.$" \
  "7|5|^Process reading from COM7 (/dev/ttyS6) could not be started." \
  "$work/com|0|^Default settings ok: Thread reading from $work/com is started."; do
  IFS='|' read -r device code line <<<"$row"
  settings "COM=$device"
  exits "$code" con -e
  has err "$line"
done
# A bus reader is identified and its frames are typed (its vanishing is console_faults.sh's).
settings "Ravlink protocol=yes" "Speed=19200" "Postfix characters=none"
readersim_start "$readersim" --kind bus --type F --info "Mifare DESFire EV1" --param 4711
start_console --keyboard=print
wait_for out "Mifare DESFire EV1 Parameterization 4711$"
send "frame 0;1;2;3;4;9876*"
wait_for out "up 0x36 0x07"
[ "$(grep -E '^down ' "$work/out" | cut -d' ' -f2 | paste -sd' ')" = "0x39 0x38 0x37 0x36" ] || fail "bus keys"
stop run INT 0
echo "console end to end: all checks passed"
