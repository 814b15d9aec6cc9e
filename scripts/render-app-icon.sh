#!/usr/bin/env bash
# Renders the application icon's PNGs for the hicolor theme from the program's own application
# icon (src/res/icons/app/portolan.svg, and its pixel-fitted portolan-16.svg for 16 px) into
# dist/icons/hicolor/<N>x<N>/apps/portolan.png. Run it after changing those SVGs and commit the
# PNGs: building and packaging then need no SVG renderer. The SVG itself is installed as the
# scalable icon. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
app="$root/src/res/icons/app"
for size in 16 22 24 32 48 64 128 256; do
  svg="$app/portolan.svg"
  [ "$size" != 16 ] || svg="$app/portolan-16.svg"
  out="$root/dist/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$out"
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio "$svg" -o "$out/portolan.png"
done
echo "render-app-icon: PNGs written below $root/dist/icons/hicolor"
