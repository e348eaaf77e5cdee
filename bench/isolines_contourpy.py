#!/usr/bin/python3
"""Times contourpy's line generator on the grid of bench/bench_isolines.cpp.

    /usr/bin/python3 bench/isolines_contourpy.py

The same 2000 x 2000 surface and the same 20 levels as the C++ benchmark
(see its header). One run makes the generator and asks it for the lines of
every level (serial algorithm, one array per line, as the tracer gives one
Line per line); best and median of the repetitions are printed. Needs
Debian's python3-contourpy (the contouring engine of python3-matplotlib).
"""

import statistics
import time

import contourpy
import numpy as np

NODES = 2000
STEP = 0.01
LEVELS = 20
REPETITIONS = 7


def surface(x, y):
    return (np.sin(0.9 * x) * np.cos(0.7 * y) + 0.5 * np.sin(0.3 * x + 0.5 * y)
            + 0.1 * np.cos(1.7 * x - 1.3 * y))


def main():
    x = STEP * np.arange(NODES)
    y = STEP * np.arange(NODES)
    z = surface(x[np.newaxis, :], y[:, np.newaxis])  # row j, column i
    lo, hi = z.min(), z.max()
    levels = [lo + (k + 1) * (hi - lo) / (LEVELS + 1) for k in range(LEVELS)]

    times = []
    lines = points = 0
    for _ in range(REPETITIONS):
        t0 = time.perf_counter()
        gen = contourpy.contour_generator(x, y, z, name="serial", line_type="Separate")
        result = [gen.lines(level) for level in levels]
        times.append(time.perf_counter() - t0)
        lines = sum(len(r) for r in result)
        points = sum(len(line) for r in result for line in r)
        del gen, result
    print("contourpy %s serial, %d x %d, %d levels: best %.1f ms, median %.1f ms "
          "(%d lines, %d points)" % (contourpy.__version__, NODES, NODES, LEVELS,
                                     1e3 * min(times), 1e3 * statistics.median(times), lines,
                                     points))


if __name__ == "__main__":
    main()
