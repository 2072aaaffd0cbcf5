#!/usr/bin/python3
"""Independent replica of the spherical analysis' sphere turn for the eight-by-four test
matrix of tests/unit/test_span2_fixture.hpp, set (1, 2, 3), CLOPR 0.8, rigid option 0.

B = unit rows; reflect = sign of the coordinate sum within the set (+1 for 0);
S = sum of reflect * b over rows whose sum of squares in the set exceeds CLOPR; g = S/|S|;
M rows (g1, g2, g3), (-g2, v, u), (-g3, u, t); turned coordinates B @ M.T; screen column
trunc((x + 1.03) * 50) and row 62 - trunc((y + 1.05) * 30) of the reflected x, y.
Writes span2_sphere.inc: per variable z, x, y, share, plotted, column, row, depth; then the
axis positions (Z, X, Y).
"""
import math
import numpy as np

U = np.array([[0.80, 0.10, 0.10, 0.05], [0.70, 0.20, 0.10, 0.10],
              [0.10, 0.80, 0.10, 0.20], [0.20, 0.70, 0.20, 0.10],
              [0.10, 0.10, 0.90, 0.10], [0.05, 0.10, 0.80, 0.20],
              [0.60, 0.50, 0.10, 0.30], [0.30, 0.30, 0.30, 0.70]])
B = U / np.linalg.norm(U, axis=1, keepdims=True)
Bs = B[:, [0, 1, 2]]
clopr = 0.8
refl = np.where(Bs.sum(axis=1) < 0, -1.0, 1.0)
ss = (Bs ** 2).sum(axis=1)
S = (refl[:, None] * Bs)[ss > clopr].sum(axis=0)
g = S / np.linalg.norm(S)
h = 1 + g[0]
u, v, t = -g[1] * g[2] / h, 1 - g[1] ** 2 / h, 1 - g[2] ** 2 / h
M = np.array([[g[0], g[1], g[2]], [-g[1], v, u], [-g[2], u, t]])
R = Bs @ M.T


def col(x):
    return math.trunc((x + 1.03) * 50)


def row(y):
    return 62 - math.trunc((y + 1.05) * 30)


with open("span2_sphere.inc", "w") as f:
    for i in range(len(U)):
        z, x, y = R[i]
        share = ss[i]
        plotted = share >= clopr
        r = refl[i]
        f.write(f"{{{z:.6f}, {x:.6f}, {y:.6f}, {share:.6f}, {int(plotted)}, "
                f"{col(r * x)}, {row(r * y)}, {math.trunc(z * 100 * r)}}},\n")
    axes = M @ np.eye(3)  # turned axis ends: columns are the turned z, x, y axes
    for a in range(3):
        f.write(f"{{0, {axes[1, a]:.6f}, {axes[2, a]:.6f}, 0, 0, {col(axes[1, a])}, "
                f"{row(axes[2, a])}, 0}},\n")
print(open("span2_sphere.inc").read())

# The whole picture of the set: centre dot, the 28 outline asterisks, the quarter circles
# (points 2-27 but the axis ends, angles stepped by 0.17453 rad in single precision), the
# axis letters, then the plotted points in row, column, variable order as "+".
grid = [[" "] * 101 for _ in range(61)]


def put(c, r, ch):
    grid[r - 1][c - 1] = ch


put(51, 31, ".")
outline = [(51, 1), (38, 2), (29, 4), (21, 7), (11, 13), (5, 19), (2, 25), (1, 31)]
for p, (c, r) in enumerate(outline):
    put(c, r, "*")
    if p >= 1:
        put(102 - c, r, "*")
    if p <= 6:
        put(c, 62 - r, "*")
    if 1 <= p <= 6:
        put(102 - c, 62 - r, "*")
circle = []
theta = np.float32(0.0)
for m in range(9):
    co, si = math.cos(theta), math.sin(theta)
    circle.append((m, (co, si, 0.0)))
    circle.append((m + 9, (0.0, co, si)))
    circle.append((m + 18, (si, 0.0, co)))
    theta = np.float32(theta + np.float32(0.17453))
turned = {}
for idx, p in circle:
    q = M @ np.array(p)
    turned[idx] = (col(q[1]), row(q[2]))
for idx in range(1, 27):
    if idx in (9, 18):
        continue
    put(*turned[idx], ".")
for idx, letter in ((0, "Z"), (9, "X"), (18, "Y")):
    put(*turned[idx], letter)
pts = sorted((row(refl[i] * R[i, 2]), col(refl[i] * R[i, 1]), i) for i in range(len(U))
             if ss[i] >= clopr)
for r, c, i in pts:
    put(c, r, "+")
with open("span2_sphere_picture.inc", "w") as f:
    for line in grid:
        f.write('"' + "".join(line) + '",\n')
