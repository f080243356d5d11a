#!/usr/bin/env bash
# The size of the tests against the code, in lines. Code: the C++ sources
# and headers of src/ and tools/. Tests: every file under tests/ that holds
# test logic or expectations (C++, shell, bash and Python scripts, the test
# build's CMakeLists, sanitizer suppressions, data of
# expected output); only the fuzz targets' seed corpora are left out, which
# are inputs, not tests.
set -euo pipefail
cd "$(dirname "$0")/.."
code=$(git ls-files src tools | grep -E '\.(cpp|h)$' | xargs cat | wc -l)
tests=$(git ls-files tests | grep -v '^tests/fuzz/corpus/' | xargs cat | wc -l)
echo "code: $code lines, tests: $tests lines, tests/code: $((tests * 100 / code)) %"
