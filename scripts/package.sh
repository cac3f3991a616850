#!/usr/bin/env bash
# Builds the Debian package: a Release build with Debian's hardening flags
# in build-package/, then CPack's .deb with its dependencies found by
# dpkg-shlibdeps. Prints the package's name and contents; runs lintian on
# it when lintian is installed.
#
#   bash scripts/package.sh
#   sudo apt-get install ./build-package/ambrelin_*.deb
#
# Environment: PACKAGE_BUILD_DIR (default build-package), PACKAGE_JOBS
# (build jobs, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${PACKAGE_BUILD_DIR:-build-package}"
jobs="${PACKAGE_JOBS:-2}"

# The build's packages and CPack's helpers (dpkg-dev for dpkg-shlibdeps,
# file) come with the set-up.
bash scripts/setup.sh

# Every hardening feature Debian knows (bindnow too), as dpkg-buildflags
# gives them to Debian's own packages.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
flags() { dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DAMBRELIN_SANITIZE=OFF -DAMBRELIN_TESTS=OFF -DAMBRELIN_BENCH=OFF -DAMBRELIN_FUZZ=OFF \
  "-DCMAKE_C_FLAGS=$(flags CFLAGS) $(flags CPPFLAGS)" \
  "-DCMAKE_CXX_FLAGS=$(flags CXXFLAGS) $(flags CPPFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)" >/dev/null
cmake --build "$build" -j"$jobs"
rm -f "$build"/ambrelin_*.deb
(cd "$build" && cpack -G DEB >/dev/null)

deb=$(ls "$build"/ambrelin_*.deb)
echo
echo "$deb ($(stat -c %s "$deb") bytes)"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
echo
dpkg-deb --contents "$deb"
if command -v lintian >/dev/null 2>&1; then
  echo
  echo "lintian:"
  lintian --info --show-overrides "$deb" || true
fi
