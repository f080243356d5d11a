#!/usr/bin/env bash
# The console edition when things go wrong, and over many readings: a
# settings file it cannot read as a whole, a reader that vanishes in the
# middle of a reading, a bus reader sending garbage, files it cannot write,
# and a soak of many readings through both reader kinds.
#   console_faults.sh TAVOLIN-CONSOLE TAVOLIN-READERSIM [BUS-READINGS ACTIVE-READINGS [GAP-MS]]
# With TAVOLIN_SOAK_ONLY=1 only the soak runs (scripts/soak.sh). The active
# reader's bursts are GAP-MS apart (300): the program ends a burst 200 ms
# after its last byte, and on a busy machine its reading thread may come
# to the port some tens of milliseconds late, which at 250 ms now and then
# joins two bursts into one reading, as it would with a real reader.
set -u
console=$1 readersim=$2 busReadings=${3:-10000} activeReadings=${4:-500} gap=${5:-300}
work=$(mktemp -d)
sim= run= mounted=
cleanup() {
  [ -n "$run" ] && kill "$run" 2>/dev/null
  [ -n "$sim" ] && kill "$sim" 2>/dev/null
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
export TAVOLIN_REGISTRY="$work/tavolin.reg" TAVOLIN_LOCKFILE="$work/run/lock" TAVOLIN_EVENTLOG="$work/run/events.log"
export APPDATA="$work/appdata"
mkdir -p "$APPDATA" "$work/run"
chmod 777 "$work/run"
unset DISPLAY WAYLAND_DISPLAY
fail() {
  echo "FAILED: $*"
  for f in out err events.log sim.log appdata/TavolinTrace.txt; do echo "--- $f"; tail -n 30 "$work/$f" 2>/dev/null; done
  exit 1
}
# Waits up to 10 s for a line matching the pattern in the file.
wait_for() { for _ in $(seq 200); do grep -q -- "$2" "$work/$1" 2>/dev/null && return 0; sleep 0.05; done; return 1; }
source "$(dirname "$0")/../../tools/readersim/readersim.bash"
start_console() {
  : >"$work/out"  # now, not in the background: a wait must not find the last run's lines
  "$@" --keyboard=print >>"$work/out" 2>"$work/err" &
  run=$!
}
stop_console() {
  kill -INT "$run"
  wait "$run"; status=$?
  run=
}
send() { echo "$*" >>"$work/commands"; }
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$run/status"; }
# Whether resident memory stayed within KIB of BEFORE. A sanitizer's
# runtime keeps freed memory in quarantine and its own bookkeeping, so
# there memory is not the program's and is not checked.
sanitized=${ASAN_OPTIONS:+address}${TSAN_OPTIONS:+thread}
memory_flat() {
  local before=$1 kib=$2
  [ -n "$sanitized" ] || [ $(($(rss) - before)) -lt "$kib" ]
}
# Waits for the program to end by itself, within the seconds given.
ends_within() {
  local seconds=$1 _
  for _ in $(seq $((seconds * 20))); do kill -0 "$run" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$run" 2>/dev/null && return 1
  wait "$run"; status=$?
  run=
}
# The eight-digit card numbers FROM to TO, one a line.
numbers() { seq -f "%08g" "$1" "$2"; }
# The data log files of this run: every reading once, in order, 2000 lines a file.
check_data_log() {
  local count=$1 files
  files=$(ls "$APPDATA/TavolinLog" | wc -l)
  [ "$files" = $((count / 2000 + 1)) ] || fail "$count readings give $files data log files"
  for f in "$APPDATA"/TavolinLog/*; do
    [ "$f" = "$(ls "$APPDATA"/TavolinLog/* | tail -n 1)" ] && break
    [ "$(wc -l <"$f")" = 2000 ] || fail "data log file $f does not hold 2000 lines"
  done
  # A bus reader's line holds the whole frame text, the card number last.
  cat "$APPDATA"/TavolinLog/* | sed 's/.*: data: //; s/.*;//; s/\*$//' | cmp -s - <(numbers 1 "$count") \
    || fail "the data log does not hold every reading once"
}

"$console" --set "COM=$work/com" --set "Ravlink protocol=no" --set "Total reader data length=8" \
  --set "Read stop position=8" --set "Postfix characters=<CR>" >/dev/null || fail "--set"
cp "$TAVOLIN_REGISTRY" "$work/settings"

if [ "${TAVOLIN_SOAK_ONLY:-}" != 1 ]; then
  # A settings file that cannot be read as a whole: the defaults, a reason,
  # and the file untouched by the start and by a --set.
  mkdir "$work/folder.reg"
  head -c 8192 "$console" >"$work/garbage.reg"
  { cat "$work/settings"; head -c 1100000 /dev/zero | tr '\0' ';'; } >"$work/large.reg"
  for f in folder garbage large; do
    file="$work/$f.reg"
    [ -d "$file" ] || cp "$file" "$work/before"
    TAVOLIN_REGISTRY=$file "$console" --show-settings >"$work/out" 2>"$work/err" || fail "$f: --show-settings"
    grep -qx "COM=2" "$work/out" || fail "$f: the defaults are not used"
    grep -q "settings file $file is not used" "$work/err" || fail "$f: no reason given"
    TAVOLIN_REGISTRY=$file "$console" --set "Speed=4800" >/dev/null 2>"$work/err" && fail "$f: --set succeeded"
    if [ -d "$file" ]; then
      [ -z "$(ls -A "$file")" ] || fail "$f: something was written into it"
    else
      cmp -s "$file" "$work/before" || fail "$f: the file was changed"
    fi
    [ "$(ls -A "$work" | grep -c '^\.tavolin')" = 0 ] || fail "$f: a temporary file was left"
  done

  # The reader vanishes in the middle of a burst, and of a frame: the
  # watchdog ends the program within its period with exit code 4.
  for kind in active bus; do
    cp "$work/settings" "$TAVOLIN_REGISTRY"
    [ $kind = bus ] && "$console" --set "Ravlink protocol=yes" >/dev/null
    : >"$TAVOLIN_EVENTLOG"
    readersim_start "$readersim" --kind $kind
    start_console "$console"
    wait_for out "is active" || fail "$kind: reading did not start"
    if [ $kind = active ]; then send "card 31 32 33"; else send "card 02 00 0f 30 3b 31"; fi
    sleep 0.05
    send "hangup"
    since=$(date +%s%N)
    ends_within 5 || fail "$kind: the program did not end after the reader vanished"
    [ $status = 4 ] || fail "$kind: vanished mid-reading: exit code $status"
    took=$((($(date +%s%N) - since) / 1000000))
    [ $took -le 3500 ] || fail "$kind: the program ended $took ms after the reader vanished"
    grep -q "^Communication error with reader at $work/com." "$work/err" || fail "$kind: watchdog message"
    grep -q "^error \[10\] .* ends. Reason: reading thread failed to communicate with $work/com" \
      "$TAVOLIN_EVENTLOG" || fail "$kind: entry 10"
    grep -q "^Typed:" "$work/out" && fail "$kind: half a reading was typed"
  done

  # A bus reader that sends nonsense. A frame with a damaged block check is
  # refused and taken when repeated; a frame whose length field announces
  # 65535 bytes is dropped and refused after an idle period, and the frame
  # it swallowed is taken when the reader repeats it. Bytes out of step, an ACK or NAK
  # in place of a frame and two damaged frames in a row end the reading
  # (exit code 4), each with its reason in the trace.
  "$console" --set "Ravlink protocol=yes" >/dev/null
  cases=(
    "fault checksum|frame 0;1;2;3;4;00000001*|running|-"
    "card 02 ff ff 30 31 32|frame 0;1;2;3;4;00000002*|running|-"
    "card 41 42 43 44|4|Protocol error Ravlink state"
    "card 15 15 15 15 15 15 15 15|4|Protocol error Ravlink Rx"
    "card 02 00 01 31 03 00|card 02 00 01 31 03 00|4|Packet discarded"
  )
  for c in "${cases[@]}"; do
    IFS='|' read -r -a parts <<<"$c"
    reason=${parts[-1]} outcome=${parts[-2]}
    : >"$APPDATA/TavolinTrace.txt"
    readersim_start "$readersim" --kind bus
    start_console "$console"
    wait_for out "is active" || fail "$c: reading did not start"
    before=$(rss)
    for command in "${parts[@]:0:${#parts[@]}-2}"; do send "$command"; sleep 0.3; done
    if [ "$outcome" = running ]; then
      sleep 4
      kill -0 "$run" 2>/dev/null || fail "$c: the program ended"
      memory_flat "$before" 1024 || fail "$c: resident memory grew from $before to $(rss) KiB"
      grep -q "RavlinkSession::run(): catch" "$APPDATA/TavolinTrace.txt" && fail "$c: the reading failed"
      stop_console
      [ $status = 0 ] || fail "$c: exit code $status"
      case $c in *frame*)
        number=${c##*;4;} number=${number%%\**}
        grep -qx "Typed: $number<CR>" "$work/out" || fail "$c: the repeated frame was not typed" ;;
      esac
    else
      ends_within 5 || fail "$c: the program did not end"
      [ $status = "$outcome" ] || fail "$c: exit code $status"
      grep -q "RavlinkSession::run(): catch RavlinkSessionError $reason" "$APPDATA/TavolinTrace.txt" \
        || fail "$c: no reason in the trace"
    fi
  done
  rm -f "$APPDATA/TavolinTrace.txt"

  # Files the program cannot write: it goes on reading and typing, and says
  # what it could not write.
  queue_readings() { send "queue $(numbers "$1" "$2" | sed 's/.*/0;1;2;3;4;&*/' | paste -sd'|' | sed 's/|/ | /g')"; }
  typed_all() {
    for _ in $(seq 60); do grep -q "^Typed: $(printf %08d "$1")<CR>" "$work/out" && break; sleep 0.5; done
    [ "$(grep -c '^Typed: ' "$work/out")" = "$1" ] || fail "$2: $(grep -c '^Typed: ' "$work/out") of $1 readings typed"
  }
  if [ "$(id -u)" = 0 ]; then
    # A trace file of another user: a user who may not rewrite it is told,
    # and reads and logs all the same.
    : >"$APPDATA/TavolinTrace.txt"
    mkdir -p "$APPDATA/TavolinLog"
    chown 65534 "$APPDATA/TavolinLog"
    : >"$TAVOLIN_EVENTLOG"
    chmod 666 "$TAVOLIN_EVENTLOG"
    readersim_start "$readersim" --kind bus
    chmod 666 "$(readlink "$work/com")"
    start_console setpriv --reuid=65534 --regid=65534 --clear-groups "$console"
    wait_for out "is active" || fail "trace not writable: reading did not start"
    grep -q "Trace file cannot be written again." "$work/err" || fail "trace not writable: nothing said"
    queue_readings 1 3
    typed_all 3 "trace not writable"
    [ "$(cat "$APPDATA"/TavolinLog/* | wc -l)" = 3 ] || fail "trace not writable: the data log misses readings"
    [ -s "$APPDATA/TavolinTrace.txt" ] && fail "trace not writable: it was written"
    stop_console
    rm -rf "$APPDATA/TavolinLog"
  fi

  # The data log folder removed while reading: the next file cannot be
  # made, which the trace names; a full disk loses lines, which the trace
  # names too.
  mkdir -p "$APPDATA/TavolinLog"
  : >"$APPDATA/TavolinTrace.txt"
  readersim_start "$readersim" --kind bus
  start_console "$console"
  wait_for out "is active" || fail "data log removed: reading did not start"
  rm -rf "$APPDATA/TavolinLog"
  queue_readings 1 2001
  typed_all 2001 "data log removed"
  grep -q "^Logfile .*TavolinLog/Datalog[0-9_]*-02.txt cannot be written.$" "$APPDATA/TavolinTrace.txt" \
    || fail "data log removed: the trace does not say so"
  stop_console
  if [ "$(id -u)" = 0 ]; then
    mkdir -p "$APPDATA/TavolinLog"
    mount -t tmpfs -o size=64k tmpfs "$APPDATA/TavolinLog" || fail "cannot mount a small file system"
    mounted=$APPDATA/TavolinLog
    : >"$APPDATA/TavolinTrace.txt"
    readersim_start "$readersim" --kind bus
    start_console "$console"
    wait_for out "is active" || fail "disk full: reading did not start"
    queue_readings 1 1900
    typed_all 1900 "disk full"
    kill -0 "$run" || fail "disk full: the program ended"
    grep -q "^Logfile .*TavolinLog/Datalog[0-9_]*-01.txt cannot be written.$" "$APPDATA/TavolinTrace.txt" \
      || fail "disk full: the trace does not say so"
    [ "$(grep -c "cannot be written" "$APPDATA/TavolinTrace.txt")" = 1 ] || fail "disk full: said more than once"
    stop_console
    umount "$mounted" && mounted=
  fi
  rm -rf "$APPDATA/TavolinLog" "$APPDATA/TavolinTrace.txt"
fi

# The soak: every reading typed once and logged once, the count exact, the
# data log rolling over every 2000 lines, resident memory flat.
soak() {
  local kind=$1 count=$2 first
  rm -rf "$APPDATA/TavolinLog"
  mkdir "$APPDATA/TavolinLog"
  readersim_start "$readersim" --kind "$kind"
  start_console "$console"
  wait_for out "is active" || fail "soak $kind: reading did not start"
  if [ "$kind" = bus ]; then
    send "frame 0;1;2;3;4;00000001*"
    wait_for out "^Typed: 00000001<CR>" || fail "soak bus: first reading"
    first=$(rss)
    send "queue $(numbers 2 "$count" | sed 's/.*/0;1;2;3;4;&*/' | paste -sd'|' | sed 's/|/ | /g')"
  else
    send "text 00000001"
    wait_for out "^Typed: 00000001<CR>" || fail "soak active: first reading"
    first=$(rss)
    numbers 2 "$count" | sed "s/.*/sleep $gap\\ntext &/" >>"$work/commands"
  fi
  local last seconds=$((count / 100 + 60))
  [ "$kind" = active ] && seconds=$((count * (gap + 20) / 1000 + 60))
  last=$(printf "%08d" "$count")
  for _ in $(seq $seconds); do grep -q "^Typed: $last<CR>" "$work/out" && break; sleep 1; done
  sleep 0.5
  local end
  end=$(rss)
  memory_flat "$first" 512 || fail "soak $kind: resident memory grew from $first to $end KiB"
  stop_console
  [ $status = 0 ] || fail "soak $kind: exit code $status"
  grep '^Typed: ' "$work/out" | cmp -s - <(numbers 1 "$count" | sed 's/.*/Typed: &<CR>/') \
    || fail "soak $kind: not every reading typed exactly once, in order: $(grep '^Typed: ' "$work/out" |
      diff - <(numbers 1 "$count" | sed 's/.*/Typed: &<CR>/') | grep '^[<>]' | head -n 6 | tr '\n' ' ')"
  [ "$(grep '^Count of readings: ' "$work/out" | tail -n 1)" = "Count of readings: $count" ] \
    || fail "soak $kind: count line"
  check_data_log "$count"
  echo "soak $kind: $count readings, VmRSS $first -> $end KiB${sanitized:+ (under the $sanitized sanitizer, not checked)}"
}
cp "$work/settings" "$TAVOLIN_REGISTRY"
"$console" --set "Ravlink protocol=yes" >/dev/null
soak bus "$busReadings"
"$console" --set "Ravlink protocol=no" >/dev/null
soak active "$activeReadings"
echo "console faults: all checks passed"
