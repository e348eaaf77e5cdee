#!/usr/bin/python3
"""Reference solutions of the grid node equations, solved directly by numpy.

Every free node equals the weighted mean of its four neighbours, weight h / d
for a neighbour at distance d (h the largest step of the grid); neighbours
outside the area (mask 0) and beyond the grid do not count. Data nodes hold
the mean of the points snapped to them; with a border value the edge nodes
(mask 2) hold it. The equations of the free nodes are assembled as one dense
matrix and solved with numpy.linalg.solve, independently of the relaxation
code under test.

Usage (from the repository root):
    /usr/bin/python3 tests/grid/equation_system_reference.py > tests/fixtures/grid/equation_system_reference.txt
"""
import sys

import numpy as np

STEP_X = [1.0, 0.5, 2.0, 1.5, 1.0, 0.75, 1.25, 2.5]
STEP_Y = [0.5, 1.0, 1.0, 2.0, 0.8, 1.2]
ORIGIN = (10.0, -3.0)

# (x, y, value); the second and third point lie nearest to the same node.
# All lie nearest to inside nodes (mask 1) of the area below.
POINTS = [
    (12.6, -1.4, 7.0),
    (14.9, 0.05, -2.0),
    (15.2, -0.1, 4.0),
    (11.9, 1.2, 11.5),
    (13.2, 1.3, 0.25),
    (16.2, -1.2, 3.0),
]

# The area of the node mask, drawn with the highest row first: '#' inside,
# '.' outside. Edge marking then clears the frame and marks edge nodes 2.
AREA = [
    "#########",
    "#########",
    "######...",
    "######...",
    "#########",
    "#########",
    "#########",
]


def nodes(origin, steps):
    return origin + np.concatenate(([0.0], np.cumsum(steps)))


def nearest(coords, c):
    d = np.abs(coords - c)
    best = d.min()
    return int(np.nonzero(d == best)[0][-1])  # a tie goes to the higher index


def area_mask(nx, ny):
    rows = list(reversed(AREA))
    return np.array([[1 if rows[j][i] == "#" else 0 for i in range(nx)] for j in range(ny)])


def mark_edges(area):
    ny, nx = area.shape
    m = area.copy()
    m[0, :] = m[-1, :] = 0
    m[:, 0] = m[:, -1] = 0
    out = m.copy()
    for j in range(1, ny - 1):
        for i in range(1, nx - 1):
            if m[j, i] != 0 and 0 in (m[j, i - 1], m[j, i + 1], m[j - 1, i], m[j + 1, i]):
                out[j, i] = 2
    return out


def solve(mask, border_value):
    """Solution on every node with mask != 0 (NaN elsewhere)."""
    sx, sy = np.array(STEP_X), np.array(STEP_Y)
    nx, ny = len(sx) + 1, len(sy) + 1
    xs, ys = nodes(ORIGIN[0], sx), nodes(ORIGIN[1], sy)
    h = max(sx.max(), sy.max())
    fixed = {}
    sums = {}
    for x, y, v in POINTS:
        k = (nearest(xs, x), nearest(ys, y))
        sums.setdefault(k, []).append(v)
    for k, vs in sums.items():
        fixed[k] = sum(vs) / len(vs)
    if border_value is not None:
        for j in range(ny):
            for i in range(nx):
                if mask[j, i] == 2 and (i, j) not in fixed:
                    fixed[(i, j)] = border_value
    unknown = [(i, j) for j in range(ny) for i in range(nx) if mask[j, i] != 0]
    index = {k: n for n, k in enumerate(unknown)}
    a = np.zeros((len(unknown), len(unknown)))
    b = np.zeros(len(unknown))
    for (i, j), n in index.items():
        if (i, j) in fixed:
            a[n, n] = 1.0
            b[n] = fixed[(i, j)]
            continue
        for di, dj, d in ((-1, 0, sx[i - 1] if i > 0 else 0), (1, 0, sx[i] if i < nx - 1 else 0),
                          (0, -1, sy[j - 1] if j > 0 else 0), (0, 1, sy[j] if j < ny - 1 else 0)):
            k = (i + di, j + dj)
            if k in index:
                a[n, n] -= h / d
                a[n, index[k]] += h / d
    u = np.linalg.solve(a, b)
    out = np.full((ny, nx), np.nan)
    for (i, j), n in index.items():
        out[j, i] = u[n]
    return out


def write_case(name, mask, area, border_value):
    ny, nx = mask.shape
    print(f"case {name}")
    print(f"nx {nx}")
    print(f"ny {ny}")
    print(f"origin {ORIGIN[0]!r} {ORIGIN[1]!r}")
    print("stepX " + " ".join(repr(s) for s in STEP_X))
    print("stepY " + " ".join(repr(s) for s in STEP_Y))
    print("border " + ("none" if border_value is None else repr(border_value)))
    print(f"points {len(POINTS)}")
    for x, y, v in POINTS:
        print(f"{x!r} {y!r} {v!r}")
    print("area " + " ".join(str(int(c)) for c in area.ravel()))
    print("mask " + " ".join(str(int(c)) for c in mask.ravel()))
    u = solve(mask, border_value)
    print("solution " + " ".join("nan" if np.isnan(c) else repr(float(c)) for c in u.ravel()))
    print("end")


def main():
    nx, ny = len(STEP_X) + 1, len(STEP_Y) + 1
    print("# Direct solutions of the grid node equations (numpy.linalg.solve).")
    print("# Made with: /usr/bin/python3 tests/grid/equation_system_reference.py"
          " > tests/fixtures/grid/equation_system_reference.txt")
    print(f"# numpy {np.__version__}")
    everywhere = np.ones((ny, nx), dtype=int)
    write_case("all_inside", everywhere, everywhere, None)
    area = area_mask(nx, ny)
    edges = mark_edges(area)
    write_case("area", edges, area, None)
    write_case("border_value", edges, area, 2.5)
    return 0


if __name__ == "__main__":
    sys.exit(main())
