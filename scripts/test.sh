#!/usr/bin/env bash
# Installs what is needed, builds everything with the sanitizers on and runs
# every test: the checks of the installed desktop entry, AppStream metadata
# and manual pages, the GoogleTest suites, the browser test (headless Chromium
# opening the albums ambrelin-build writes) and, before them, every libFuzzer
# target for a few seconds (AMBRELIN_FUZZ_SECONDS per target, default 10;
# 0 leaves fuzzing out).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DAMBRELIN_SANITIZE=ON
cmake --build build-test -j2
# Every source file laid out as .clang-format says.
cmake --build build-test --target format-check

# The installed files as the desktop, the software centre and man read them.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build-test --prefix "$prefix" >/dev/null
for file in bin/ambrelin bin/ambrelin-build libexec/ambrelin/ambrelin-build-publish share/icons/hicolor/48x48/apps/ambrelin.png; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
desktop-file-validate "$prefix"/share/applications/*.desktop
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml
for page in "$prefix"/share/man/man1/*.1.gz; do
  warnings=$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "${page##*/}: $warnings" >&2; exit 1; }
done

# A crash found by fuzzing fails the run, after the tests have run too.
fuzz_status=0
fuzz_seconds="${AMBRELIN_FUZZ_SECONDS:-10}"
if [ "$fuzz_seconds" -gt 0 ]; then
  bash scripts/fuzz.sh "$fuzz_seconds" || fuzz_status=$?
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
ctest --test-dir build-test --output-on-failure -j2
exit "$fuzz_status"
