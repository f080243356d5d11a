#!/usr/bin/env bash
# The windowed program (tavolin_en) against the reader simulator, on an
# Xvfb display of its own without window manager or notification area: it
# starts and hides by minimising, a card is typed into a key-recording
# client, --show and --hide reach it (not from another user), test mode
# shows a reading in the window instead of typing it, a second instance is
# refused, and when the reader hangs up the watchdog ends it with exit
# code 4. A reader that cannot be opened at start leaves the window shown
# after its message, and SIGTERM ends it normally. Then, with a
# notification area that speaks D-Bus on a session bus of the test's own,
# the window hides into it, and the item's activation and context menu
# bring it back. The user's part (clicks,
# closing message boxes) is played with xdotool; what the window shows is
# read back through the X selection.
#   qt_end_to_end.sh TAVOLIN_EN TAVOLIN-CONSOLE TAVOLIN-READERSIM XKEY-RECORDER STATUS-NOTIFIER-WATCHER
set -u
program=$1 console=$2 readersim=$3 recorder=$4 watcher=$5
dialogs=$(dirname "$0")/../../resources/dialogs.txt
work=$(mktemp -d)
xvfb= sim= run= rec= bus= watch=
trap 'for p in $rec $run $watch $bus $sim $xvfb; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  for f in out err events.log sim.log keys watcher appdata/TavolinTrace.txt; do echo "--- $f"; tail -n 20 "$work/$f" 2>/dev/null; done
  exit 1
}
for tool in Xvfb xdotool xclip dbus-daemon dbus-send; do
  command -v $tool >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
done
# Waits up to 10 s for a line matching the pattern in the file.
wait_for() { for _ in $(seq 200); do grep -q -- "$2" "$work/$1" 2>/dev/null && return 0; sleep 0.05; done; return 1; }
send() { echo "$*" >>"$work/commands"; }

export TAVOLIN_REGISTRY="$work/tavolin.reg" TAVOLIN_LOCKFILE="$work/lock" TAVOLIN_EVENTLOG="$work/events.log"
export APPDATA="$work/appdata" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$APPDATA" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
: >"$APPDATA/TavolinTrace.txt"
"$program" --show 2>"$work/err"; status=$?
[ $status = 1 ] && grep -qx "$(basename "$program"): no Tavolin of this user runs" "$work/err" \
  || fail "--show without a running Tavolin: exit code $status, $(cat "$work/err")"
"$console" --set "COM=$work/com" --set "Ravlink protocol=no" --set "Total reader data length=8" \
  --set "Read stop position=8" --set "Postfix characters=<CR>" >/dev/null || fail "settings"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
wait_for display . || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(tr -d '\n' <"$work/display")

# The windows of a process whose title matches, newest last.
windows_of() { xdotool search --onlyvisible --pid "$1" --name "$2" 2>/dev/null; }
# Closes the message box the process shows (the newest of its windows
# titled with the program's name) with Enter.
close_message_box() {
  local box=
  for _ in $(seq 100); do
    box=$(windows_of "$1" '^Elvor Tavolin$' | grep -vx "${main:-none}" | tail -n 1)
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "no message box of process $1"
  sleep 0.3
  xdotool windowfocus --sync "$box" key Return
}
# Clicks a control of the main window: its place in dialog units scaled
# by the window's size over the dialog's.
click_main() {  # CONTROL CLICKS
  local dw dh x y w h ww wh
  read -r dw dh x y w h < <(awk -v c="$1" '$1 == "dialog" {inside = $2 == "IDD_TAVOLIN_DIALOG"; size = $4 " " $5}
                                           inside && $2 == c {print size, $3, $4, $5, $6}' "$dialogs")
  read -r ww wh < <(xwininfo -id "$main" | awk '/Width:/ {w = $NF} /Height:/ {h = $NF} END {print w, h}')
  xdotool mousemove --window "$main" $(((x + ${3:-w / 2}) * ww / dw)) $(((2 * y + h) * wh / (2 * dh))) \
    click --repeat "$2" --delay 60 1
}
start_recorder() {
  [ -n "$rec" ] && { kill "$rec"; wait "$rec" 2>/dev/null; }
  "$recorder" >"$work/keys" 2>&1 &
  rec=$!
  wait_for keys ready || fail "the key recorder did not start"
}
received() { grep -v ready "$work/keys" | tr '\n' ' '; }

source "$(dirname "$0")/../../tools/readersim/readersim.bash"
readersim_start "$readersim" --kind active
"$program" >"$work/out" 2>"$work/err" &
run=$!
for _ in $(seq 100); do main=$(windows_of $run '^Elvor Tavolin$' | head -n 1); [ -n "$main" ] && break; sleep 0.1; done
[ -n "$main" ] || fail "no main window"
# Without a notification area the hide timer minimises the window, and
# the program says why, once.
wait_for err "minimised instead of hidden" || fail "the window was not sent away after a second"
grep -q "CTrayDlg::OnTimer(): Start 1" "$APPDATA/TavolinTrace.txt" || fail "no hide timer tick in the trace"
grep -q "^information \[3\] Success: Elvor Tavolin (Version 2.10.00) called by user .* reads on $work/com." "$TAVOLIN_EVENTLOG" || fail "entry 3 of the start"

# A card is typed into the focused window.
start_recorder
send "text 1234abcd"
wait_for keys Return || fail "the reading was not typed"
[ "$(received)" = "1 2 3 4 a b c d Return " ] || fail "typed: $(received)"

# --show and --hide reach the running program of the same user only.
"$program" --show || fail "--show was not taken"
"$program" --hide || fail "--hide was not taken"
[ "$(grep -c "minimised instead of hidden" "$work/err")" = 1 ] || fail "the notice is given more than once"
if [ "$(id -u)" = 0 ]; then
  setpriv --reuid=65534 --regid=65534 --clear-groups "$program" --hide 2>"$work/other.err" \
    && fail "--hide of another user was taken"
fi
"$program" --show || fail "--show was not taken"

# Test mode: the reading is shown, not typed; a double-click on the first
# part selects it.
click_main IDC_MAIN_TEST_ON 1
start_recorder
send "text ABCDEFGH"
wait_for appdata/TavolinTrace.txt "Daten zum Verarbeiten '0x41 0x42 0x43 0x44 0x45 0x46 0x47 0x48" || fail "test mode: the reading did not arrive"
sleep 0.5
click_main IDC_MAIN_PART1 2 3
for _ in $(seq 50); do shown=$(xclip -o -selection primary 2>/dev/null); [ "$shown" = ABCDEFGH ] && break; sleep 0.1; done
[ "$shown" = ABCDEFGH ] || fail "test mode shows '$shown' as the reading"
[ -z "$(received)" ] || fail "test mode typed: $(received)"

# A second instance is refused: its message, then exit code 1.
"$program" >"$work/second.out" 2>"$work/second.err" &
second=$!
close_message_box $second
wait $second; status=$?
[ $status = 1 ] || fail "second instance: exit code $status"
grep -qx "Elvor Tavolin is already running, therefore this Elvor Tavolin ends." "$work/second.err" \
  || fail "second instance message: $(cat "$work/second.err")"
grep -q '^warning \[5\] Elvor Tavolin (Version 2.10.00) is already running' "$TAVOLIN_EVENTLOG" || fail "entry 5"

# The reader hangs up: the watchdog reports it; once its message is
# closed, the program ends with exit code 4.
send "hangup"
wait_for appdata/TavolinTrace.txt "Abort Event erhalten" || fail "the watchdog did not notice the reader's failure"
close_message_box $run
wait $run; status=$?
run=
[ $status = 4 ] || fail "vanished reader: exit code $status"
grep -q "^error \[10\] Elvor Tavolin (Version 2.10.00) ends. Reason: reading thread failed to communicate with $work/com" \
  "$TAVOLIN_EVENTLOG" || fail "entry 10"

# A reader that cannot be opened: the start-up's message box comes first.
# The hide timer ticks behind it and sends no window away; the main window
# shows once the box is closed, with its texts and states set, and stays.
# SIGTERM then ends the program as a close request does on Windows.
"$console" --set "COM=$work/absent" >/dev/null || fail "settings"
: >"$APPDATA/TavolinTrace.txt"
"$program" >"$work/out" 2>"$work/err" &
run=$!
main=
wait_for appdata/TavolinTrace.txt "CTrayDlg::OnTimer(): Start 1" || fail "no hide timer tick behind the message box"
sleep 0.5
[ "$(windows_of $run '^Elvor Tavolin$' | wc -l)" = 1 ] || fail "a window besides the message box was shown"
grep -q "minimised instead of hidden" "$work/err" && fail "the window was sent away before its start-up ended"
close_message_box $run
for _ in $(seq 50); do main=$(windows_of $run '^Elvor Tavolin$'); [ -n "$main" ] && break; sleep 0.1; done
[ -n "$main" ] || fail "no main window after the message box"
sleep 1.5
[ "$(windows_of $run '^Elvor Tavolin$')" = "$main" ] || fail "the main window did not stay"
kill -TERM $run
wait $run; status=$?
run=
[ $status = 0 ] || fail "SIGTERM: exit code $status"
[ "$(tail -n 1 "$APPDATA/TavolinTrace.txt")" = "CKelvaneDlg::OnClose()" ] || fail "SIGTERM did not end the program as OnClose does"
"$console" --set "COM=$work/com" >/dev/null || fail "settings"

# A notification area that speaks D-Bus (KDE; GNOME with its extension)
# activates an item with one click and never reports a double-click: the
# activation shows and hides the window, the context menu is the tray menu.
dbus-daemon --session --nofork --address="unix:path=$work/bus" --print-address=3 3>"$work/bus.address" \
  >"$work/bus.log" 2>&1 &
bus=$!
wait_for bus.address . || fail "the session bus did not start: $(cat "$work/bus.log")"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
"$watcher" >"$work/watcher" 2>&1 &
watch=$!
wait_for watcher ready || fail "the notification area did not start"
readersim_start "$readersim" --kind active
"$program" >"$work/out" 2>"$work/err" &
run=$!
wait_for watcher "^registered " || fail "the icon did not register with the notification area"
item=$(sed -n 's/^registered //p' "$work/watcher" | head -n 1)
# Waits up to 10 s for the main window to be shown (1) or hidden (0).
window_shown() {
  for _ in $(seq 100); do
    [ "$(windows_of $run '^Elvor Tavolin$' | wc -l)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
item_call() { dbus-send --session --type=method_call --dest="$item" /StatusNotifierItem "org.kde.StatusNotifierItem.$1" int32:0 int32:0; }
window_shown 1 || fail "no main window with a notification area"
wait_for appdata/TavolinTrace.txt "CTrayDlg::OnTimer(): Start 1" || fail "no hide timer tick"
window_shown 0 || fail "the window did not hide into the notification area"
grep -q "minimised instead of hidden" "$work/err" && fail "the program did not see the notification area"
item_call Activate
window_shown 1 || fail "the activation did not show the window"
item_call Activate
window_shown 0 || fail "the second activation did not hide the window"
item_call SecondaryActivate
sleep 0.5
window_shown 0 || fail "a middle click changed the window"
item_call ContextMenu
wait_for appdata/TavolinTrace.txt "CKelvaneDlg::OnTrayRButtonDown() Start." || fail "the context menu did not reach the program"
sleep 0.5
xdotool key Down Return
window_shown 1 || fail "Show in the tray menu did not show the window"
echo "qt end to end: all checks passed"
