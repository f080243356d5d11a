#!/usr/bin/env bash
# The windowed programs of the Windows edition under wine, driven as a user
# drives them (tavolin-uidriver), against the reader simulator on COM8:
# start-up into the tray, a card typed into another program, the test
# display, stop and restart, the settings sheet, help and about, a second
# instance, install mode, the watchdog, a reader that cannot be opened at
# start, and the German program. With SCREENSHOT_DIR set it
# saves a picture of every window there (win-*-en.png, win-*-de.png).
#   windows_ui_wine.sh TAVOLIN_EN.EXE TAVOLIN_DE.EXE TAVOLIN-CONSOLE.EXE TAVOLIN-UIDRIVER.EXE TAVOLIN-READERSIM WINE-RUNNER
# Runs in a display of its own (with_xvfb.sh), in the display prefix.
set -u
en=$1 de=$2 console=$3 driver=$4 readersim=$5 wine=$6
if [ ! -x "$readersim" ]; then
  echo "tavolin-readersim not found at $readersim: build the linux preset first"
  exit 77
fi
export LC_ALL=C.UTF-8 # wine reads the command lines as UTF-8
work=$(mktemp -d)
sim='' app='' other=''
build_dir=$(dirname "$en")
while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != / ]; do build_dir=$(dirname "$build_dir"); done
prefix=$build_dir/${TAVOLIN_WINE_PREFIX_NAME:-wineprefix}
cleanup() {
  for pid in $app $other $sim; do kill "$pid" 2>/dev/null; done
  # The prefix's wine server ends with its last program, before the
  # display goes, so that the next test starts on its own display. (Every
  # wine program here writes its errors to a file: the server, started by
  # one of them, writes a long list of its objects there when it ends.)
  WINEPREFIX=$prefix timeout 20 wineserver -w 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in app.err driver.err sim.log; do
    echo "--- $f"
    grep -v -E '^ *(0x[0-9a-f]+:|[0-9a-f]{4}: 0x)' "$work/$f" 2>/dev/null | tail -n 20 # not the server's objects
  done
  exit 1
}
source "$(dirname "$0")/../../tools/readersim/readersim.bash"
send() { echo "$*" >>"$work/commands"; }

# The driver's answer, in UTF-8 (the programs speak Windows-1252).
drive() {
  local out status
  out=$("$wine" "$driver" "$@" 2>>"$work/driver.err")
  status=$?
  printf '%s' "${out//$'\r'/}" | iconv -f CP1252 -t UTF-8
  return $status
}
act() { drive "$@" >/dev/null || fail "tavolin-uidriver $*"; }
# WANT DRIVER-ARGS...: until the driver answers WANT (windows change at
# their own pace).
expect() {
  local want=$1 got deadline=$((SECONDS + 10))
  shift
  until got=$(drive "$@") && [ "$got" = "$want" ]; do
    [ $SECONDS -lt $deadline ] || fail "$*: \"$got\", not \"$want\""
    sleep 0.1
  done
}
shown() { drive shown "$1" "${2:-15000}" || fail "no window \"$1\""; }
# ACTION CAPTION [ID]: the click or Escape that closes a window, again until
# the window is gone; under wine an action that reaches a window just shown,
# before it takes input, now and then has no effect.
dismiss() {
  local caption=$2 _
  for _ in 1 2 3 4 5; do
    drive "$@" >/dev/null
    drive gone "$caption" 2000 && return 0
  done
  fail "window \"$caption\" stays"
}
# NAME CAPTION: the window's picture, cut out of the screen.
shot() {
  [ -n "${SCREENSHOT_DIR:-}" ] || return 0
  local rect x y width height
  sleep 0.5 # painted
  rect=$(drive rect "$2") || fail "no window \"$2\" to picture"
  read -r x y width height <<<"$rect"
  import -silent -window root -crop "${width}x$height+$x+$y" +repage PNG8:"$SCREENSHOT_DIR/$1" || fail "picture $1"
}
start() { "$wine" "$@" >>"$work/app.out" 2>>"$work/app.err" & }
# The program started last ends with CODE.
ends() {
  local pid=$1 code=$2 deadline=$((SECONDS + 15)) status
  while kill -0 "$pid" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "the program did not end"
    sleep 0.1
  done
  wait "$pid"
  status=$?
  [ "$status" = "$code" ] || fail "exit code $status, not $code"
}
# CAPTION TEXT: a message box says TEXT; OK closes it.
message_box() {
  shown "$1"
  expect "$2" text "$1" 65535
  act click "$1" 1
}
# EXE: started, shown, reading, and hidden into the tray a second later.
start_hidden() {
  drive shown "Elvor Tavolin" 30000 >/dev/null &
  local waiter=$!
  start "$1"
  app=$!
  wait $waiter || fail "$1: no main window"
  expect "$2" text "Elvor Tavolin" 1066
  expect 0 visible "Elvor Tavolin"
  expect 1 trayicon "Elvor Tavolin"
}
# The Hide button shows the hidden window.
show_main() {
  act click "Elvor Tavolin" 1001
  shown "Elvor Tavolin"
}

readersim_start "$readersim" --kind active
"$wine" --init >/dev/null || fail "no wine prefix"
ln -sfn "$work/com" "$prefix/dosdevices/com8"
# A virtual desktop: wine draws the windows' frames and the tray as Windows does.
wine_setting() {
  "$wine" reg add "HKCU\\Software\\Wine\\$1" /v "$2" /d "$3" /f >/dev/null 2>>"$work/app.err" || fail "wine setting $1 $2"
}
wine_setting Explorer Desktop Default
wine_setting 'Explorer\Desktops' Default 1280x1024
sound='C:\Program Files\Tavolin\Elvorbeep.wav'
"$wine" "$console" --set "COM=8" --set "Ravlink protocol=no" --set "Speed=9600" --set "Fixed length=no" \
  --set "Read start position=1" --set "Read stop position=4" --set "2. Read start position=6" \
  --set "2. Read stop position=9" --set "Prefix characters=none" --set "Characters separating 2 data portions=," \
  --set "Postfix characters=none" --set "Use Sound=no" --set "Sound file=$sound" >/dev/null 2>>"$work/app.err" ||
  fail "settings"

# Start-up: shown, reading, hidden; a card goes to the window with the focus.
start_hidden "$en" "Reading from COM8 is active"
"$wine" "$driver" target >/dev/null 2>>"$work/driver.err" &
other=$!
shown "Tavolin typing target"
send "text 1234-5678"
expect "1234,5678" text "Tavolin typing target" 100
act close "Tavolin typing target"
ends $other 0
other=

# The test display shows the two parts and their lengths.
show_main
expect 1 visible "Elvor Tavolin"
expect 1 text "Elvor Tavolin" 1032
shot win-main-en.png "Elvor Tavolin"
act click "Elvor Tavolin" 1040
expect 0 enabled "Elvor Tavolin" 1040
expect 1 enabled "Elvor Tavolin" 1041
send "text 1234-5678"
expect 1234 text "Elvor Tavolin" 1170
expect 5678 text "Elvor Tavolin" 1171
for field in 1079:4 1080:4 1081:9 1032:2; do expect "${field#*:}" text "Elvor Tavolin" "${field%:*}"; done
shot win-main-test-en.png "Elvor Tavolin"

# Stop and restart.
act click "Elvor Tavolin" 1033
expect "Reading from COM8 is not active" text "Elvor Tavolin" 1066
expect 1 enabled "Elvor Tavolin" 1034
expect 0 enabled "Elvor Tavolin" 1040
act click "Elvor Tavolin" 1034
expect "Reading from COM8 is active" text "Elvor Tavolin" 1066
expect 0 enabled "Elvor Tavolin" 1034

# The settings sheet: a value changed on each page, stored after OK.
sheet="Elvor Tavolin Settings"
act click "Elvor Tavolin" 1000
shown "$sheet"
expect 9600 text "$sheet" 1005
expect "$sound" text "$sheet" 1179
act select "$sheet" 1005 19200
expect 19200 text "$sheet" 1005
if [ -n "${SCREENSHOT_DIR:-}" ]; then
  act dropdown "$sheet" 1005 1
  shot win-settings-com-en.png "$sheet"
  act dropdown "$sheet" 1005 0
fi
act page "$sheet" 1
act select "$sheet" 1027 5
expect "results in reading length of 5 bytes." text "$sheet" 1030
shot win-settings-data-en.png "$sheet"
act click "$sheet" 1092
shown "ASCII table of padding characters"
shot win-ascii-en.png "ASCII table of padding characters"
dismiss click "ASCII table of padding characters" 1
act page "$sheet" 2
act settext "$sheet" 1050 "ID:"
act select "$sheet" 1048 "<TAB>"
act click "$sheet" 1058
expect "ID:<Data1>,<Data2><TAB>" text "$sheet" 1036
act click "$sheet" 1060
shot win-settings-pfix-en.png "$sheet"
dismiss click "$sheet" 1
stored() { "$wine" "$console" --show-settings 2>>"$work/app.err" | tr -d '\r' | grep -E "^(Speed|Read stop position|(Prefix|Postfix) characters)="; }
want=$'Speed=19200\nRead stop position=5\nPrefix characters=ID:\nPostfix characters=<TAB>'
deadline=$((SECONDS + 10))
until [ "$(stored)" = "$want" ]; do
  [ $SECONDS -lt $deadline ] || fail "stored settings: $(stored)"
  sleep 0.2
done
# Reading restarted with them.
expect "Reading from COM8 is active" text "Elvor Tavolin" 1066
act click "Elvor Tavolin" 1040
send "text 1234-5678"
expect 1234- text "Elvor Tavolin" 1170
expect 5 text "Elvor Tavolin" 1079

# Help and about.
act click "Elvor Tavolin" 1062
shown "Elvor Tavolin Help"
drive text "Elvor Tavolin Help" 1002 | grep -q "Help for version" || fail "not the English help"
shot win-help-en.png "Elvor Tavolin Help"
dismiss click "Elvor Tavolin Help" 1
act click "Elvor Tavolin" 1063
shown "owned:Elvor Tavolin"
expect "Elvor Tavolin" text "owned:Elvor Tavolin" 1067
expect "Version 2.10.00" text "owned:Elvor Tavolin" 1068
shot win-about-en.png "owned:Elvor Tavolin"
dismiss mouseclick "owned:Elvor Tavolin"

# A second instance says so and ends; Exit ends the first.
start "$en"
other=$!
message_box tavolin_en "Elvor Tavolin is already running, therefore this Elvor Tavolin ends."
ends $other 1
other=
act click "Elvor Tavolin" 2
ends $app 0

# Install mode with a free port reports and ends.
start "$en" -e
app=$!
message_box "Elvor Tavolin" \
  "Default settings ok: Thread reading from COM8 is started. Program ends, so the installation can be finished."
ends $app 0

# The reader vanishes: the watchdog reports it and ends the program.
start_hidden "$en" "Reading from COM8 is active"
send hangup
message_box tavolin_en $'Communication error with reader at \\\\.\\COM8.\nElvor Tavolin ends.'
ends $app 4

# A reader that cannot be opened: the message comes first; the hide timer
# ticks behind it, and the window shows after it with its texts and states
# set, and stays.
"$wine" "$console" --set "COM=9" >/dev/null 2>>"$work/app.err" || fail "settings"
start "$en"
app=$!
shown tavolin_en
drive text tavolin_en 65535 | grep -q "^Process reading from COM9 could not be started" || fail "no start failure message"
sleep 1.5
act click tavolin_en 1
expect 1 visible "Elvor Tavolin"
expect "Reading from COM9 is not active" text "Elvor Tavolin" 1066
expect 0 enabled "Elvor Tavolin" 1033
sleep 1.5
expect 1 visible "Elvor Tavolin"
act click "Elvor Tavolin" 2
ends $app 0
"$wine" "$console" --set "COM=8" >/dev/null 2>>"$work/app.err" || fail "settings"

# The German program.
start_hidden "$de" "Lesen von COM8 aktiv"
show_main
expect "Test Ein" text "Elvor Tavolin" 1040
expect "Einstellungen" text "Elvor Tavolin" 1000
shot win-main-de.png "Elvor Tavolin"
act click "Elvor Tavolin" 1040
send "text 1234-5678"
expect 1234- text "Elvor Tavolin" 1170
shot win-main-test-de.png "Elvor Tavolin"
sheet="Elvor Tavolin Einstellungen"
act click "Elvor Tavolin" 1000
shown "$sheet"
expect "Bits pro Sekunde" text "$sheet" 1010
expect $'keine\nungerade\ngerade' items "$sheet" 1007
if [ -n "${SCREENSHOT_DIR:-}" ]; then
  act dropdown "$sheet" 1007 1
  shot win-settings-com-de.png "$sheet"
  act dropdown "$sheet" 1007 0
fi
act page "$sheet" 1
expect "ergibt die Leselänge von 5 Bytes." text "$sheet" 1030
shot win-settings-data-de.png "$sheet"
act click "$sheet" 1092
shown "ASCII-Tabelle der Füllzeichen"
shot win-ascii-de.png "ASCII-Tabelle der Füllzeichen"
dismiss click "ASCII-Tabelle der Füllzeichen" 1
act page "$sheet" 2
expect "ID:<Daten1>,<Daten2><TAB>" text "$sheet" 1036
shot win-settings-pfix-de.png "$sheet"
dismiss click "$sheet" 2
act click "Elvor Tavolin" 1062
shown "Elvor Tavolin Hilfe"
drive text "Elvor Tavolin Hilfe" 1002 | grep -q "Hilfe zu Version" || fail "not the German help"
shot win-help-de.png "Elvor Tavolin Hilfe"
dismiss click "Elvor Tavolin Hilfe" 1
act click "Elvor Tavolin" 1063
shown "owned:Elvor Tavolin"
shot win-about-de.png "owned:Elvor Tavolin"
dismiss escape "owned:Elvor Tavolin"
start "$de"
other=$!
message_box tavolin_de "Elvor Tavolin läuft bereits. Deshalb beendet sich dieses Elvor Tavolin."
ends $other 1
other=
act click "Elvor Tavolin" 2
ends $app 0
app=
echo "Windows windows under wine: all checks passed"
