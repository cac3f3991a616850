#!/usr/bin/env bash
# Installs what is needed, builds everything with the sanitizers on and runs
# every test: the GoogleTest suites, the browser test (headless Chromium
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
