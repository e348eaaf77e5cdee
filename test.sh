#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
source "$top/scripts/common.sh"
gridova_install_packages
"$top/tests/install_peers.sh"
"$top/scripts/check-format.sh"
gridova_build "$top" -DGRIDOVA_TESTS=ON -DGRIDOVA_WERROR=ON
export QT_QPA_PLATFORM=offscreen LIBGL_ALWAYS_SOFTWARE=1 OPENBLAS_NUM_THREADS=1
cd "$top/build"
# The tests that solve through LAPACK again under other OpenBLAS kernels,
# so that a result that depends on the kernel fails here and not on a
# user's machine. Only kernels this processor can run are forced.
for kernel in Haswell SkylakeX; do
  case "$kernel" in
    Haswell) flag=avx2 ;;
    SkylakeX) flag=avx512f ;;
  esac
  if grep -qw "$flag" /proc/cpuinfo; then
    echo "LAPACK-backed tests with OPENBLAS_CORETYPE=$kernel"
    OPENBLAS_CORETYPE="$kernel" ctest -j "$(nproc)" --output-on-failure -R 'Kriging'
  else
    echo "LAPACK-backed tests with OPENBLAS_CORETYPE=$kernel: skipped, the processor has no $flag"
  fi
done
# In random order, each passing test three times: a test that depends on
# another's leftovers or on timing fails here.
ctest -j "$(nproc)" --output-on-failure --schedule-random --repeat until-fail:3
# Every pop-up of the map menu and the map bar's menu on an X server: the
# pictures stay in build/screenshots to be looked at.
mkdir -p "$top/build/screenshots"
xvfb-run -a -s "-screen 0 1280x900x24" \
  env QT_QPA_PLATFORM=xcb GRIDOVA_SCREENSHOT_DIR="$top/build/screenshots" \
  ./tests/main_window_tests --gtest_filter='MenusTest.EveryPopupOpensOverTheMap'
