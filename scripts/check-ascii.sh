#!/usr/bin/env bash
# The C++ sources are ASCII: the program's texts are Windows-1252 bytes,
# and a character beyond ASCII is written as its escape ("L\xe4nge"), which
# means the same bytes to every compiler. A raw "ä" would take whatever
# execution character set the compiler has (UTF-8 for g++ and clang). Prints
# every line that breaks this and fails; "ascii: clean" otherwise.
#   check-ascii.sh [TREE]     (default: this tree)
set -uo pipefail
tree=${1:-"$(dirname "$0")/.."}
if grep -rnP '[^\x00-\x7f]' "$tree"/src "$tree"/tests "$tree"/tools "$tree"/bench "$tree"/resources \
     --include='*.cpp' --include='*.h' --include='*.inc'; then
  echo "write these characters as Windows-1252 escapes"
  exit 1
fi
echo "ascii: clean"
