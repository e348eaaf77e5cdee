#!/usr/bin/python3
"""Times contourpy's filled contours on the grid of bench/bench_bands.cpp.

    /usr/bin/python3 bench/bands_contourpy.py

The same 1000 x 1000 surface and the same 21 bands between 20 levels as the
C++ benchmark (see its header). One run makes the generator and asks it for
the filled polygons of every band (serial algorithm, outer boundaries with
their holes, as "OuterOffset"); best and median of the repetitions are
printed. Needs Debian's python3-contourpy.
"""

import statistics
import time

import contourpy
import numpy as np

NODES = 1000
STEP = 0.02
LEVELS = 20
REPETITIONS = 7


def surface(x, y):
    return (np.sin(0.9 * x) * np.cos(0.7 * y) + 0.5 * np.sin(0.3 * x + 0.5 * y)
            + 0.1 * np.cos(1.7 * x - 1.3 * y))


def main():
    x = STEP * np.arange(NODES)
    y = STEP * np.arange(NODES)
    z = surface(x[np.newaxis, :], y[:, np.newaxis])
    lo, hi = z.min(), z.max()
    limits = [lo + k * (hi - lo) / (LEVELS + 1) for k in range(LEVELS + 2)]
    limits[0] -= 1e-6
    limits[-1] += 1e-6
    times = []
    polygons = 0
    for _ in range(REPETITIONS):
        t0 = time.perf_counter()
        gen = contourpy.contour_generator(x, y, z, name="serial", fill_type="OuterOffset")
        result = [gen.filled(limits[k], limits[k + 1]) for k in range(LEVELS + 1)]
        times.append(time.perf_counter() - t0)
        polygons = sum(len(r[0]) for r in result)
        del gen, result
    print("contourpy %s serial filled, %d x %d, %d bands: best %.1f ms, median %.1f ms "
          "(%d polygons)" % (contourpy.__version__, NODES, NODES, LEVELS + 1,
                             1e3 * min(times), 1e3 * statistics.median(times), polygons))


if __name__ == "__main__":
    main()
