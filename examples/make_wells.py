#!/usr/bin/env python3
"""Writes examples/wells.dat: groundwater heads measured in observation wells.

The heads follow a regional slope towards a river in the south-west, a
mound under a recharge area and a drawdown cone around a pumping well, plus
measurement noise; a few wells were dry (no value). Coordinates are metres
in a local grid. Deterministic: the same file on every run.
"""
import math
import random

rng = random.Random(20261210)
lines = [
    "Уровни подземных вод, водоносный горизонт Q-II",
    "Наблюдательные скважины, замер апрель 2026; X, Y (м), напор (м), скважина",
]
wells = []
while len(wells) < 160:
    x = rng.uniform(0, 9500)
    y = rng.uniform(0, 7200)
    if any((x - a) ** 2 + (y - b) ** 2 < 220 ** 2 for a, b in wells):
        continue
    wells.append((x, y))

for n, (x, y) in enumerate(wells, start=1):
    head = 112.0 + 0.0021 * x + 0.0017 * y
    head += 6.5 * math.exp(-((x - 6800) ** 2 + (y - 5200) ** 2) / (2 * 1300.0 ** 2))
    head -= 9.0 * math.exp(-((x - 2600) ** 2 + (y - 2100) ** 2) / (2 * 600.0 ** 2))
    head += rng.gauss(0, 0.15)
    name = "Скв-%d" % n if n % 7 else "ПН-%d" % n
    if n % 41 == 0:
        lines.append("%.1f,%.1f,,%s" % (x, y, name))  # dry well: no value
    else:
        lines.append("%.1f %.1f %.2f %s" % (x, y, head, name))

with open(__file__.rsplit("/", 1)[0] + "/wells.dat", "w", encoding="utf-8") as f:
    f.write("\n".join(lines) + "\n")
