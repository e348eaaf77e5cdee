#!/usr/bin/env bash
# Builds the benchmarks and compares the data-file reader with
# numpy.loadtxt on the same generated 1,000,000-line file, the isoline tracer
# with contourpy, inverse distance with gdal_grid and the equation system with
# gmt surface and scipy's sparse direct solve; the triangle network with
# gdal_grid's linear method.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
source "$top/scripts/common.sh"
GRIDOVA_PACKAGES+=(python3-numpy python3-contourpy gdal-bin gmt python3-scipy)
gridova_install_packages
cmake -S "$top" -B "$top/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DGRIDOVA_TESTS=OFF -DGRIDOVA_BENCH=ON
cmake --build "$top/build-bench" -j "$(nproc)" --target bench_data_reader bench_levels

echo "== 30,000 isoline levels: levels file -> profile -> back; one setting beside them"
"$top/build-bench/bench/bench_levels"

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

# The grid methods beside their peers, on the same points and nodes (some
# 6 minutes on 2 cores). Our values are written next to the timings and the
# peer scripts compare their grids with them.
peers=/tmp/gridova-bench-peers
rm -rf "$peers"
mkdir -p "$peers/idw" "$peers/gdal" "$peers/equation"
cmake --build "$top/build-bench" -j "$(nproc)" --target bench_idw bench_equation

echo "== inverse distance, 10,000 and 100,000 points to 500 x 500 nodes"
GRIDOVA_BENCH_IDW_OUT="$peers/idw" "$top/build-bench/bench/bench_idw" \
    --benchmark_filter=BM_Peer --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
echo "== gdal_grid on the same points and nodes"
/usr/bin/python3 "$top/bench/idw_gdal.py" "$peers/gdal" "$peers/idw"

echo "== equation system, 10,000 points to 500 x 500 and 1000 x 1000 nodes"
GRIDOVA_BENCH_EQ_OUT="$peers/equation" "$top/build-bench/bench/bench_equation"
echo "== gmt surface and scipy spsolve on the same points and nodes (500 x 500)"
/usr/bin/python3 "$top/bench/equation_peers.py" "$peers/equation"

# The triangle network beside gdal_grid's linear method: the same 100,000
# points onto the same 1000 x 1000 nodes, values compared inside the hull.
triangles=/tmp/gridova-bench-triangles
rm -rf "$triangles"
mkdir -p "$triangles"
cmake --build "$top/build-bench" -j "$(nproc)" --target bench_triangles
echo "== triangle network, 100,000 points to 1000 x 1000 nodes"
GRIDOVA_BENCH_TRI_OUT="$triangles/ours.f64" "$top/build-bench/bench/bench_triangles" \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
echo "== gdal_grid -a linear on the same points and nodes"
/usr/bin/python3 "$top/bench/triangles_gdal.py" "$triangles/gdal" "$triangles/ours.f64"

# Kriging beside R's gstat: ordinary kriging of 1,000 points and block
# kriging of 100,000 points onto 500 x 500 nodes (gstat: global kriging, and
# local kriging with its 64 nearest points; some 3 to 6 minutes). gstat runs
# on the first GRIDOVA_GSTAT_ROWS rows of nodes (default all 500) and its time
# is scaled to 500 rows.
GRIDOVA_PACKAGES+=(r-cran-gstat)
gridova_install_packages
kriging=/tmp/gridova-bench-kriging
rm -rf "$kriging"
mkdir -p "$kriging"
cmake --build "$top/build-bench" -j "$(nproc)" --target bench_kriging
echo "== kriging, 1,000 points (ordinary) and 100,000 points (blocks) to 500 x 500 nodes"
GRIDOVA_BENCH_KRIGING_OUT="$kriging" "$top/build-bench/bench/bench_kriging" \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
echo "== gstat on the same points, nodes and variogram"
Rscript "$top/bench/kriging_gstat.R" "$kriging" "${GRIDOVA_GSTAT_ROWS:-500}"
