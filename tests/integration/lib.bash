# Sourced by the integration scripts: a private folder $work, the processes
# a script starts (ended on the way out unless reaped), waiting with a
# deadline, the reader simulator, an X server, wine with a COM port linked
# to the simulator. A script lists in logs the files of $work whose ends a
# failure shows, and in at_exit what its way out undoes after its processes.
set -u
work=$(mktemp -d)
pids=() logs=() at_exit=() sim= deadline=10 scenario=
cleanup() {  # (of the script's shell alone: a subshell killed runs it too)
  local i
  [ "$BASHPID" = $$ ] || return
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for i in "${pids[@]}" $sim; do kill "$i" 2>/dev/null; within 5 gone "$i" || kill -KILL "$i"; wait "$i" 2>/dev/null; done
  for i in "${at_exit[@]}"; do eval "$i"; done
  rm -rf "$work"
}
trap cleanup EXIT
# fail MESSAGE: what failed, where (and in which $scenario of a loop), the
# ends of the logs (without the objects a wine server lists as it ends).
fail() {
  local f
  echo "FAILED: ${scenario:+$scenario: }$* (line ${BASH_LINENO[-2]})"
  for f in "${logs[@]}"; do echo "--- $f"; grep -v -E '^ *(0x[0-9a-f]+:|[0-9a-f]{4}: 0x)' "$work/$f" | tail -n 25; done 2>/dev/null
  exit 1
}
# lines FILE: FILE ($work/FILE unless absolute) without carriage returns.
lines() { local f=$1; [[ $f = /* ]] || f=$work/$f; tr -d '\r' 2>/dev/null <"$f"; }
# has FILE PATTERN...: each PATTERN matches a line of FILE; lacks: none.
has() { local p; for p in "${@:2}"; do lines "$1" | grep -q -- "$p" || fail "no line $p in $1"; done; }
lacks() { ! lines "$1" | grep -q -- "$2" || fail "$1 has a line $2: $(lines "$1" | grep -m 1 -- "$2")"; }
# exits CODE COMMAND...: COMMAND ends with exit code CODE ($status).
exits() { "${@:2}"; status=$?; [ $status = "$1" ] || fail "${*:2}: exit code $status, not $1"; }
# spawn VAR COMMAND...: COMMAND in the background (reading $input), its id in VAR.
spawn() { local -n pid_=$1; shift; "$@" <"${input:-/dev/null}" & pid_=$!; pids+=("$pid_"); }
# reap VAR [CODE]: the process in VAR has ended, with exit code $status (CODE).
reap() {
  local -n pid_=$1
  wait "$pid_"; status=$?
  mapfile -t pids < <(printf '%s\n' "${pids[@]}" | grep -vx -e "$pid_" -e '') && pid_=
  [ -z "${2:-}" ] || [ $status = "$2" ] || fail "$1: exit code $status, not $2"
}
# stop VAR [SIGNAL [CODE]]: SIGNAL (TERM) to the process in VAR; reaped.
stop() { kill -"${2:-TERM}" "${!1}"; reap "$1" "${3:-}"; }
gone() { ! kill -0 "$1" 2>/dev/null; }
# within SECONDS COMMAND...: COMMAND every $poll (0.05) s until it succeeds.
within() {
  local end=$((${EPOCHREALTIME/./} + $1 * 1000000))
  shift
  until "$@"; do ((${EPOCHREALTIME/./} < end)) || return 1; sleep "${poll:-0.05}"; done
}
# wait_for FILE PATTERN [SECONDS]: a line of FILE matches in time ($deadline).
matches() { lines "$1" | grep -q -- "$2"; }
wait_for() { within "${3:-$deadline}" matches "$1" "$2" || fail "no line $2 in $1 within ${3:-$deadline} s"; }
# ends_within SECONDS VAR [CODE]: the process in VAR ends by itself in time.
ends_within() { within "$1" gone "${!2}" || fail "it did not end within $1 s"; reap "$2" "${3:-}"; }
# The programs' settings, lock, event log and user folder; no display yet.
private_paths() {
  export TAVOLIN_REGISTRY=$work/tavolin.reg TAVOLIN_LOCKFILE=$work/lock TAVOLIN_EVENTLOG=$work/events.log APPDATA=$work/appdata
  mkdir -p "$APPDATA"
  unset DISPLAY WAYLAND_DISPLAY
}
# settings SETTING...: stored by $console (under $wine).
settings() {
  ${wine:+"$wine"} "$console" "${@/#/--set=}" >/dev/null 2>"$work/set.err" || fail "--set $*: $(lines set.err)"
}
# The reader simulator on a pseudo-terminal linked at $work/com:
# readersim_start READERSIM [OPTIONS...], and send COMMAND.
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/readersim/readersim.bash"
send() { echo "$*" >>"$work/commands"; }
need_readersim() { [ -x "$1" ] || { echo "tavolin-readersim not found at $1: build the linux preset first"; exit 77; }; }
# start_x SERVER OPTIONS...: an X server (Xvfb, Xvnc) on a display it picks
# and writes once it accepts clients; DISPLAY names it.
start_x() {
  command -v "$1" >/dev/null || fail "$1 is not installed (scripts/install-deps.sh installs it)"
  spawn xserver "$@" -displayfd 3 3>"$work/display" >"$work/x.log" 2>&1
  within 10 test -s "$work/display" || fail "$1 did not start: $(cat "$work/x.log")"
  export DISPLAY=:$(tr -d '\n' <"$work/display")
}
# record: a fresh $recorder (xkey_recorder) has the input focus; received:
# the key symbols it got since, on one line.
record() { [ -z "${rec:-}" ] || stop rec; spawn rec "$recorder" >"$work/keys" 2>&1; wait_for keys ready; }
received() { grep -v ready "$work/keys" | tr '\n' ' '; }
# wine_prefix FILE: $prefix, the wine prefix (TAVOLIN_WINE_PREFIX_NAME) of
# the build that holds FILE; wine_com N: its COMn is the simulator's device.
wine_prefix() {
  local dir
  dir=$(realpath "$1")
  until dir=$(dirname "$dir"); [ -f "$dir/CMakeCache.txt" ] || [ "$dir" = / ]; do :; done
  prefix=$dir/${TAVOLIN_WINE_PREFIX_NAME:-wineprefix}
}
wine_com() { mkdir -p "$prefix/dosdevices" && ln -sfn "$work/com" "$prefix/dosdevices/com$1"; }
# wine_settle [SECONDS]: every program of the prefix has ended, and its
# server with them (before the display goes: the next test starts its own).
wine_settle() { WINEPREFIX=$prefix timeout "${1:-20}" wineserver -w 2>/dev/null; }
# drive ARGS...: what $driver (tavolin-uidriver) answers, in UTF-8 (the
# programs speak Windows-1252); expect WANT ARGS...: it answers WANT within
# 15 s (windows change at their own pace).
drive() {
  local out status
  out=$("$wine" "$driver" "$@" 2>>"$work/driver.err"); status=$?
  printf '%s' "${out//$'\r'/}" | iconv -f CP1252 -t UTF-8 && return $status
}
answers() { got=$(drive "${@:2}") && [ "$got" = "$1" ]; }
expect() { within 15 answers "$@" || fail "${*:2}: \"$got\", not \"$1\""; }
