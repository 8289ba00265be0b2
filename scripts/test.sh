#!/usr/bin/env bash
# Installs what is missing, builds CorvaneQ5 with warnings as errors and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR=build-asan
  bash scripts/build.sh -DCORVANEQ5_SANITIZE=ON -DCORVANEQ5_BENCH=OFF
  export ASAN_OPTIONS=detect_leaks=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  export BUILD_DIR=build
  bash scripts/build.sh
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"
