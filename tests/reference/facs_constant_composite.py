#!/usr/bin/python3
"""Data and independent check of the scoring decks with a composite that does not vary:
tests/decks/facs_constant_composite, facs_constant_composite_gaps and facs_small_spread.

A is drawn from normal(5, 2) and rounded to 2 decimals, B is any value, MIRROR = 10 - A, so
the cluster {A, MIRROR} is the constant 10 in raw scores and 0 in standard scores: it has
no score anywhere (the missing-score code -999 throughout) and the complete-data pass stops
on it.  C (gaps deck) has blank fields.  The small-spread deck scales everything by 1e-4 and
replaces MIRROR by NEAR = 10 - A + e, e from normal(0, 0.05) rounded to 2 decimals: a
composite with a small but real spread that both passes must score.

The levels deck (facs_constant_composite_levels) holds the same table at the levels where
single-precision storage rounds the data: 120 subjects, each variable written as text with the
decimals shown and read into single precision,

    BIG7 = round(1e7 + 2 N(0,1))    SMALL = 5 + N(0,1)        E8 = 8e6 + N(0,1), 2 decimals
    M6 = 1e6 + 0.1 N(0,1)           K4 = 1e4 + 0.001 N(0,1)   B7 = like BIG7, drawn apart
    P50 = 50 + 10 N(0,1), 2 dec.    Q50 = 150 - P50
    P4 = 1e4 + 0.01 N(0,1), 6 dec.  Q4 = 3e4 - P4
    P6 = 1e6 + N(0,1), 4 dec.       Q6 = 3e6 - P6             both blank for every ninth subject
    P20 = 2^20 + U(-1,1), 4 dec.    Q20 = 2^21 - P20
    P05 = 0.5 + 0.1 N(0,1), 4 dec.  Q05 = 1e6 - P05
    K4T = 1e4 + 0.0003 N(0,1), 6 decimals: a spread below the spacing of single precision there

The missing-data pass (MDFLAG 1) must score BIG7, SMALL, E8, M6, K4, {BIG7, B7} and K4T (a
single definer varies as its variable does, however coarsely it is stored), and refuse
every {P, Q}, which is constant in exact arithmetic and varies only by the rounding of P and Q
at their own levels (-999 throughout; SIGMA shows the spread measured, and the refusal line
gives it with the rounding bound, as refusal() writes them). A complete-data pass then scores the six
one-variable clusters (their SD sqrt(w'Rw) is 1 whatever CORRM1 holds). The check also models
the missing-data pass's first reading in single precision, with the rule that refuses a
composite (its spread over the scored subjects at most the root mean square of the per-subject
rounding bound b) and with the rule it replaced (spread at most one epsilon of the mean size of
the raw terms |w| (|x| + |mean|)), on the deck's clusters and on more ways of writing each
constant pair (decimals read into single precision, double values rounded once, C - x formed
in single precision, pairs missing together).

    /usr/bin/python3 tests/reference/facs_constant_composite.py --write   (data files, and
                                                                          the levels deck's MONIN)
    /usr/bin/python3 tests/reference/facs_constant_composite.py           (check)

The check reads the FSCOR1 decks that *GIST unloaded in each expected/MONPUN (scores times
10000) and compares them with numpy: standard scores with divisor N, composites of signed
standard scores, restandardised to mean 50 and SD 10 (the missing-data pass) or divided by
the composite SD sqrt(w'Rw) (the complete-data pass).
"""
import os
import sys
import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
DECKS = os.path.join(os.path.dirname(HERE), "decks")
rng = np.random.default_rng(20240611)
n = 60
A = np.round(rng.normal(5, 2, n), 2)
B = np.round(rng.uniform(0, 20, n), 2)
C = np.round(rng.normal(3, 1, n), 2)
E = np.round(rng.normal(0, 0.05, n), 2)
gaps = np.arange(n) % 7 == 3           # C is missing for subjects 4, 11, 18, ...
NEAR = np.round(10 - A + E, 2)
MIRROR = np.round(10 - A, 2)


def name(i):
    return ("S%03d" % (i + 1)).ljust(20)


def write():
    with open(os.path.join(DECKS, "facs_constant_composite", "MTXIN1"), "w") as f:
        for i in range(n):
            f.write(name(i) + "%10.4f%10.4f%10.4f\n" % (A[i], B[i], MIRROR[i]))
    with open(os.path.join(DECKS, "facs_constant_composite_gaps", "MTXIN1"), "w") as f:
        for i in range(n):
            c = " " * 10 if gaps[i] else "%10.4f" % C[i]
            f.write(name(i) + "%10.4f%10.4f%10.4f" % (A[i], B[i], MIRROR[i]) + c + "\n")
    with open(os.path.join(DECKS, "facs_small_spread", "MTXIN1"), "w") as f:
        for i in range(n):
            f.write(name(i) + "%12.8f%12.8f%12.8f\n" % (A[i] * 1e-4, B[i] * 1e-4, NEAR[i] * 1e-4))
    write_levels()


def unloaded(deck):
    """The FSCOR1 decks unloaded by *GIST in expected/MONPUN, one array per unloading."""
    lines = open(os.path.join(DECKS, deck, "expected", "MONPUN")).read().splitlines()
    out = []
    i = 0
    while i < len(lines):
        if lines[i].startswith("FSCOR1"):
            nf, nsub = int(lines[i + 1][0:4]), int(lines[i + 1][4:8])
            per = (nf + 8) // 9  # nine scores to a line
            rows = []
            for r in range(nsub):
                text = "".join(l[:72] for l in lines[i + 2 + per * r:i + 2 + per * (r + 1)])
                rows.append([int(text[8 * k:8 * k + 8]) / 10000 for k in range(nf)])
            out.append(np.array(rows))
            i += 2 + per * nsub
        else:
            i += 1
    return out


def z(x):
    x = x.astype(np.float32).astype(float)
    m = np.nanmean(x)
    return (x - m) / np.sqrt(np.nanmean((x - m) ** 2))


def restandardised(y):
    return 50 + 10 * (y - y.mean()) / y.std()


def report(label, got, want, tol):
    err = np.abs(got - want).max()
    print("%-58s max |FSCOR1 - numpy| = %.5f" % (label, err))
    assert err < tol, label
    return err


def check():
    za, zb, zm = z(A), z(B), z(MIRROR)
    print("standard-score spread of A + MIRROR in double:", np.std(za + zm))

    s = unloaded("facs_constant_composite")
    assert len(s) == 1 and s[0].shape == (n, 2)
    assert (s[0][:, 0] == -999.0).all()
    print("facs_constant_composite: Cluster1 is -999 for all", n, "subjects")
    stored = np.column_stack([[float(f32("%.4f" % v)) for v in A], [float(f32("%.4f" % v)) for v in MIRROR]])
    sigma, _, bound, _ = first_reading(stored, [1, 1])
    print("  Cluster1 (A + MIRROR), missing-data pass: " + refusal(sigma, bound))
    print("  SIGMA of Cluster2 before restandardising: %.3f" % np.std(za + zb))
    report("  Cluster2 (A + B), missing-data pass", s[0][:, 1], restandardised(za + zb), 2e-4)

    s = unloaded("facs_constant_composite_gaps")
    assert len(s) == 1 and s[0].shape == (n, 3)
    assert (s[0][:, 0] == -999.0).all()
    zc = z(np.where(gaps, np.nan, C))
    print("facs_constant_composite_gaps: Cluster1 is -999 for all", n, "subjects;",
          "Cluster3 missing for", int(gaps.sum()), "subjects")
    report("  Cluster2 (A + B)", s[0][:, 1], restandardised(za + zb), 2e-4)
    c3 = np.full(n, -999.0)
    c3[~gaps] = restandardised(zc[~gaps])
    assert (s[0][gaps, 2] == -999.0).all()
    report("  Cluster3 (C alone, over the subjects that have C)", s[0][:, 2], c3, 2e-4)

    s = unloaded("facs_small_spread")
    assert len(s) == 2
    zn = z(NEAR * 1e-4)
    za4, zb4 = z(A * 1e-4), z(B * 1e-4)
    X = np.column_stack([A, B, NEAR]) * 1e-4
    R = np.corrcoef(X.astype(np.float32).astype(float), rowvar=False)
    print("facs_small_spread: r(A, NEAR) = %.6f, SD of the standard-score sum %.5f"
          % (R[0, 2], np.std(za4 + zn)))
    w = np.array([[1, 0, 1], [1, 1, 0]], float)
    csd = np.sqrt(np.einsum("ki,ij,kj->k", w, R, w))
    comp = np.column_stack([za4 + zn, za4 + zb4])
    # The correlations are stored in single precision: 1 + r near 5e-4 keeps about 4 digits.
    report("  complete-data pass, Cluster1 (A + NEAR)", s[0][:, 0], 50 + 10 * comp[:, 0] / csd[0], 5e-3)
    report("  complete-data pass, Cluster2 (A + B)", s[0][:, 1], 50 + 10 * comp[:, 1] / csd[1], 2e-4)
    report("  missing-data pass, Cluster1 (A + NEAR)", s[1][:, 0], restandardised(comp[:, 0]), 2e-3)
    report("  missing-data pass, Cluster2 (A + B)", s[1][:, 1], restandardised(comp[:, 1]), 2e-4)
    for k in range(2):
        print("  SD of the scores of Cluster%d: complete %.4f, missing %.4f"
              % (k + 1, s[0][:, k].std(), s[1][:, k].std()))

    check_levels()


# ---- the levels deck -----------------------------------------------------------------------
LEVELS = "facs_constant_composite_levels"
NL = 120
f32 = np.float32
EPS = float(np.finfo(f32).eps)
# name, field width, decimals
LEVEL_VARS = [("BIG7", 12, 0), ("SMALL", 10, 4), ("E8", 14, 2), ("M6", 14, 4), ("K4", 14, 6),
              ("B7", 12, 0), ("P50", 10, 2), ("Q50", 10, 2), ("P4", 14, 6), ("Q4", 14, 6),
              ("P6", 14, 4), ("Q6", 14, 4), ("P20", 14, 4), ("Q20", 14, 4), ("P05", 14, 4),
              ("Q05", 14, 4), ("K4T", 14, 6)]
# The clusters of the missing-data pass, and whether each must be scored.
LEVEL_CLUSTERS = [([1], True), ([2], True), ([3], True), ([4], True), ([5], True), ([1, 6], True),
                  ([7, 8], False), ([9, 10], False), ([11, 12], False), ([13, 14], False),
                  ([15, 16], False), ([17], True)]
LEVEL_COMPLETE = [[1], [2], [3], [4], [5], [17]]
P6_GONE = np.arange(NL) % 9 == 4


def levels_values():
    """The values as written (in double), before they are read into single precision."""
    g = np.random.default_rng(20250302)
    big7 = np.round(1e7 + 2 * g.standard_normal(NL))
    small = np.round(5 + g.standard_normal(NL), 4)
    e8 = np.round(8e6 + g.standard_normal(NL), 2)
    m6 = np.round(1e6 + 0.1 * g.standard_normal(NL), 4)
    k4 = np.round(1e4 + 0.001 * g.standard_normal(NL), 6)
    b7 = np.round(1e7 + 2 * g.standard_normal(NL))
    p50 = np.round(50 + 10 * g.standard_normal(NL), 2)
    p4 = np.round(1e4 + 0.01 * g.standard_normal(NL), 6)
    p6 = np.round(1e6 + g.standard_normal(NL), 4)
    p20 = np.round(2.0 ** 20 + g.uniform(-1, 1, NL), 4)
    p05 = np.round(0.5 + 0.1 * g.standard_normal(NL), 4)
    k4t = np.round(1e4 + 0.0003 * g.standard_normal(NL), 6)
    return [big7, small, e8, m6, k4, b7, p50, 150 - p50, p4, 3e4 - p4, p6, 3e6 - p6,
            p20, 2.0 ** 21 - p20, p05, 1e6 - p05, k4t]


def levels_text():
    cols = []
    for (nm, width, dec), v in zip(LEVEL_VARS, levels_values()):
        t = ["%*.*f" % (width, dec, x) for x in v]
        if nm in ("P6", "Q6"):
            t = [" " * width if P6_GONE[i] else t[i] for i in range(NL)]
        cols.append(t)
    return cols


def levels_stored():
    """The single-precision values of the data storage file, NaN where blank (NV x N)."""
    return np.array([[float(f32(t)) if t.strip() else np.nan for t in c] for c in levels_text()])


def reflx(clusters):
    lines = ["REFLX1     1   0", "%4d" % len(clusters), "".join("%4d" % len(c) for c in clusters)]
    return lines + ["".join("%4d" % v for v in c) for c in clusters]


def write_levels():
    cols = levels_text()
    with open(os.path.join(DECKS, LEVELS, "MTXIN1"), "w") as f:
        for i in range(NL):
            f.write(name(i) + "".join(c[i] for c in cols) + "\n")
    fmt = "(A20,F12.0,F10.4,F14.2,F14.4,F14.6,F12.0,2F10.2,2F14.6,6F14.4,F14.6)"
    cards = ["*DAP", "LEVELS WHERE STORAGE ROUNDS THE DATA", "  17   120 0   0", fmt, "VARIABLES",
             ",".join(v[0] for v in LEVEL_VARS) + ".", "DATA", "*COR3", ""]
    cards += ["*GIST"] + reflx([c for c, _ in LEVEL_CLUSTERS]) + [""]
    cards += ["*FACS", "   1   1   0   0 .55   1", "", "MISSING-DATA PASS", "*GIST", "FSCOR1", ""]
    cards += ["*GIST"] + reflx(LEVEL_COMPLETE) + [""]
    cards += ["*FACS", "   1   1   0   0 .55   0", "", "COMPLETE-DATA PASS", "*GIST", "FSCOR1", ""]
    cards += ["*END"]
    with open(os.path.join(DECKS, LEVELS, "MONIN"), "w") as f:
        f.write("\n".join(cards) + "\n")


def half_spacing(x):
    """Half the spacing of single-precision numbers at x (2^-150 at 0 and below 2^-126)."""
    _, e = np.frexp(np.float32(abs(x)))
    e = -125 if x == 0 or e < -125 else int(e)
    return 2.0 ** (e - 25)


def first_reading(X, signs, pmin=0.55, lone=False):
    """The missing-data pass's first reading of one composite, modelled in single precision
    (X: subjects x definers as stored, NaN missing). Returns the composite's SIGMA, its N, the
    root mean square of the rounding bound b over the scored subjects, and the mean size of the
    raw terms that the earlier rule multiplied by one epsilon. With lone, the bound of a
    composite of one definer keeps the rounding of its stored values as well."""
    n, nd = X.shape
    w, c = [], []
    for j in range(nd):
        v = X[~np.isnan(X[:, j]), j]
        own = v.mean()
        xmean, xsd = f32(own), f32(np.sqrt(((v - own) ** 2).mean()))
        c.append(float(xmean) if abs(own - float(xmean)) <= 1e-5 * float(xsd) else own)
        w.append(f32(signs[j]) / xsd)
    ys, bsq, sizes = [], [], []
    for i in range(n):
        a, size, b, m = f32(0), f32(0), 0.0, 0
        for j in range(nd):
            x = X[i, j]
            if np.isnan(x):
                m += 1
                continue
            a = f32(a + f32(f32(x - c[j]) * w[j]))
            stored = half_spacing(x) if nd > 1 or lone else 0.0
            b += abs(float(w[j])) * (stored + 2 * EPS * abs(x - c[j]))
            size = f32(size + f32(abs(w[j]) * f32(f32(abs(x)) + f32(abs(c[j])))))
        p = nd - m
        if p > 0 and p >= nd * float(f32(pmin)):
            ys.append(float(f32(f32(f32(a / f32(p)) * f32(m)) + a)))
            bsq.append((b / p * nd) ** 2)
            sizes.append(float(f32(f32(size / f32(p)) * f32(nd))))
    y = np.array(ys)
    sigma = float(f32(np.sqrt(max(0.0, len(y) * (y * y).sum() - y.sum() ** 2)) / len(y)))
    return sigma, len(y), np.sqrt(np.mean(bsq)), np.mean(sizes)


def refusal(sigma, bound):
    """The figures of the listing's refusal line, as "(1PE10.3)" writes them."""
    return "ITS SPREAD, %.3E, IS WITHIN THE %.3E THAT ROUNDING CAN LEAVE." % (sigma, bound)


def verdicts(sigma, bound, size):
    """(refused by the earlier rule, refused by the rule in force)."""
    return not sigma > EPS * size, not sigma > bound


def rounding_study():
    """More ways of writing each constant pair x, C - x: the largest spread / bound found, and
    whether either rule scored any of them."""
    g = np.random.default_rng(20250303)
    families = [("50 +- 10, C = 100", lambda: 50 + 10 * g.standard_normal(NL), 100.0, 2),
                ("5 +- 2, C = 10", lambda: 5 + 2 * g.standard_normal(NL), 10.0, 2),
                ("1e4 +- 0.01, C = 3e4", lambda: 1e4 + 0.01 * g.standard_normal(NL), 3e4, 6),
                ("1e4 +- 0.01, C = 2e4", lambda: 1e4 + 0.01 * g.standard_normal(NL), 2e4, 6),
                ("1e6 +- 1, C = 3e6", lambda: 1e6 + g.standard_normal(NL), 3e6, 4),
                ("1e6 +- 1, C = 2e6", lambda: 1e6 + g.standard_normal(NL), 2e6, 4),
                ("2^20 + U(-1,1), C = 2^21", lambda: 2.0 ** 20 + g.uniform(-1, 1, NL), 2.0 ** 21, 4),
                ("0.5 +- 0.1, C = 1e6", lambda: 0.5 + 0.1 * g.standard_normal(NL), 1e6, 4),
                ("0.5 +- 0.3, C = 1e6", lambda: 0.5 + 0.3 * g.standard_normal(NL), 1e6, 4),
                ("1e7 +- 20, C = 3e7", lambda: 1e7 + 20 * g.standard_normal(NL), 3e7, 2)]
    print("constant pairs written in other ways (decimals read into single precision, fewer")
    print("decimals, double values rounded once, C - x in single precision, a pair missing")
    print("together for every fifth subject), 4 draws each:")
    print("  %-28s %9s %9s %13s" % ("", "max ratio", "old rule", "rule in force"))
    for label, draw, C, dec in families:
        worst, old_scored, new_scored = 0.0, 0, 0
        for _ in range(4):
            x = draw()
            xr = np.round(x, dec)
            ways = [np.column_stack([[float(f32("%.*f" % (dec, v))) for v in xr],
                                     [float(f32("%.*f" % (dec, C - v))) for v in xr]]),
                    np.column_stack([[float(f32("%.*f" % (dec - 2, v))) for v in np.round(x, dec - 2)],
                                     [float(f32("%.*f" % (dec - 2, C - v))) for v in np.round(x, dec - 2)]]),
                    np.column_stack([x.astype(f32), (C - x).astype(f32)]).astype(float),
                    np.column_stack([x.astype(f32), f32(C) - x.astype(f32)]).astype(float)]
            gap = ways[0].copy()
            gap[np.arange(NL) % 5 == 2] = np.nan
            ways.append(gap)
            for X in ways:
                sigma, _, bound, size = first_reading(X, [1, 1])
                old, new = verdicts(sigma, bound, size)
                worst = max(worst, sigma / bound)
                old_scored += not old
                new_scored += not new
        print("  %-28s %9.3f %9s %13s" % (label, worst, "scored %d" % old_scored if old_scored else "refused",
                                          "scored %d" % new_scored if new_scored else "refused"))
        assert new_scored == 0, label


def check_levels():
    X = levels_stored()
    print("%s: the missing-data pass's first reading modelled in single precision" % LEVELS)
    print("  (ratio: SIGMA / bound; stored: the ratio with the rounding of the stored values")
    print("  counted for a single definer too)")
    print("  %-10s %-9s %9s %4s %10s %8s %8s %-8s %-8s" %
          ("cluster", "definers", "SIGMA", "N", "bound", "ratio", "stored", "before", "now"))
    table = []
    for k, (cl, must_score) in enumerate(LEVEL_CLUSTERS):
        sigma, nval, bound, size = first_reading(X[[v - 1 for v in cl]].T, [1] * len(cl))
        old, new = verdicts(sigma, bound, size)
        table.append((sigma, nval, new))
        with_stored = first_reading(X[[v - 1 for v in cl]].T, [1] * len(cl), lone=True)[2]
        print("  Cluster%-3d %-9s %9.4f %4d %10.3g %8.3g %8.3g %-8s %-8s" %
              (k + 1, "+".join(LEVEL_VARS[v - 1][0] for v in cl), sigma, nval, bound, sigma / bound,
               sigma / with_stored, "refused" if old else "scored", "refused" if new else "scored"))
        assert new != must_score, k + 1
    print("  the listing's table, and the refusal lines:")
    for k, (sigma, nval, refused) in enumerate(table):
        print("  %6d  Cluster%-6d%9.3f%9.3f%9.3f" % (k + 1, k + 1, 0.0, sigma, nval))
    for k, (cl, _) in enumerate(LEVEL_CLUSTERS):
        sigma, nval, bound, size = first_reading(X[[v - 1 for v in cl]].T, [1] * len(cl))
        if not sigma > bound:
            print("  Cluster%d: %s" % (k + 1, refusal(sigma, bound)))

    def z(v):
        return (v - np.nanmean(v)) / np.nanstd(v)
    zs = [z(v) for v in X]
    got_m, got_c = unloaded(LEVELS)
    assert got_m.shape == (NL, len(LEVEL_CLUSTERS)) and got_c.shape == (NL, len(LEVEL_COMPLETE))
    for k, (cl, must_score) in enumerate(LEVEL_CLUSTERS):
        if not must_score:
            assert (got_m[:, k] == -999.0).all(), k + 1
            continue
        report("  missing-data pass, Cluster%d" % (k + 1), got_m[:, k],
               restandardised(sum(zs[v - 1] for v in cl)), 2e-4)
    print("  Clusters 7-11 are -999 for every subject")
    for k, cl in enumerate(LEVEL_COMPLETE):
        report("  complete-data pass, Cluster%d" % (k + 1), got_c[:, k], 50 + 10 * zs[cl[0] - 1], 2e-4)
    rounding_study()


if __name__ == "__main__":
    if sys.argv[1:] == ["--write"]:
        write()
    else:
        check()
