#!/usr/bin/env bash
# The windowed program (tavolin_en) against the reader simulator, on an Xvfb
# display of its own without window manager, then with a notification area
# on a D-Bus session bus of its own. xdotool plays the user; what the window
# shows comes back through the X selection.
#   qt_end_to_end.sh TAVOLIN_EN TAVOLIN-CONSOLE TAVOLIN-READERSIM XKEY-RECORDER STATUS-NOTIFIER-WATCHER
program=$1 console=$2 readersim=$3 recorder=$4 watcher=$5
dialogs=$(dirname "$0")/../../resources/dialogs.txt
source "$(dirname "$0")/lib.bash"
private_paths
logs=(out err events.log sim.log keys watcher bus.log appdata/TavolinTrace.txt)
for tool in xdotool xclip dbus-daemon dbus-send; do command -v $tool >/dev/null || fail "$tool is not installed"; done
export XDG_RUNTIME_DIR=$work/runtime && mkdir -m 700 "$XDG_RUNTIME_DIR"
: >"$APPDATA/TavolinTrace.txt"
exits 1 "$program" --show 2>"$work/err"
has err "^$(basename "$program"): no Tavolin of this user runs$"
settings "COM=$work/com" "Ravlink protocol=no" "Total reader data length=8" "Read stop position=8" "Postfix characters=<CR>"
start_x Xvfb -screen 0 1280x1024x24 -nolisten tcp
# PID: the shown windows titled with the program's name, newest last.
windows() { xdotool search --onlyvisible --pid "$1" --name '^Elvor Tavolin$' 2>/dev/null; }
# N: until the program shows N such windows, in 10 s.
count_is() { [ "$(windows $run | wc -l)" = "$1" ]; }
shows() { within 10 count_is "$1"; }
newest_box() { box=$(windows "$1" | grep -vx "${main:-none}" | tail -n 1) && [ -n "$box" ]; }
# PID: Enter closes its message box (its newest window but the main one).
close_message_box() {
  within 10 newest_box "$1" || fail "no message box of process $1"
  sleep 0.3 && xdotool windowfocus --sync "$box" key Return
}
# CONTROL CLICKS [X]: clicks on the main window's control, its place in
# dialog units scaled by the window's size over the dialog's.
click_main() {
  local dw dh x y w h ww wh
  read -r dw dh x y w h < <(awk -v c="$1" '$1 == "dialog" {inside = $2 == "IDD_TAVOLIN_DIALOG"; size = $4 " " $5}
                                           inside && $2 == c {print size, $3, $4, $5, $6}' "$dialogs")
  read -r ww wh < <(xwininfo -id "$main" | awk '/Width:/ {w = $NF} /Height:/ {h = $NF} END {print w, h}')
  xdotool mousemove --window "$main" $(((x + ${3:-w / 2}) * ww / dw)) $(((2 * y + h) * wh / (2 * dh))) \
    click --repeat "$2" --delay 60 1
}
main_window() { main=$(windows $run | head -n 1) && [ -n "$main" ]; }
readersim_start "$readersim" --kind active
spawn run "$program" >"$work/out" 2>"$work/err"
within 10 main_window || fail "no main window"
# Without a notification area the hide timer minimises the window, said once.
wait_for err "minimised instead of hidden"
wait_for appdata/TavolinTrace.txt "CTrayDlg::OnTimer(): Start 1"
has events.log "^information \[3\] Success: Elvor Tavolin (Version 2.10.00) called by user .* reads on $work/com."
# A card is typed into the focused window.
record
send "text 1234abcd"
wait_for keys Return
[ "$(received)" = "1 2 3 4 a b c d Return " ] || fail "typed: $(received)"
# --show and --hide reach the running program of the same user only.
"$program" --show && "$program" --hide || fail "--show or --hide was not taken"
[ "$(grep -c "minimised instead of hidden" "$work/err")" = 1 ] || fail "the notice is given more than once"
[ "$(id -u)" != 0 ] || ! setpriv --reuid=65534 --regid=65534 --clear-groups "$program" --hide 2>"$work/other.err" ||
  fail "--hide of another user was taken"
"$program" --show || fail "--show was not taken"
# Test mode shows the reading (a double-click selects its first part).
click_main IDC_MAIN_TEST_ON 1
record
send "text ABCDEFGH"
wait_for appdata/TavolinTrace.txt "Daten zum Verarbeiten '0x41 0x42 0x43 0x44 0x45 0x46 0x47 0x48"
sleep 0.5
click_main IDC_MAIN_PART1 2 3
selected() { shown=$(xclip -o -selection primary 2>/dev/null); [ "$shown" = ABCDEFGH ]; }
within 5 selected || fail "test mode shows '$shown' as the reading"
[ -z "$(received)" ] || fail "test mode typed: $(received)"
# A second instance is refused: its message, then exit code 1.
spawn second "$program" >"$work/second.out" 2>"$work/second.err"
close_message_box $second
reap second 1
has second.err "^Elvor Tavolin is already running, therefore this Elvor Tavolin ends.$"
# The reader hangs up: the watchdog's message, then exit code 4.
send "hangup"
wait_for appdata/TavolinTrace.txt "Abort Event erhalten"
close_message_box $run
reap run 4
# A reader that cannot be opened: the start-up's message box first, the
# hide timer ticking behind it sends no window away; then the main window
# shows and stays. SIGTERM ends the program as a close request does.
settings "COM=$work/absent"
: >"$APPDATA/TavolinTrace.txt"
spawn run "$program" >"$work/out" 2>"$work/err"
main=
wait_for appdata/TavolinTrace.txt "CTrayDlg::OnTimer(): Start 1"
sleep 0.5
[ "$(windows $run | wc -l)" = 1 ] || fail "a window besides the message box was shown"
lacks err "minimised instead of hidden"
close_message_box $run
within 5 main_window || fail "no main window after the message box"
sleep 1.5
[ "$(windows $run)" = "$main" ] || fail "the main window did not stay"
stop run TERM 0
[ "$(tail -n 1 "$APPDATA/TavolinTrace.txt")" = "CKelvaneDlg::OnClose()" ] || fail "SIGTERM did not end the program as OnClose does"
settings "COM=$work/com"
# A notification area that speaks D-Bus (KDE; GNOME with its extension)
# activates an item with one click, never a double-click: the activation
# shows and hides the window, the context menu is the tray menu.
spawn bus dbus-daemon --session --nofork --address="unix:path=$work/bus" --print-address=3 3>"$work/bus.address" \
  >"$work/bus.log" 2>&1
wait_for bus.address .
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
spawn watch "$watcher" >"$work/watcher" 2>&1
wait_for watcher ready
readersim_start "$readersim" --kind active
spawn run "$program" >"$work/out" 2>"$work/err"
wait_for watcher "^registered "
item=$(sed -n 's/^registered //p' "$work/watcher" | head -n 1)
# METHOD [N]: the item's METHOD called; half a second later N windows show.
item_call() {
  dbus-send --session --type=method_call --dest="$item" /StatusNotifierItem "org.kde.StatusNotifierItem.$1" int32:0 int32:0
  sleep 0.5
  [ -z "${2:-}" ] || shows "$2" || fail "$1: not $2 windows shown"
}
shows 1 || fail "no main window with a notification area"
wait_for appdata/TavolinTrace.txt "CTrayDlg::OnTimer(): Start 1"
shows 0 || fail "the window did not hide into the notification area"
lacks err "minimised instead of hidden"
item_call Activate 1
item_call Activate 0
item_call SecondaryActivate 0
item_call ContextMenu
wait_for appdata/TavolinTrace.txt "CKelvaneDlg::OnTrayRButtonDown() Start."
sleep 0.5
xdotool key Down Return
shows 1 || fail "Show in the tray menu did not show the window"
echo "qt end to end: all checks passed"
