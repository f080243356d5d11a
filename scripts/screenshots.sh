#!/usr/bin/env bash
# Takes the pictures of docs/screenshots again: every window of the program,
# in both languages, <edition>-<window>-<language>.png. The pictures are
# committed; run this after changing a window.
#   screenshots.sh [EDITION...]    windows, qt (the default: all editions)
#
# windows: the Windows edition under wine (win-*.png), taken by its window
#   test while it drives the programs (SCREENSHOT_DIR).
# qt: the Linux edition's Qt windows (qt-*.png) on a virtual X display with
#   a window manager (openbox) and a notification area (trayer), driven as
#   a user would (xdotool: clicks placed by the dialog descriptions, keys),
#   each window captured with its frame (import -window root, cut to the
#   window). Settings, lock, event log and reader are private to the run: a
#   simulated reader sends the card that the main window shows in test
#   mode. TAVOLIN_LINUX_BUILD=DIR names a Linux build to use instead of the
#   preset's. Run it as root or as an administrator (sudo group): for other
#   users the main window disables its Settings and Exit buttons.
set -Eeuo pipefail
trap 'echo "screenshots: line $LINENO failed" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$root/docs/screenshots
dialogs=$root/resources/dialogs.txt
mkdir -p "$out"
scripts/install-deps.sh images # ImageMagick's import takes the pictures
# A fixed place, so that the paths the windows show are the same every time.
work=/tmp/tavolin-screenshots
rm -rf "$work"
mkdir -p "$work"
background=()
cleanup() {
  for pid in "${background[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "screenshots: $*" >&2
  tail -n 5 "$work/openbox.log" "$work/trayer.log" >&2 2>/dev/null || true
  exit 1
}

# ---------------------------------------------------------------------------
# The Windows edition under wine (win-*.png), against the reader simulator
# of the Linux build.

windows() {
  scripts/install-deps.sh
  cmake --preset linux
  cmake --build --preset linux --target tavolin-readersim
  cmake --preset windows
  cmake --build --preset windows --target tavolin_en tavolin_de tavolin-console tavolin-uidriver
  SCREENSHOT_DIR=$out ctest --preset windows -R '^tavolin_windows_ui$'
}

# ---------------------------------------------------------------------------
# The display and the helpers of the Qt edition's pictures

# Xvfb, openbox and trayer; sets DISPLAY.
start_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  background+=($!)
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$(tr -d '\n' <"$work/display")
  openbox >"$work/openbox.log" 2>&1 &
  background+=($!)
  for _ in $(seq 100); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.05; done
  trayer --edge bottom --align right --widthtype request --height 28 --SetDockType true --transparent false \
    --tint 0xe0e0e0 >"$work/trayer.log" 2>&1 &
  background+=($!)
  for _ in $(seq 100); do xdotool search --name '^panel$' >/dev/null 2>&1 && break; sleep 0.05; done
  # A desktop's colour around the windows.
  convert -size 1024x768 xc:'#4a6a8a' "$work/desktop.png"
  display -window root "$work/desktop.png" || true
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# The active window, once it is shown and its title matches the
# expression (and it is not the window given as second argument).
active_window() {
  local window
  for _ in $(seq 100); do
    if window=$(xdotool getactivewindow 2>/dev/null) && [ "$window" != "${2:-}" ] && viewable "$window" &&
       [[ "$(xdotool getwindowname "$window")" =~ $1 ]]; then
      echo "$window"
      return
    fi
    sleep 0.1
  done
  fail "no window titled '$1' became active (the active window: $(xdotool getactivewindow getwindowname 2>&1))"
}

# The largest of the windows whose title matches the expression.
largest_window() {
  local window
  for window in $(xdotool search --name "$1"); do
    echo "$(xwininfo -id "$window" | awk '/Width:/ {print $NF}') $window"
  done | sort -n | tail -n 1 | cut -d' ' -f2
}

# Position and size of a window's inside: x y width height.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
                           /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}

# Captures the window with its frame as NAME.png.
capture() {
  local window=$1 name=$2 x y w h left=0 right=0 top=0 bottom=0
  sleep 0.5
  read -r x y w h < <(window_geometry "$window")
  local extents
  extents=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ',')
  [ -n "$extents" ] && read -r left right top bottom <<<"$extents"
  import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" +repage \
    "$out/$name.png"
  echo "  $name.png"
}

# Captures the part of the screen given as WxH+X+Y as NAME.png.
capture_area() {
  sleep 0.5
  import -window root -crop "$1" +repage "$out/$2.png"
  echo "  $2.png"
}

# Clicks a control of a window made from the dialog description: its
# middle, in dialog units, scaled by the window's size over the dialog's.
click_control() {
  local window=$1 dialog=$2 control=$3 dw dh cx cy cw ch w h
  read -r dw dh cx cy cw ch < <(awk -v d="$dialog" -v c="$control" \
    '$1 == "dialog" {inside = $2 == d; size = $4 " " $5} inside && $2 == c {print size, $3, $4, $5, $6}' "$dialogs")
  [ -n "${ch:-}" ] || fail "no control $control in $dialog"
  read -r _ _ w h < <(window_geometry "$window")
  xdotool mousemove --window "$window" $(((2 * cx + cw) * w / (2 * dw))) $(((2 * cy + ch) * h / (2 * dh))) click 1
}

# The shown window of the given inside size among the window's descendants
# (a sheet's page: the one on top).
child_of_size() {
  local child
  for child in $(xwininfo -tree -id "$1" | awk -v size="$2x$3+" 'index($0, size) {print $1}'); do
    xwininfo -id "$child" | grep -q 'Map State: IsViewable' && { echo "$child"; return; }
  done
}

# ---------------------------------------------------------------------------
# The Qt edition (tavolin_en, tavolin_de)

linux_build=${TAVOLIN_LINUX_BUILD:-$root/build/linux}

qt_screenshots() {
  scripts/install-deps.sh screenshots
  if [ -n "${TAVOLIN_LINUX_BUILD:-}" ]; then
    cmake -S "$root" -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/cmake.log" 2>&1
  else
    cmake --preset linux >"$work/cmake.log" 2>&1
  fi || fail "configuring $linux_build failed: $(tail -20 "$work/cmake.log")"
  cmake --build "$linux_build" --target tavolin_en tavolin_de tavolin-console tavolin-readersim >"$work/build.log" 2>&1 ||
    fail "the build failed: $(tail -20 "$work/build.log")"
  start_display
  qt_language en "Settings" "Help" "ASCII table"
  qt_language de "Einstellungen" "Hilfe" "ASCII-Tabelle"
}

# LANGUAGE SHEET-TITLE HELP-TITLE ASCII-TITLE
qt_language() {
  local language=$1 sheet_title=$2 help_title=$3 ascii_title=$4
  local program=$linux_build/src/frontend/qt/tavolin_$language
  local console=$linux_build/src/frontend/console/tavolin-console
  local run=$work/$language
  mkdir -p "$run/appdata" "$run/runtime"
  chmod 700 "$run/runtime"
  export TAVOLIN_REGISTRY=$run/tavolin.reg TAVOLIN_LOCKFILE=$run/lock TAVOLIN_EVENTLOG=$run/events.log
  export APPDATA=$run/appdata XDG_RUNTIME_DIR=$run/runtime
  "$console" --set "COM=$work/ttyUSB0" --set "Ravlink protocol=no" --set "Speed=9600" \
    --set "Total reader data length=8" --set "Read stop position=4" --set "2. Read start position=5" \
    --set "2. Read stop position=8" --set "Postfix characters=<CR>" \
    --set "Sound file=/usr/share/tavolin/Elvorbeep.wav" >/dev/null
  echo "Qt edition, $language:"

  : >"$run/commands"
  rm -f "$work/ttyUSB0"
  "$linux_build/tools/readersim/tavolin-readersim" --link "$work/ttyUSB0" --commands "$run/commands" --kind active \
    2>"$run/sim.log" &
  local sim=$!
  background+=($sim)
  for _ in $(seq 100); do [ -L "$work/ttyUSB0" ] && break; sleep 0.05; done
  [ -L "$work/ttyUSB0" ] || fail "the reader simulator did not start: $(cat "$run/sim.log")"
  # The window hides into the tray one second after the start. Every
  # widget a window of its own: the script finds the sheet's pages.
  QT_USE_NATIVE_WINDOWS=1 "$program" >"$run/out" 2>"$run/err" &
  local pid=$!
  background+=($pid)
  for _ in $(seq 100); do grep -q '^information \[3\]' "$run/events.log" 2>/dev/null && break; sleep 0.05; done
  grep -q '^information \[3\]' "$run/events.log" || fail "tavolin_$language does not read: $(cat "$run/events.log")"
  local panel main
  panel=$(xdotool search --name '^panel$' | head -1)
  sleep 2

  read -r _ _ w h < <(window_geometry "$panel")
  xdotool mousemove --window "$panel" $((w - h / 2)) $((h / 2)) click 3
  sleep 0.5
  capture_area 300x120+724+648 "qt-tray-menu-$language"
  xdotool key Escape
  # A double-click on the icon shows the window; one that comes while the
  # menu is still closing is taken for two clicks.
  main=$(largest_window '^Elvor Tavolin$')
  for _ in 1 2 3; do
    sleep 0.5
    xdotool mousemove --window "$panel" $((w - h / 2)) $((h / 2)) click --repeat 2 --delay 80 1
    for _ in $(seq 20); do viewable "$main" && break; sleep 0.1; done
    viewable "$main" && break
  done
  viewable "$main" || fail "a double-click on the tray icon does not show the window"
  active_window '^Elvor Tavolin$' >/dev/null

  click_control "$main" IDD_TAVOLIN_DIALOG IDC_MAIN_TEST_ON
  echo "text 12345678" >>"$run/commands"
  sleep 1
  capture "$main" "qt-main-$language"

  click_control "$main" IDD_TAVOLIN_DIALOG IDC_MAIN_CONF
  local sheet page ascii
  sheet=$(active_window "$sheet_title")
  capture "$sheet" "qt-settings-com-$language"
  read -r _ _ w h < <(window_geometry "$main")
  xdotool key ctrl+Tab
  capture "$sheet" "qt-settings-data-$language"
  page=$(child_of_size "$sheet" $((460 * w / 417)) $((280 * h / 252)))
  [ -n "$page" ] || fail "the card data page is not found"
  click_control "$page" IDD_ATTR_DATA IDC_DATA_ASCII_HELP
  ascii=$(active_window "$ascii_title")
  capture "$ascii" "qt-ascii-$language"
  xdotool key Escape
  active_window "$sheet_title" >/dev/null
  xdotool key ctrl+Tab
  capture "$sheet" "qt-settings-pfix-$language"
  if [ "$language" = en ]; then
    # The serial devices the machine has, and the stored one.
    xdotool key ctrl+Tab
    sleep 0.3
    xdotool key alt+Down  # the port list, the page's first control, has the focus
    capture "$sheet" "qt-settings-com-ports-$language"
    xdotool key Escape
  fi
  xdotool key Escape
  active_window '^Elvor Tavolin$' >/dev/null

  click_control "$main" IDD_TAVOLIN_DIALOG IDC_MAIN_HELP
  capture "$(active_window "$help_title")" "qt-help-$language"
  xdotool key Escape
  active_window '^Elvor Tavolin$' >/dev/null
  click_control "$main" IDD_TAVOLIN_DIALOG IDC_MAIN_INFO
  capture "$(active_window '' "$main")" "qt-about-$language"
  xdotool key Escape
  active_window '^Elvor Tavolin$' >/dev/null

  click_control "$main" IDD_TAVOLIN_DIALOG IDC_CANCEL
  wait "$pid" || fail "tavolin_$language ended with $?: $(cat "$run/err")"
  echo quit >>"$run/commands"
  wait "$sim" || true
}

editions=("$@")
[ ${#editions[@]} -gt 0 ] || editions=(windows qt)
for edition in "${editions[@]}"; do
  case $edition in
    windows) windows ;;
    qt) qt_screenshots ;;
    *)
      echo "usage: screenshots.sh [windows|qt]..."
      exit 2
      ;;
  esac
done
ls -l "$out"
