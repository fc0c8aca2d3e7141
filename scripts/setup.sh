#!/usr/bin/env bash
# Installs the Debian packages Orvex needs (only those missing), then configures
# and builds the tree into build/. Safe to run again: it only does what is left.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev
  libgdal-dev
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  as_root=()
  [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=${ORVEX_BUILD_DIR:-build}
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build"
