#!/usr/bin/env bash
# The core's layers, lowest first: each includes only the standard library
# and the layers below it; nothing in the core includes the platform, the
# front-ends or an operating system's headers. Prints every include that
# breaks this and fails; "layers: clean" otherwise.
#   check-layers.sh [SOURCE-FOLDER]     (default: src of this tree)
set -uo pipefail
src=${1:-"$(dirname "$0")/../src"}
layers=(text services processing readers ui)
status=0
for rank in "${!layers[@]}"; do
  layer=${layers[$rank]}
  [ -d "$src/$layer" ] || { echo "no layer folder $src/$layer"; status=1; continue; }
  forbidden=(platform frontend "${layers[@]:$((rank + 1))}")
  pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($(IFS='|'; echo "${forbidden[*]}"))/"
  system='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(windows\.h|winbase\.h|termios\.h|unistd\.h|fcntl\.h|poll\.h|sys/|X11/|xkbcommon/|linux/|Q[A-Za-z]+)'
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    echo "$hit  (the $layer layer includes from above it, or from outside the core)"
    status=1
  done < <(grep -rnE "$pattern|$system" "$src/$layer" --include='*.h' --include='*.cpp')
done
[ $status -eq 0 ] && echo "layers: clean"
exit $status
