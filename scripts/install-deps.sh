#!/usr/bin/env bash
# Installs everything needed to build, run and test CorvaneQ5 on Debian 12.
# Idempotent: when every package is already present it prints nothing and exits.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  libgsf-1-dev libglib2.0-dev libfontconfig-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  python3 python3-xlrd python3-olefile libreoffice-calc-nogui
  lhasa libarchive-tools srecord poppler-utils
  clang libclang-rt-14-dev
  xvfb xauth openbox xdotool xclip x11-utils imagemagick
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
