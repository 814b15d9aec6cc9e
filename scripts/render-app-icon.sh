#!/usr/bin/env bash
# Renders the application icon's PNGs for the hicolor theme from its SVG (dist/icons/portolan.svg,
# or the SVG given) into dist/icons/hicolor/<N>x<N>/apps/portolan.png. Run it after changing the
# SVG and commit the PNGs: building and packaging then need no SVG renderer.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
svg=${1:-$root/dist/icons/portolan.svg}
for size in 16 22 24 32 48 64 128 256; do
  out="$root/dist/icons/hicolor/${size}x${size}/apps"
  mkdir -p "$out"
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio "$svg" -o "$out/portolan.png"
done
echo "render-app-icon: PNGs written below $root/dist/icons/hicolor"
