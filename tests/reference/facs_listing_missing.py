"""Independent check of the missing-data scoring deck tests/decks/facs_listing_missing:
rebuilds each composite from the raw data (MTXIN1, blank fields missing) with every missing
definer counted at the mean of the present ones, drops scores with fewer than 55% of the
definers present, restandardises over the scored subjects (divisor N) and compares with the
punched scores (2 decimals) in expected/MONPUN; prints the moments before restandardising,
the matched N's and the correlation of the two composites.  Run from the repository root:
    /usr/bin/python3 tests/reference/facs_listing_missing.py
"""
import numpy as np

deck = "tests/decks/facs_listing_missing/"
rows = open(deck + "MTXIN1").read().splitlines()


def value(line, j):
    field = line.ljust(110)[20 + 10 * j:30 + 10 * j]
    return np.nan if field.strip() == "" else float(field)


X = np.array([[value(l, j) for j in range(9)] for l in rows])
Z = (X - np.nanmean(X, 0)) / np.nanstd(X, 0)   # moments over the present values, divisor n
W = np.zeros((9, 2))
W[[0, 1, 2, 3], 0] = 1
W[[4, 5, 7, 8], 1] = 1
W[6, 1] = -1
n = len(X)
out = np.full((n, 2), -999.0)
ok = np.zeros((n, 2), bool)
count = np.zeros((n, 2), int)
for k in range(2):
    d = np.nonzero(W[:, k])[0]
    y = np.zeros(n)
    for i in range(n):
        z = Z[i, d] * W[d, k]
        present = ~np.isnan(z)
        p = present.sum()
        count[i, k] = p
        if p > 0 and p >= len(d) * 0.55:
            a = z[present].sum()
            y[i] = a / p * (len(d) - p) + a
            ok[i, k] = True
    s = y[ok[:, k]]
    print("composite", k + 1, "mean, sigma, N before restandardising:",
          round(s.mean(), 3), round(s.std(), 3), len(s))
    out[ok[:, k], k] = 50 + 10 * (s - s.mean()) / s.std()
pun = open(deck + "expected/MONPUN").read().splitlines()
punched = np.array([[int(l[8 * i:8 * i + 8]) for i in range(2)] for l in pun[2:]]) / 100
print("max |punched - numpy| =", abs(punched - out).max(), "(punch resolution 0.005)")
print("present-definer counts (first 10 subjects):", count[:10].tolist())
print("matched N's\n", ok.astype(int).T @ ok.astype(int))
both = ok.all(1)
r = ((out[both, 0] - 50) * (out[both, 1] - 50)).sum() / (
    both.sum() * out[both, 0].std() * out[both, 1].std())
print("correlation over matched subjects:", round(r, 3))
