#!/usr/bin/env python3
"""Reference coefficients of polynomial least squares, computed with numpy.

Writes tests/fixtures/polyfit_reference.txt, read by
polynomial_regression_test.cpp:

    /usr/bin/python3 tests/data/polyfit_reference.py > tests/fixtures/polyfit_reference.txt

1,000 points with X spread over 120 .. 480 (map units of a section line)
and Y a cubic plus Gaussian noise (numpy PCG64, seed 7). For each degree the
coefficients come from numpy.polyfit (an SVD least-squares solve, which
shares nothing with the normal equations solved by Gauss-Jordan elimination
on our side), lowest power first, and chisq is the sum of squared residuals
of that polynomial. Numbers are written with repr, which reads back exactly.
"""
import numpy as np

rng = np.random.default_rng(7)
n = 1000
x = rng.uniform(120.0, 480.0, n)
y = 35.0 - 0.42 * x + 2.1e-3 * x**2 - 2.6e-6 * x**3 + rng.normal(0.0, 1.5, n)

print(f"# numpy {np.__version__}: tests/data/polyfit_reference.py")
print(f"points {n}")
for xi, yi in zip(x, y):
    print(repr(float(xi)), repr(float(yi)))
for degree in (0, 1, 2, 3):
    c = np.polyfit(x, y, degree)          # highest power first
    residual = y - np.polyval(c, x)
    chisq = float(np.sum(residual * residual))
    low_first = [repr(float(v)) for v in c[::-1]]
    print(f"degree {degree} chisq {chisq!r} coefficients {' '.join(low_first)}")
