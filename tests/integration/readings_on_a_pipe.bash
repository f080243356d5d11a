# Sourced by the console tests: many readings through the simulator while a
# program reads the console's standard output on a pipe, as a consumer of
# the key events would. Each reading's lines must arrive whole and before
# the next card is sent. Uses $work, $sim, $readersim, send, wait_for and
# fail of the sourcing script.
#   readings_on_a_pipe COUNT LENGTH AFTER COMMAND...
#     COUNT cards of LENGTH characters; AFTER is what the settings type
#     after each card ("<CR>"); COMMAND runs the console.
readings_on_a_pipe() {
  local count=$1 length=$2 after=$3 reader card i line downs=0 upper
  shift 3
  local alphabet=0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz
  rm -f "$work/pipe" "$work/piped"
  mkfifo "$work/pipe"
  # The consumer: each line as it arrives, the carriage return of the
  # Windows edition dropped.
  while IFS= read -r line; do printf '%s\n' "${line%$'\r'}" >>"$work/piped"; done <"$work/pipe" &
  reader=$!
  "$@" --keyboard=print >"$work/pipe" 2>"$work/err" &
  run=$!
  wait_for piped "is active" || fail "pipe: reading did not start"
  RANDOM=7
  for i in $(seq "$count"); do
    card=
    while [ ${#card} -lt "$length" ]; do card+=${alphabet:$((RANDOM % ${#alphabet})):1}; done
    upper=${card//[^A-Z]/}
    downs=$((downs + length + ${#upper} + 1))  # SHIFT with each capital, one key after the card
    send "text $card"
    wait_for piped "^Typed: $card$after\$" || fail "pipe: reading $i ($card) did not arrive in time"
  done
  # Ended by the reader vanishing, which both editions notice alike; the
  # simulator is started anew for what follows.
  send hangup
  wait "$run"; run=
  wait "$reader"
  readersim_start "$readersim" --kind active
  local torn
  torn=$(grep -vxE '(down|up) 0x[0-9a-f]{2} 0x[0-9a-f]{2}|Typed: .*|Count of readings: [0-9]+|Reading from .* is (not )?active|Reader type: active sending' \
    "$work/piped")
  [ -z "$torn" ] || fail "pipe: lines torn apart: $torn"
  [ "$(grep -c '^Typed: ' "$work/piped")" = "$count" ] || fail "pipe: not every reading typed once"
  [ "$(grep -c '^Count of readings: ' "$work/piped")" = "$count" ] || fail "pipe: not every reading counted"
  [ "$(grep -c '^down ' "$work/piped")" = "$downs" ] || fail "pipe: key events lost or added"
}
