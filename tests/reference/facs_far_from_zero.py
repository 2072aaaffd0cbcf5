#!/usr/bin/python3
"""Data and independent check of tests/decks/facs_far_from_zero: scores of data far from zero
against their spread. 200 subjects of four variables written with 4 decimals,

    V1 = 1e6 + z1              V2 = 4000 + 0.05 z2
    V3 = 99.97 + 0.01 z3       V4 = -250 + 0.02 z4      z(k+1) = 0.7 z(k) + sqrt(0.51) e(k+1)

V4 blank (missing) for every ninth subject. The correlations (over the subjects with both values)
are loaded as CORRM1 with 4 decimals (the complete-data pass needs them; numpy's, rounded),
so that the deck depends on no correlation component. The first *FACS scores the clusters {V1, V2},
{V2, -V3}, {V1, V2, V3} by the complete-data pass, the second {V1, V4}, {V2, V3, V4},
{V1, -V2, V4} by the missing-data pass (V4 has missing values); *GIST unloads FSCOR1 after
each (scores times 10000).

numpy, in double precision from the single-precision values the data storage file holds:
standard scores about each variable's own mean over its present values, divided by its
std(ddof=0); complete-data pass: 50 + 10 w'z / sqrt(w'Rw) with R as loaded; missing-data
pass: the signed sum of the present definers' standard scores, each missing definer counted
at their mean, no score below 55 % of the definers present, restandardised to mean 50 and SD
10 over the scored subjects, -999 where missing.

    /usr/bin/python3 tests/reference/facs_far_from_zero.py --write   (MTXIN1 and MONIN)
    /usr/bin/python3 tests/reference/facs_far_from_zero.py           (check expected/MONPUN;
                                                                      facs_far_from_zero.out)

The check accepts a difference of 2 punch units (0.0002, 2e-5 of the scores' SD of 10). It
also prints how far the scores would be from numpy if every variable were centred on its mean
rounded to single precision (MEANS1), and the spread of each missing-data composite against
the size of its terms in units of single-precision epsilon.
"""
import os
import sys

import numpy as np

from facs_constant_composite import unloaded  # the FSCOR1 decks of a deck's MONPUN

HERE = os.path.dirname(os.path.abspath(__file__))
DECK = os.path.join(os.path.dirname(HERE), "decks", "facs_far_from_zero")
N = 200
f32 = np.float32
COMPLETE = [[1, 2], [2, -3], [1, 2, 3]]
MISSING = [[1, 4], [2, 3, 4], [1, -2, 4]]


def data():
    rng = np.random.default_rng(20241213)
    z = np.empty((4, N))
    z[0] = rng.standard_normal(N)
    for k in range(1, 4):
        z[k] = 0.7 * z[k - 1] + np.sqrt(0.51) * rng.standard_normal(N)
    cols = [1.0e6 + z[0], 4000.0 + 0.05 * z[1], 99.97 + 0.01 * z[2], -250.0 + 0.02 * z[3]]
    text = [["%14.4f" % v for v in c] for c in cols]
    for i in range(8, N, 9):
        text[3][i] = " " * 14
    x = np.array([[float(f32(t)) if t.strip() else np.nan for t in c] for c in text])
    return text, x


def correlations(x):
    """The correlations loaded as CORRM1, rounded to 4 decimals: over the subjects that have
    both values."""
    r = np.eye(4)
    for a in range(4):
        for b in range(a):
            ok = ~np.isnan(x[a]) & ~np.isnan(x[b])
            r[a, b] = r[b, a] = np.corrcoef(x[a][ok], x[b][ok])[0, 1]
    return np.round(r, 4)


def write():
    text, x = data()
    with open(os.path.join(DECK, "MTXIN1"), "w") as f:
        for i in range(N):
            f.write("".join(text[k][i] for k in range(4)) + "\n")
    r = correlations(x)

    def reflx(clusters):
        lines = ["REFLX1     1   0", "%4d" % len(clusters),
                 "".join("%4d" % len(c) for c in clusters)]
        return lines + ["".join("%4d" % v for v in c) for c in clusters]

    cards = ["*DAP", "FOUR VARIABLES FAR FROM ZERO", "   4   200 0   0", "(4F14.4)", "DATA",
             "*GIST", "CORRM1     1", "   4 200"]
    cards += ["".join("%8.4f" % r[i, j] for j in range(i)) for i in range(1, 4)]
    cards += reflx(COMPLETE) + [""]
    cards += ["*FACS", "   1   1   0   0", "", "COMPLETE-DATA PASS", "*GIST", "FSCOR1", ""]
    cards += ["*GIST"] + reflx(MISSING) + [""]
    cards += ["*FACS", "   1   1   0   0", "", "MISSING-DATA PASS", "*GIST", "FSCOR1", ""]
    cards += ["*END"]
    with open(os.path.join(DECK, "MONIN"), "w") as f:
        f.write("\n".join(cards) + "\n")


def weights(cluster, nv):
    w = np.zeros(nv)
    for v in cluster:
        w[abs(v) - 1] = np.sign(v)
    return w


def complete_scores(x, centre):
    r = correlations(x)[:3, :3]
    z = (x[:3] - centre[:3, None]) / np.nanstd(x[:3], axis=1)[:, None]
    out = []
    for c in COMPLETE:
        w = weights(c, 3)
        out.append(50 + 10 * (w @ z) / np.sqrt(w @ r @ w))
    return np.array(out).T


def missing_scores(x, centre):
    z = (x - centre[:, None]) / np.nanstd(x, axis=1)[:, None]
    out = np.full((N, len(MISSING)), -999.0)
    spreads, moments = [], []
    for k, c in enumerate(MISSING):
        idx = [abs(v) - 1 for v in c]
        signed = z[idx] * np.array([np.sign(v) for v in c])[:, None]
        present = ~np.isnan(signed)
        p = present.sum(axis=0)
        a = np.where(present, signed, 0.0).sum(axis=0)
        ok = (p > 0) & (p >= len(c) * float(f32(0.55)))
        y = a / np.maximum(p, 1) * (len(c) - p) + a
        out[ok, k] = 50 + 10 * (y[ok] - y[ok].mean()) / y[ok].std()
        size = (np.where(present, np.abs(x[idx]) + np.abs(centre[idx, None]), 0.0)
                / np.nanstd(x[idx], axis=1)[:, None]).sum(axis=0) / np.maximum(p, 1) * len(c)
        spreads.append(y[ok].std() / size[ok].mean() / np.finfo(f32).eps)
        moments.append((y[ok].mean(), y[ok].std(), int(ok.sum())))
    return out, spreads, moments


def print_lower(m):
    """A lower triangle as the listing prints it."""
    for i in range(len(m)):
        print("%6d  Cluster%-6d" % (i + 1, i + 1) + "".join("%9.3f" % m[i, j] for j in range(i + 1)))


def check():
    _, x = data()
    own = np.nanmean(x, axis=1)
    stored = np.array([float(f32(m)) for m in own])
    want_c = complete_scores(x, own)
    want_m, spreads, moments = missing_scores(x, own)
    got_c, got_m = unloaded("facs_far_from_zero")
    err_c = np.abs(got_c - want_c).max()
    both = (got_m != -999.0) & (want_m != -999.0)
    err_m = np.abs(np.where(both, got_m - want_m, 0.0)).max()
    same_missing = bool(((got_m == -999.0) == (want_m == -999.0)).all())
    print("MEANS1 rounding as a share of each SD: %s" %
          " ".join("%.2e" % v for v in (stored - own) / np.nanstd(x, axis=1)))
    print("complete-data pass: max |unloaded - numpy| = %.5f (punch unit 0.0001)" % err_c)
    print("  centred on the rounded means the scores would be off by up to %.4f"
          % np.abs(complete_scores(x, stored) - want_c).max())
    print("missing-data pass: max |unloaded - numpy| = %.5f; missing scores where numpy has "
          "them: %s; scored subjects per composite %s" %
          (err_m, "same" if same_missing else "DIFFERENT", (want_m != -999.0).sum(axis=0)))
    print("  composite spread / mean size of its terms, in epsilon: %s" %
          " ".join("%.1f" % v for v in spreads))
    print("  mean, SD and N of the composites before restandardising (the listing's table):")
    for k, (m, sd, n) in enumerate(moments):
        print("    %6d  Cluster%-6d%9.3f%9.3f%9.3f" % (k + 1, k + 1, m, sd, n))
    r = correlations(x)[:3, :3]
    print("  complete-data pass: composite SDs sqrt(w'Rw) %s" % " ".join(
        "%.3f" % np.sqrt(weights(c, 3) @ r @ weights(c, 3)) for c in COMPLETE))
    print("  intercorrelations of the complete-data scores (cross products about 50, N, SD 10):")
    dev = want_c - 50
    print_lower(dev.T @ dev / (N * 100))
    print("  intercorrelations of the missing-data scores over the subjects with both:")
    cross = np.eye(len(MISSING))
    for a in range(len(MISSING)):
        for b in range(a):
            ok = (want_m[:, a] != -999.0) & (want_m[:, b] != -999.0)
            za, zb = want_m[ok, a] - 50, want_m[ok, b] - 50
            cross[a, b] = (za * zb).mean() / (za.std() * zb.std())
    print_lower(cross)
    rounded, _, _ = missing_scores(x, stored)
    print("  centred on the rounded means the scores would be off by up to %.4f"
          % np.abs(np.where(both, rounded - want_m, 0.0)).max())
    good = err_c <= 0.0002 and err_m <= 0.0002 and same_missing
    print("OK" if good else "FAILED")
    return 0 if good else 1


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--write":
        write()
    else:
        sys.exit(check())
