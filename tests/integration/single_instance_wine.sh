#!/usr/bin/env bash
# One instance per machine, Windows edition under wine: the named mutex
# between two processes, and the event entries (wine's event log is a stub
# that shows each ReportEventA with its strings in its debug output).
#   single_instance_wine.sh PROBE.EXE WINE-RUNNER
set -u
probe=$1 wine=$2
work=$(mktemp -d)
first=
trap '[ -n "$first" ] && kill "$first" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; tail -n 20 "$work"/*.out "$work"/*.err 2>/dev/null; exit 1; }

"$wine" "$probe" --hold 6000 >"$work/first.out" 2>"$work/first.err" &
first=$!
started() { tr -d '\r' <"$work/first.out" | grep -qx running; }
for _ in $(seq 200); do started && break; sleep 0.05; done
started || fail "the first instance did not start"
second=$(WINEDEBUG=+eventlog "$wine" "$probe" 2>"$work/second.err"); status=$?
second=${second//$'\r'/}
[ $status -eq 1 ] || fail "second instance: exit code $status"
[ "$second" = "Elvor Tavolin is already running, therefore this Elvor Tavolin ends." ] || fail "message: $second"
grep -q 'ReportEventA (.*,0x0002,0x0000,0x00000005,.*,0x0003,' "$work/second.err" || fail "no warning entry 5 with three strings"
grep -q 'ReportEventW L"Elvor Tavolin"' "$work/second.err" || fail "string %1"
grep -q 'ReportEventW L"Version 2.10.00"' "$work/second.err" || fail "string %2"
wait $first || fail "the first instance was disturbed"
first=
# The server lets go of an ended process's mutex a moment after it ends.
again=
for _ in 1 2 3 4 5 6; do
  again=$("$wine" "$probe" 2>/dev/null | tr -d '\r')
  [ "$again" = running ] && break
  sleep 0.5
done
[ "$again" = running ] || fail "no start after the first ended: $again"
echo "single instance under wine: all checks passed"
