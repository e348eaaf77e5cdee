#!/usr/bin/env python3
"""Experimental variograms computed with numpy, and a data set with a known
spherical variogram.

    /usr/bin/python3 tests/grid/variogram_reference.py

writes, beside this script's fixtures folder:
  tests/fixtures/variogram_spherical.dat   400 points (x y value) drawn from a
      Gaussian field with a spherical variogram: nugget 0.5, partial sill 2,
      range 15, on a 100 x 100 square (numpy PCG64, seed 11; a Cholesky
      factor of the covariance times standard normal numbers).
  tests/fixtures/variogram_reference.txt   for examples/wells.dat (the points
      that have a value) and for that set: the cut-off, the bin width and, per
      bin that holds a pair, the mean distance, the semivariance and the count.

The bins follow gstat's variogram() defaults, written here from its manual:
cut-off a third of the diagonal of the points' bounding box (gstat takes
0.33333 of it), 15 bins of
equal width; a pair at distance d > 0 falls into bin ceil(d / width) - 1 (a
distance on a boundary belongs to the lower bin), a pair at distance 0 into
the first; pairs beyond the cut-off are left out. The semivariance of a bin
is the sum of (z_i - z_j)^2 over its pairs divided by twice their count.
"""
import os

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "fixtures")
EXAMPLE = os.path.join(HERE, "..", "..", "examples", "wells.dat")


def spherical_set():
    rng = np.random.default_rng(11)
    n = 400
    xy = rng.uniform(0.0, 100.0, (n, 2))
    h = np.sqrt(((xy[:, None, :] - xy[None, :, :]) ** 2).sum(axis=2))
    nugget, psill, a = 0.5, 2.0, 15.0
    r = np.minimum(h / a, 1.0)
    cov = psill * (1.0 - (1.5 * r - 0.5 * r**3))
    cov += nugget * np.eye(n)
    z = 10.0 + np.linalg.cholesky(cov) @ rng.standard_normal(n)
    return xy[:, 0], xy[:, 1], z


def wells():
    xs, ys, zs = [], [], []
    with open(EXAMPLE, encoding="utf-8") as f:
        for line in list(f)[2:]:
            # Rows are "x y head name"; a dry well is "x,y,,name".
            cells = line.strip().split(",") if "," in line else line.split()
            if len(cells) < 3 or cells[2] == "":
                continue
            xs.append(float(cells[0]))
            ys.append(float(cells[1]))
            zs.append(float(cells[2]))
    return np.array(xs), np.array(ys), np.array(zs)


def experimental(x, y, z, nbins=15):
    diagonal = np.hypot(x.max() - x.min(), y.max() - y.min())
    cutoff = diagonal * 0.33333
    width = cutoff / nbins
    i, j = np.triu_indices(len(x), k=1)
    d = np.hypot(x[i] - x[j], y[i] - y[j])
    sq = (z[i] - z[j]) ** 2
    keep = d <= cutoff
    d, sq = d[keep], sq[keep]
    index = np.where(d > 0, np.ceil(d / width) - 1, 0).astype(int)
    rows = []
    for b in range(nbins):
        sel = index == b
        count = int(sel.sum())
        if count:
            rows.append((float(d[sel].mean()), float(sq[sel].sum() / (2 * count)), count))
    return cutoff, width, rows


def main():
    sx, sy, sz = spherical_set()
    with open(os.path.join(FIXTURES, "variogram_spherical.dat"), "w") as f:
        f.write("Spherical variogram: nugget 0.5, partial sill 2, range 15 (variogram_reference.py)\n")
        for a, b, c in zip(sx, sy, sz):
            f.write(f"{a!r} {b!r} {c!r}\n")
    with open(os.path.join(FIXTURES, "variogram_reference.txt"), "w") as f:
        f.write(f"# numpy {np.__version__}: tests/grid/variogram_reference.py\n")
        for name, (x, y, z) in (("wells", wells()), ("spherical", (sx, sy, sz))):
            cutoff, width, rows = experimental(x, y, z)
            f.write(f"set {name} points {len(x)} cutoff {cutoff!r} width {width!r} bins {len(rows)}\n")
            for dist, gamma, count in rows:
                f.write(f"{dist!r} {gamma!r} {count}\n")


main()
