#!/usr/bin/python3
"""Times gdal_grid's inverse distance on the points of bench_idw's BM_Peer.

    /usr/bin/python3 bench/idw_gdal.py WORKDIR [OURS] [REPETITIONS]

The first 10,000 and 100,000 points of the splitmix64 stream (seed 42) of
bench_idw.cpp, written with every digit to WORKDIR/pP.csv (read through an
OGR VRT), onto 500 x 500 nodes at the cell centres of [0, 1e5]^2 (-txe 0
100000 -tye 0 100000 -outsize 500 500: node i at (i + 0.5) * 200, as BM_Peer
places them). Each case runs the whole gdal_grid command REPETITIONS times
(3 unless given; the 100,000-point double-precision case once) and prints
the median wall-clock time, reading the points and writing the grid
included; the "read + write" case (average within radius 1, which finds
next to no point) shows what that part costs.

gdal_grid takes every core (GDAL_NUM_THREADS defaults to ALL_CPUS). Every
point, power 2, no smoothing is computed in single precision with AVX
unless GDAL_USE_AVX=NO GDAL_USE_SSE=NO, which leaves the double-precision
loop (-ot Float32, timed on 10,000 points, only changes the file written).
The 10 nearest points are invdistnn with max_points=10 and a search
radius that holds some 80 points on average: gdal_grid first gathers every
point within the radius, so a radius over the whole extent (where the
nearest 10 of all points are taken for certain) took 6 minutes for 10,000
points; the value check below shows that every node found its 10 nearest.

When OURS names the directory bench_idw wrote with GRIDOVA_BENCH_IDW_OUT, the
grids are compared with ours: the largest difference from our values with
tolerance 0 (gdal_grid takes a point's value only at an exact hit), and the
number of nodes that differ from our default run, whose tolerance of 0.1 x
the node spacing gives a node with a point that near the plain mean.
"""
import os
import statistics
import subprocess
import sys
import time

import numpy as np

from idw_reference import splitmix64

SIDE, NODES = 1e5, 500
# Search radius of the 10-nearest case: pi r^2 x density ~ 80 points.
NEAREST_RADIUS = {10000: 5000, 100000: 1600}
DOUBLE_PATH = {"GDAL_USE_AVX": "NO", "GDAL_USE_SSE": "NO"}


def write_points(work, count, u):
    base = os.path.join(work, "p%d" % count)
    with open(base + ".csv", "w") as f:
        f.write("x,y,v\n")
        for a, b, c in u[:count]:
            f.write("%r,%r,%r\n" % (float(a * SIDE), float(b * SIDE), float(-50.0 + 300.0 * c)))
    with open(base + ".vrt", "w") as f:
        f.write('<OGRVRTDataSource>\n  <OGRVRTLayer name="p%d">\n'
                '    <SrcDataSource relativeToVRT="1">p%d.csv</SrcDataSource>\n'
                "    <GeometryType>wkbPoint</GeometryType>\n"
                '    <GeometryField encoding="PointFromColumns" x="x" y="y"/>\n'
                "  </OGRVRTLayer>\n</OGRVRTDataSource>\n" % (count, count))
    return base + ".vrt"


def cases():
    """(name, points, nearest or None, -a argument, extra options, environment, repetitions)."""
    out = []
    for count in (10000, 100000):
        every = "invdist:power=2.0:smoothing=0.0"
        near = ("invdistnn:power=2.0:smoothing=0.0:radius=%d:max_points=10:min_points=0"
                % NEAREST_RADIUS[count])
        out += [
            ("read + write", count, None, "average:radius1=1:radius2=1", [], {}, 0),
            ("all points, AVX (single precision)", count, 0, every, [], {}, 0),
            ("all points, double precision", count, 0, every, [], DOUBLE_PATH,
             0 if count == 10000 else 1),
            ("10 nearest (invdistnn)", count, 10, near, [], {}, 0),
        ]
        if count == 10000:
            out += [
                ("all points, AVX, -ot Float32", count, 0, every, ["-ot", "Float32"], {}, 0),
                ("all points, AVX, 1 thread", count, 0, every, [],
                 {"GDAL_NUM_THREADS": "1"}, 0),
                ("all points, double precision, 1 thread", count, 0, every, [],
                 dict(DOUBLE_PATH, GDAL_NUM_THREADS="1"), 0),
                ("10 nearest (invdistnn), 1 thread", count, 10, near, [],
                 {"GDAL_NUM_THREADS": "1"}, 0),
            ]
    return out


def compare(grid, ours, count, nearest):
    exact = np.fromfile(os.path.join(ours, "idw-%d-%d-tol0.f64" % (count, nearest)))
    default = np.fromfile(os.path.join(ours, "idw-%d-%d.f64" % (count, nearest)))
    exact, default = exact.reshape(NODES, NODES), default.reshape(NODES, NODES)
    return (float(np.abs(grid - exact).max()), int((grid != exact).sum()),
            int((grid != default).sum()))


def main():
    work = sys.argv[1]
    ours = sys.argv[2] if len(sys.argv) > 2 else None
    repetitions = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    os.makedirs(work, exist_ok=True)
    version = subprocess.run(["gdal_grid", "--version"], capture_output=True,
                             text=True, check=True).stdout.split(",")[0]
    u = splitmix64(42, 3 * 100000).reshape(100000, 3)
    sources = {count: write_points(work, count, u) for count in (10000, 100000)}
    for k, (name, count, nearest, algorithm, options, env, reps) in enumerate(cases()):
        target = os.path.join(work, "grid%d.raw" % k)
        command = (["gdal_grid", "-q", "-zfield", "v", "-a", algorithm, "-txe", "0", "100000",
                    "-tye", "0", "100000", "-outsize", str(NODES), str(NODES), "-of", "ENVI"]
                   + options + [sources[count], target])
        times = []
        for _ in range(reps or repetitions):
            t0 = time.perf_counter()
            subprocess.run(command, check=True, env=dict(os.environ, **env))
            times.append(time.perf_counter() - t0)
        line = ("%s, %d points, %s: median %.2f s of %d (%s)"
                % (version, count, name, statistics.median(times), len(times),
                   " ".join("%.2f" % t for t in times)))
        if ours is not None and nearest is not None:
            dtype = np.float32 if "Float32" in options else np.float64
            grid = np.fromfile(target, dtype=dtype).reshape(NODES, NODES)[::-1]  # north up
            worst, differ, differ_default = compare(grid.astype(np.float64), ours, count, nearest)
            line += ("; vs ours with tolerance 0: max |diff| %.3g, %d nodes differ;"
                     " vs our default tolerance: %d nodes differ" % (worst, differ, differ_default))
        print(line, flush=True)


if __name__ == "__main__":
    main()
