#!/usr/bin/env python3
"""Writes N lines of "x y value name" (deterministic) to a file."""
import random
import sys

n, path = int(sys.argv[1]), sys.argv[2]
rng = random.Random(42)
with open(path, "w") as f:
    for i in range(n):
        f.write("%.3f %.3f %.4f W%d\n" % (rng.uniform(0, 1e5), rng.uniform(0, 1e5),
                                          rng.uniform(-50, 250), i))
