#!/usr/bin/python3
"""Reference values for the scatterplot statistics of data far from zero against their spread
(tests/unit/test_rscat_accuracy.cpp): 300 subjects of three variables,

    V1 = 1e6 + z1             (spread 1 at a location of a million)
    V2 = 4000 + 0.05 z2       z2 = 0.7 z1 + sqrt(0.51) e2
    V3 = 99.97 + 0.01 z3      z3 = 0.7 z2 + sqrt(0.51) e3

written with 4 decimals and taken in single precision, as the data storage file holds them.
numpy computes in double precision from those values: means, std(ddof=0), np.corrcoef, and
for each direction (slices of P predicting Q, 17 slices over mean +- 2.55 SD of P) the slice
counts, the slice means of Q, the linear prediction mean(Q) + B (slice mean of P - mean(P))
with B = r sd(Q) / sd(P), the standard errors of Q within the slices (sum of squared
deviations from the slice mean, divided by n and n - 1) and eta, unbiased eta from the
within-slice sum of squares.  Only the slice of each value is found as the component finds
it, in single precision from its stored mean and deviation, so that every subject falls in
the same slice.  The script also prints how far raw double-precision moments
(N Sxx - Sx^2, the textbook one-pass form) are from these values on the same data.

    /usr/bin/python3 tests/reference/rscat_far_from_zero.py > tests/reference/rscat_far_from_zero_values.inc
"""
import numpy as np

N = 300
SLICES = 17
f32 = np.float32


def data():
    rng = np.random.default_rng(20241211)
    z1 = rng.standard_normal(N)
    z2 = 0.7 * z1 + np.sqrt(0.51) * rng.standard_normal(N)
    z3 = 0.7 * z2 + np.sqrt(0.51) * rng.standard_normal(N)
    cols = [1.0e6 + z1, 4000.0 + 0.05 * z2, 99.97 + 0.01 * z3]
    return np.array([[float(f32("%.4f" % v)) for v in c] for c in cols])  # variables x subjects


def bounds(mean, sd):
    m, s = f32(mean), f32(sd)
    return f32(m - f32(f32(2.55) * s)), f32(m + f32(f32(2.55) * s))


def slice_index(p, lo, hi):
    t = (f32(SLICES) / f32(hi - lo)) * (p.astype(f32) - lo) + f32(1)
    k = np.where(t < 1, 1, np.floor(t)).astype(int)
    return np.minimum(k, SLICES)


def direction(x, p, q, r):
    P, Q = x[p], x[q]
    mp, mq, sp, sq = P.mean(), Q.mean(), P.std(), Q.std()
    lo, hi = bounds(mp, sp)
    k = slice_index(P, lo, hi)
    b = r * sq / sp
    rows, within = [], 0.0
    for s in range(1, SLICES + 1):
        sel = k == s
        n = int(sel.sum())
        if n == 0:
            rows.append((0, 0.0, 0.0, 0.0, 0.0))
            continue
        qm = Q[sel].mean()
        ss = ((Q[sel] - qm) ** 2).sum()
        if n > 1:
            within += ss
        rows.append((n, mq + b * (P[sel].mean() - mp), qm, np.sqrt(ss / n),
                     np.sqrt(ss / (n - 1)) if n > 1 else 0.0))
    ratio = within / (N * sq * sq)
    eta = np.sqrt(1 - ratio)
    ueta = np.sqrt(max(0.0, 1 - (N - 1) / (N - SLICES) * ratio))
    return eta, ueta, rows


def total(v):
    """A sum in double in subject order, one term after another."""
    s = 0.0
    for t in v:
        s += float(t)
    return s


def raw_moment_errors(x):
    """How far one-pass raw moments in double (N Sxx - Sx^2, totalled in subject order) are
    from the values above: informative only."""
    n = float(N)

    def sd(v):
        return np.sqrt(max(0.0, n * total(v * v) - total(v) ** 2)) / n

    worst_sd = max(abs(sd(x[j]) / x[j].std() - 1) for j in range(3))
    worst_r = 0.0
    for a in range(3):
        for b in range(a + 1, 3):
            u, v = x[a], x[b]
            r = (n * total(u * v) - total(u) * total(v)) / (n * n * sd(u) * sd(v))
            worst_r = max(worst_r, abs(r - np.corrcoef(u, v)[0, 1]))
    return worst_sd, worst_r


def literal(v):
    """A C++ float literal that holds the single-precision value exactly."""
    text = "%.9g" % v
    return text + ("f" if "." in text or "e" in text else ".0f")


def main():
    x = data()
    sd_err, r_err = raw_moment_errors(x)
    print("// Written by tests/reference/rscat_far_from_zero.py; do not edit.")
    print("// On these data the one-pass raw moments N Sxx - Sx^2 in double are off by %.1e of an"
          % sd_err)
    print("// SD and %.1e in r." % r_err)
    print("#pragma once")
    print("#include <vector>")
    print("namespace rscat_far_from_zero {")
    print("inline constexpr int subjects = %d;" % N)
    print("inline constexpr int slices = %d;" % SLICES)
    print("// The values, variable by variable (subject i of variable j at i + j * subjects).")
    print("inline const std::vector<float> values = {")
    for j in range(3):
        for first in range(0, N, 6):
            print("    " + " ".join(literal(v) + "," for v in x[j][first:first + 6]))
    print("};")
    print("inline const double mean[3] = {%s};" % ", ".join("%.17g" % v for v in x.mean(axis=1)))
    print("inline const double sd[3] = {%s};" % ", ".join("%.17g" % v for v in x.std(axis=1)))
    print("struct slice_row { int count; double linear, curvilinear, se_biased, se_unbiased; };")
    print("struct direction_values { int p, q; double r, eta, eta_unbiased; std::vector<slice_row> rows; };")
    print("// Directions in the order the component draws them: pairs (1,2), (1,3), (2,3), X then Y.")
    print("inline const std::vector<direction_values> directions = {")
    for a, b in ((0, 1), (0, 2), (1, 2)):
        r = np.corrcoef(x[a], x[b])[0, 1]
        for p, q in ((a, b), (b, a)):
            eta, ueta, rows = direction(x, p, q, r)
            body = ", ".join("{%d, %.17g, %.17g, %.17g, %.17g}" % row for row in rows)
            print("    {%d, %d, %.17g, %.17g, %.17g, {%s}}," % (p + 1, q + 1, r, eta, ueta, body))
    print("};")
    print("}  // namespace rscat_far_from_zero")


if __name__ == "__main__":
    main()
