#!/usr/bin/python3
"""Reference values for scatterplots of data that fill the single-precision range
(tests/unit/test_rscat_accuracy.cpp and tests/decks/rscat_overflow): 5 subjects,

    V1 = 3e38, -3e38, -3e38, -3e38, 1e37   (all within single precision)
    V2 = 1, 2, 3, 4, 5
    V3 = 2, 1, 3, 5, 4

The deviations of V1 from its mean (-1.18e38) reach 4.18e38 and its plotting bounds, mean
-+ 2.55 SD (SD 2.41e38), lie near -7.3e38 and 5.0e38: beyond the largest single-precision
number, 3.4e38.  numpy computes in double precision: means, std(ddof=0), np.corrcoef, and
for each direction (slices of P predicting Q, 12 slices over mean -+ 2.55 SD of P) the slice
counts, the slice means of Q, the linear prediction mean(Q) + B (slice mean of P - mean(P))
with B = r sd(Q) / sd(P) and A = mean(Q) - B mean(P), and eta from the within-slice sum of
squares; and the cell of every value in the 51-cell grid, floor((x - LOWER) / (SD / 10)) kept
to 0..50.

A slice or cell position of V2 or V3 at its mean falls exactly on an edge (slice 7.0, cell
25.5 is safe, slice 7 is not): those positions are found as the component finds them, in
single precision from its stored mean and deviation (as rscat_far_from_zero.py does).  V1's
bounds do not exist in single precision; its positions are found in double, and the head of
the output says how far the nearest lies from an edge (far beyond any rounding).

    /usr/bin/python3 tests/reference/rscat_overflow.py > tests/reference/rscat_overflow_values.inc
    /usr/bin/python3 tests/reference/rscat_overflow.py lines   (the deck's expected lines)
"""
import sys

import numpy as np

N = 5
SLICES = 12
f32 = np.float32
V = np.array([[float(f32(v)) for v in col] for col in (
    [3e38, -3e38, -3e38, -3e38, 1e37],
    [1, 2, 3, 4, 5],
    [2, 1, 3, 5, 4])])  # variables x subjects


def fits_single(j):
    m, s = V[j].mean(), V[j].std()
    return abs(m) + 2.55 * s < float(np.finfo(f32).max)


def bounds(j):
    m, s = V[j].mean(), V[j].std()
    if fits_single(j):
        m, s = f32(m), f32(s)
        return float(f32(m - f32(f32(2.55) * s))), float(f32(m + f32(f32(2.55) * s)))
    return m - 2.55 * s, m + 2.55 * s


def slice_positions(j):
    lo, hi = bounds(j)
    if fits_single(j):
        t = (f32(SLICES) / f32(f32(hi) - f32(lo))) * (V[j].astype(f32) - f32(lo)) + f32(1)
        return t.astype(float)
    return SLICES / (hi - lo) * (V[j] - lo) + 1


def cell_positions(j):
    lo, _ = bounds(j)
    if fits_single(j):
        cell = f32(f32(0.1) * f32(V[j].std()))
        return ((V[j].astype(f32) - f32(lo)) / cell).astype(float)
    return (V[j] - lo) / (0.1 * V[j].std())


def slices_of(j):
    t = slice_positions(j)
    return np.minimum(SLICES, np.floor(np.maximum(1, t))).astype(int)


def cells_of(j):
    return np.floor(np.minimum(50, np.maximum(0, cell_positions(j)))).astype(int)


def direction(p, q):
    P, Q = V[p], V[q]
    mp, mq, sp, sq = P.mean(), Q.mean(), P.std(), Q.std()
    r = np.corrcoef(P, Q)[0, 1]
    b = r * sq / sp
    a = mq - b * mp
    k = slices_of(p)
    rows, within = [], 0.0
    for s in range(1, SLICES + 1):
        sel = k == s
        n = int(sel.sum())
        if n == 0:
            rows.append((0, 0.0, 0.0))
            continue
        qm = Q[sel].mean()
        within += ((Q[sel] - qm) ** 2).sum()
        rows.append((n, mq + b * (P[sel].mean() - mp), qm))
    eta = np.sqrt(1 - within / (N * sq * sq))
    return r, eta, a, b, rows


def literal(v):
    text = "%.9g" % v
    return text + ("f" if "." in text or "e" in text else ".0f")


def margins():
    worst = 1.0
    for j in (0,):
        for t in list(slice_positions(j)) + list(cell_positions(j)):
            worst = min(worst, abs(t - round(t)))
    return worst


def print_values():
    print("// Written by tests/reference/rscat_overflow.py; do not edit.")
    print("// V1's slice and cell positions lie at least %.3f of a slice or cell from an edge."
          % margins())
    print("#pragma once")
    print("#include <vector>")
    print("namespace rscat_overflow {")
    print("inline constexpr int subjects = %d;" % N)
    print("inline constexpr int slices = %d;" % SLICES)
    print("// The values, variable by variable (subject i of variable j at i + j * subjects).")
    print("inline const std::vector<float> values = {")
    for j in range(3):
        print("    " + " ".join(literal(v) + "," for v in V[j]))
    print("};")
    print("inline const double mean[3] = {%s};" % ", ".join("%.17g" % V[j].mean() for j in range(3)))
    print("inline const double sd[3] = {%s};" % ", ".join("%.17g" % V[j].std() for j in range(3)))
    print("inline const double lower[3] = {%s};" % ", ".join("%.17g" % bounds(j)[0] for j in range(3)))
    print("inline const double upper[3] = {%s};" % ", ".join("%.17g" % bounds(j)[1] for j in range(3)))
    print("// The cell offset (0..50) of every value from the low edge of its variable's grid.")
    print("inline const int cell[3][%d] = {%s};" % (
        N, ", ".join("{%s}" % ", ".join(str(c) for c in cells_of(j)) for j in range(3))))
    print("struct slice_row { int count; double linear, curvilinear; };")
    print("struct direction_values { int p, q; double r, eta, A, B; std::vector<slice_row> rows; };")
    print("// Directions in the order the component draws them: pairs (1,2), (1,3), (2,3), X then Y.")
    print("inline const std::vector<direction_values> directions = {")
    for a, b in ((0, 1), (0, 2), (1, 2)):
        for p, q in ((a, b), (b, a)):
            r, eta, A, B, rows = direction(p, q)
            body = ", ".join("{%d, %.17g, %.17g}" % row for row in rows)
            print("    {%d, %d, %.17g, %.17g, %.17g, %.17g, {%s}}," % (p + 1, q + 1, r, eta, A, B, body))
    print("};")
    print("}  // namespace rscat_overflow")


def print_lines():
    """The figures of the deck's pairs (1,2) and (1,3) as the listing prints them."""
    for q in (1, 2):
        r, eta_yx, _, _, rows = direction(0, q)
        _, eta_xy, _, _, _ = direction(q, 0)
        print("pair (1,%d): r %.4f eta(yx) %.4f eta(xy) %.4f" % (q + 1, r, eta_yx, eta_xy))
        for s in range(SLICES, 0, -1):
            n, lin, curv = rows[s - 1]
            if n:
                print("  slice %2d of V1: n %d, predicted V%d linear %.2f curvilinear %.2f"
                      % (s, n, q + 1, lin, curv))
        cols = np.bincount(cells_of(0), minlength=51)
        print("  V1 column counts:", " ".join(str(c) for c in cols))


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "lines":
        print_lines()
    else:
        print_values()
