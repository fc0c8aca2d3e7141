#!/usr/bin/env bash
# Sets up if needed, then runs the workbench's main job on the bundled demo survey.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh >/dev/null
build=${ORVEX_BUILD_DIR:-build}
"$build/bin/orvex-info" data/demo/demo.kav data/demo/demo_legacy.prf
