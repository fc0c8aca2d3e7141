#!/usr/bin/env bash
# Sets up if needed, then runs the workbench's main job on the bundled demo survey.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh >/dev/null
build=${ORVEX_BUILD_DIR:-build}
"$build/bin/orvex-info" data/demo/demo.kav data/demo/demo_legacy.prf

# The demo survey in apparent conductivity: a map data sheet of frequency 5 and
# a depth section along line 12; orvex-process prints the files it wrote.
out="$build/demo-output"
mkdir -p "$out"
echo "Map of frequency 5 (apparent conductivity, mS/m):"
"$build/bin/orvex-process" data/demo/demo.kav --units cond --freq 5 --out "$out"
echo "Section along line 12 (apparent conductivity, mS/m):"
"$build/bin/orvex-process" data/demo/demo.kav --along 12 --units cond --out "$out"

# The same map gridded and drawn by the map server: the data sheet's .grd grid
# and .srf map document beside it, then the document as a picture.
echo "Map of frequency 5 gridded and drawn (20 levels, rainbow, colour scale, A4 landscape):"
"$build/bin/orvex-process" data/demo/demo.kav --units cond --freq 5 --out "$out" \
  --use-surfer --create-map --levels 20 --color-map rainbow --show-scale --landscape
picture="$(cd "$out" && pwd)/demo_CON_Mod_Surf_f05.png"
if ! "$build/bin/orvex-render" "$out/demo_CON_Mod_Surf_f05.srf" "$picture" \
  >/dev/null 2>"$out/render.log"; then
  cat "$out/render.log" >&2
  exit 1
fi
echo "The map's picture is $picture"

# With a display, the workbench opens with the demo survey; without one, the
# headless front end processes surveys from the command line.
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  "$build/bin/orvex" data/demo/demo.kav
else
  echo "No display for the workbench ($build/bin/orvex). Without one, process surveys"
  echo "with the headless front end: $build/bin/orvex-process SURVEY [options]"
  echo "(see $build/bin/orvex-process --help)."
fi
