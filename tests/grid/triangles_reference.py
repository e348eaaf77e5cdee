#!/usr/bin/python3
"""Reference values of the triangle network, from scipy's Delaunay
triangulation (Qhull) and its linear interpolation.

Random points (seeded) with values; nodes on a regular grid of step 0.25
(exact in binary, so the nodes are the same doubles in the test). For each
node: LinearNDInterpolator's value when the node lies inside the convex hull
by more than 1e-9, "out" when it lies outside by more than 1e-9; nodes nearer
the hull than that are left out (whether they count as inside depends on
rounding, in Qhull as in any rasteriser). The triangles are listed too, each
as its three point numbers counted from 1, sorted, so that the test can
compare the triangulation itself.

Usage (from the repository root):
    /usr/bin/python3 tests/grid/triangles_reference.py > tests/fixtures/grid/triangles_scipy.txt
"""
import numpy as np
import scipy
from scipy.interpolate import LinearNDInterpolator
from scipy.spatial import Delaunay

SEED = 20261210
POINTS = 40
X0, Y0, STEP, NX, NY = -1.0, -1.0, 0.25, 49, 41
NEAR_HULL = 1e-9


def segment_distance(p, a, b):
    ab = b - a
    t = np.clip(np.dot(p - a, ab) / np.dot(ab, ab), 0.0, 1.0)
    return float(np.linalg.norm(p - (a + t * ab)))


def main():
    rng = np.random.default_rng(SEED)
    xy = np.column_stack((rng.uniform(0.0, 10.0, POINTS), rng.uniform(0.0, 8.0, POINTS)))
    v = 3.0 * np.sin(xy[:, 0]) + 0.5 * xy[:, 1] ** 1.5 + rng.normal(0.0, 0.5, POINTS)
    tri = Delaunay(xy)
    interpolate = LinearNDInterpolator(tri, v)
    hull = [(xy[a], xy[b]) for a, b in tri.convex_hull]

    print("# Delaunay triangulation and linear interpolation of scipy %s (Qhull)." % scipy.__version__)
    print("# Made with: /usr/bin/python3 tests/grid/triangles_reference.py"
          " > tests/fixtures/grid/triangles_scipy.txt")
    print("points %d" % POINTS)
    for (x, y), value in zip(xy, v):
        print("%r %r %r" % (float(x), float(y), float(value)))
    print("grid %r %r %r %d %d" % (X0, Y0, STEP, NX, NY))
    triangles = sorted(tuple(sorted(int(k) + 1 for k in s)) for s in tri.simplices)
    print("triangles %d" % len(triangles))
    for t in triangles:
        print("%d %d %d" % t)
    lines = []
    for j in range(NY):
        for i in range(NX):
            p = np.array([X0 + i * STEP, Y0 + j * STEP])
            near = min(segment_distance(p, a, b) for a, b in hull)
            if near <= NEAR_HULL:
                continue
            if tri.find_simplex(p) >= 0:
                lines.append("%d %d %r" % (i, j, float(interpolate(p[0], p[1]))))
            else:
                lines.append("%d %d out" % (i, j))
    print("nodes %d" % len(lines))
    print("\n".join(lines))


if __name__ == "__main__":
    main()
