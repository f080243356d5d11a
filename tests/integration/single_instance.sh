#!/usr/bin/env bash
# One instance per machine, with real processes: the lock file on Linux,
# the named mutex under wine, and the event entries (wine's event log is a
# stub that shows each ReportEventA with its strings in its debug output).
#   single_instance.sh PROBE [WINE-RUNNER]
probe=$1 wine=${2:-}
source "$(dirname "$0")/lib.bash"
private_paths
chmod 755 "$work"
logs=(first.out first.err second.err events.log) as=
# CODE MESSAGE: a start (behind $as) says MESSAGE and ends with CODE.
says() {
  out=$($as ${wine:+"$wine"} "$probe" 2>"$work/second.err"); status=$? out=${out//$'\r'/}
  [ $status = "$1" ] && [ "$out" = "$2" ]
}
running="Elvor Tavolin is already running" ends="therefore this Elvor Tavolin ends." entry="Elvor Tavolin (Version 2.10.00)"
# A first instance runs; a second one ends with entry 5 and exit code 1.
spawn first ${wine:+"$wine"} "$probe" --hold $((${#wine} ? 6000 : 3000)) >"$work/first.out" 2>"$work/first.err"
wait_for first.out "^running"
WINEDEBUG=+eventlog says 1 "$running, $ends" || fail "second instance: exit code $status, $out"
if [ -n "$wine" ]; then
  has second.err 'ReportEventA (.*,0x0002,0x0000,0x00000005,.*,0x0003,' 'ReportEventW L"Elvor Tavolin"' \
    'ReportEventW L"Version 2.10.00"'
else
  [ "$(stat -c %a "$TAVOLIN_LOCKFILE")" = 666 ] || fail "the lock file is not open to every user"
  has events.log "^warning \[5\] $entry is already running. This second instance started by user $(id -un) ends.$"
fi
reap first 0
# Free again: the next start runs (under wine a moment after).
within 8 says 0 running || fail "no start after the first ended: $out"
# A lock file the user may not open (an administrator's): entry 4. No lock
# file and a folder the user may not write: a failure naming the file.
if [ -z "$wine" ] && [ "$(id -u)" -eq 0 ]; then
  chmod 600 "$TAVOLIN_LOCKFILE" && chmod 666 "$TAVOLIN_EVENTLOG"
  as="setpriv --reuid=65534 --regid=65534 --clear-groups"
  says 1 "$running with administration rights, $ends" || fail "unprivileged: exit code $status, $out"
  has events.log "^warning \[4\] $entry is already running with administration rights. This second instance started by user nobody ends.$"
  mkdir -m 755 "$work/closed"
  TAVOLIN_LOCKFILE=$work/closed/TavolinMutex says 1 \
    "Exit, CreateMutex() failed: the lock file $work/closed/TavolinMutex cannot be created: Permission denied" ||
    fail "uncreatable lock file: exit code $status, $out"
elif [ -z "$wine" ]; then
  echo "not root: the checks of a lock file without access are left out"
fi
echo "single instance${wine:+ under wine}: all checks passed"
