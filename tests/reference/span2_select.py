#!/usr/bin/python3
"""Independent replica of the spherical analysis' subspace selection by span.

Writes span2_select_rows.inc (30 variables on 5 factors, seed 7, four decimals) and the
kept sets for k = 2 and k = 3 with CLOPR 0.8 and MINEW 2 (span2_select_k2.inc, _k3.inc):
each unit row proposes its k largest |coefficients| (ties to the lower dimension), the
candidates stand in lexicographic order, each variable credits the first candidate holding
at least CLOPR of its communality, and a candidate is kept with at least MINEW credits.
"""
import itertools
import numpy as np

rng = np.random.default_rng(7)
nv, nf = 30, 5
U = rng.uniform(-0.25, 0.25, size=(nv, nf))
for i in range(nv):
    main = rng.choice(nf, size=rng.integers(1, 4), replace=False)
    U[i, main] = rng.uniform(0.5, 0.9, size=main.size) * rng.choice([-1, 1], size=main.size)
U = np.round(U, 4)
B = U / np.linalg.norm(U, axis=1, keepdims=True)
clopr, minew = 0.8, 2


def kept(k):
    cands = set()
    for i in range(nv):
        order = sorted(range(nf), key=lambda j: (-abs(B[i, j]), j))
        cands.add(tuple(sorted(d + 1 for d in order[:k])))
    cands = sorted(cands)
    count = {c: 0 for c in cands}
    for i in range(nv):
        for c in cands:
            share = sum(B[i, d - 1] ** 2 for d in c)
            assert abs(share - clopr) > 1e-4, "share too close to CLOPR"
            if share >= clopr:
                count[c] += 1
                break
    return [c for c in cands if count[c] >= minew]


with open("span2_select_rows.inc", "w") as f:
    for row in U:
        f.write("{" + ", ".join(f"{x:.4f}f" for x in row) + "},\n")
for k in (2, 3):
    with open(f"span2_select_k{k}.inc", "w") as f:
        for c in kept(k):
            f.write("{" + ", ".join(str(d) for d in c) + "},\n")
        print(k, kept(k))
