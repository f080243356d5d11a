#!/usr/bin/env bash
# The console edition when things go wrong, and over many readings (the
# soak alone with TAVOLIN_SOAK_ONLY=1, as scripts/soak.sh runs it).
#   console_faults.sh TAVOLIN-CONSOLE TAVOLIN-READERSIM [BUS-READINGS ACTIVE-READINGS [GAP-MS]]
# The active reader's bursts are GAP-MS (300) apart: a burst ends 200 ms
# after its last byte, and on a busy machine the reading thread may be tens
# of milliseconds late, which at 250 ms now and then joins two bursts.
console=$1 readersim=$2 busReadings=${3:-10000} activeReadings=${4:-500} gap=${5:-300}
source "$(dirname "$0")/lib.bash"
private_paths
# The lock and the event log where the runs as another user write them too.
export TAVOLIN_LOCKFILE=$work/run/lock TAVOLIN_EVENTLOG=$work/run/events.log
mkdir -m 777 "$work/run"
chmod 755 "$work"
trace=$APPDATA/TavolinTrace.txt datalog=$APPDATA/TavolinLog mounted=
logs=(out err run/events.log sim.log appdata/TavolinTrace.txt) at_exit=('[ -z "$mounted" ] || umount "$mounted"')
# KIND [PREFIX...]: a fresh reader of KIND, read by the console (behind
# PREFIX, the reader's device open to every user).
reading() {
  readersim_start "$readersim" --kind "$1"
  [ $# -gt 1 ] && chmod 666 "$(readlink "$work/com")"
  : >"$work/out"
  spawn run "${@:2}" "$console" --keyboard=print >>"$work/out" 2>"$work/err"
  wait_for out "is active"
}
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$run/status"; }
# BEFORE KIB: resident memory stayed within KIB of BEFORE; not checked
# under a sanitizer, whose runtime keeps freed memory and bookkeeping.
sanitized=${ASAN_OPTIONS:+address}${TSAN_OPTIONS:+thread}
memory_flat() { [ -n "$sanitized" ] || [ $(($(rss) - $1)) -lt "$2" ] || fail "resident memory grew from $1 to $(rss) KiB"; }
# FROM TO: the eight-digit card numbers, one a line; queue: their frames at once.
numbers() { seq -f "%08g" "$1" "$2"; }
queue() { send "queue $(numbers "$1" "$2" | sed 's/.*/0;1;2;3;4;&*/' | paste -sd'|' | sed 's/|/ | /g')"; }
# COUNT: the readings 1 to COUNT queued, and all typed within 30 s.
typed_all() {
  queue 1 "$1"
  poll=0.5 wait_for out "^Typed: $(printf %08d "$1")<CR>" 30
  [ "$(grep -c '^Typed: ' "$work/out")" = "$1" ] || fail "$(grep -c '^Typed: ' "$work/out") of $1 readings typed"
}
settings "COM=$work/com" "Ravlink protocol=no" "Total reader data length=8" "Read stop position=8" \
  "Postfix characters=<CR>"
if [ "${TAVOLIN_SOAK_ONLY:-}" != 1 ]; then
  # A settings file that cannot be read as a whole: the defaults, a reason,
  # and the file untouched by the start and by a --set.
  mkdir "$work/folder.reg"
  head -c 8192 "$console" >"$work/garbage.reg"
  { cat "$TAVOLIN_REGISTRY"; head -c 1100000 /dev/zero | tr '\0' ';'; } >"$work/large.reg"
  snapshot() { if [ -d "$1" ]; then ls -A "$1"; else md5sum <"$1"; fi; }
  for scenario in folder garbage large; do
    file=$work/$scenario.reg before=$(snapshot "$work/$scenario.reg")
    TAVOLIN_REGISTRY=$file exits 0 "$console" --show-settings >"$work/out" 2>"$work/err"
    has out "^COM=2$"
    has err "settings file $file is not used"
    TAVOLIN_REGISTRY=$file "$console" --set "Speed=4800" >/dev/null 2>"$work/err" && fail "--set succeeded"
    [ "$(snapshot "$file")" = "$before" ] || fail "it was changed"
    [ "$(ls -A "$work" | grep -c '^\.tavolin')" = 0 ] || fail "a temporary file was left"
  done
  # The reader vanishes in the middle of a burst, and of a frame: the
  # watchdog ends the program within its period with exit code 4.
  for scenario in "active|no|card 31 32 33" "bus|yes|card 02 00 0f 30 3b 31"; do
    IFS='|' read -r kind ravlink card <<<"$scenario"
    settings "Ravlink protocol=$ravlink"
    : >"$TAVOLIN_EVENTLOG"
    reading $kind
    send "$card" && sleep 0.05 && send hangup
    since=${EPOCHREALTIME/./}
    ends_within 5 run 4
    took=$(((${EPOCHREALTIME/./} - since) / 1000))
    [ $took -le 3500 ] || fail "the program ended $took ms after the reader vanished"
    has err "^Communication error with reader at $work/com."
    has "$TAVOLIN_EVENTLOG" "^error \[10\] .* ends. Reason: reading thread failed to communicate with $work/com"
    lacks out "^Typed:"
  done
  # A bus reader that sends nonsense: a frame with a damaged block check,
  # and one announcing 65535 bytes (dropped after an idle period, with the
  # frame it swallowed), are refused and taken when repeated; bytes out of
  # step, ACK or NAK for a frame, two damaged frames in a row end the
  # reading (exit code 4), each with its reason in the trace.
  for scenario in "fault checksum|frame 0;1;2;3;4;00000001*|running|-" \
    "card 02 ff ff 30 31 32|frame 0;1;2;3;4;00000002*|running|-" "card 41 42 43 44|4|Protocol error Ravlink state" \
    "card 15 15 15 15 15 15 15 15|4|Protocol error Ravlink Rx" \
    "card 02 00 01 31 03 00|card 02 00 01 31 03 00|4|Packet discarded"; do
    IFS='|' read -r -a parts <<<"$scenario"
    reason=${parts[-1]} outcome=${parts[-2]}
    : >"$trace"
    reading bus
    before=$(rss)
    for command in "${parts[@]:0:${#parts[@]}-2}"; do send "$command"; sleep 0.3; done
    if [ "$outcome" = running ]; then
      sleep 4
      gone "$run" && fail "the program ended"
      memory_flat "$before" 1024
      lacks "$trace" "RavlinkSession::run(): catch"
      stop run INT 0
      number=${scenario##*;4;} number=${number%%\**}
      has out "^Typed: $number<CR>$"
    else
      ends_within 5 run "$outcome"
      has "$trace" "RavlinkSession::run(): catch RavlinkSessionError $reason"
    fi
  done
  scenario=
  rm -f "$trace"
  # Files it cannot write: it reads and types on, and says what it could not
  # write. A trace file of another user: the user is told, and reads and logs.
  if [ "$(id -u)" = 0 ]; then
    : >"$trace"
    mkdir -p "$datalog" && chown 65534 "$datalog"
    install -m 666 /dev/null "$TAVOLIN_EVENTLOG"
    reading bus setpriv --reuid=65534 --regid=65534 --clear-groups
    has err "Trace file cannot be written again."
    typed_all 3
    [ "$(cat "$datalog"/* | wc -l)" = 3 ] || fail "trace not writable: the data log misses readings"
    [ -s "$trace" ] && fail "trace not writable: it was written"
    stop run INT
    rm -rf "$datalog"
  fi
  # The data log folder removed while reading: the next file cannot be made;
  # a full disk loses lines. The trace says so (a full disk once).
  for scenario in "removed 2001 02" "full 1900 01"; do
    read -r fault count file <<<"$scenario"
    mkdir -p "$datalog"
    if [ $fault = full ]; then
      [ "$(id -u)" = 0 ] || break
      mount -t tmpfs -o size=64k tmpfs "$datalog" || fail "cannot mount a small file system"
      mounted=$datalog
    fi
    : >"$trace"
    reading bus
    [ $fault = removed ] && rm -rf "$datalog"
    typed_all "$count"
    gone "$run" && fail "the program ended"
    has "$trace" "^Logfile .*TavolinLog/Datalog[0-9_]*-$file.txt cannot be written.$"
    [ $fault = removed ] || [ "$(grep -c "cannot be written" "$trace")" = 1 ] || fail "said more than once"
    stop run INT
    [ -z "$mounted" ] || { umount "$mounted" && mounted=; }
  done
  scenario=
  rm -rf "$datalog" "$trace"
fi
# KIND COUNT RAVLINK: the soak; every reading typed and logged once, the
# count exact, the data log rolling over every 2000 lines, memory flat.
soak() {
  local kind=$1 count=$2 first end seconds=$(($2 / 100 + 60)) want files f scenario="soak $1"
  settings "Ravlink protocol=$3"
  rm -rf "$datalog" && mkdir "$datalog"
  reading "$kind"
  if [ "$kind" = bus ]; then send "frame 0;1;2;3;4;00000001*"; else send "text 00000001"; fi
  wait_for out "^Typed: 00000001<CR>"
  first=$(rss)
  if [ "$kind" = bus ]; then
    queue 2 "$count"
  else
    numbers 2 "$count" | sed "s/.*/sleep $gap\\ntext &/" >>"$work/commands"
    seconds=$((count * (gap + 20) / 1000 + 60))
  fi
  poll=1 wait_for out "^Typed: $(printf "%08d" "$count")<CR>" "$seconds"
  sleep 0.5
  end=$(rss)
  memory_flat "$first" 512
  stop run INT 0
  want=$(numbers 1 "$count" | sed 's/.*/Typed: &<CR>/')
  [ "$(grep '^Typed: ' "$work/out")" = "$want" ] || fail "not every reading typed exactly once, in order: \
$(grep '^Typed: ' "$work/out" | diff - <(echo "$want") | grep '^[<>]' | head -n 6 | tr '\n' ' ')"
  [ "$(grep '^Count of readings: ' "$work/out" | tail -n 1)" = "Count of readings: $count" ] || fail "count line"
  # The data log: every reading once, in order, 2000 lines a file; a bus
  # reader's line holds the whole frame text, the card number last.
  files=("$datalog"/*)
  [ ${#files[@]} = $((count / 2000 + 1)) ] || fail "$count readings give ${#files[@]} data log files"
  for f in "${files[@]:0:${#files[@]}-1}"; do [ "$(wc -l <"$f")" = 2000 ] || fail "$f does not hold 2000 lines"; done
  cat "${files[@]}" | sed 's/.*: data: //; s/.*;//; s/\*$//' | cmp -s - <(numbers 1 "$count") ||
    fail "the data log does not hold every reading once"
  echo "soak $kind: $count readings, VmRSS $first -> $end KiB${sanitized:+ (under the $sanitized sanitizer, not checked)}"
}
soak bus "$busReadings" yes
soak active "$activeReadings" no
echo "console faults: all checks passed"
