#!/usr/bin/env bash
# The Windows edition's windowed programs under wine (on a display of their
# own, with_xvfb.sh) against the reader simulator on COM8, driven as a user
# drives them; with SCREENSHOT_DIR, a picture of each window goes there.
#   windows_ui_wine.sh TAVOLIN_EN.EXE TAVOLIN_DE.EXE TAVOLIN-CONSOLE.EXE TAVOLIN-UIDRIVER.EXE TAVOLIN-READERSIM WINE-RUNNER
en=$1 de=$2 console=$3 driver=$4 readersim=$5 wine=$6
source "$(dirname "$0")/lib.bash"
need_readersim "$readersim"
export LC_ALL=C.UTF-8 # wine reads the command lines as UTF-8
logs=(app.err driver.err sim.log) at_exit=(wine_settle)
wine_prefix "$en"
main="Elvor Tavolin" about="owned:Elvor Tavolin"
act() { drive "$@" >/dev/null || fail "tavolin-uidriver $*"; }
shown() { drive shown "$1" "${2:-15000}" || fail "no window \"$1\""; }
# CAPTION ACTION...: the action opens the window CAPTION.
opens() { act "${@:2}"; shown "$1"; }
# ID CHECKS...: a click on the main window's control ID, then CHECKS (ui);
# card CHECKS...: a card read, then CHECKS.
click() { act click "$main" "$1"; ui "$main" "${@:2}"; }
card() { send "text 1234-5678"; ui "$main" "$@"; }
# CAPTION WHAT[:ID]=WANT...: the driver's WHAT of the window (control ID) is WANT.
ui() {
  local entry key id
  for entry in "${@:2}"; do
    key=${entry%%=*} id=
    [[ $key = *:* ]] && id=${key#*:}
    expect "${entry#*=}" "${key%%:*}" "$1" $id
  done
}
# LANGUAGE CAPTION: the settings sheet's ASCII table of padding characters.
ascii_table() { opens "$2" click "$sheet" 1092; shot "win-ascii-$1.png" "$2"; dismiss click "$2" 1; }
# ACTION CAPTION [ID]: the click or Escape that closes a window, again until
# it is gone (under wine one that comes before it takes input may be lost).
dismiss() { local _; for _ in 1 2 3 4 5; do drive "$@" >/dev/null; drive gone "$2" 2000 && return; done; fail "$2 stays"; }
# NAME CAPTION [CHOICE-ID]: the window's picture (the choice dropped down).
shot() {
  [ -n "${SCREENSHOT_DIR:-}" ] || return 0
  local rect x y width height
  [ -n "${3:-}" ] && act dropdown "$2" "$3" 1
  sleep 0.5 # painted
  rect=$(drive rect "$2") || fail "no window \"$2\" to picture"
  read -r x y width height <<<"$rect"
  import -silent -window root -crop "${width}x$height+$x+$y" +repage PNG8:"$SCREENSHOT_DIR/$1" || fail "picture $1"
  [ -z "${3:-}" ] || act dropdown "$2" "$3" 0
}
# VAR PROGRAM ARGS...: a program of the prefix started.
start() { spawn "$1" "$wine" "${@:2}" >>"$work/app.out" 2>>"$work/app.err"; }
# CAPTION TEXT: a message box says TEXT; OK closes it.
message_box() { shown "$1"; expect "$2" text "$1" 65535; act click "$1" 1; }
# EXE STATE: started, shown, reading, and hidden into the tray a second later.
start_hidden() {
  spawn waiter drive shown "$main" 30000 >/dev/null
  start app "$1"; reap waiter 0
  ui "$main" text:1066="$2" visible=0 trayicon=1
}
# EXE HELP-CAPTION HELP-TEXT ABOUT-CLOSE SECOND-MESSAGE: help, about, a
# second instance that says so and ends; Exit ends the first.
help_about_second() {
  local language=${1%.exe}; language=${language##*_}
  opens "$2" click "$main" 1062
  drive text "$2" 1002 | grep -q "$3" || fail "not the help of $1"
  shot "win-help-$language.png" "$2"
  dismiss click "$2" 1
  opens "$about" click "$main" 1063
  ui "$about" text:1067="Elvor Tavolin" text:1068="Version 2.10.00"
  shot "win-about-$language.png" "$about"
  dismiss "$4" "$about"
  start other "$1"
  message_box "tavolin_$language" "$5"
  ends_within 15 other 1
  click 2
  ends_within 15 app 0
}
readersim_start "$readersim" --kind active
"$wine" --init >/dev/null || fail "no wine prefix"
wine_com 8
# A virtual desktop: wine draws the windows' frames and the tray as Windows does.
"$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>>"$work/app.err" &&
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>>"$work/app.err" ||
  fail "wine's virtual desktop"
sound='C:\Program Files\Tavolin\Elvorbeep.wav'
settings "COM=8" "Ravlink protocol=no" "Speed=9600" "Fixed length=no" "Read start position=1" "Read stop position=4" \
  "2. Read start position=6" "2. Read stop position=9" "Prefix characters=none" \
  "Characters separating 2 data portions=," "Postfix characters=none" "Use Sound=no" "Sound file=$sound"
# Start-up: shown, reading, hidden; a card goes to the window with the focus.
start_hidden "$en" "Reading from COM8 is active"
spawn other "$wine" "$driver" target >/dev/null 2>>"$work/driver.err"
shown "Tavolin typing target"
send "text 1234-5678"
ui "Tavolin typing target" text:100=1234,5678
act close "Tavolin typing target"
ends_within 15 other 0
# The Hide button shows the window; the test display, the parts and lengths.
opens "$main" click "$main" 1001
ui "$main" visible=1 text:1032=1
shot win-main-en.png "$main"
click 1040 enabled:1040=0 enabled:1041=1
card text:1170=1234 text:1171=5678 text:1079=4 text:1080=4 text:1081=9 text:1032=2
shot win-main-test-en.png "$main"
# Stop and restart.
click 1033 text:1066="Reading from COM8 is not active" enabled:1034=1 enabled:1040=0
click 1034 text:1066="Reading from COM8 is active" enabled:1034=0
# The settings sheet: a value changed on each page, stored after OK, read with.
sheet="Elvor Tavolin Settings"
opens "$sheet" click "$main" 1000
ui "$sheet" text:1005=9600 text:1179="$sound"
act select "$sheet" 1005 19200
ui "$sheet" text:1005=19200
shot win-settings-com-en.png "$sheet" 1005
act page "$sheet" 1
act select "$sheet" 1027 5
ui "$sheet" text:1030="results in reading length of 5 bytes."
shot win-settings-data-en.png "$sheet"
ascii_table en "ASCII table of padding characters"
act page "$sheet" 2
act settext "$sheet" 1050 "ID:"
act select "$sheet" 1048 "<TAB>"
act click "$sheet" 1058
ui "$sheet" text:1036="ID:<Data1>,<Data2><TAB>"
act click "$sheet" 1060
shot win-settings-pfix-en.png "$sheet"
dismiss click "$sheet" 1
stored() { got=$("$wine" "$console" --show-settings 2>>"$work/app.err" | tr -d '\r' |
  grep -E "^(Speed|Read stop position|(Prefix|Postfix) characters)=" | paste -sd' ') &&
  [ "$got" = "Speed=19200 Read stop position=5 Prefix characters=ID: Postfix characters=<TAB>" ]; }
within 10 stored || fail "stored settings: $got"
ui "$main" text:1066="Reading from COM8 is active"
click 1040
card text:1170=1234- text:1079=5
help_about_second "$en" "Elvor Tavolin Help" "Help for version" mouseclick \
  "Elvor Tavolin is already running, therefore this Elvor Tavolin ends."
# Install mode with a free port reports and ends.
start app "$en" -e
message_box "$main" "Default settings ok: Thread reading from COM8 is started. Program ends, so the installation can be finished."
ends_within 15 app 0
# The reader vanishes: the watchdog reports it and ends the program.
start_hidden "$en" "Reading from COM8 is active"
send hangup
message_box tavolin_en $'Communication error with reader at \\\\.\\COM8.\nElvor Tavolin ends.'
ends_within 15 app 4
# A reader that cannot be opened: its message first (the hide timer ticking
# behind it), then the window with its texts and states set, staying.
settings "COM=9"
start app "$en"
shown tavolin_en
drive text tavolin_en 65535 | grep -q "^Process reading from COM9 could not be started" || fail "no start failure message"
sleep 1.5
act click tavolin_en 1
ui "$main" visible=1 text:1066="Reading from COM9 is not active" enabled:1033=0
sleep 1.5
ui "$main" visible=1
click 2
ends_within 15 app 0
settings "COM=8"
# The German program.
start_hidden "$de" "Lesen von COM8 aktiv"
opens "$main" click "$main" 1001
ui "$main" text:1040="Test Ein" text:1000="Einstellungen"
shot win-main-de.png "$main"
click 1040
card text:1170=1234-
shot win-main-test-de.png "$main"
sheet="Elvor Tavolin Einstellungen"
opens "$sheet" click "$main" 1000
ui "$sheet" text:1010="Bits pro Sekunde" items:1007=$'keine\nungerade\ngerade'
shot win-settings-com-de.png "$sheet" 1007
act page "$sheet" 1
ui "$sheet" text:1030="ergibt die Leselänge von 5 Bytes."
shot win-settings-data-de.png "$sheet"
ascii_table de "ASCII-Tabelle der Füllzeichen"
act page "$sheet" 2
ui "$sheet" text:1036="ID:<Daten1>,<Daten2><TAB>"
shot win-settings-pfix-de.png "$sheet"
dismiss click "$sheet" 2
help_about_second "$de" "Elvor Tavolin Hilfe" "Hilfe zu Version" escape \
  "Elvor Tavolin läuft bereits. Deshalb beendet sich dieses Elvor Tavolin."
echo "Windows windows under wine: all checks passed"
