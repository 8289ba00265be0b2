#!/usr/bin/env bash
# Configures and builds CorvaneQ5 into build/ (or the folder given as BUILD_DIR).
# Extra arguments are passed to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCORVANEQ5_WERROR=ON "$@" >/dev/null
cmake --build "$BUILD_DIR"
