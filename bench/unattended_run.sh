#!/usr/bin/env bash
# Times the unattended map production as a whole process: 10,000 points,
# the default 102 x 102 grid, the default method, isolines, a PNG picture
# and the grid values. Needs a Release build in build-bench (bench/run.sh
# makes one) and farm-bench.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
work=/tmp/gridova-bench-unattended
mkdir -p "$work"
/usr/bin/python3 "$top/bench/make_surface_points.py" 10000 "$work/field.dat"
cmake --build "$top/build-bench" -j "$(nproc)" --target gridova
export GRIDOVA_PROFILE="$work/profile.ini"
farm-bench -n 5 --timeout 300 -- env -u DISPLAY -u WAYLAND_DISPLAY "$top/build-bench/app/gridova" \
    -m isolines -g "$work/map.png" -v "$work/grid.txt" -h "$work/field.dat"
