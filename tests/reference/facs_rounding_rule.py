#!/usr/bin/python3
"""Independent check of the rule by which both scoring passes of FACS refuse a composite that
does not vary beyond rounding (tests/unit/test_facs_passes.cpp, BothPassesJudgeACompositeAlike).

Each row is a cluster of every variable of its data, written as text with the decimals shown
and read into single precision. The missing-data pass measures the composite as it scores it,
in single precision (modelled by first_reading of facs_constant_composite.py); the
complete-data pass measures the composite of the stored values in double precision, about the
means of MEANS1. Both compare its spread over the subjects (standard units, divisor N) with the
root mean square of the per-subject rounding bound
    b = sum_j |w_j| (h(x_j) + 2 eps |x_j - mean_j|),  w_j = 1 / SD_j,
h the half spacing of single-precision numbers at the stored value (left out for a cluster of
one variable). A composite is refused when its spread is not above that.

    /usr/bin/python3 tests/reference/facs_rounding_rule.py

The data follow the same formulas as the test: u(i) = ((37 i) mod 101 - 50) / 50 for subject
i = 1..40, written with 4 decimals.
"""
import os
import sys
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from facs_constant_composite import first_reading, half_spacing  # noqa: E402

f32 = np.float32
EPS = float(np.finfo(f32).eps)
N = 40


def u(i):
    return ((37 * i) % 101 - 50) / 50.0


def stored(texts):
    return np.array([[float(f32(t)) for t in row] for row in texts])


def rows():
    A = [10000.012, 9999.987, 10000.003, 9999.995, 10000.021, 9999.978, 10000.008, 9999.991]
    items = [[1, 2, 3, 4, 5], [1, 2, 3, 4, 5], [2, 3, 4, 5, 1], [5, 4, 3, 1, 2]]
    yield "issue_pair_8_digits", [["%.3f" % a, "%.3f" % (30000 - a)] for a in A]
    yield "whole_items_at_1e7", [["%d" % (10000000 + items[j][i % 5]) for j in range(4)]
                                 for i in range(10)]
    yield "pair_near_1e6", [["%.4f" % (1e6 + u(i)), "%.4f" % (3e6 - (1e6 + u(i)))]
                            for i in range(1, N + 1)]
    yield "pair_at_2_20", [["%.4f" % (2 ** 20 + u(i)), "%.4f" % (2 ** 21 - (2 ** 20 + u(i)))]
                           for i in range(1, N + 1)]
    yield "half_beside_1e6", [["%.4f" % (0.5 + 0.1 * u(i)), "%.4f" % (1e6 - (0.5 + 0.1 * u(i)))]
                              for i in range(1, N + 1)]
    yield "two_varying_at_1e7", [["%d" % (10000000 + (7 * i) % 11), "%d" % (10000000 + (5 * i) % 13)]
                                 for i in range(1, N + 1)]
    yield "ordinary_pair", [["%.4f" % (50 + 10 * u(i)), "%.4f" % (20 + 5 * u(3 * i))]
                            for i in range(1, N + 1)]


def complete_reading(X):
    """The complete-data pass's measurement: spread in double, root mean square bound."""
    n, nd = X.shape
    m = np.array([float(f32(X[:, j].mean())) for j in range(nd)])
    sd = np.array([float(f32(X[:, j].std())) for j in range(nd)])
    w = 1.0 / sd
    d = X - m
    y = (d * w).sum(axis=1)
    h = np.vectorize(half_spacing)(X) if nd > 1 else np.zeros_like(X)
    b = (np.abs(w) * (h + 2 * EPS * np.abs(d))).sum(axis=1)
    return y.std(), np.sqrt((b * b).mean())


for name, texts in rows():
    X = stored(texts)
    cs, cb = complete_reading(X)
    ms, _, mb, _ = first_reading(X, [1] * X.shape[1])
    print("%-22s complete %.3E / %.3E %-8s missing %.3E / %.3E %-8s" %
          (name, cs, cb, "refused" if not cs > cb else "scored",
           ms, mb, "refused" if not ms > mb else "scored"))
