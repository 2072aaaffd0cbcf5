#!/usr/bin/python3
"""Reference values for COR3's statistics at the edges of the single-precision range: the
covariances and matched standard deviations that its refusal table names in its messages
(tests/unit/test_cor3.cpp, Cor3InputErrors), and the statistics of tiny data that are 0 and
must be stored, not refused (Cor3.TinyStatisticsOfZeroAreNotRefused).
Computed independently of KORVEX: each value is rounded once to single precision, as the
data storage file holds it, then numpy forms the statistics in double precision from the
textbook definitions (divisor N, or N - 1 where a case says so; a matched SD over the
subjects that have both values); the exact covariances of the zero cases come from rational
arithmetic (fractions), which rounds nothing.

Run from the repository root:
    /usr/bin/python3 tests/reference/cor_single_range.py > tests/reference/cor_single_range.out
"""
from fractions import Fraction

import numpy as np

NAN = float("nan")
S = 2.0 ** -60  # a power of two: scaling by it rounds nothing


def f32(values):
    return np.array(values, dtype=np.float32).astype(np.float64)


def e13(x):
    """The layout 1PE13.6 without its leading blank: 7 significant digits."""
    return "%.6E" % x


def exact_cov(a, b):
    a = [Fraction(float(v)) for v in a]
    b = [Fraction(float(v)) for v in b]
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    return sum((x - ma) * (y - mb) for x, y in zip(a, b)) / n


def main():
    print("# refusals: the statistic the message names")
    x = f32([3e38, -3e38, -3e38, -3e38, 1e37])
    print("covariance_beyond_single var(1) ddof=0 %s" % e13(np.var(x)))
    x = f32([3.4e38, -3.4e38, 3.4e38, -3.4e38])
    print("matched_sd_beyond_single sd(1|1) ddof=1 %s" % e13(np.std(x, ddof=1)))
    x = f32([1e-25, 2e-25, 3e-25, 4e-25])
    y = f32([2e-25, 1e-25, 4e-25, 3e-25])
    print("covariance_below_single var(1) ddof=0 %s (cov(1,2) %s)"
          % (e13(np.var(x)), e13(np.cov(x, y, ddof=0)[0, 1])))
    x = f32([1e-18, 2e-18, 3e-18, 4e-18])
    y = f32([1e-18, -1e-18, -1e-18, 1.000001e-18])
    c = np.cov(x, y, ddof=1)
    print("covariance_pair_below_single ddof=1 var(1) %s var(2) %s cov(1,2) %s"
          % (e13(c[0, 0]), e13(c[1, 1]), e13(c[0, 1])))
    x = f32([1.5e-38, 2.5e-38, 3.5e-38, NAN])
    print("matched_sd_below_single sd(1|1) ddof=0 %s" % e13(np.std(x[~np.isnan(x)])))
    print("# zero covariances of tiny data, divisor N")
    cases = [
        ("exact_zero", [1 * S, 2 * S, 3 * S, 4 * S], [S, -S, -S, S]),
        ("zero_within_rounding", [3 * S, 1e-7 * S, 1e-15 * S] * 2, [S, S, S, -S, -S, -S]),
    ]
    for name, a, b in cases:
        a, b = f32(a), f32(b)
        print("%s var(1) %.9e var(2) %.9e exact cov(1,2) %s"
              % (name, np.var(a), np.var(b), exact_cov(a, b)))
    print("# a matched SD of 0: variable 1 over the subjects that have variable 2")
    p, q = float.fromhex("0x1.1cc6ap-125"), float.fromhex("0x1.9a9144p-104")
    x = f32([p] * 6 + [q])
    y = f32([1, 2, 3, 4, 5, 6, NAN])
    print("matched_sd_within_rounding sd(1|2) ddof=0 %s" % e13(np.std(x[~np.isnan(y)])))


if __name__ == "__main__":
    main()
