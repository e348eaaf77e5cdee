#!/usr/bin/python3
"""The peers of bench_equation: gmt surface and the exact sparse solve.

    /usr/bin/python3 bench/equation_peers.py DIR [SIZES] [REPETITIONS]

DIR holds what bench_equation wrote with GRIDOVA_BENCH_EQ_OUT=DIR: the
10,000 points, the node layout of each grid size and our values. SIZES is a
comma-separated list (500 unless given; 1000 takes the direct solve some
90 s and 2 GB), REPETITIONS the runs of each timed case (3 unless given);
medians are printed.

Exact solution. The system our methods solve (grid/equation_system.h): every
free node equals the weighted mean of its neighbours (weight h / step), a
node nearest to data points (the node-snapping rule of nearestIndex, a tie
going to the higher index) holds the mean of their values. Method 0 (point
and line relaxation) leaves out the outer frame of nodes (mask 0), so the
edge nodes next to it have three neighbours; the large-grid solver (method 7)
takes every node of the rectangle. Both are assembled here independently of
our code, the data nodes moved to the right-hand side, and solved with
scipy.sparse.linalg.spsolve (SuperLU, its default COLAMD ordering; timed
with the assembly). Printed: each of our runs' largest deviation from the
exact solution of its system, over the nodes inside the frame (the frame
is blank in our grids).

gmt surface. The same points on the same nodes: the coordinates are given
in units of the node spacing from the first node (x' = (x - x0) / step),
so that -R0/N-1/0/N-1 -I1 places the nodes exactly where ours lie (the
spacing 1000 / (N - 5) is not a round number; a uniform scale changes
neither the harmonic nor the minimum-curvature surface at the nodes).
-T0 is the minimum-curvature surface, -T1 the harmonic one (the Laplace
equation that the relaxation solves), other options at their defaults; the
whole command is timed, reading the points and writing the netCDF grid
included. gmt surface does not snap points to nodes (it fits them where they
lie), so it solves a neighbouring problem, not ours: its difference from the
exact solution of method 0 is printed for scale.
"""
import os
import statistics
import subprocess
import sys
import time

import numpy as np
import scipy
import scipy.sparse as sparse
import scipy.sparse.linalg as linalg


def read_layout(path):
    with open(path) as f:
        nx, ny = (int(t) for t in f.readline().split())
        node_x, node_y, step_x, step_y = (np.array([float(t) for t in f.readline().split()])
                                          for _ in range(4))
    return nx, ny, node_x, node_y, step_x, step_y


def nearest(nodes, c):
    """nearestIndex: bisection down to lo, hi = lo + 1; hi when |c - lo| >= |c - hi|."""
    lo = np.clip(np.searchsorted(nodes, c, side="right") - 1, 0, len(nodes) - 2)
    hi = lo + 1
    return np.where(np.abs(c - nodes[lo]) >= np.abs(c - nodes[hi]), hi, lo)


def path_laplacian(weights):
    """Laplacian of a path whose links have these weights (degree - adjacency)."""
    m = len(weights) + 1
    d = np.zeros(m)
    d[:-1] += weights
    d[1:] += weights
    return sparse.diags([-weights, d, -weights], [-1, 0, 1], format="csr")


def exact(layout, points, frame):
    """The solution on every node (NaN in a frame left out), row 0 first."""
    nx, ny, node_x, node_y, step_x, step_y = layout
    h = max(step_x.max(), step_y.max())
    i0, j0 = (1, 1) if frame else (0, 0)
    i1, j1 = (nx - 1, ny - 1) if frame else (nx, ny)  # one past the last unknown
    mx, my = i1 - i0, j1 - j0
    # Links between unknown nodes only: the frame (when left out) is no neighbour.
    lx = path_laplacian(h / step_x[i0:i1 - 1])
    ly = path_laplacian(h / step_y[j0:j1 - 1])
    lap = (sparse.kron(sparse.identity(my), lx) + sparse.kron(ly, sparse.identity(mx))).tocsr()
    # Data nodes: mean of the points snapped to them.
    i = nearest(node_x, points[:, 0])
    j = nearest(node_y, points[:, 1])
    assert ((i >= i0) & (i < i1) & (j >= j0) & (j < j1)).all()
    k = (i - i0) + (j - j0) * mx
    total = np.bincount(k, weights=points[:, 2], minlength=mx * my)
    hits = np.bincount(k, minlength=mx * my)
    data = np.nonzero(hits)[0]
    free = np.nonzero(hits == 0)[0]
    u = np.empty(mx * my)
    u[data] = total[data] / hits[data]
    rows = lap[free]
    a = rows[:, free].tocsc()
    b = -(rows[:, data] @ u[data])
    u[free] = linalg.spsolve(a, b)
    out = np.full((ny, nx), np.nan)
    out[j0:j1, i0:i1] = u.reshape(my, mx)
    return out


def timed(repetitions, work):
    times, result = [], None
    for _ in range(repetitions):
        t0 = time.perf_counter()
        result = work()
        times.append(time.perf_counter() - t0)
    return statistics.median(times), times, result


def show(times):
    return " ".join("%.2f" % t for t in times)


def gmt_surface(directory, layout, points, tension, repetitions):
    nx, ny, node_x, node_y, step_x, step_y = layout
    directory = os.path.abspath(directory)  # gmt runs there (it leaves gmt.history)
    scaled = os.path.join(directory, "gmt-points-%d.xyz" % nx)
    local = points.copy()
    local[:, 0] = (points[:, 0] - node_x[0]) / step_x[0]
    local[:, 1] = (points[:, 1] - node_y[0]) / step_y[0]
    np.savetxt(scaled, local, fmt="%.17g")
    grid = os.path.join(directory, "gmt-T%s-%d.nc" % (tension, nx))
    command = ["gmt", "surface", scaled, "-R0/%d/0/%d" % (nx - 1, ny - 1), "-I1",
               "-T%s" % tension, "-G" + grid, "-Ve"]
    median, times, _ = timed(repetitions,
                             lambda: subprocess.run(command, check=True, cwd=directory))
    raw = subprocess.run(["gmt", "grd2xyz", grid, "-ZBLd"], check=True, cwd=directory,
                         stdout=subprocess.PIPE).stdout  # row 0 (lowest) first
    return median, times, np.frombuffer(raw, dtype=np.float64).reshape(ny, nx)


def main():
    directory = sys.argv[1]
    sizes = [int(s) for s in sys.argv[2].split(",")] if len(sys.argv) > 2 else [500]
    repetitions = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    points = np.loadtxt(os.path.join(directory, "points.xyz"))
    gmt = subprocess.run(["gmt", "--version"], capture_output=True, text=True, check=True,
                         cwd=directory).stdout.strip()
    for n in sizes:
        layout = read_layout(os.path.join(directory, "layout-%d.txt" % n))
        inside = (slice(1, n - 1), slice(1, n - 1))
        exacts = {}
        for frame, name, ours in ((True, "method 0", ("point", "line")),
                                  (False, "large grid", ("large",))):
            median, times, u = timed(repetitions, lambda: exact(layout, points, frame))
            exacts[frame] = u
            print("scipy %s spsolve, %s system, %d x %d: median %.2f s of %d (%s)"
                  % (scipy.__version__, name, n, n, median, len(times), show(times)), flush=True)
            for solver in ours:
                path = os.path.join(directory, "%s-%d.f64" % (solver, n))
                if not os.path.exists(path):
                    continue
                values = np.fromfile(path).reshape(n, n)
                worst = np.abs(values[inside] - u[inside]).max()
                print("  ours (%s) deviates from it by at most %.3g" % (solver, worst),
                      flush=True)
        for tension in ("0", "1"):
            median, times, z = gmt_surface(directory, layout, points, tension, repetitions)
            d = np.abs(z[inside] - exacts[True][inside])
            print("gmt %s surface -T%s, %d x %d: median %.2f s of %d (%s); |difference from "
                  "the method-0 solution|: median %.3g, max %.3g"
                  % (gmt, tension, n, n, median, len(times), show(times), np.median(d), d.max()),
                  flush=True)


if __name__ == "__main__":
    main()
