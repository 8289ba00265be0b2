#!/usr/bin/env bash
# Installs what is missing, builds CorvaneQ5 with warnings as errors and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UBSan build in build-asan/
#   scripts/test.sh --tsan      ThreadSanitizer build in build-tsan/ of the serial and link
#                               test programs (the threaded part), run so that any report fails
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

if [ "${1:-}" = "--tsan" ]; then
  cmake -S . -B build-tsan -G Ninja -DCORVANEQ5_WERROR=ON -DCORVANEQ5_TSAN=ON \
    -DCORVANEQ5_BENCH=OFF -DCORVANEQ5_FUZZ_BIN= >/dev/null
  cmake --build build-tsan --target test_serial test_link
  # Suppressions cover reports inside Qt's own (uninstrumented) code only.
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan-suppressions.txt"
  # Each case in a process of its own, then each program whole (the folders' own tests).
  for dir in tests/serial tests/link; do
    ctest --test-dir "build-tsan/$dir" --output-on-failure -j"$(nproc)"
  done
  exit 0
fi

# The libFuzzer targets are their own clang project (tests/fuzz) so that their sanitizer
# flags stay out of the main build; CTest then runs each one briefly.
fuzz_args=(-DCORVANEQ5_FUZZ_BIN=)
if command -v clang++ >/dev/null 2>&1; then
  if ! log=$({ cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ &&
               cmake --build build-fuzz; } 2>&1); then
    printf '%s\n' "$log" >&2
    echo "Building the fuzz targets failed." >&2
    exit 1
  fi
  fuzz_args=(-DCORVANEQ5_FUZZ_BIN="$PWD/build-fuzz")
fi

if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR=build-asan
  bash scripts/build.sh -DCORVANEQ5_SANITIZE=ON -DCORVANEQ5_BENCH=OFF "${fuzz_args[@]}"
  export ASAN_OPTIONS=detect_leaks=1
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-suppressions.txt"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  export BUILD_DIR=build
  bash scripts/build.sh "${fuzz_args[@]}"
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"
