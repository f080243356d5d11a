#!/usr/bin/env bash
# Typing through XTest on the US and the German layout into an X client
# that records the key symbols, under Xvnc on its local socket only (Xvfb
# would keep its US keymap whatever setxkbmap loads).
#   xtest_typing.sh DEMO RECORDER
demo=$1 recorder=$2
source "$(dirname "$0")/lib.bash"
private_paths
start_x Xvnc -geometry 320x200 -depth 24 -SecurityTypes None -rfbport -1 -localhost -nolisten tcp
xdpyinfo >/dev/null 2>&1 || fail "no connection to Xvnc on $DISPLAY: $(cat "$work/x.log")"
# WHAT EXPECTED DEMO-ARGS...: what the demo types, the recorder receives.
check() {
  record
  "$demo" --keyboard=native "${@:3}" >/dev/null || fail "the demo failed"
  sleep 0.3
  [ "$(received)" = "$2" ] || fail "$1: expected '$2', received '$(received)'"
  echo "$1: $2"
}
ranges=(--set "Prefix characters=<TAB>" --set "Read stop position=7" --set "2. Read start position=9" --set "2. Read stop position=11"
        --set "Characters separating 2 data portions=-" --set "Postfix characters=<CR>" "aZ1<@zy_ß9b")
tokens=(--set "Prefix characters=<SHIFT TAB><LF=Ctrl-ENTER><ESC><F1><F2><F3><F4><F5><F6><F7><F8>" --set "Read stop position=1" 7)
declare -A sharp=([us]="" [de]="ssharp ") # (the US layout has no key for ß)
for layout in us de; do
  setxkbmap $layout && setxkbmap -query | grep -q "^layout: *$layout$" ||
    fail "the server did not take the layout $layout: $(setxkbmap -query)"
  check "$layout ranges" "Tab a Z 1 less at z y minus ${sharp[$layout]}9 b Return " "${ranges[@]}"
  check "$layout tokens" "ISO_Left_Tab Control+Return Escape F1 F2 F3 F4 F5 F6 F7 F8 7 " "${tokens[@]}"
done
check "de altgr" "backslash braceleft bar asciitilde EuroSign " --set "Read stop position=5" '\{|~€'
echo "typing through XTest: all checks passed"
