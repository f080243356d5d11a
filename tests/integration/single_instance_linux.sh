#!/usr/bin/env bash
# One instance per machine on Linux: the lock file with real processes.
#   single_instance_linux.sh PROBE
set -u
probe=$1
work=$(mktemp -d)
chmod 755 "$work"
first=
trap '[ -n "$first" ] && kill "$first" 2>/dev/null; rm -rf "$work"' EXIT
export TAVOLIN_LOCKFILE="$work/TavolinMutex" TAVOLIN_EVENTLOG="$work/events.log"
fail() { echo "FAILED: $*"; echo "--- events"; cat "$TAVOLIN_EVENTLOG" 2>/dev/null; exit 1; }

# A first instance runs; a second one ends with entry 5 and exit code 1.
"$probe" --hold 3000 >"$work/first.out" &
first=$!
for _ in $(seq 100); do grep -qx running "$work/first.out" && break; sleep 0.05; done
grep -qx running "$work/first.out" || fail "the first instance did not start"
[ "$(stat -c %a "$TAVOLIN_LOCKFILE")" = 666 ] || fail "the lock file is not open to every user"
second=$("$probe"); status=$?
[ $status -eq 1 ] || fail "second instance: exit code $status"
[ "$second" = "Elvor Tavolin is already running, therefore this Elvor Tavolin ends." ] || fail "message: $second"
grep -qx "warning \[5\] Elvor Tavolin (Version 2.10.00) is already running. This second instance started by user $(id -un) ends." \
  "$TAVOLIN_EVENTLOG" || fail "entry 5"
german=$("$probe" --german)
[ "$german" = "$(printf 'Elvor Tavolin l\xe4uft bereits. Deshalb beendet sich dieses Elvor Tavolin.' | iconv -f cp1252 -t utf-8)" ] \
  || [ "$german" = "$(printf 'Elvor Tavolin l\xe4uft bereits. Deshalb beendet sich dieses Elvor Tavolin.')" ] || fail "german: $german"
wait $first || fail "the first instance was disturbed"

# Free again: the next start runs.
[ "$("$probe")" = running ] || fail "no start after the first ended"

# A lock file the user may not open (made by an administrator with tighter
# rights): entry 4, "already running with administration rights".
if [ "$(id -u)" -eq 0 ]; then
  chmod 600 "$TAVOLIN_LOCKFILE"
  chmod 666 "$TAVOLIN_EVENTLOG"
  out=$(setpriv --reuid=65534 --regid=65534 --clear-groups "$probe"); status=$?
  [ $status -eq 1 ] || fail "unprivileged: exit code $status"
  [ "$out" = "Elvor Tavolin is already running with administration rights, therefore this Elvor Tavolin ends." ] \
    || fail "unprivileged message: $out"
  grep -q "^warning \[4\] Elvor Tavolin (Version 2.10.00) is already running with administration rights. This second instance started by user nobody ends.$" \
    "$TAVOLIN_EVENTLOG" || fail "entry 4"
  # No lock file, and a folder the user may not write: a failure of its
  # own that names the file, not another instance.
  mkdir -m 755 "$work/closed"
  out=$(TAVOLIN_LOCKFILE="$work/closed/TavolinMutex" setpriv --reuid=65534 --regid=65534 --clear-groups "$probe")
  status=$?
  [ $status -eq 1 ] || fail "uncreatable lock file: exit code $status"
  [ "$out" = "Exit, CreateMutex() failed: the lock file $work/closed/TavolinMutex cannot be created: Permission denied" ] \
    || fail "uncreatable lock file message: $out"
else
  echo "not root: the checks of a lock file without access are left out"
fi
echo "single instance: all checks passed"
