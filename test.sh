#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
source "$top/scripts/common.sh"
gridova_install_packages
"$top/scripts/check-format.sh"
gridova_build "$top" -DGRIDOVA_TESTS=ON -DGRIDOVA_WERROR=ON
export QT_QPA_PLATFORM=offscreen LIBGL_ALWAYS_SOFTWARE=1 OPENBLAS_NUM_THREADS=1
cd "$top/build"
ctest -j "$(nproc)" --output-on-failure
