#!/usr/bin/env bash
# Builds the benchmarks and compares the data-file reader with
# numpy.loadtxt on the same generated 1,000,000-line file.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
source "$top/scripts/common.sh"
GRIDOVA_PACKAGES+=(python3-numpy python3-contourpy)
gridova_install_packages
cmake -S "$top" -B "$top/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DGRIDOVA_TESTS=OFF -DGRIDOVA_BENCH=ON
cmake --build "$top/build-bench" -j "$(nproc)" --target bench_data_reader

data=/tmp/gridova-bench-1000000.dat
/usr/bin/python3 "$top/bench/make_points.py" 1000000 "$data"

echo "== gridova data reader (Google Benchmark)"
GRIDOVA_BENCH_DATA="$data" "$top/build-bench/bench/bench_data_reader" \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

echo "== numpy.loadtxt on the same file"
/usr/bin/python3 "$top/bench/numpy_loadtxt.py" "$data"

echo "== isoline tracing: 20 levels on 2000 x 2000"
cmake --build "$top/build-bench" -j "$(nproc)" --target bench_isolines
"$top/build-bench/bench/bench_isolines"
/usr/bin/python3 "$top/bench/isolines_contourpy.py"
