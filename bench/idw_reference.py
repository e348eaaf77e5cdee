#!/usr/bin/env python3
"""Inverse-distance weighting with numpy on the data of bench_idw.cpp: best of 3.

10,000 points drawn by splitmix64 (seed 42) uniform in [0, 1e5]^2 with values
in [-50, 250], 200 x 200 nodes over their extent; every point takes part,
power 2, radius = the extent's diagonal, tolerance = 0.1 x the node spacing
(a point within it gives the node the mean of such points). Prints the time
and the mean node value, which bench_idw reports as the counter "mean" of
BM_Run/nearest:0.

    /usr/bin/python3 bench/idw_reference.py
"""
import time

import numpy as np

POINTS, NODES, SIDE = 10000, 200, 1e5
MASK = (1 << 64) - 1


def splitmix64(seed, count):
    state, out = seed, []
    for _ in range(count):
        state = (state + 0x9E3779B97F4A7C15) & MASK
        z = state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
        z ^= z >> 31
        out.append((z >> 11) * 2.0 ** -53)
    return np.array(out)


def data():
    u = splitmix64(42, 3 * POINTS).reshape(POINTS, 3)
    x, y, v = u[:, 0] * SIDE, u[:, 1] * SIDE, -50.0 + 300.0 * u[:, 2]
    nx = x.min() + (x.max() - x.min()) * np.arange(NODES) / (NODES - 1)
    ny = y.min() + (y.max() - y.min()) * np.arange(NODES) / (NODES - 1)
    return x, y, v, nx, ny


def idw(x, y, v, nx, ny):
    radius2 = (x.max() - x.min()) ** 2 + (y.max() - y.min()) ** 2
    tol = 0.1 * min(np.min(np.diff(nx)), np.min(np.diff(ny)))
    z = np.empty((len(ny), len(nx)))
    for j, yj in enumerate(ny):  # one row at a time: 200 x 10,000 doubles
        d2 = (yj - y)[None, :] ** 2 + (nx[:, None] - x[None, :]) ** 2
        on_node = d2 < tol * tol
        with np.errstate(divide="ignore"):
            w = np.where(d2 > radius2, 0.0, 1.0 / d2)
        w[on_node.any(axis=1)] = on_node[on_node.any(axis=1)]  # plain mean there
        total = w.sum(axis=1)
        z[j] = np.where(total > 1e-30, (w @ v) / np.where(total > 0, total, 1), 0.0)
    return z


def main():
    x, y, v, nx, ny = data()
    best, z = float("inf"), None
    for _ in range(3):
        t0 = time.perf_counter()
        z = idw(x, y, v, nx, ny)
        best = min(best, time.perf_counter() - t0)
    print("numpy %s: %d points onto %d x %d nodes in %.3f s (%.0f nodes/s), mean %.6f"
          % (np.__version__, POINTS, NODES, NODES, best, NODES * NODES / best, z.mean()))


if __name__ == "__main__":
    main()
