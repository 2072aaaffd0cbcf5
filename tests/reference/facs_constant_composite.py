#!/usr/bin/python3
"""Data and independent check of the scoring decks with a composite that does not vary:
tests/decks/facs_constant_composite, facs_constant_composite_gaps and facs_small_spread.

A is drawn from normal(5, 2) and rounded to 2 decimals, B is any value, MIRROR = 10 - A, so
the cluster {A, MIRROR} is the constant 10 in raw scores and 0 in standard scores: it has
no score anywhere (the missing-score code -999 throughout) and the complete-data pass stops
on it.  C (gaps deck) has blank fields.  The small-spread deck scales everything by 1e-4 and
replaces MIRROR by NEAR = 10 - A + e, e from normal(0, 0.05) rounded to 2 decimals: a
composite with a small but real spread that both passes must score.

    /usr/bin/python3 tests/reference/facs_constant_composite.py --write   (data files)
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


def unloaded(deck):
    """The FSCOR1 decks unloaded by *GIST in expected/MONPUN, one array per unloading."""
    lines = open(os.path.join(DECKS, deck, "expected", "MONPUN")).read().splitlines()
    out = []
    i = 0
    while i < len(lines):
        if lines[i].startswith("FSCOR1"):
            nf, nsub = int(lines[i + 1][0:4]), int(lines[i + 1][4:8])
            rows = [[int(l[8 * k:8 * k + 8]) / 10000 for k in range(nf)]
                    for l in lines[i + 2:i + 2 + nsub]]
            out.append(np.array(rows))
            i += 2 + nsub
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


if __name__ == "__main__":
    if sys.argv[1:] == ["--write"]:
        write()
    else:
        check()
