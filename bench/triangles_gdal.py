#!/usr/bin/python3
"""Times gdal_grid's linear method (Delaunay triangulation, plane per
triangle) on the points and nodes of bench_triangles.cpp.

    /usr/bin/python3 bench/triangles_gdal.py WORKDIR [OURS] [REPETITIONS]

The first 100,000 points of the splitmix64 stream (seed 42) of bench_idw.cpp,
written with every digit to WORKDIR/p100000.csv (read through an OGR VRT),
onto 1000 x 1000 nodes at the cell centres of [0, 1e5]^2 (-txe 0 100000
-tye 0 100000 -outsize 1000 1000: node i at (i + 0.5) * 100, where
bench_triangles puts ours). radius=0 leaves the nodes outside every triangle
at nodata (-1e30, our blank value) instead of taking the nearest point.
Each case runs the whole command REPETITIONS times (3 unless given) and
prints the median wall-clock time, reading the points and writing the grid
included; the "read + triangulate" case (the same command onto a single
node) shows what reading the points and triangulating them cost.

When OURS names the file bench_triangles wrote with GRIDOVA_BENCH_TRI_OUT,
the grids are compared: the largest difference where both have a value,
and the nodes where only one of them has a value (ours leaves the outer
frame of nodes blank, as every method does).
"""
import os
import statistics
import subprocess
import sys
import time

import numpy as np

from idw_reference import splitmix64

SIDE, NODES, POINTS = 1e5, 1000, 100000
BLANK = -1e30


def write_points(work):
    u = splitmix64(42, 3 * POINTS).reshape(POINTS, 3)
    base = os.path.join(work, "p%d" % POINTS)
    with open(base + ".csv", "w") as f:
        f.write("x,y,v\n")
        for a, b, c in u:
            f.write("%r,%r,%r\n" % (float(a * SIDE), float(b * SIDE), float(-50.0 + 300.0 * c)))
    with open(base + ".vrt", "w") as f:
        f.write('<OGRVRTDataSource>\n  <OGRVRTLayer name="p%d">\n'
                '    <SrcDataSource relativeToVRT="1">p%d.csv</SrcDataSource>\n'
                "    <GeometryType>wkbPoint</GeometryType>\n"
                '    <GeometryField encoding="PointFromColumns" x="x" y="y"/>\n'
                "  </OGRVRTLayer>\n</OGRVRTDataSource>\n" % (POINTS, POINTS))
    return base + ".vrt"


def main():
    work = sys.argv[1]
    ours = sys.argv[2] if len(sys.argv) > 2 else None
    repetitions = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    os.makedirs(work, exist_ok=True)
    version = subprocess.run(["gdal_grid", "--version"], capture_output=True,
                             text=True, check=True).stdout.split(",")[0]
    source = write_points(work)
    linear = "linear:radius=0:nodata=%g" % BLANK
    cases = [
        ("read + triangulate (1 x 1 nodes)", 1, {}),
        ("linear", NODES, {}),
        ("linear, 1 thread", NODES, {"GDAL_NUM_THREADS": "1"}),
    ]
    for k, (name, nodes, env) in enumerate(cases):
        target = os.path.join(work, "linear%d.raw" % k)
        command = ["gdal_grid", "-q", "-zfield", "v", "-a", linear, "-txe", "0", "100000",
                   "-tye", "0", "100000", "-outsize", str(nodes), str(nodes), "-of", "ENVI",
                   source, target]
        times = []
        for _ in range(repetitions):
            t0 = time.perf_counter()
            subprocess.run(command, check=True, env=dict(os.environ, **env))
            times.append(time.perf_counter() - t0)
        line = ("%s, %d points, %s: median %.2f s of %d (%s)"
                % (version, POINTS, name, statistics.median(times), len(times),
                   " ".join("%.2f" % t for t in times)))
        if ours is not None and nodes == NODES:
            grid = np.fromfile(target, dtype=np.float64).reshape(NODES, NODES)[::-1]  # north up
            mine = np.fromfile(ours, dtype=np.float64).reshape(NODES, NODES)
            theirs_set, ours_set = grid > BLANK / 2, mine > BLANK / 2
            both = theirs_set & ours_set
            only_theirs = theirs_set & ~ours_set
            frame = np.zeros_like(only_theirs)
            frame[0, :] = frame[-1, :] = frame[:, 0] = frame[:, -1] = True
            line += ("; vs ours: %d nodes with values in both, max |diff| %.3g;"
                     " only gdal_grid: %d (%d of them on the outer frame); only ours: %d"
                     % (both.sum(), np.abs(grid[both] - mine[both]).max(), only_theirs.sum(),
                        (only_theirs & frame).sum(), (ours_set & ~theirs_set).sum()))
        print(line, flush=True)


if __name__ == "__main__":
    main()
