#!/usr/bin/env bash
# Runs the workbench under a virtual X server with the demo survey open and
# writes a picture of its main window (docs/orvex-main-window.png by default).
# Usage: scripts/screenshot.sh [picture.png]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
out=${1:-docs/orvex-main-window.png}
build=${ORVEX_BUILD_DIR:-build}

if ! command -v xvfb-run >/dev/null || ! command -v xauth >/dev/null; then
  echo "screenshot: installing xvfb and xauth"
  as_root=()
  [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends xvfb xauth
fi
[[ -x "$build/bin/orvex" ]] || bash scripts/setup.sh >/dev/null

mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/bin/orvex" --screenshot "$out" data/demo/demo.kav
echo "$out"
