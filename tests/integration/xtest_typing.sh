#!/usr/bin/env bash
# Typing through XTest on the US and the German layout, into an X client
# that records the key symbols it receives; under an Xvnc started here
# (Xvfb would keep its US keymap whatever setxkbmap loads).
#   xtest_typing.sh DEMO RECORDER
set -u
demo=$1 recorder=$2
fail() { echo "FAILED: $*"; exit 1; }
command -v Xvnc >/dev/null || fail "Xvnc is not installed (scripts/install-deps.sh installs it)"
work=$(mktemp -d)
xvnc= rec=
trap '[ -n "$rec" ] && kill $rec 2>/dev/null; [ -n "$xvnc" ] && { kill $xvnc 2>/dev/null; wait $xvnc 2>/dev/null; }
      rm -rf "$work"' EXIT
# The demo's settings, lock, event log and data stay in here.
export TAVOLIN_REGISTRY="$work/tavolin.reg" TAVOLIN_LOCKFILE="$work/lock" TAVOLIN_EVENTLOG="$work/events.log"
export APPDATA="$work"

# The server picks a free display and writes its number once it accepts
# clients; it listens on its local socket only: no TCP, no VNC port.
Xvnc -displayfd 3 -geometry 320x200 -depth 24 -SecurityTypes None -rfbport -1 -localhost -nolisten tcp \
  3>"$work/display" >"$work/xvnc.log" 2>&1 &
xvnc=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; kill -0 $xvnc 2>/dev/null || break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvnc did not start: $(cat "$work/xvnc.log")"
export DISPLAY=:$(tr -d '\n' <"$work/display")
xdpyinfo >/dev/null 2>&1 || fail "no connection to Xvnc on $DISPLAY: $(cat "$work/xvnc.log")"

# Types the reading with the settings and prints the key symbols received.
typed() {
  "$recorder" >"$work/keys" 2>&1 &
  rec=$!
  for _ in $(seq 100); do grep -q ready "$work/keys" && break; sleep 0.05; done
  "$demo" --keyboard=native "$@" >/dev/null || fail "the demo failed"
  sleep 0.3
  kill $rec; wait $rec 2>/dev/null; rec=
  grep -v ready "$work/keys" | tr '\n' ' '
}

check() {  # layout expected actual
  [ "$3" = "$2" ] || fail "$1: expected '$2', received '$3'"
  echo "$1: $3"
}

ranges=(--set "Prefix characters=<TAB>" --set "Read stop position=7" --set "2. Read start position=9"
        --set "2. Read stop position=11" --set "Characters separating 2 data portions=-"
        --set "Postfix characters=<CR>" "aZ1<@zy_ß9b")
tokens=(--set "Prefix characters=<SHIFT TAB><LF=Ctrl-ENTER><ESC><F1><F2><F3><F4><F5><F6><F7><F8>" --set "Read stop position=1" 7)

setxkbmap us || fail "setxkbmap us failed"
check "us ranges" "Tab a Z 1 less at z y minus 9 b Return " "$(typed "${ranges[@]}")"
check "us tokens" "ISO_Left_Tab Control+Return Escape F1 F2 F3 F4 F5 F6 F7 F8 7 " "$(typed "${tokens[@]}")"
setxkbmap de || fail "setxkbmap de failed"
setxkbmap -query | grep -q '^layout: *de$' || fail "the server did not take the German layout: $(setxkbmap -query)"
check "de ranges" "Tab a Z 1 less at z y minus ssharp 9 b Return " "$(typed "${ranges[@]}")"
check "de tokens" "ISO_Left_Tab Control+Return Escape F1 F2 F3 F4 F5 F6 F7 F8 7 " "$(typed "${tokens[@]}")"
check "de altgr" "backslash braceleft bar asciitilde EuroSign " "$(typed --set "Read stop position=5" '\{|~€')"
echo "typing through XTest: all checks passed"
