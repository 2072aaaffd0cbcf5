#!/usr/bin/python3
"""Reference values for scatterplots of data at the ends of the single-precision range
(tests/unit/test_rscat_accuracy.cpp, tests/decks/rscat_overflow and
tests/decks/rscat_overflow_spread).

Data that fill the range (namespace rscat_overflow), 5 subjects:

    V1 = 3e38, -3e38, -3e38, 1e37, 1e37    (all within single precision, and so is their sum)
    V2 = 1, 2, 3, 4, 5
    V3 = 2, 1, 3, 5, 4

The deviations of V1 from its mean (-5.6e37) reach 3.56e38 and its plotting bounds, mean
-+ 2.55 SD (SD 2.26e38), lie near -6.3e38 and 5.2e38: beyond the largest single-precision
number, 3.4e38.  numpy computes in double precision: means, std(ddof=0), np.corrcoef, and
for each direction (slices of P predicting Q, 12 slices over mean -+ 2.55 SD of P) the slice
counts, the slice means of Q, the linear prediction mean(Q) + B (slice mean of P - mean(P))
with B = r sd(Q) / sd(P) and A = mean(Q) - B mean(P), and eta from the within-slice sum of
squares; and the cell of every value in the 51-cell grid, floor((x - LOWER) / (SD / 10)) kept
to 0..50.

Spreads past the range (namespace rscat_overflow_spread), 5 subjects:

    V1 = 3e38, -3e38, 3e38, -3e38, 1e37
    V2 = 1, 1, 2, 2, 3
    V3 = 0, 1.4e-45, 0, 1.4e-45, 0          (1.4e-45: the least single-precision number)
    V4 = 1, 2, 3, 5, 4

Slices of V2 predicting V1 hold 3e38 and -3e38 together: the standard errors of V1 within
them, std(ddof=0) 3e38 and std(ddof=1) 4.24e38, the second beyond the range.  V3's standard
deviation, 6.9e-46, is below the least single-precision number: only the line of the pair
(3, 4), r, B = r sd(V4) / sd(V3) (near 2e45) and A, is given for it.

A slice or cell position of a variable within single precision at its mean falls exactly on
an edge (slice 7.0, cell 25.5 is safe, slice 7 is not): those positions are found as the
component finds them, in single precision from its stored mean and deviation (as
rscat_far_from_zero.py does).  V1's bounds do not exist in single precision; its positions
are found in double, and the head of the output says how far the nearest lies from an edge
(far beyond any rounding).

    /usr/bin/python3 tests/reference/rscat_overflow.py > tests/reference/rscat_overflow_values.inc
    /usr/bin/python3 tests/reference/rscat_overflow.py lines   (the decks' expected lines)
"""
import sys

import numpy as np

N = 5
SLICES = 12
f32 = np.float32


def single_values(columns):
    """Variables x subjects, each value as single precision stores it."""
    return np.array([[float(f32(v)) for v in col] for col in columns])


FILL = single_values((
    [3e38, -3e38, -3e38, 1e37, 1e37],
    [1, 2, 3, 4, 5],
    [2, 1, 3, 5, 4]))
SPREAD = single_values((
    [3e38, -3e38, 3e38, -3e38, 1e37],
    [1, 1, 2, 2, 3],
    [0, 1.4e-45, 0, 1.4e-45, 0],
    [1, 2, 3, 5, 4]))


def fits_single(V, j):
    m, s = V[j].mean(), V[j].std()
    return abs(m) + 2.55 * s < float(np.finfo(f32).max)


def bounds(V, j):
    m, s = V[j].mean(), V[j].std()
    if fits_single(V, j):
        m, s = f32(m), f32(s)
        return float(f32(m - f32(f32(2.55) * s))), float(f32(m + f32(f32(2.55) * s)))
    return m - 2.55 * s, m + 2.55 * s


def slice_positions(V, j):
    lo, hi = bounds(V, j)
    if fits_single(V, j):
        t = (f32(SLICES) / f32(f32(hi) - f32(lo))) * (V[j].astype(f32) - f32(lo)) + f32(1)
        return t.astype(float)
    return SLICES / (hi - lo) * (V[j] - lo) + 1


def cell_positions(V, j):
    lo, _ = bounds(V, j)
    if fits_single(V, j):
        cell = f32(f32(0.1) * f32(V[j].std()))
        return ((V[j].astype(f32) - f32(lo)) / cell).astype(float)
    return (V[j] - lo) / (0.1 * V[j].std())


def slices_of(V, j):
    t = slice_positions(V, j)
    return np.minimum(SLICES, np.floor(np.maximum(1, t))).astype(int)


def cells_of(V, j):
    return np.floor(np.minimum(50, np.maximum(0, cell_positions(V, j)))).astype(int)


def line(V, p, q):
    """r, A and B of the linear prediction of Q from P."""
    P, Q = V[p], V[q]
    r = np.corrcoef(P, Q)[0, 1]
    b = r * Q.std() / P.std()
    return r, Q.mean() - b * P.mean(), b


def direction(V, p, q):
    """r, eta, A, B and per slice (count, linear, curvilinear, SE biased, SE unbiased)."""
    P, Q = V[p], V[q]
    mp, mq, sq = P.mean(), Q.mean(), Q.std()
    r, a, b = line(V, p, q)
    k = slices_of(V, p)
    rows, within = [], 0.0
    for s in range(1, SLICES + 1):
        sel = k == s
        n = int(sel.sum())
        if n == 0:
            rows.append((0, 0.0, 0.0, 0.0, 0.0))
            continue
        qm = Q[sel].mean()
        within += ((Q[sel] - qm) ** 2).sum()
        unbiased = Q[sel].std(ddof=1) if n > 1 else 0.0
        rows.append((n, mq + b * (P[sel].mean() - mp), qm, Q[sel].std(), unbiased))
    eta = np.sqrt(1 - within / (N * sq * sq))
    return r, eta, a, b, rows


def literal(v):
    text = "%.9g" % v
    return text + ("f" if "." in text or "e" in text else ".0f")


def margins(V, far):
    worst = 1.0
    for j in far:
        for t in list(slice_positions(V, j)) + list(cell_positions(V, j)):
            worst = min(worst, abs(t - round(t)))
    return worst


def print_values_of(V, name):
    nvar = len(V)
    print("namespace %s {" % name)
    print("inline constexpr int subjects = %d;" % N)
    print("inline constexpr int slices = %d;" % SLICES)
    print("// The values, variable by variable (subject i of variable j at i + j * subjects).")
    print("inline const std::vector<float> values = {")
    for j in range(nvar):
        print("    " + " ".join(literal(v) + "," for v in V[j]))
    print("};")


def print_values():
    print("// Written by tests/reference/rscat_overflow.py; do not edit.")
    print("// V1's slice and cell positions lie at least %.3f of a slice or cell from an edge."
          % min(margins(FILL, (0,)), margins(SPREAD, (0,))))
    print("#pragma once")
    print("#include <vector>")
    V = FILL
    print_values_of(V, "rscat_overflow")
    print("inline const double mean[3] = {%s};" % ", ".join("%.17g" % V[j].mean() for j in range(3)))
    print("inline const double sd[3] = {%s};" % ", ".join("%.17g" % V[j].std() for j in range(3)))
    print("inline const double lower[3] = {%s};" % ", ".join("%.17g" % bounds(V, j)[0] for j in range(3)))
    print("inline const double upper[3] = {%s};" % ", ".join("%.17g" % bounds(V, j)[1] for j in range(3)))
    print("// The cell offset (0..50) of every value from the low edge of its variable's grid.")
    print("inline const int cell[3][%d] = {%s};" % (
        N, ", ".join("{%s}" % ", ".join(str(c) for c in cells_of(V, j)) for j in range(3))))
    print("struct slice_row { int count; double linear, curvilinear; };")
    print("struct direction_values { int p, q; double r, eta, A, B; std::vector<slice_row> rows; };")
    print("// Directions in the order the component draws them: pairs (1,2), (1,3), (2,3), X then Y.")
    print("inline const std::vector<direction_values> directions = {")
    for a, b in ((0, 1), (0, 2), (1, 2)):
        for p, q in ((a, b), (b, a)):
            r, eta, A, B, rows = direction(V, p, q)
            body = ", ".join("{%d, %.17g, %.17g}" % row[:3] for row in rows)
            print("    {%d, %d, %.17g, %.17g, %.17g, %.17g, {%s}}," % (p + 1, q + 1, r, eta, A, B, body))
    print("};")
    print("}  // namespace rscat_overflow")

    V = SPREAD
    print_values_of(V, "rscat_overflow_spread")
    print("inline const double sd[4] = {%s};" % ", ".join("%.17g" % V[j].std() for j in range(4)))
    print("// SE unbiased is given for slices of more than one subject.")
    print("struct slice_row { int count; double linear, curvilinear, se_biased, se_unbiased; };")
    print("struct direction_values { int p, q; double r, eta, A, B; std::vector<slice_row> rows; };")
    print("// The pair (1,2), X then Y.")
    print("inline const std::vector<direction_values> directions = {")
    for p, q in ((0, 1), (1, 0)):
        r, eta, A, B, rows = direction(V, p, q)
        body = ", ".join("{%d, %.17g, %.17g, %.17g, %.17g}" % row for row in rows)
        print("    {%d, %d, %.17g, %.17g, %.17g, %.17g, {%s}}," % (p + 1, q + 1, r, eta, A, B, body))
    print("};")
    print("struct line_values { int p, q; double r, A, B; };")
    print("// The pair (3,4), X then Y: V3's spread is below single precision.")
    print("inline const std::vector<line_values> lines = {")
    for p, q in ((2, 3), (3, 2)):
        print("    {%d, %d, %.17g, %.17g, %.17g}," % ((p + 1, q + 1) + line(V, p, q)))
    print("};")
    print("}  // namespace rscat_overflow_spread")


def print_lines():
    """The figures of the decks' pairs as the listings print them."""
    V = FILL
    for q in (1, 2):
        r, eta_yx, _, _, rows = direction(V, 0, q)
        _, eta_xy, _, _, _ = direction(V, q, 0)
        print("pair (1,%d): r %.4f eta(yx) %.4f eta(xy) %.4f" % (q + 1, r, eta_yx, eta_xy))
        for s in range(SLICES, 0, -1):
            n, lin, curv = rows[s - 1][:3]
            if n:
                print("  slice %2d of V1: n %d, predicted V%d linear %.2f curvilinear %.2f"
                      % (s, n, q + 1, lin, curv))
        cols = np.bincount(cells_of(V, 0), minlength=51)
        print("  V1 column counts:", " ".join(str(c) for c in cols))
    V = SPREAD
    print("spread, pair (1,2): r %.4f" % line(V, 0, 1)[0])
    for p, q in ((0, 1), (1, 0)):
        r, eta, A, B, rows = direction(V, p, q)
        print("  V%d from V%d: eta %.4f A %.6g B %.6g" % (q + 1, p + 1, eta, A, B))
        for s in range(SLICES, 0, -1):
            n, lin, curv, se, seu = rows[s - 1]
            if n:
                mean_p = V[p][slices_of(V, p) == s].mean()
                print("    slice %2d of V%d: n %d, mean %.6g, predicted V%d linear %.6g "
                      "curvilinear %.6g, SE %.6g (unbiased %s)"
                      % (s, p + 1, n, mean_p, q + 1, lin, curv, se,
                         "%.6g" % seu if n > 1 else "none"))
    r, A, B = line(V, 2, 3)
    print("spread, pair (3,4): r %.4f; V4 from V3: A %.6g B %.6g" % (r, A, B))
    r, A, B = line(V, 3, 2)
    print("                    V3 from V4: A %.6g B %.6g" % (A, B))


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "lines":
        print_lines()
    else:
        print_values()
