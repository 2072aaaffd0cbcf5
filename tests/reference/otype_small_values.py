#!/usr/bin/python3
"""Data and independent check of the decks otype_small_values (typed) and otype_underflow
(stopped): 40 objects of two variables in two groups, the odd objects about (+3, +3), the even
ones about (-3, -3), each value off its centre by whole hundredths (normal, SD 0.12, cut at
0.3), written as "2.87E-12" (or another exponent) in MTXIN1 and taken in single precision.

OTYPE with INMETH 3 and NPARTS 1 cuts each variable at its mean; the two groups fill the
sectors 00 and 11, the core O-types 1 (the even objects) and 2 (the odd ones), KCRIT 2. numpy,
in double precision from the single-precision values, then assigns every object to the nearest
mean and recomputes the means until no object moves (none is rejected: every D-value is far
below TOTSD; none is condensed: the means lie far apart). It prints, at the data's own scale,
the O-type means over the exponent's power of ten, the overall homogeneity of each O-type and
eta of each variable (variances with divisor N), the squared distances of the objects to their
own and to the other mean, each O-type's members by rising D-value, the variables' spans and
their squares against the smallest normal float and 2^-80 = FLT_MIN / FLT_EPSILON^2 (OTYPE
asks for 1.0E-24), the lines OTYPE writes on OOTYPE, (I6,A20,I4,F8.2,A2,2F8.2), and the lines
of the membership table, (1X,2(I5,1X,A20,F7.2,A4,3X)), ten members a column. No two objects
of an O-type lie within 0.25 % of the same distance from its mean, so the order is firm.

Memberships, orders and ratios are the same at any exponent: typing right at a small one
means giving them. At 1E-12 the values and D-values print as 0.00; the membership table still
shows the order of the D-values, which single precision loses first (at 1E-21 with this data).

    /usr/bin/python3 tests/reference/otype_small_values.py --write EXP DECK     (DECK/MTXIN1)
    /usr/bin/python3 tests/reference/otype_small_values.py --expected EXP DECK  (DECK/expected/
                                                  OOTYPE and the lines of MONOUT.contains)
    /usr/bin/python3 tests/reference/otype_small_values.py EXP                  (the figures)

otype_small_values.out holds the figures at -12 (the deck otype_small_values) and at -25 (the
spans that otype_underflow names).
"""
import sys

import numpy as np

N = 40
f32 = np.float32


def offsets():
    """Hundredths, no two objects at the same distance from their O-type mean."""
    rng = np.random.default_rng(20250117)
    return np.clip(np.rint(rng.normal(0.0, 12.0, size=(N, 2))), -30, 30).astype(int)


def text(exp):
    """The values as MTXIN1 holds them: one string per value."""
    rows = []
    for i, (a, b) in enumerate(offsets()):
        centre = 300 if i % 2 == 0 else -300  # object i + 1 odd: +3
        rows.append(["%.2fE%03d" % ((centre + a) / 100.0, exp), "%.2fE%03d" % ((centre + b) / 100.0, exp)])
    return rows


def values(exp):
    return np.array([[float(f32(v)) for v in r] for r in text(exp)])


def write(exp, deck):
    with open(deck + "/MTXIN1", "w") as f:
        for i, r in enumerate(text(exp)):
            f.write("%12s%12s  S%02d\n" % (r[0], r[1], i + 1))


def f82(v):
    """F8.2 of a value, as the listing writes it (a value that rounds to 0 keeps its sign)."""
    s = "%8.2f" % v
    return s.replace("-0.00", " 0.00")


def typing(x):
    mean = x.mean(axis=0)
    sector = (x >= mean).astype(int) @ np.array([2, 1])  # 00, 01, 10, 11 as 0..3
    occupied, counts = np.unique(sector, return_counts=True)
    core = occupied[counts >= 2]
    centres = np.array([x[sector == s].mean(axis=0) for s in core])
    label = None
    while True:
        d2 = ((x[:, None, :] - centres[None, :, :]) ** 2).sum(axis=2)
        new = d2.argmin(axis=1)
        if label is not None and (new == label).all():
            break
        label = new
        centres = np.array([x[label == k].mean(axis=0) for k in range(len(core))])
    return core, centres, label, d2


def reference(exp):
    """The typing of the data at 1E(exp) and its figures."""
    x = values(exp)
    core, centres, label, d2 = typing(x)
    dist = np.sqrt(d2[np.arange(N), label])
    return x, core, centres, label, d2, dist


def ootype_lines(x, label, dist):
    return ["%6d%-20s%4d%s  %s%s" % (i + 1, "S%02d" % (i + 1), label[i] + 1, f82(dist[i]), f82(x[i, 0]),
                                     f82(x[i, 1])) for i in range(N)]


def membership_lines(label, dist):
    """The membership table: each O-type's members by rising D-value, ten a column, two columns
    of (I5, 1X, A20, F7.2, A4) three columns apart; no mark, as no object moves."""
    lines = []
    for k in range(2):
        members = sorted(np.where(label == k)[0], key=lambda i: dist[i])
        entry = lambda i: "%5d %-20s%s    " % (i + 1, "S%02d" % (i + 1), f82(dist[i])[1:])
        for r in range(10):
            lines.append((" " + entry(members[r]) + "   " + entry(members[r + 10])).rstrip())
    return lines


def main():
    exp = int(sys.argv[1]) if len(sys.argv) > 1 else -12
    x, core, centres, label, d2, dist = reference(exp)
    scale = 10.0 ** exp
    print("exponent %d: core sectors %s" % (exp, ["%02d" % int(format(s, "b")) for s in core]))
    print("O-type means / 1E%d:" % exp)
    for k, c in enumerate(centres):
        print("  OTYPE%d %10.6f %10.6f  (%d objects)" % (k + 1, c[0] / scale, c[1] / scale, (label == k).sum()))
    sd2 = x.var(axis=0)
    totsd = np.sqrt(sd2.sum())
    print("TOTSD / 1E%d = %.6f; largest D-value / TOTSD = %.4f" % (exp, totsd / scale, dist.max() / totsd))
    within = np.array([((x[label == k] - centres[k]) ** 2).mean(axis=0) for k in range(len(core))])
    overall = np.sqrt(1.0 - within.sum(axis=1) / sd2.sum())
    counts = np.array([(label == k).sum() for k in range(len(core))])
    eta = np.sqrt(1.0 - (counts[:, None] * within).sum(axis=0) / (N * sd2))
    print("overall homogeneity:", " ".join("%.6f" % v for v in overall))
    print("eta:", " ".join("%.6f" % v for v in eta))
    own = d2[np.arange(N), label]
    other = d2[np.arange(N), 1 - label]
    print("squared distance to the own mean: %.3e .. %.3e" % (own.min(), own.max()))
    print("squared distance to the other mean: %.3e .. %.3e" % (other.min(), other.max()))
    print("D-values / 1E%d by O-type, rising:" % exp)
    for k in range(2):
        members = sorted(np.where(label == k)[0], key=lambda i: dist[i])
        print("  OTYPE%d" % (k + 1), " ".join("%d:%.4f" % (i + 1, dist[i] / scale) for i in members))
    spans = x.max(axis=0) - x.min(axis=0)
    print("spans %.4e %.4e, squared %.4e %.4e; smallest normal float %.4e; 2^-80 = %.4e"
          % (spans[0], spans[1], spans[0] ** 2, spans[1] ** 2, np.finfo(f32).tiny, 2.0 ** -80))
    print("OOTYPE:")
    print("\n".join(ootype_lines(x, label, dist)))
    print("membership table:")
    print("\n".join(membership_lines(label, dist)))


def expected(exp, deck):
    """Writes DECK/expected/OOTYPE and the membership-table lines of DECK/expected/MONOUT.contains."""
    x, core, centres, label, d2, dist = reference(exp)
    with open(deck + "/expected/OOTYPE", "w") as f:
        f.write("\n".join(ootype_lines(x, label, dist)) + "\n")
    with open(deck + "/expected/MONOUT.contains", "w") as f:
        f.write("\n".join(membership_lines(label, dist)) + "\n")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--write":
        write(int(sys.argv[2]), sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "--expected":
        expected(int(sys.argv[2]), sys.argv[3])
    else:
        main()
