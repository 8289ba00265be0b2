#!/usr/bin/env bash
# Installs what is missing, builds CorvaneQ5 with warnings as errors and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

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
