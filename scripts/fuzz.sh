#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for SECONDS seconds, starting
# from seed corpora made anew by the tests' picture generators.
#
#   bash scripts/fuzz.sh [SECONDS]     default 30 seconds per target
#
# scripts/test.sh (and so CI) runs it with 10 seconds per target before the
# tests: about four minutes to build on two cores, then 270 seconds of
# fuzzing. The targets are built at -O1 with assertions on. A crash, a
# sanitizer report, a leak, an input that runs longer than 10 seconds and
# one that needs more than 2 GB are all faults.
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_TARGETS (a blank
# separated subset of the targets), FUZZ_JOBS (build jobs, default 2).
# Inputs that grew coverage are kept in $FUZZ_BUILD_DIR/corpus/<target>
# between runs; a fault's input is written to $FUZZ_BUILD_DIR/artifacts/ and
# makes the script exit 1 after all targets ran. Once mended, the input,
# minimised (the target with -minimize_crash=1 and the input), belongs in
# tests/fuzz/regressions/<target>/, which ctest replays.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi
build="${FUZZ_BUILD_DIR:-build-fuzz}"
jobs="${FUZZ_JOBS:-2}"
all_targets=(fuzz_picture_bmp fuzz_picture_ico fuzz_picture_jpeg fuzz_picture_metafile
             fuzz_picture_png fuzz_picture_gif fuzz_picture_webp fuzz_picture_tiff
             fuzz_picture_heif fuzz_picture_avif
             fuzz_text_lines fuzz_ini_file fuzz_description_file
             fuzz_webcopy_lossless fuzz_webcopy_resize fuzz_webcopy_kinds fuzz_publish_manifest
             fuzz_draw_metafile fuzz_draw_bmp fuzz_draw_ico fuzz_draw_jpeg
             fuzz_draw_heif fuzz_draw_avif fuzz_draw_png fuzz_draw_gif fuzz_draw_tiff fuzz_draw_webp)
read -r -a targets <<< "${FUZZ_TARGETS:-${all_targets[*]}}"

# clang with its libFuzzer and sanitizer run-times (Debian: clang, libclang-rt-14-dev).
bash scripts/setup.sh
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - 2>/dev/null; then
  echo "clang++ cannot build a libFuzzer target (install clang and libclang-rt-14-dev)" >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
  -DAMBRELIN_FUZZ=ON -DAMBRELIN_SANITIZE=ON -DAMBRELIN_TESTS=OFF -DAMBRELIN_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target ambrelin_fuzz

seeds="$build/seeds"
rm -rf "$seeds"
# x265, which makes the HEIC seeds, keeps allocations it never frees.
ASAN_OPTIONS=detect_leaks=0 "$build/tests/fuzz/fuzz_seeds" "$seeds"
mkdir -p "$build/artifacts"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
summary=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  status=0
  "$build/tests/fuzz/$target" "$corpus" "$seeds/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  line=$(printf '%-24s %12s executions  %6s features  %5s inputs in corpus' \
    "$target" "${runs:-?}" "${features:-?}" "$(find "$corpus" -type f | wc -l)")
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    line="$line  FAILED (exit $status, see $log)"
    grep -E '^(\*\*\*|==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5 || true
  fi
  summary+=("$line")
done

echo
echo "Fuzzing, $seconds s per target:"
printf '  %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Crashes in: ${failed[*]}; inputs in $build/artifacts/" >&2
  exit 1
fi
