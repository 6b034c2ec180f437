#!/usr/bin/env bash
# Builds the Debian package with Debian's compiler flags and without the tests, into build-deb/
# (or the folder given, with the CMake options given after it), and checks it
# (scripts/check-package.sh). Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh dpkg-dev
dir="${1:-build-deb}"
shift || true
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { echo "$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get "$1")"; }
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DRUZOZAZE_BUILD_TESTS=OFF \
  -DCMAKE_C_FLAGS="$(flags CFLAGS)" -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
bash scripts/check-package.sh "$dir"
