#!/usr/bin/env bash
# Builds the Linux edition and shows what Tavolin types for a card reading.
# Extra arguments go to tavolin-demo (see tavolin-demo --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavolin-demo
demo=build/linux/src/frontend/console/tavolin-demo
if [ $# -gt 0 ]; then
  exec "$demo" "$@"
fi
echo "Prefix <TAB>, postfix <CR>, card reading 1234567890ABCD, US keyboard layout:"
"$demo" --set "Prefix characters=<TAB>" --set "Postfix characters=<CR>" 1234567890ABCD
