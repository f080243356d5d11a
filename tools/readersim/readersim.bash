# Sourced by the scripts that play a card reader (the demo, the console
# tests): starts tavolin-readersim on a fresh pseudo-terminal linked at
# $work/com, taking commands appended to $work/commands and logging to
# $work/sim.log. A simulator started before is ended first.
#   readersim_start READERSIM [OPTIONS...]     sets $sim
readersim_start() {
  local program=$1
  shift
  if [ -n "${sim:-}" ]; then
    echo quit >>"$work/commands"
    wait "$sim" || true
  fi
  : >"$work/commands"
  rm -f "$work/com"
  "$program" --link "$work/com" --commands "$work/commands" "$@" 2>"$work/sim.log" &
  sim=$!
  for _ in $(seq 100); do [ -L "$work/com" ] && break; sleep 0.05; done
}
