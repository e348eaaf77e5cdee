#!/usr/bin/python3
"""Reference values of ordinary and block kriging, solved per node by numpy.

For every node the kriging system of the points is assembled and solved
with numpy.linalg.solve (no inverse is formed):

    A w = r,   A[i][j] = gamma(|P_i - P_j|) (i, j < n), last row and column 1,
               corner 0;  r_i = gamma(|P_i - node|), r_n = 1;
    value = sum(w_i * p_i, i < n)

with gamma the variogram of the model (linear, spherical, exponential,
Gaussian; nugget c0, partial sill c, range a) and gamma(0) = c0 except for
the exponential model, where gamma(0) = 0. Repeated coordinates keep their
first point.

Block kriging: with n distinct points, b = n div 80 blocks per side over the
points' extent; block (r, k) has the core [minX + k w, minX + (k + 1) w] x
[minY + r h, minY + (r + 1) h], a window one block wider on every side and
widened again while it holds fewer than 2 points (ends inclusive), the
window's diagonal as range, and the blocks of the outer columns and rows
reach to -1e30 / +1e30. The blocks are taken in order, row after row from the
lowest, and each one writes its estimate to every node in its core (ends
inclusive), so a node on a shared edge keeps the later block's value.

Usage (from the repository root):
    /usr/bin/python3 tests/grid/kriging_reference.py > tests/fixtures/grid/kriging_reference.txt
"""
import sys

import numpy as np

ORIGIN = (-1.0, -1.0)
STEP = 0.5
NODES = 25  # each way: X and Y from -1 to 11


def gamma(h, model, c0, c, a):
    t = h / a
    if model == 0:
        return np.where(h < a, c0 + c * t, c0 + c)
    if model == 1:
        return np.where(h < a, c0 + c * (1.5 * t - 0.5 * t ** 3), c0 + c)
    if model == 2:
        return np.where(h > 0, c0 + c * (1.0 - np.exp(-3.0 * t)), 0.0)
    return c0 + c * (1.0 - np.exp(-3.0 * t * t))


def distinct(points):
    kept = []
    seen = set()
    for x, y, v in points:
        if (x, y) in seen:
            continue
        seen.add((x, y))
        kept.append((x, y, v))
    return kept


def system(pts, model, c0, c, a):
    n = len(pts)
    xy = np.array([(x, y) for x, y, _ in pts])
    d = np.hypot(xy[:, None, 0] - xy[None, :, 0], xy[:, None, 1] - xy[None, :, 1])
    m = np.ones((n + 1, n + 1))
    m[:n, :n] = gamma(d, model, c0, c, a)
    m[n, n] = 0.0
    return m, xy, np.array([v for _, _, v in pts])


def solve_node(m, xy, values, model, c0, c, a, x, y):
    n = len(values)
    r = np.ones(n + 1)
    r[:n] = gamma(np.hypot(xy[:, 0] - x, xy[:, 1] - y), model, c0, c, a)
    w = np.linalg.solve(m, r)
    return float(w[:n] @ values)


def nodes():
    return ORIGIN[0] + STEP * np.arange(NODES), ORIGIN[1] + STEP * np.arange(NODES)


def ordinary(pts, model, c0, c, a):
    m, xy, values = system(pts, model, c0, c, a)
    xs, ys = nodes()
    out = [solve_node(m, xy, values, model, c0, c, a, x, y) for y in ys for x in xs]
    return out, np.linalg.cond(m)


def blocks(pts):
    """The blocks in list order: (r, k, core, window, diagonal, points)."""
    n = len(pts)
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    min_x, max_x, min_y, max_y = min(xs), max(xs), min(ys), max(ys)
    b = n // 80
    w = (max_x - min_x) / b
    h = (max_y - min_y) / b

    def inside(win):
        return [p for p in pts if win[0] <= p[0] <= win[2] and win[1] <= p[1] <= win[3]]

    out = []
    for r in range(b):
        for k in range(b):
            core = [min_x + k * w, min_y + r * h, min_x + (k + 1) * w, min_y + (r + 1) * h]
            win = [core[0] - w, core[1] - h, core[2] + w, core[3] + h]
            while len(inside(win)) < 2:
                win = [win[0] - w, win[1] - h, win[2] + w, win[3] + h]
            diagonal = np.hypot(win[2] - win[0], win[3] - win[1])
            if k == 0:
                core[0] = win[0] = -1e30
            if k == b - 1:
                core[2] = win[2] = 1e30
            if r == 0:
                core[1] = win[1] = -1e30
            if r == b - 1:
                core[3] = win[3] = 1e30
            out.append((r, k, core, win, float(diagonal), inside(win)))
    return b, out


def block_kriging(pts, model, c0, c):
    b, layout = blocks(pts)
    xs, ys = nodes()
    values = np.full(NODES * NODES, np.nan)
    worst = 0.0
    for r, k, core, win, diagonal, inside_pts in layout:
        m, xy, v = system(inside_pts, model, c0, c, diagonal)
        worst = max(worst, np.linalg.cond(m))
        for j, y in enumerate(ys):
            for i, x in enumerate(xs):
                if core[0] <= x <= core[2] and core[1] <= y <= core[3]:
                    values[i + j * NODES] = solve_node(m, xy, v, model, c0, c, diagonal, x, y)
    return b, layout, list(values), worst


def surface(x, y):
    return 100.0 + 20.0 * np.sin(x / 2.0) + 10.0 * np.cos(y / 3.0) + 4.0 * np.sin(x * y / 7.0)


def make_points(rng, count, hole=None):
    """Points in [0, 10]^2 with values of a smooth surface and some noise; the
    extent is exactly [0, 10]^2; no point inside the hole (a square from 0)."""
    pts = [(0.0, 9.0), (10.0, 1.5), (2.5, 10.0), (9.5, 0.0)]
    while len(pts) < count:
        x, y = rng.uniform(0.0, 10.0, 2)
        if hole is not None and x <= hole and y <= hole:
            continue
        pts.append((float(x), float(y)))
    noise = rng.normal(0.0, 1.0, count)
    return [(x, y, float(surface(x, y) + e)) for (x, y), e in zip(pts, noise)]


def write_case(name, method, source, model, a, c0, sill, rows, values, b=None, layout=None):
    print(f"case {name}")
    print(f"method {method}")
    print(f"source {source}")
    print(f"model {model}")
    print(f"range {a!r}")
    print(f"nugget {c0!r}")
    print(f"sill {sill!r}")
    print(f"origin {ORIGIN[0]!r} {ORIGIN[1]!r}")
    print(f"step {STEP!r}")
    print(f"nodes {NODES}")
    print(f"points {len(rows)}")
    for x, y, v in rows:
        print(f"{x!r} {y!r} {v!r}")
    if layout is not None:
        print(f"blocks {b}")
        for r, k, core, win, diagonal, inside_pts in layout:
            print(f"block {r} {k} " + " ".join(repr(float(c)) for c in core) + " " +
                  " ".join(repr(float(c)) for c in win) + f" {diagonal!r} {len(inside_pts)}")
    print("values " + " ".join(repr(float(v)) for v in values))
    print("end")


def main():
    rng = np.random.default_rng(20240611)
    rows = make_points(rng, 150)
    # Two repeats with other values: only the first point at a place counts.
    rows_with_repeats = rows[:40] + [(rows[7][0], rows[7][1], 500.0)] + rows[40:] + \
        [(rows[99][0], rows[99][1], -500.0)]
    pts = distinct(rows_with_repeats)
    assert len(pts) == 150
    diagonal = float(np.hypot(10.0, 10.0))
    c1 = [
        # name, source, model, range, nugget, sill (total)
        ("linear_defaults", 0, 0, diagonal, 1.0, 3.0),
        ("spherical", 2, 1, 6.0, 0.5, 2.5),
        ("exponential", 2, 2, 8.0, 1.0, 4.0),
        ("gaussian", 2, 3, 1.2, 0.0, 1.0),
    ]
    print("# Kriging estimates solved per node by numpy.linalg.solve.")
    print("# Made with: /usr/bin/python3 tests/grid/kriging_reference.py"
          " > tests/fixtures/grid/kriging_reference.txt")
    print(f"# numpy {np.__version__}")
    out = []
    for name, source, model, a, c0, sill in c1:
        values, cond = ordinary(pts, model, c0, sill - c0, a)
        print(f"# {name}: condition number of the system {cond:.3g}")
        out.append((name, source, model, a, c0, sill, values))
    block_rows = make_points(rng, 400, hole=4.5)
    block_pts = distinct(block_rows)
    assert len(block_pts) == 400
    blocks_out = []
    for name, model, c0, sill in (("block_exponential", 2, 1.0, 3.0),
                                  ("block_spherical", 1, 0.0, 2.0)):
        b, layout, values, worst = block_kriging(block_pts, model, c0, sill - c0)
        print(f"# {name}: largest condition number of a block system {worst:.3g}")
        blocks_out.append((name, model, c0, sill, b, layout, values))
    for name, source, model, a, c0, sill, values in out:
        write_case(name, "ordinary", source, model, a, c0, sill, rows_with_repeats, values)
    for name, model, c0, sill, b, layout, values in blocks_out:
        # The range entered is replaced by each block's own.
        write_case(name, "block", 2, model, 1000.0, c0, sill, block_rows, values, b, layout)
    return 0


if __name__ == "__main__":
    sys.exit(main())
