#!/usr/bin/env python3
"""Writes N lines of "x y value name" on a smooth surface (heads of a
groundwater field as in examples/wells.dat, without noise), deterministic."""
import math
import random
import sys

n, path = int(sys.argv[1]), sys.argv[2]
rng = random.Random(7)
with open(path, "w") as f:
    f.write("Generated field, %d points\n" % n)
    for i in range(n):
        x, y = rng.uniform(0, 9500), rng.uniform(0, 7200)
        head = 112.0 + 0.0021 * x + 0.0017 * y
        head += 6.5 * math.exp(-((x - 6800) ** 2 + (y - 5200) ** 2) / (2 * 1300.0 ** 2))
        head -= 9.0 * math.exp(-((x - 2600) ** 2 + (y - 2100) ** 2) / (2 * 600.0 ** 2))
        f.write("%.2f %.2f %.4f W%d\n" % (x, y, head, i))
