#!/usr/bin/python3
"""Reference communality estimates for the DVP unit tests, computed independently in
double precision with numpy from the definitions of the methods (not from the program).

Run:  /usr/bin/python3 tests/reference/dvp_reference.py > tests/reference/dvp_reference_values.txt

The matrices are built from small factor models and rounded to three decimals; the values
printed here are copied into tests/unit/test_dvp_reference.cpp.
"""
import numpy as np

np.set_printoptions(precision=6, suppress=True)


def from_loadings(L):
    """Correlation matrix of a factor model, off-diagonal entries rounded to 3 decimals."""
    R = np.round(L @ L.T, 3)
    np.fill_diagonal(R, 1.0)
    assert np.all(np.linalg.eigvalsh(R) > 0), "not positive definite"
    return R


L6 = np.array([[.81, .12], [.72, .23], [.63, .31], [.18, .74], [.09, .61], [.34, .47]])
L12 = np.array([
    [.82, .11, .05], [.74, .21, .13], [.66, .02, .24], [.58, .33, .09],
    [.12, .79, .16], [.07, .68, .27], [.25, .61, .04], [.31, .52, .35],
    [.04, .14, .77], [.19, .09, .69], [.22, .28, .58], [.41, .17, .45],
])
R6 = from_loadings(L6)
R12 = from_loadings(L12)


def off(R):
    A = R.copy()
    np.fill_diagonal(A, 0.0)
    return A


def highest(R):
    return np.abs(off(R)).max(axis=0)


def mean_abs(R):
    n = R.shape[0]
    return np.abs(off(R)).sum(axis=0) / (n - 1)


def triads(R):
    n = R.shape[0]
    out = np.zeros(n)
    for i in range(n):
        pairs = [(abs(R[i, l] * R[i, k]), k, l) for k in range(n) for l in range(k) if i not in (k, l)]
        best = max(p for p, _, _ in pairs)
        ratios = [min(1.0, abs(best / R[k, l])) for p, k, l in pairs if p == best]
        out[i] = sum(ratios) / len(ratios)
    return out


def smc(R):
    return 1.0 - 1.0 / np.diag(np.linalg.inv(R))


def psq0(R):
    """Squared cosine of columns j and k over the rows other than j and k (zero diagonal)."""
    A = off(R)
    n = A.shape[0]
    P = np.ones((n, n))
    for j in range(n):
        for k in range(n):
            if j == k:
                continue
            rows = [l for l in range(n) if l not in (j, k)]
            c = A[rows, j] @ A[rows, k]
            P[j, k] = c * c / ((A[rows, j] @ A[rows, j]) * (A[rows, k] @ A[rows, k]))
    return P


def approx_b(R):
    P = psq0(R)
    A = np.abs(R)
    n = R.shape[0]
    out = np.zeros(n)
    for j in range(n):
        others = sorted((k for k in range(n) if k != j), key=lambda k: -P[j, k])
        h, m, l = others[:3]
        out[j] = (A[j, h] * A[j, l] + A[j, h] * A[j, m] + A[j, l] * A[j, m]) / (A[h, m] + A[h, l] + A[m, l])
    return out


def psq1(R):
    """Squared cosine of whole columns, the diagonal as it stands."""
    G = R.T @ R
    d = np.diag(G)
    return G * G / np.outer(d, d)


def proportional_fit(R, sweeps, nref=10):
    n = R.shape[0]
    k = nref if 3 <= nref <= 9 else 9
    m = min(k, (n - 1) // 2)
    h = highest(R)
    refs = None
    for _ in range(sweeps):
        W = R.copy()
        np.fill_diagonal(W, h)
        P = psq1(W)
        new = h.copy()
        refs = []
        for j in range(n):
            order = sorted(range(n), key=lambda i: -P[j, i])[: m + 1]
            refs.append(order)
            u = order[1:]
            rows = [i for i in range(n) if i != j]
            U = W[np.ix_(rows, u)]
            x = np.linalg.solve(U.T @ U, U.T @ W[rows, j])
            new[j] = x @ W[u, j]
        h = new
    return h, refs


def quadratic_formula(R, start, tol, maxit=40):
    n = R.shape[0]
    q = min(n // 2 - 1, 10)
    h = start.copy()
    W = R.copy()
    np.fill_diagonal(W, h)
    P = psq1(W)
    refs = [[j] + [i for i in sorted(range(n), key=lambda i: -P[j, i]) if i != j][:q] for j in range(n)]
    for sweep in range(1, maxit + 1):
        W = R.copy()
        np.fill_diagonal(W, h)
        w = 1.0 / np.sqrt(np.maximum(0.01, h))
        steps = np.zeros(n)
        for j in range(n):
            v = refs[j]
            A = np.outer(w[v], w[v]) * W[np.ix_(v, v)]
            A[0, :] /= w[j]
            A[:, 0] = A[0, :]
            A[0, 0] = 1.0
            c = np.linalg.inv(A)[0, 0]
            d = (1.0 - h[j]) - 1.0 / c
            steps[j] = d / (10.0 * abs(d) + 0.9)
            h[j] += steps[j]
        if np.all(np.abs(steps) <= tol):
            return h, sweep, refs
    return h, maxit, refs


def show(name, v):
    print(f"{name} = {{" + ", ".join(f"{x:.6f}f" for x in np.ravel(v)) + "}")


def show_matrix(name, R):
    n = R.shape[0]
    print(f"{name} lower triangle by columns:")
    for j in range(n - 1):
        print("  " + ", ".join(f"{R[i, j]:.3f}f" for i in range(j + 1, n)) + ",")


show_matrix("R6", R6)
show("R6 highest", highest(R6))
show("R6 mean", mean_abs(R6))
show("R6 triads", triads(R6))
show("R6 smc", smc(R6))
show("R6 approx_b (40)", approx_b(R6))
show("R6 modified approx_b (41)", (approx_b(R6) + highest(R6)) / 2)
print()
show_matrix("R12", R12)
show("R12 highest", highest(R12))
h1, refs1 = proportional_fit(R12, 1)
show("R12 pf one sweep", h1)
print("R12 pf one sweep references (1-based, first is the variable):")
for j, r in enumerate(refs1):
    print(f"  {j + 1}: " + " ".join(str(i + 1) for i in r))
h4, _ = proportional_fit(R12, 4)
show("R12 pf four sweeps", h4)
hq, sweeps, refsq = quadratic_formula(R12, highest(R12), tol=0.05)
show("R12 qf from highest r, tol 0.05", hq)
print(f"R12 qf sweeps to converge with tol 0.05 = {sweeps}")
# The iteration settles only loosely (steps of about 0.01 keep coming), so the reference
# for a fixed number of sweeps uses tol 0, which never converges.
hq5, sweeps5, _ = quadratic_formula(R12, highest(R12), tol=0.0, maxit=5)
show("R12 qf from highest r, 5 sweeps (tol 0)", hq5)
print("R12 qf references (1-based):")
for j, r in enumerate(refsq):
    print(f"  {j + 1}: " + " ".join(str(i + 1) for i in r))
