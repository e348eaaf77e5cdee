#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled
# example: an unattended map production over examples/wells.dat (colour bands and isolines,
# the map as a PNG picture and the grid values as text).
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
source "$top/scripts/common.sh"
gridova_install_packages
gridova_build "$top" -DGRIDOVA_TESTS=OFF
out="$top/out"
mkdir -p "$out"
"$top/build/app/gridova" -m color_isolines -g "$out/map.png" -v "$out/grid.txt" -h \
    "$top/examples/wells.dat"
echo "map picture: $out/map.png"
echo "grid values: $out/grid.txt"
