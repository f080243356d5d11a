#!/usr/bin/env bash
# The main job: builds the Linux edition and runs it against
# tavolin-readersim, a simulated card reader on a pseudo-terminal.
# On a machine with a display the windowed edition (tavolin_en) reads the
# cards and types them into the focused window: a small window of the
# demo's own (tavolin-typetarget), which takes the focus and prints what
# arrives in it. Without one (or with
# --console) the console edition reads them and turns them into key events,
# which it prints (US layout), then shows them in test mode; then a bus
# (Ravlink) reader. Settings, lock and event log are private to this run.
#   scripts/demo.sh [--console] [--keyboard=native]   native: the console types into the focused window
set -euo pipefail
cd "$(dirname "$0")/.."
keyboard=--keyboard=print
windowed=no
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && windowed=yes
for option in "$@"; do
  case "$option" in
    --console) windowed=no ;;
    --keyboard=native) keyboard=$option ;;
    *) echo "usage: scripts/demo.sh [--console] [--keyboard=native]" >&2; exit 2 ;;
  esac
done
# What a first build of the demo's programs took on a 2-core machine.
first_build_console="45 seconds" first_build_windowed="a minute and a half"

# The build's own output goes to a log, shown only when it fails; the user
# sees its progress from ninja's "[done/total]" lines: on a terminal a bar
# redrawn in place, elsewhere (a pipe, a log file) a line at every tenth.
#   show_progress LOG       reads the build's output; $started: when it began
show_progress() {
  local log=$1 line finished total percent tenths=0 now left bar terminal=no open=no
  [ -t 1 ] && terminal=yes
  [ $terminal = yes ] && printf '  configuring...' && open=yes
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$log"
    now=$((SECONDS - started))
    if [[ $line == "-- Build files have been written to"* ]]; then
      [ $open = yes ] && printf '\r\033[K' && open=no
      printf '  configured (%d:%02d)\n' $((now / 60)) $((now % 60))
      continue
    fi
    [[ $line =~ ^\[([0-9]+)/([0-9]+)\]\  ]] || continue
    finished=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
    [ "$total" -gt 0 ] || continue
    percent=$((100 * finished / total))
    # The rest at the pace so far, once there is a pace to go by.
    left=""
    if [ "$finished" -lt "$total" ] && [ $((10 * finished)) -ge "$total" ] && [ $now -ge 5 ]; then
      left=$((now * (total - finished) / finished))
      printf -v left ', about %d:%02d left' $((left / 60)) $((left % 60))
    fi
    if [ $terminal = yes ]; then
      printf -v bar '%*s' $((percent / 4)) ''
      printf '\r\033[K  [%-25s] %3d/%d steps, %d:%02d%s' "${bar// /#}" "$finished" "$total" \
        $((now / 60)) $((now % 60)) "$left"
      open=yes
    elif [ $((percent / 10)) -gt $tenths ]; then
      tenths=$((percent / 10))
      printf '  %3d %% (%d of %d steps, %d:%02d%s)\n' $percent "$finished" "$total" $((now / 60)) $((now % 60)) "$left"
    fi
  done
  [ $open = yes ] && echo
  return 0
}

if [ $windowed = yes ]; then scripts/install-deps.sh windowed; else scripts/install-deps.sh run; fi
# The tests are built too where their packages are installed (a machine
# that ran scripts/test.sh); the demo itself needs none of them.
tests=OFF
dpkg-query -W -f='${Status}' libgtest-dev 2>/dev/null | grep -q '^install ok installed$' && tests=ON
targets=(tavolin-console tavolin-readersim tavolin-demo)
[ $windowed = yes ] && targets+=(tavolin_en tavolin-typetarget)
if [ -f build/linux/build.ninja ]; then
  echo "Building the Linux edition (what changed since the last build)..."
elif [ $windowed = yes ]; then
  echo "Building the Linux edition: a first build takes about $first_build_windowed on 2 cores (more on a busy machine)..."
else
  echo "Building the Linux edition: a first build takes about $first_build_console on 2 cores (more on a busy machine)..."
fi
log=$(mktemp)
started=$SECONDS
if ! { cmake --preset linux -DTAVOLIN_BUILD_TESTS=$tests &&
       cmake --build --preset linux --target "${targets[@]}"; } 2>&1 | show_progress "$log"; then
  cat "$log" >&2
  rm -f "$log"
  echo "The build failed; its output is above." >&2
  exit 1
fi
rm -f "$log"
echo "Built in $(((SECONDS - started) / 60)):$(printf %02d $(((SECONDS - started) % 60)))."
console=$PWD/build/linux/src/frontend/console/tavolin-console
readersim=$PWD/build/linux/tools/readersim/tavolin-readersim

work=$(mktemp -d)
sim= run= target=
trap 'for p in $target $run $sim; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
export TAVOLIN_REGISTRY="$work/tavolin.reg" TAVOLIN_LOCKFILE="$work/lock" TAVOLIN_EVENTLOG="$work/events.log"
export APPDATA="$work"

source tools/readersim/readersim.bash

if [ $windowed = yes ]; then
  echo
  echo "=== The windowed edition: tavolin_en reads a simulated reader and types each card into the focused window"
  # Qt wants a runtime folder of the user's alone; a session without one
  # (su, ssh, a bare X server) gets one of this run's, where Tavolin's
  # --show/--hide socket goes too.
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 0700 "$XDG_RUNTIME_DIR"
  fi
  "$console" --set "COM=$work/com" --set "Ravlink protocol=no" --set "Read stop position=8" \
    --set "Total reader data length=8" --set "Postfix characters=<CR>" >/dev/null
  readersim_start "$readersim" --kind active
  build/linux/src/frontend/qt/tavolin_en &
  run=$!
  echo "Tavolin starts and goes into the notification area after a second (or is minimised where there is none)."
  # Tavolin's window takes the focus when it shows, and on a display
  # without a window manager keeps it when it is minimised: the demo's
  # window opens once Tavolin reads (its event-log entry) and has hidden or
  # minimised its window, and takes the focus then.
  for _ in $(seq 100); do [ -s "$work/events.log" ] && break; kill -0 "$run" 2>/dev/null || break; sleep 0.1; done
  sleep 1.5
  if [ -n "${DISPLAY:-}" ]; then
    build/linux/tools/typetarget/tavolin-typetarget >"$work/arrived" 2>&1 &
    target=$!
    for _ in $(seq 50); do grep -qx ready "$work/arrived" && break; kill -0 "$target" 2>/dev/null || break; sleep 0.1; done
    if ! grep -qx ready "$work/arrived"; then
      cat "$work/arrived" >&2
      kill "$target" 2>/dev/null || true
      target=
    fi
  fi
  if [ -n "$target" ]; then
    echo "The demo's window \"Tavolin demo: the cards arrive here\" has the keyboard focus: a card is typed there"
    echo "every three seconds, and what arrives is shown here. Click into another text field to see them arrive there."
  else
    echo "Click into a text field: a card is typed there every three seconds."
  fi
  echo "Open Tavolin's window (tray icon) and press \"Enable test\" to see the cards decoded instead."
  cards=(12345678 0042ABCD 87654321 11223344 99887766)
  shown=0
  for card in "${cards[@]}"; do
    sleep 2.5
    echo "card $card"
    echo "text $card" >>"$work/commands"
    [ -n "$target" ] || continue
    # What arrives in the demo's window: a card comes well within the two
    # seconds waited (the reader's burst ends after 200 ms of silence, then
    # Tavolin types it); one that comes later is shown with the next.
    for _ in $(seq 20); do
      [ "$(grep -c '^arrived: ' "$work/arrived")" -gt $shown ] && break
      sleep 0.1
    done
    lines=$(grep '^arrived: ' "$work/arrived" | tail -n +$((shown + 1)) || true)
    if [ -n "$lines" ]; then
      echo "$lines"
      shown=$((shown + $(wc -l <<<"$lines")))
    else
      echo "(nothing arrived in the demo's window: the card went where the focus is)"
    fi
  done
  if [ -n "$target" ]; then
    arrived=0
    for card in "${cards[@]}"; do grep -qx "arrived: $card" "$work/arrived" && arrived=$((arrived + 1)); done
    echo "$arrived of ${#cards[@]} cards arrived in the demo's window as the reader sent them."
  fi
  # End of input (Ctrl-D) ends the demo as Enter does.
  if [ -t 0 ]; then read -r -p "Press Enter to end the demo. " _ || echo; else sleep 3; fi
  [ -n "$target" ] && { kill "$target" 2>/dev/null || true; target=; }
  kill "$run" 2>/dev/null; wait "$run" 2>/dev/null || true; run=
  echo "Event log entries of this run:"
  cat "$work/events.log"
  exit 0
fi
# Runs the console edition with the options given while the reader sends
# the cards given, one a second; then ends it as Ctrl-C does.
read_cards() {
  local options=() cards=()
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  cards=("$@")
  "$console" "$keyboard" "${options[@]}" &
  run=$!
  sleep 1.5
  for card in "${cards[@]}"; do echo "$card" >>"$work/commands"; sleep 1; done
  kill -INT "$run"; wait "$run" || true; run=
}
section() { echo; echo "=== $*"; }

section "Settings: an active-sending reader on the simulator's port, <TAB> before and <CR> after each card"
"$console" --set "COM=$work/com" --set "Ravlink protocol=no" --set "Speed=9600" \
  --set "Read stop position=8" --set "Total reader data length=8" \
  --set "Prefix characters=<TAB>" --set "Postfix characters=<CR>"

section "tavolin-console reads two cards (12345678 and 0042ABCD) and types them"
readersim_start "$readersim" --kind active
read_cards -- "text 12345678" "text 0042ABCD"

section "The same reader, test mode: readings are shown, not typed (a short burst warns)"
read_cards --test -- "text 0042ABCD" "text 0042"

section "A Ravlink bus reader: identified, then a card frame is typed"
"$console" --set "Ravlink protocol=yes" --set "Speed=19200" --set "Prefix characters=none" >/dev/null
readersim_start "$readersim" --kind bus --type D --info F1 --param 12345
read_cards -- "frame 0;1;2;3;4;87654321*"

section "Event log entries of this run"
cat "$work/events.log"
