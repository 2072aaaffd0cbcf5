"""Independent check of the scores, weights and correlations of the deck
tests/decks/facs_listing_complete: recomputes them in double precision from the raw data
(MTXIN1) and the loaded factor matrix, and compares them with the punched scores and the
unloaded WEIGH1 entries in expected/MONPUN.  Run from the repository root:
    /usr/bin/python3 tests/reference/facs_listing_complete.py
"""
import numpy as np

deck = "tests/decks/facs_listing_complete/"
rows = open(deck + "MTXIN1").read().splitlines()
X = np.array([[float(l[20 + 10 * j:30 + 10 * j]) for j in range(9)] for l in rows])
Z = (X - X.mean(0)) / X.std(0)          # standard scores, divisor N
R = np.corrcoef(X, rowvar=False)
monin = open(deck + "MONIN").read().splitlines()
pun = open(deck + "expected/MONPUN").read().splitlines()


def card(line, n):
    return [int(line[8 * i:8 * i + 8]) for i in range(n)]


def scores(first):                      # 40 subjects, 3 values with 4 decimals
    return np.array([card(l, 3) for l in pun[first:first + 40]]) / 1e4


def weigh1(first):                      # 3 cards of 9 values with 6 decimals
    return np.array([card(pun[first + k], 9) for k in range(3)]).T / 1e6


i = monin.index("UFACT1     1   1")
F = np.array([card(monin[i + 3 + k], 9) for k in range(3)]).T / 1e6

# Method 1: clusters {6, 4, 5}, {3, 1, -5}, {7, 8, 9}.
W = np.zeros((9, 3))
W[[3, 4, 5], 0] = 1
W[[0, 2], 1] = 1
W[4, 1] = -1
W[[6, 7, 8], 2] = 1
csd = np.sqrt(np.diag(W.T @ R @ W))
S1 = scores(2)
print("method 1 CSD", csd.round(3))
print("method 1 effective weights (rows = variables)\n", (W / csd).round(3))
print("method 1 max |FSCOR - numpy| =", abs(S1 - (50 + 10 * (Z @ W) / csd)).max())
print("method 1 max |WEIGH1 - numpy| =", abs(weigh1(45) - W / csd).max())
print("method 1 score correlations\n", np.corrcoef(S1, rowvar=False).round(3))

# Method 5: weights inv(R) F.
Wt = np.linalg.inv(R) @ F
csd5 = np.sqrt(np.diag(Wt.T @ R @ Wt))
S5 = scores(50)
print("method 5 regression weights\n", Wt.round(3))
print("method 5 CSD", csd5.round(3))
print("method 5 effective weights\n", (Wt / csd5).round(3))
print("method 5 max |FSCOR - numpy| =", abs(S5 - (50 + 10 * (Z @ Wt) / csd5)).max())
print("method 5 max |WEIGH1 - numpy| =", abs(weigh1(93) - Wt / csd5).max())
print("method 5 score correlations\n", np.corrcoef(S5, rowvar=False).round(3))
