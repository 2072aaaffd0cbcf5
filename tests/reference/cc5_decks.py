#!/usr/bin/python3
"""Reference figures for the CC5 deck tests, computed independently in double precision
with numpy from the definitions of the analysis (not from the program).

Run:  /usr/bin/python3 tests/reference/cc5_decks.py > tests/reference/cc5_decks.out

cc5_attitude: the R data set "attitude" (30 departments, 7 ratings; R's datasets package,
written to tests/decks/cc5_attitude/MTXIN1 by the Rscript line below) through correlations,
squared multiple correlations as communality estimates, and a key-cluster analysis with the
default cards: key variables by mutual collinearity, dimensions by communality exhaustion
(0.92), four passes in all.
    Rscript -e 'cat(sprintf("%4d%4d%4d%4d%4d%4d%4d\\n", attitude$rating, attitude$complaints,
        attitude$privileges, attitude$learning, attitude$raises, attitude$critical,
        attitude$advance), sep="")' > tests/decks/cc5_attitude/MTXIN1

cc5_gist_preset: a six-variable matrix and its communality estimates loaded by *GIST, two
preset key lists (1,2,3 and 4,5,6), one pass.

The deck tests unload UFACT1, CLUST1, REFLX1 and DIAGV1 to MONPUN with six decimals; the
values printed here agree with them to within a unit in the sixth decimal.
"""
import itertools
import os

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))


def vsq(R):
    return np.var(R ** 2, axis=0)


def psq_row(R, j):
    c = R.T @ R[:, j]
    s = (R ** 2).sum(axis=0)
    d = s * s[j]
    with np.errstate(all="ignore"):
        return np.where(d == 0, 0.0, c ** 2 / d)


def mutual_collinearity(R, npiv=4, low=0.4, high=0.81, maxdef=99):
    """Keys of one dimension: pivot candidates by variance of squared r; from the pivot,
    the variable of largest summed PSQ with the keys whose smallest PSQ with them reaches
    `low` (second to fourth key); later keys must reach `high` and stay within the spread of
    PSQ among the first four keys. Returns the keys or None when no candidate qualifies."""
    n = R.shape[0]
    order = sorted(range(n), key=lambda j: (-vsq(R)[j], j))
    for p in order[:npiv]:
        S = np.zeros(n)
        M = np.ones(n)
        keys = [p]
        excl = {p}
        M[p] = -1
        q = psq_row(R, p)
        S += q
        M = np.where(M == -1, -1, np.minimum(M, q))
        fmin, fmax = 1.0, 0.0
        rejected = False
        done = False
        for k in range(2, 5):
            cand = [i for i in range(n) if i not in excl]
            if not cand:
                done = True
                break
            v = max(cand, key=lambda i: (S[i], -i))
            if M[v] < low:
                rejected = k == 2
                done = True
                break
            keys.append(v)
            excl.add(v)
            M[v] = -1
            q = psq_row(R, v)
            S += q
            M = np.where(M == -1, -1, np.minimum(M, q))
            for j in keys[:-1]:
                fmin, fmax = min(fmin, q[j]), max(fmax, q[j])
        if rejected:
            continue
        k = 5
        while not done and k <= n and len(keys) < maxdef:
            for i in range(n):
                if M[i] != -1 and (M[i] < high or abs(M[i] - fmin) > fmax - fmin):
                    excl.add(i)
                    M[i] = -1
            cand = [i for i in range(n) if i not in excl]
            if not cand:
                break
            v = max(cand, key=lambda i: (S[i], -i))
            keys.append(v)
            excl.add(v)
            M[v] = -1
            q = psq_row(R, v)
            S += q
            M = np.where(M == -1, -1, np.minimum(M, q))
            k += 1
        return keys
    return None


def best_signs(R, keys):
    """Signs that maximise the off-diagonal sum of the key submatrix (the last key kept
    positive, as any pattern and its negation give the same sum)."""
    k = len(keys)
    sub = R[np.ix_(keys, keys)].copy()
    np.fill_diagonal(sub, 0.0)
    best, best_e = None, None
    for bits in itertools.product([1, -1], repeat=k - 1):
        e = np.array(bits + (1,))
        s = e @ sub @ e
        if best is None or s > best + 1e-12:
            best, best_e = s, e
    return best_e


def group_factor(R, keys, e):
    s = e @ R[np.ix_(keys, keys)] @ e
    return R[:, keys] @ e / np.sqrt(s)


def analysis(Rraw, h0, lists=None, ndim=0, passes=4, exhaust=0.92):
    """First pass (keys, signs, number of dimensions), then the later passes with the same
    keys and signs on the correlations with the previous communalities on the diagonal."""
    R = Rraw.copy()
    np.fill_diagonal(R, h0)
    floor = (1 - exhaust) * h0.sum()
    keys_all, signs_all, cols = [], [], []
    L = 0
    while L < 50:
        L += 1
        keys = lists[L - 1] if lists else mutual_collinearity(R)
        if keys is None:
            break
        e = best_signs(R, keys) if len(keys) > 1 else np.array([1])
        a = group_factor(R, keys, e)
        R = R - np.outer(a, a)
        keys_all.append(keys)
        signs_all.append(e)
        cols.append(a)
        if (ndim and L == ndim) or (not ndim and np.trace(R) - floor <= 0):
            break
    h = np.array(cols).T
    h = (h ** 2).sum(axis=1)
    if all(len(k) == 1 for k in keys_all):
        passes = 1
    A = np.array(cols).T
    for _ in range(passes - 1):
        R = Rraw.copy()
        np.fill_diagonal(R, h)
        cols = []
        for keys, e in zip(keys_all, signs_all):
            a = group_factor(R, keys, e)
            R = R - np.outer(a, a)
            cols.append(a)
        A = np.array(cols).T
        h = (A ** 2).sum(axis=1)
    return keys_all, signs_all, A


def report(name, keys_all, signs_all, A):
    print(name)
    for L, (keys, e) in enumerate(zip(keys_all, signs_all), 1):
        print(f"  CLUST1 list {L}:", [k + 1 for k in keys], " REFLX1:",
              [int(s * (k + 1)) for k, s in zip(keys, e)])
    for L in range(A.shape[1]):
        print(f"  UFACT1 column {L + 1}:", " ".join(f"{x:.6f}" for x in A[:, L]))
    print("  DIAGV1:", " ".join(f"{x:.6f}" for x in (A ** 2).sum(axis=1)))


def smc(R):
    return 1 - 1 / np.diag(np.linalg.inv(R))


X = np.loadtxt(os.path.join(HERE, "..", "decks", "cc5_attitude", "MTXIN1"))
R = np.corrcoef(X, rowvar=False)
h = smc(R)
print("cc5_attitude: squared multiple correlations", " ".join(f"{x:.6f}" for x in h))
report("cc5_attitude", *analysis(R, h))

lower = [0.611, 0.548, 0.235, 0.146, 0.332, 0.525, 0.300, 0.205, 0.353, 0.343, 0.246, 0.360,
         0.468, 0.409, 0.317]
R6 = np.eye(6)
p = 0
for j in range(6):
    for i in range(j + 1, 6):
        R6[i, j] = R6[j, i] = lower[p]
        p += 1
h6 = np.array([0.451030, 0.443034, 0.399491, 0.324230, 0.242811, 0.264972])
report("cc5_gist_preset", *analysis(R6, h6, lists=[[0, 1, 2], [3, 4, 5]], ndim=2, passes=1))
