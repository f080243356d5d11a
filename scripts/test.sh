#!/usr/bin/env bash
# Builds both editions and runs every test: the Linux edition natively, the
# Windows edition under wine; then the Linux edition's tests again built
# with AddressSanitizer and UndefinedBehaviorSanitizer (preset asan) and
# with ThreadSanitizer (preset tsan); then each fuzz target for 60 seconds
# (scripts/fuzz.sh); then the packages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
status=0
for preset in linux windows asan tsan; do
  echo "=== $preset ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
echo "=== fuzz ==="
scripts/fuzz.sh 60 || status=1
# The packages, built as a release builds them; the Debian package installed
# into this machine and purged again (the installer's test under wine is one
# of the Windows edition's tests).
echo "=== packages ==="
if scripts/package.sh; then
  deb_status=0
  tests/integration/deb_install.sh build/packages/tavolin_*_amd64.deb || deb_status=$?
  [ $deb_status = 0 ] || [ $deb_status = 77 ] || status=1
else
  status=1
fi
exit $status
