#!/usr/bin/python3
"""Reference values for the O-type statistics of data far from zero against their spread
(tests/unit/test_otype_accuracy.cpp): 40 objects of two dimensions,

    D1 = 1e6 + z1            (spread 1 at a location of a million)
    D2 = 4000 + 0.05 z2      z2 = 0.7 z1 + sqrt(0.51) e2

written with 4 decimals and taken in single precision, all members of one O-type. numpy
gives, in double precision from those values, each dimension's mean and variance (divisor N)
over the members. The script also prints how far the variance is when the members' shifted
sum of squares is corrected with the mean rounded to single precision (the O-type mean as it
is stored), to show that that rounding is not small beside a spread of this size.

    /usr/bin/python3 tests/reference/otype_far_from_zero.py > tests/reference/otype_far_from_zero_values.inc
"""
import numpy as np

N = 40
f32 = np.float32


def data():
    rng = np.random.default_rng(20241212)
    z1 = rng.standard_normal(N)
    z2 = 0.7 * z1 + np.sqrt(0.51) * rng.standard_normal(N)
    cols = [1.0e6 + z1, 4000.0 + 0.05 * z2]
    return np.array([[float(f32("%.4f" % v)) for v in c] for c in cols])  # dimensions x objects


def literal(v):
    """A C++ float literal that holds the single-precision value exactly."""
    text = "%.9g" % v
    return text + ("f" if "." in text or "e" in text else ".0f")


def rounded_mean_error(col):
    """Relative error of sum (x - ref)^2 / n - (mean - ref)^2 with the mean in single
    precision and ref the first member."""
    ref = col[0]
    sqdev = sum(float(f32(f32(v - ref) * f32(v - ref))) for v in col)
    shift = f32(f32(col.mean()) - f32(ref))
    v = f32(f32(sqdev / len(col)) - f32(shift * shift))
    return abs(float(v) / col.var() - 1)


def main():
    x = data()
    errors = [rounded_mean_error(x[j]) for j in range(2)]
    print("// Written by tests/reference/otype_far_from_zero.py; do not edit.")
    print("// Corrected with the O-type mean rounded to single precision, the variances would be")
    print("// off by %.1e and %.1e of themselves." % tuple(errors))
    print("#pragma once")
    print("#include <vector>")
    print("namespace otype_far_from_zero {")
    print("// One object per row: its two values.")
    print("inline const std::vector<std::vector<float>> objects = {")
    for i in range(N):
        print("    {%s, %s}," % (literal(x[0][i]), literal(x[1][i])))
    print("};")
    print("inline const double mean[2] = {%.17g, %.17g};" % tuple(x.mean(axis=1)))
    print("inline const double variance[2] = {%.17g, %.17g};" % tuple(x.var(axis=1)))
    print("inline const float sd[2] = {%s, %s};" % tuple(literal(v) for v in x.std(axis=1)))
    print("}  // namespace otype_far_from_zero")


if __name__ == "__main__":
    main()
