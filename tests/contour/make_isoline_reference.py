#!/usr/bin/python3
"""Reference crossings for the isoline tracer test, computed with contourpy.

The fixture tests/fixtures/isoline_reference.txt was made from the
repository root with

    /usr/bin/python3 tests/contour/make_isoline_reference.py \
        > tests/fixtures/isoline_reference.txt

using contourpy 1.0.7 (Debian's python3-contourpy, the contouring engine
of python3-matplotlib) and numpy 1.24.

The grid: 60 x 60 nodes, column and row steps drawn from {0.5, 0.75, 1,
1.25, 1.5} (binary fractions, so the node coordinates are exact sums), and
values of a random field: white noise smoothed over about two cells plus a
little unsmoothed noise, so that the lines wander, close into small loops
and pass many saddle cells. Values are rounded to 6 decimals and written in
their shortest round-trip form. The 15 levels are the quantiles
(k + 1/2) / 15 of the values, so every level crosses much of the grid, moved
half a unit of the 6th decimal off that lattice, so that no node value
equals a level.

For every level, contourpy's serial line generator gives the lines; each
line point is one crossing of the level with a grid edge. The file lists
the points of every line, a closed line's repeated last point dropped, as
"x y" in shortest round-trip form. Line order and direction are contourpy's
own and carry no meaning for the test, which compares the sets of points.
"""

import sys

import contourpy
import numpy as np

NX = 60
NY = 60
LEVELS = 15
SEED = 20250611
STEP_CHOICES = np.array([0.5, 0.75, 1.0, 1.25, 1.5])
SMOOTH_SIGMA = 2.0  # cells
NOISE = 0.2  # unsmoothed noise, relative to the smoothed field's spread
DECIMALS = 6
CLOSEPOLY = 79  # contourpy's code of a closing point


def smooth(field, sigma):
    """Separable Gaussian smoothing with edge padding (no SciPy needed)."""
    half = int(np.ceil(3 * sigma))
    t = np.arange(-half, half + 1)
    kernel = np.exp(-0.5 * (t / sigma) ** 2)
    kernel /= kernel.sum()
    padded = np.pad(field, half, mode="edge")
    rows = np.apply_along_axis(lambda r: np.convolve(r, kernel, mode="valid"), 1, padded)
    return np.apply_along_axis(lambda c: np.convolve(c, kernel, mode="valid"), 0, rows)


def main():
    rng = np.random.default_rng(SEED)
    steps_x = rng.choice(STEP_CHOICES, NX - 1)
    steps_y = rng.choice(STEP_CHOICES, NY - 1)
    x = np.concatenate(([0.0], np.cumsum(steps_x)))
    y = np.concatenate(([0.0], np.cumsum(steps_y)))

    field = smooth(rng.standard_normal((NY, NX)), SMOOTH_SIGMA)
    field += NOISE * field.std() * rng.standard_normal((NY, NX))
    z = np.round(field, DECIMALS)

    lattice = 10.0 ** -DECIMALS
    levels = np.quantile(z, (np.arange(LEVELS) + 0.5) / LEVELS)
    levels = np.round(levels, DECIMALS) + lattice / 2

    gen = contourpy.contour_generator(x, y, z, name="serial", line_type="SeparateCode")
    out = sys.stdout
    out.write("# Isoline crossings computed by contourpy %s (serial); made by\n" %
              contourpy.__version__)
    out.write("# tests/contour/make_isoline_reference.py, see its header.\n")
    out.write("grid %d %d\n" % (NX, NY))
    out.write("stepsX %s\n" % " ".join(repr(float(s)) for s in steps_x))
    out.write("stepsY %s\n" % " ".join(repr(float(s)) for s in steps_y))
    out.write("values (row 0, the lowest, first)\n")
    for row in z:
        out.write(" ".join(repr(float(v)) for v in row) + "\n")
    out.write("levels %d\n" % len(levels))
    for level in levels:
        lines, codes = gen.lines(level)
        points = []
        for line, code in zip(lines, codes):
            end = len(line) - 1 if code[-1] == CLOSEPOLY else len(line)
            points.extend(line[:end])
        out.write("level %r %d\n" % (float(level), len(points)))
        for px, py in points:
            out.write("%r %r\n" % (float(px), float(py)))


if __name__ == "__main__":
    main()
