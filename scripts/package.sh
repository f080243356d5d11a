#!/usr/bin/env bash
# Builds the packages into build/packages, from a clean checkout too: it
# configures the presets and builds only what the packages hold.
#   scripts/package.sh [deb|windows]...     (the default: both)
#     deb       tavolin_<version>_amd64.deb, the Linux edition (CPack's DEB generator)
#     windows   tavolin-<version>-setup.exe, the Windows edition's installer (NSIS)
#   TAVOLIN_SIGN_COMMAND="... %1 ..."       signs the Windows programs, the uninstaller
#                                           and the installer (%1: the file); unset: unsigned
#   TAVOLIN_LINUX_BUILD, TAVOLIN_WINDOWS_BUILD   other build folders than build/linux, build/windows
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(Tavolin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=$root/build/packages
linux_build=${TAVOLIN_LINUX_BUILD:-$root/build/linux}
windows_build=${TAVOLIN_WINDOWS_BUILD:-$root/build/windows}
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(deb windows)

scripts/install-deps.sh packages
mkdir -p "$out"

deb() {
  # The install step of cpack builds only what is built here, not the tests.
  cmake --preset linux -B "$linux_build" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
  cmake --build "$linux_build" --target tavolin_en tavolin_de tavolin-console tavolin-readersim tavolin_package_files
  rm -f "$linux_build/packages/"*.deb
  (cd "$linux_build" && cpack -G DEB)
  local package=$linux_build/packages/tavolin_${version}_amd64.deb
  dpkg-deb -c "$package" | grep '/usr/bin/tavolin_en$' >/dev/null || {
    echo "package.sh: the package has no windowed programs (is Qt 6 installed?)" >&2
    exit 1
  }
  cp "$package" "$out/"
}

windows() {
  cmake --preset windows -B "$windows_build" "-DTAVOLIN_SIGN_COMMAND=${TAVOLIN_SIGN_COMMAND:-}"
  cmake --build "$windows_build" --target tavolin-setup
  cp "$windows_build/tavolin-${version}-setup.exe" "$out/"
}

for kind in "${kinds[@]}"; do
  case $kind in
    deb) deb ;;
    windows) windows ;;
    *)
      echo "usage: package.sh [deb|windows]..." >&2
      exit 2
      ;;
  esac
done
ls -l "$out"
