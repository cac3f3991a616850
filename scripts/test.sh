#!/usr/bin/env bash
# Installs what is needed, builds everything with the sanitizers on and runs
# every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DAMBRELIN_SANITIZE=ON
cmake --build build-test -j2
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
ctest --test-dir build-test --output-on-failure -j2
