#!/usr/bin/env python3
"""Independent figures for the deck tests/decks/abilities_preset (nine ability tests of
301 children).  Computes, in double precision from the raw scores:
  - the correlation matrix and the squared multiple correlations (1 - 1/diag(R^-1));
  - multiple-group factoring of the reduced matrix (SMCs on the diagonal) with the key
    groups 1-3, 4-6, 7-9 taken in that order: each dimension is the centroid of its group
    on what the earlier dimensions leave, i.e. A = Rh S L^-T with S' Rh S = L L';
  - Kaiser-normalised varimax of A (the SVD iteration of R's stats::varimax, eps 1e-10).
Usage: python3 abilities_preset.py [--check RUNFOLDER] [hs1939.dat]
(default data: examples/hs1939.dat).  With --check, the listing MONOUT of a run of the deck
(its "Unrotated Factor Coefficients" and "Rotated Factor Coefficients" tables, 3 decimals)
and the punched entries UFACT1 and RFACT1 on MONPUN (6 decimals) are compared with these
figures; every value must agree within 0.002, and the largest difference is printed."""
import os
import sys
import numpy as np

here = os.path.dirname(os.path.abspath(__file__))
args = sys.argv[1:]
check = None
if args[:1] == ["--check"]:
    check, args = args[1], args[2:]
path = args[0] if args else os.path.join(here, "..", "..", "examples", "hs1939.dat")
rows = []
with open(path) as f:
    for line in f:
        if line.strip():
            rows.append([float(line[20 + 10 * j: 30 + 10 * j]) for j in range(9)])
x = np.array(rows)
n, p = x.shape
r = np.corrcoef(x, rowvar=False)
smc = 1.0 - 1.0 / np.diag(np.linalg.inv(r))
rh = r.copy()
np.fill_diagonal(rh, smc)

s = np.zeros((p, 3))
for k, grp in enumerate([(0, 1, 2), (3, 4, 5), (6, 7, 8)]):
    s[list(grp), k] = 1.0
l = np.linalg.cholesky(s.T @ rh @ s)
a = rh @ s @ np.linalg.inv(l).T


def varimax(a, eps=1e-10, maxit=1000):
    """Kaiser-normalised varimax, same iteration as R's stats::varimax."""
    h = np.sqrt((a * a).sum(axis=1))
    z = a / h[:, None]
    nr, nc = z.shape
    t = np.eye(nc)
    d = 0.0
    for _ in range(maxit):
        zt = z @ t
        b = z.T @ (zt ** 3 - zt @ np.diag((zt * zt).sum(axis=0)) / nr)
        u, sv, vt = np.linalg.svd(b)
        t = u @ vt
        dpast, d = d, sv.sum()
        if d < dpast * (1 + eps):
            break
    return (z @ t) * h[:, None]


rot = varimax(a)
np.set_printoptions(precision=4, suppress=True)
print("subjects", n)
print("squared multiple correlations")
print(" ".join(f"{v:8.4f}" for v in smc))
print("unrotated coefficients (multiple-group, groups 1-3, 4-6, 7-9)")
for i in range(p):
    print(f"{i + 1:3d}" + "".join(f"{v:9.4f}" for v in a[i]))
print("varimax coefficients")
for i in range(p):
    print(f"{i + 1:3d}" + "".join(f"{v:9.4f}" for v in rot[i]))


def listing_table(lines, title):
    """The nine rows of the first table headed by title in a listing."""
    at = next(i for i, t in enumerate(lines) if t.strip() == title)
    rows = []
    for t in lines[at + 1:]:
        w = t.split()
        if len(w) == 5 and w[0].isdigit():
            rows.append([float(v) for v in w[2:]])
            if len(rows) == p:
                return np.array(rows)
    raise SystemExit("table not complete: " + title)


def punched_entry(lines, label):
    """An entry of p rows by 3 columns punched as (9F8.6): column by column, 9 to a card."""
    at = next(i for i, t in enumerate(lines) if t.startswith(label))
    vals = []
    for t in lines[at + 3:at + 6]:
        vals += [int(t[8 * k:8 * k + 8]) / 1e6 for k in range(9)]
    return np.array(vals).reshape(3, p).T


if check:
    listing = open(os.path.join(check, "MONOUT")).read().splitlines()
    punched = open(os.path.join(check, "MONPUN")).read().splitlines()
    worst = 0.0
    for name, got, want in (
            ("listing, unrotated", listing_table(listing, "Unrotated Factor Coefficients"), a),
            ("listing, rotated", listing_table(listing, "Rotated Factor Coefficients"), rot),
            ("MONPUN UFACT1", punched_entry(punched, "UFACT1"), a),
            ("MONPUN RFACT1", punched_entry(punched, "RFACT1"), rot)):
        d = np.abs(got - want).max()
        worst = max(worst, d)
        print(f"{name:20s} largest difference {d:.6f}")
    print("agreement within 0.002:", "yes" if worst <= 0.002 else "NO")
    sys.exit(0 if worst <= 0.002 else 1)
