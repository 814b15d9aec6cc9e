#!/usr/bin/env bash
# Builds the Debian package portolan_<version>_<arch>.deb from a build of its own: the programs
# only (no tests, no sanitizers), with Debian's compiler and linker flags (hardening included)
# when dpkg-buildflags is there, installed below /usr. Prints the package's path on stdout.
# Usage: scripts/package.sh [BUILD_DIR] [extra cmake options...]   (BUILD_DIR: build-package)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
shift || true
mkdir -p "$build"
build=$(cd "$build" && pwd)

build_type=Release
cflags="" cppflags="" ldflags=""
if command -v dpkg-buildflags >/dev/null 2>&1; then
  # Debian's flags decide the optimisation; no debug information, since the package is stripped.
  build_type=None
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cflags=$(dpkg-buildflags --get CXXFLAGS | sed -E 's/(^| )-g( |$)/ /g')
  cppflags=$(dpkg-buildflags --get CPPFLAGS)
  ldflags=$(dpkg-buildflags --get LDFLAGS)
fi
# Paths of the source tree do not end up in the programs (file names in messages and asserts).
cflags="$cflags -ffile-prefix-map=$root/=./"

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="$build_type" "${launcher[@]}" \
  -DPORTOLAN_TESTS=OFF -DPORTOLAN_SANITIZE=OFF -DPORTOLAN_BENCH=OFF -DPORTOLAN_FUZZ=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
  -DCMAKE_CXX_FLAGS="$cflags $cppflags" -DCMAKE_C_FLAGS="$cflags $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" "$@" >/dev/null
# Progress and errors go to stderr: stdout is the package's path alone.
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/portolan_*.deb
(cd "$build" && cpack -G DEB >&2)
package=$(ls "$build"/portolan_*.deb)
echo "$package"
