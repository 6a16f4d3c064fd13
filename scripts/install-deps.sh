#!/usr/bin/env bash
# Installs the Debian packages Voxtrel needs to build, test and run, only
# those that are missing. Quiet and quick when everything is there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache make
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  sox libsox-fmt-all espeak-ng
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libportaudio2 portaudio19-dev libusb-1.0-0-dev libsndfile1-dev
  xvfb xauth imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# A fresh machine has stale package lists.
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
