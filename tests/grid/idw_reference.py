#!/usr/bin/env python3
"""Reference node values of inverse-distance weighting, computed with numpy.

Writes tests/fixtures/idw_reference.txt, read by inverse_distance_test.cpp:

    /usr/bin/python3 tests/grid/idw_reference.py > tests/fixtures/idw_reference.txt

The method, written from its description and independently of the C++ code:
for a node, d^2 = (Y - y)^2 + (X - x)^2, raised to the plateau when smaller.
The candidates are all points in point order, or with nearest = n < N the
n points least by (d^2, point index), in that order. Among the candidates, those with d < tolerance lie on the
node and the value is their plain mean; without such a point, the value is
sum(w v) / sum(w) over the candidates with d <= radius, w = 1 / d^p, and 0
when sum(w) <= 1e-30.

The points are random (numpy PCG64, seed 2024) with a few placed on purpose:
one on a node, two within the tolerance of another node, one repeated with
another value.
"""
import numpy as np

NX, NY = 13, 9
NODE_X = -1.0 + 1.0 * np.arange(NX)   # spacing 1
NODE_Y = -1.0 + 1.25 * np.arange(NY)  # spacing 1.25
TOLERANCE = 0.1 * 1.0                 # 0.1 x the smallest spacing


def make_points():
    rng = np.random.default_rng(2024)
    n = 60
    pts = [(float(x), float(y), float(v)) for x, y, v in
           zip(rng.uniform(0, 10, n), rng.uniform(0, 8, n), rng.uniform(-5, 20, n))]
    pts.insert(5, (5.0, 4.0, 7.5))      # on node (6, 4)
    pts.insert(17, (3.05, 1.5, -2.0))   # both within the tolerance of node (4, 2)
    pts.insert(30, (3.0, 1.46, 11.0))
    pts.insert(44, (pts[20][0], pts[20][1], 42.0))  # the same place as point 20
    return np.array(pts)


def combine(d2, v, power, radius, tolerance):
    """The value from the candidates' raised d^2 and values."""
    d = np.sqrt(d2)
    # A point on the node gives 1 / 0 among weights that are then not used.
    with np.errstate(divide="ignore"):
        w_all = 1.0 / d2 if power == 2.0 else 1.0 / d ** power
    if power == 2.0:
        on_node = d2 < tolerance * tolerance
        near = ~(d2 > radius * radius)
    else:
        on_node = d < tolerance
        near = ~(d > radius)
    if on_node.any():
        return float(np.mean(v[on_node]))
    w = w_all[near]
    total = float(np.sum(w))
    return float(np.sum(w * v[near])) / total if total > 1e-30 else 0.0


def candidates(d2, n):
    """Indices of the candidates, in the order they are summed."""
    if n >= len(d2):
        return list(range(len(d2)))
    return sorted(range(len(d2)), key=lambda k: (d2[k], k))[:n]


def grid(pts, power, nearest, radius, plateau, tolerance):
    z = np.zeros((NY, NX))
    for j, y in enumerate(NODE_Y):
        for i, x in enumerate(NODE_X):
            d2 = (y - pts[:, 1]) ** 2 + (x - pts[:, 0]) ** 2
            d2 = np.where(d2 < plateau, plateau, d2)
            used = candidates(d2, nearest)
            z[j, i] = combine(d2[used], pts[used, 2], power, radius, tolerance)
    return z


def main():
    pts = make_points()
    n = len(pts)
    dx = pts[:, 0].max() - pts[:, 0].min()
    dy = pts[:, 1].max() - pts[:, 1].min()
    diagonal = float(np.sqrt(dy * dy + dx * dx))
    cases = [
        # name, power, nearest, radius, plateau, tolerance
        ("defaults", 2.0, n, diagonal, 0.0, TOLERANCE),
        ("power3_radius4", 3.0, n, 4.0, 0.0, TOLERANCE),
        ("nearest8", 2.0, 8, diagonal, 0.0, TOLERANCE),
        ("nearest8_plateau2_power1.5", 1.5, 8, 6.0, 2.0, TOLERANCE),
    ]
    print("# Inverse-distance reference values: tests/grid/idw_reference.py, numpy %s"
          % np.__version__)
    print("points %d" % n)
    for x, y, v in pts:
        print(repr(float(x)), repr(float(y)), repr(float(v)))
    print("nodes %d %d" % (NX, NY))
    print(" ".join(repr(float(x)) for x in NODE_X))
    print(" ".join(repr(float(y)) for y in NODE_Y))
    for name, power, nearest, radius, plateau, tolerance in cases:
        print("case %s power %r nearest %d radius %r plateau %r tolerance %r"
              % (name, power, nearest, radius, plateau, tolerance))
        for row in grid(pts, power, nearest, radius, plateau, tolerance):
            print(" ".join(repr(float(z)) for z in row))


if __name__ == "__main__":
    main()
