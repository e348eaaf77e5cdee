#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled
# example: an unattended run over examples/wells.dat.
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
source "$top/scripts/common.sh"
gridova_install_packages
gridova_build "$top" -DGRIDOVA_TESTS=OFF
"$top/build/app/gridova" --summary "$top/examples/wells.dat"
