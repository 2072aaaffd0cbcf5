#!/usr/bin/python3
"""Reference values for the CC5 unit tests on key-variable selection, computed
independently in double precision with numpy from the definitions (not from the program):
the variance and sum of squared residual correlations of each variable, the PSQ values
(squared cosines of whole residual columns) and the rankings they give.

Run:  /usr/bin/python3 tests/reference/cc5_reference.py > tests/reference/cc5_reference.out

The printed rankings and values are copied into tests/unit/test_cc5_keys.cpp.
"""
import numpy as np


def from_lower(n, lower, diag):
    R = np.zeros((n, n))
    p = 0
    for j in range(n):
        for i in range(j + 1, n):
            R[i, j] = R[j, i] = lower[p]
            p += 1
    np.fill_diagonal(R, diag)
    return R


def vsq(R):
    return np.var(R ** 2, axis=0)          # population variance, diagonal included


def sumsq(R):
    return (R ** 2).sum(axis=0)


def psq(R):
    C = R.T @ R
    s = np.diag(C)
    d = np.outer(s, s)
    with np.errstate(all="ignore"):
        return np.where(d == 0, 0.0, C ** 2 / d)


def ranking(v):
    return list(np.argsort(-v, kind="stable") + 1)


def show(name, v):
    print(f"{name}: " + " ".join(f"{x:.6f}" for x in v))


# A two-factor model: five variables on the first factor, four on the second, with small
# cross loadings; off-diagonals rounded to three decimals, communalities on the diagonal.
L9 = np.array([[.90, .10], [.85, .15], [.80, .05], [.75, .20], [.70, .10],
               [.10, .85], [.15, .80], [.05, .75], [.20, .70]])
R9 = np.round(L9 @ L9.T, 3)
h9 = np.round((L9 ** 2).sum(1), 3)
np.fill_diagonal(R9, h9)
n = 9
print("R9 lower triangle by columns:", [float(R9[i, j]) for j in range(n) for i in range(j + 1, n)])
print("R9 diagonal:", list(h9))
show("R9 diagonal", np.diag(R9))
show("R9 sum of squares", sumsq(R9))
show("R9 variance of squares", vsq(R9))
print("R9 ranking by residual communality (method 5 takes the first):", ranking(np.diag(R9)))
print("R9 ranking by sum of squares (methods 6, 9):", ranking(sumsq(R9)))
print("R9 ranking by variance of squares (methods 7, 8):", ranking(vsq(R9)))
P = psq(R9)
pivot = int(np.argmax(vsq(R9)))
order = np.argsort(-P[pivot], kind="stable")
S = P[pivot][order]
print(f"pivot collinearity, pivot {pivot + 1}: PSQ in descending order", [f"{x:.4f}" for x in S],
      "of variables", list(order + 1))
print(f"  threshold for the fifth and later keys: max(0.81, 2 S(4) - S(2)) = {max(0.81, 2 * S[3] - S[1]):.4f}")

# The same correlations with other communalities, chosen so that the three single-pivot
# rankings have different leaders.
h9b = [0.31, 0.62, 0.61, 0.54, 0.70, 0.71, 0.78, 0.56, 0.49]
R9b = R9.copy()
np.fill_diagonal(R9b, h9b)
print("R9b diagonal:", h9b)
show("R9b sum of squares", sumsq(R9b))
show("R9b variance of squares", vsq(R9b))
print("R9b ranking by residual communality (method 5):", ranking(np.diag(R9b)))
print("R9b ranking by sum of squares (methods 6, 9):", ranking(sumsq(R9b)))
print("R9b ranking by variance of squares (methods 7, 8):", ranking(vsq(R9b)))

# Nearly uncorrelated variables: no pivot candidate has a PSQ of 0.4 with any other
# variable, in the first dimension or after it.
lower6 = [0.21, -0.05, 0.12, 0.02, 0.15, 0.08, -0.18, 0.11, 0.04, 0.25, 0.01, -0.09, 0.07, 0.19, -0.13]
R6 = from_lower(6, lower6, 1.0)
for dim in (1, 2):
    v = vsq(R6)
    cand = ranking(v)[:5]
    P = psq(R6)
    best = [max(P[c - 1][np.arange(6) != c - 1]) for c in cand]
    print(f"R6 dimension {dim}: candidates by variance of squares {cand},"
          f" largest PSQ with another variable {[round(float(b), 3) for b in best]}")
    p = cand[0] - 1
    a = R6[:, p] / np.sqrt(R6[p, p])
    R6 = R6 - np.outer(a, a)
R3 = from_lower(3, [0.21, -0.05, 0.08], 1.0)
for dim in (1, 2):
    v = vsq(R3)
    cand = ranking(v)
    P = psq(R3)
    print(f"R3 dimension {dim}: candidates by variance of squares {cand},"
          f" largest off-diagonal PSQ {round(float(np.max(P - np.diag(np.diag(P)))), 3)}")
    p = cand[0] - 1
    a = R3[:, p] / np.sqrt(R3[p, p])
    R3 = R3 - np.outer(a, a)
