#!/usr/bin/python3
"""Data and independent check of tests/decks/facs_overflow_data: scores of data near the ends
of the single-precision range. Five subjects read under (3F42.0,F20.0),

    V1 = 3e38, -3e38, -3e38, 1e37, 1e37      V2 = 1, 4, 2, 5, 3     V3 = 2, 2, 7, 1, 4
    V4 = 1e-39, -2e-39, 3e-39, 0.5e-39, -1.5e-39   (subnormal numbers, written as 1.0E-39, ...)

V1's sum is -2.8e38, its mean -5.6e37 and its SD 2.26e38, all single-precision numbers, but the
deviation of the first subject, 3.56e38, is not, and 1 / SD is below the smallest normal one; V4's SD is
subnormal and 1 / SD beyond the largest single-precision number. The
correlations (numpy's, of the single-precision values, 4 decimals) are loaded as CORRM1, so
that the deck depends on no correlation component. The clusters {V1, V2}, {V1, -V3}, {V1},
{V2, V3}, {V4} and {V2, -V4} are scored by the missing-data pass (MDFLAG 1), then by the complete-data pass;
*GIST unloads FSCOR1 after each (scores times 10000).

numpy, in double precision from the single-precision values: standard scores about each
variable's mean, divided by its std(ddof=0); missing-data pass: the signed sum of the
standard scores restandardised to mean 50 and SD 10; complete-data pass: 50 + 10 w'z /
sqrt(w'Rw) with R as loaded. No score may be missing, infinite or NaN.

    /usr/bin/python3 tests/reference/facs_overflow_data.py --write   (MTXIN1 and MONIN)
    /usr/bin/python3 tests/reference/facs_overflow_data.py           (check expected/MONPUN;
                                                                      facs_overflow_data.out)
"""
import os
import sys

import numpy as np

from facs_constant_composite import unloaded  # the FSCOR1 decks of a deck's MONPUN

HERE = os.path.dirname(os.path.abspath(__file__))
DECK = os.path.join(os.path.dirname(HERE), "decks", "facs_overflow_data")
f32 = np.float32
V = [[3e38, -3e38, -3e38, 1e37, 1e37], [1, 4, 2, 5, 3], [2, 2, 7, 1, 4],
     [1e-39, -2e-39, 3e-39, 0.5e-39, -1.5e-39]]
NV = 4
N = 5
CLUSTERS = [[1, 2], [1, -3], [1], [2, 3], [4], [2, -4]]


def stored():
    return np.array([[float(f32("%.1E" % v if k == 3 else v)) for v in row] for k, row in enumerate(V)])


def correlations(x):
    return np.round(np.corrcoef(x), 4)


def write():
    with open(os.path.join(DECK, "MTXIN1"), "w") as f:
        for i in range(N):
            f.write("".join("%42s" % ("%.0f." % V[k][i]) for k in range(3)) + "%20s\n" % ("%.1E" % V[3][i]))
    r = correlations(stored())
    reflx = ["REFLX1     1   0", "%4d" % len(CLUSTERS), "".join("%4d" % len(c) for c in CLUSTERS)]
    reflx += ["".join("%4d" % v for v in c) for c in CLUSTERS]
    cards = ["*DAP", "VALUES NEAR THE ENDS OF THE RANGE", "   4     5 1   0", "(3F42.0,F20.0)",
             "DATA", "*GIST", "CORRM1     1", "   4   5"]
    cards += ["".join("%8.4f" % r[i, j] for j in range(i)) for i in range(1, NV)]
    cards += reflx + [""]
    cards += ["*FACS", "   1   1   1   0 .55   1", "", "MISSING-DATA PASS", "*GIST", "FSCOR1", ""]
    cards += ["*FACS", "   1   1   1   0 .55   0", "", "COMPLETE-DATA PASS", "*GIST", "FSCOR1", ""]
    cards += ["*END"]
    with open(os.path.join(DECK, "MONIN"), "w") as f:
        f.write("\n".join(cards) + "\n")


def weights(cluster):
    w = np.zeros(NV)
    for v in cluster:
        w[abs(v) - 1] = np.sign(v)
    return w


def print_lower(m, row="Cluster"):
    for i in range(len(m)):
        print("%6d  %s%-6d" % (i + 1, row, i + 1) + "".join("%9.3f" % m[i, j] for j in range(i + 1)))


def check():
    x = stored()
    mean = x.mean(axis=1)
    sd = x.std(axis=1)
    print("means %s, SDs %s" % (" ".join("%.4e" % v for v in mean), " ".join("%.4e" % v for v in sd)))
    print("largest |deviation| of V1: %.4e (single precision ends at %.4e); 1 / SD(V1) = %.4e "
          "(smallest normal %.4e)" % (np.abs(x[0] - mean[0]).max(), np.finfo(f32).max, 1 / sd[0],
                                      np.finfo(f32).tiny))
    z = (x - mean[:, None]) / sd[:, None]
    r = correlations(x)
    print("1 / SD(V4) = %.4e (largest single-precision number %.4e)" % (1 / sd[3], np.finfo(f32).max))
    print("CORRM1 as loaded:")
    print_lower(r, "V")
    comp = np.array([weights(c) @ z for c in CLUSTERS]).T
    want_m = 50 + 10 * (comp - comp.mean(axis=0)) / comp.std(axis=0)
    csd = np.array([np.sqrt(weights(c) @ r @ weights(c)) for c in CLUSTERS])
    want_c = 50 + 10 * comp / csd
    got_m, got_c = unloaded("facs_overflow_data")
    good = bool(np.isfinite(got_m).all() and np.isfinite(got_c).all()
                and (got_m != -999.0).all() and (got_c != -999.0).all())
    err_m = np.abs(got_m - want_m).max()
    err_c = np.abs(got_c - want_c).max()
    print("missing-data pass: max |unloaded - numpy| = %.5f" % err_m)
    print("  mean, SD and N of the composites before restandardising (the listing's table):")
    for k in range(len(CLUSTERS)):
        print("    %6d  Cluster%-6d%9.3f%9.3f%9.3f" % (k + 1, k + 1, 0.0, comp[:, k].std(), N))
    print("  intercorrelations of the scores:")
    print_lower(np.corrcoef(want_m, rowvar=False))
    print("complete-data pass: max |unloaded - numpy| = %.5f" % err_c)
    print("  composite SDs sqrt(w'Rw): %s" % " ".join("%.3f" % v for v in csd))
    print("  intercorrelations of the scores (cross products about 50, N, SD 10):")
    dev = want_c - 50
    print_lower(dev.T @ dev / (N * 100))
    good = good and err_m <= 0.0002 and err_c <= 0.0002
    print("OK" if good else "FAILED")
    return 0 if good else 1


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--write":
        write()
    else:
        sys.exit(check())
