#!/usr/bin/env bash
# Installs what is missing, builds CorvaneQ5 and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/app/corvaneq5 "$@"
