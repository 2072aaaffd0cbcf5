#!/usr/bin/python3
"""Data and independent reference values for the scoring component's tests.

Writes the raw data files of the scoring decks and tests/unit/facs_reference_values.inc:
fixed-seed data sets, the factor matrices loaded in the tests, and what numpy computes
for them (weights of the regression and complete-estimation methods, scores, effective
weights, missing-data replica, sweep and complete-pivoting inverses)."""
import os
import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
rng = np.random.default_rng(20261210)


def f83(x):
    return "".join("%8.3f" % v for v in x)


def parsed(lines, nv, blanks=None):
    """The values as DAP reads them back from the F8.3 fields (float32), NaN where blank."""
    out = np.full((len(lines), nv), np.nan)
    for i, line in enumerate(lines):
        for j in range(nv):
            field = line[8 * j:8 * j + 8]
            if field.strip():
                out[i, j] = np.float32(float(field))
    return out


def standardise(x):
    m = np.nanmean(x, axis=0)
    s = np.sqrt(np.nanmean((x - m) ** 2, axis=0))
    return (x - m) / s, m, s


# ---- data set A: 6 variables, 200 subjects, two clusters -------------------------------
n = 200
g1 = rng.normal(size=n)
g2 = rng.normal(size=n)
A = np.empty((n, 6))
for j in range(3):
    A[:, j] = 5 + 2 * (0.8 * g1 + 0.6 * rng.normal(size=n))
for j in range(3, 5):
    A[:, j] = 5 + 2 * (0.7 * g2 + 0.7 * rng.normal(size=n))
A[:, 5] = 5 - 2 * (0.7 * g2 + 0.7 * rng.normal(size=n))
# Subject 7 sits exactly on the means (its score is SMEAN on every composite).
lines_a = [f83(row) + "  S%03d" % (i + 1) for i, row in enumerate(A)]
X = parsed(lines_a, 6)
# Make subject 7 the mean of the other 199 is impossible in 3 decimals; instead shift the
# data so that the column means are exactly representable: keep as is, and record subject 7.
Z, mean_a, sd_a = standardise(X)
R = np.corrcoef(X, rowvar=False)

w1 = np.array([[1, 1, 1, 0, 0, 0], [0, 0, 0, 1, 1, -1]], dtype=float)
csd1 = np.sqrt(np.einsum("ki,ij,kj->k", w1, R, w1))
weigh1 = (w1 / csd1[:, None]).T
fscor1 = 50 + 10 * (Z @ w1.T) / csd1

F = np.array([[0.745708, -0.115460], [0.731351, 0.003218], [0.682005, 0.112241],
              [0.406658, 0.533088], [0.276509, 0.517305], [0.484006, 0.312589]])
H = np.array([0.569411, 0.534885, 0.477728, 0.449554, 0.344062, 0.331974])
B = np.array([[1.0, 0.3], [0.3, 1.0]])
D = np.diag(1 / (1 - H))
I2 = np.eye(2)
wt2 = (np.linalg.inv(I2 + F.T @ D @ F) @ F.T @ D).T
wt3 = (B @ np.linalg.inv(I2 + F.T @ D @ F @ B) @ F.T @ D).T
f1 = F[:, :1]
d = 1 / (1 - H)
wt2_one = (f1[:, 0] * d) / (1 + np.sum(f1[:, 0] ** 2 * d))
wt5 = (F.T @ np.linalg.inv(R)).T
Wt = np.linalg.inv(R) @ F
fscor5 = 50 + 10 * (Z @ Wt) / np.sqrt(np.diag(Wt.T @ R @ Wt))

# ---- data set B: variable 6 repeats variable 5 ----------------------------------------
XB = X.copy()
XB[:, 5] = XB[:, 4]
RB = np.corrcoef(XB, rowvar=False)
last_pivot = np.linalg.det(RB) / np.linalg.det(RB[:5, :5])
assert abs(last_pivot) <= 1e-5, last_pivot
lines_b = [f83(row) + "  S%03d" % (i + 1) for i, row in enumerate(XB)]

# ---- data set M: 7 variables with blanks; clusters {1,2,3,4} and {5,-6,7} --------------
M = np.empty((n, 7))
for j in range(4):
    M[:, j] = 5 + 2 * (0.8 * g1 + 0.6 * rng.normal(size=n))
M[:, 4] = 5 + 2 * (0.7 * g2 + 0.7 * rng.normal(size=n))
M[:, 5] = 5 - 2 * (0.7 * g2 + 0.7 * rng.normal(size=n))
M[:, 6] = 5 + 2 * (0.7 * g2 + 0.7 * rng.normal(size=n))
hole = rng.random(size=(n, 7)) < 0.12
hole[4, :] = False
hole[4, 0] = hole[4, 1] = True      # subject 5: 2 of its 4 definers present
lines_m = []
for i in range(n):
    fields = ["%8.3f" % M[i, j] if not hole[i, j] else " " * 8 for j in range(7)]
    lines_m.append("".join(fields) + "  S%03d" % (i + 1))
XM = parsed(lines_m, 7)
ZM, mean_m, sd_m = standardise(XM)
clusters = [([0, 1, 2, 3], [1, 1, 1, 1]), ([4, 5, 6], [1, -1, 1])]
pmin = 0.55
scores_m = np.full((n, 2), -999.0)
ok = np.zeros((n, 2), dtype=int)
counts_m = np.zeros((n, 2), dtype=int)
for k, (vars_, signs) in enumerate(clusters):
    y = np.zeros(n)
    for i in range(n):
        zs = [s * ZM[i, j] for j, s in zip(vars_, signs) if not np.isnan(ZM[i, j])]
        p = len(zs)
        counts_m[i, k] = p
        if p > 0 and p >= len(vars_) * pmin:
            a = sum(zs)
            y[i] = a + (a / p) * (len(vars_) - p)
            ok[i, k] = 1
    yy = y[ok[:, k] == 1]
    zmean = yy.mean()
    zsd = np.sqrt(((yy - zmean) ** 2).mean())
    scores_m[ok[:, k] == 1, k] = 50 + 10 * (yy - zmean) / zsd
matched = ok.T @ ok

# ---- SWEEP and PIVINV cases -----------------------------------------------------------
def random_corr(order, seed):
    g = np.random.default_rng(seed)
    while True:
        x = g.normal(size=(4 * order, order))
        c = np.corrcoef(x, rowvar=False).astype(np.float32).astype(float)
        if np.linalg.cond(c) < 100:
            return c


C50 = random_corr(50, 7)
C50_inv = np.linalg.inv(C50)
C50_piv = np.diag(np.linalg.cholesky(C50)) ** 2
g = np.random.default_rng(11)
while True:
    P10 = g.normal(size=(10, 10)).astype(np.float32).astype(float)
    if np.linalg.cond(P10) < 100:
        break
P10_inv = np.linalg.inv(P10)


def arr(name, values, fmt="%.9g"):
    flat = np.asarray(values, dtype=float).ravel(order="F")
    body = ", ".join(fmt % v for v in flat)
    return "inline constexpr double %s[] = {%s};\n" % (name, body)


def text(name, rows):
    body = ",\n".join('    "%s"' % r for r in rows)
    return "inline const char* const %s[] = {\n%s};\n" % (name, body)


with open(os.path.join(ROOT, "tests", "unit", "facs_reference_values.inc"), "w") as out:
    out.write("// Written by tests/reference/facs_reference.py; do not edit.\n")
    out.write("// Matrices column by column.\n")
    out.write(text("kDataA", lines_a))
    out.write(text("kDataB", lines_b))
    out.write(text("kDataM", lines_m))
    out.write(arr("kF", F))
    out.write(arr("kH", H))
    out.write(arr("kBasis", B))
    out.write(arr("kWeigh1", weigh1))
    out.write(arr("kCsd1", csd1))
    out.write(arr("kFscor1", fscor1))
    out.write(arr("kScoreCorr1", np.corrcoef(fscor1, rowvar=False)))
    out.write(arr("kWt2", wt2))
    out.write(arr("kWt3", wt3))
    out.write(arr("kWt2One", wt2_one))
    out.write(arr("kWt5", wt5))
    out.write(arr("kFscor5", fscor5))
    out.write(arr("kScoresM", scores_m))
    out.write(arr("kCountsM", counts_m))
    out.write(arr("kMatchedM", matched))
    out.write(arr("kC50", C50))
    out.write(arr("kC50Inv", C50_inv))
    out.write(arr("kC50Piv", C50_piv))
    out.write(arr("kP10", P10))
    out.write(arr("kP10Inv", P10_inv))

print("last sweep pivot of data set B:", last_pivot)
print("subject 5 counts:", counts_m[4], "scored:", ok[4])
print("matched N:", matched.tolist())
print("csd1:", csd1)
