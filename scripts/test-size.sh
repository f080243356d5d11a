#!/usr/bin/env bash
# The size of the tests against the code, in lines (C++ sources and headers
# of src/ and tools/; C++, shell and bash files of tests/).
set -euo pipefail
cd "$(dirname "$0")/.."
code=$(git ls-files src tools | grep -E '\.(cpp|h)$' | xargs cat | wc -l)
tests=$(git ls-files tests | grep -E '\.(cpp|h|sh|bash)$' | xargs cat | wc -l)
echo "code: $code lines, tests: $tests lines, tests/code: $((tests * 100 / code)) %"
