#!/usr/bin/python3
"""Reference inputs and values of the comparison deck tests: two groups of 20 variables
with 3 and 4 factors (fixed seed), the comparison decks punched from them as the deck
layout describes (coefficients x 10000 rounded half away from zero, I8, 9 a card, labels),
and the cosine index, signed PSQ and correlation among the 7 dimensions computed with numpy
from the coefficients as read back (punched value / 10000).
The same indices over the key-cluster variables (every definer of some dimension) and by
the pairwise rule (each pair over the union of its two definer lists, j's first) go to
comp_reference_values.inc for the unit tests, with the punched integers of both groups.
Run: /usr/bin/python3 comp_decks.py  (writes comp_decks.out and comp_reference_values.inc)."""
import numpy as np

rng = np.random.default_rng(28)
NV = 20


def group(nf):
    # 5 decimals, never ending in 5, so that x 10000 never lies on a rounding tie.
    a = np.round(rng.uniform(-0.9, 0.9, size=(NV, nf)), 5)
    tie = np.abs(np.round(a * 1e5)) % 10 == 5
    return np.round(a + tie * 1e-5, 5)


g1 = group(3)
g1[0, 0] = 0.75316
g1[1, 0] = -0.00004
g1[2, 0] = -0.00006
g2 = group(4)
names = ["V%03d" % (i + 1) if i % 4 else "ITEM%d" % (i + 1) for i in range(NV)]
defs1 = [[1, -4, 7], [2, 3], [5, 6, 20, 19]]
defs2 = [[1, 4], [2, 3, 8], [9, -10], [11, 12, 13]]


def punched(x):
    t = x * 10000.0
    return int(np.trunc(t + 0.5 if x >= 0 else t - 0.5))


def cards(values, width, per, code, item, fmt):
    out = []
    for c, s in enumerate(range(0, len(values), per)):
        chunk = values[s:s + per]
        body = "".join(fmt(v) for v in chunk)
        out.append(body.ljust(72) + "%02d%04d%02d" % (code, item % 10000, c % 100))
    return out


def deck(title, a, defs):
    nv, nf = a.shape
    out = ["DATA FILE PREPARED BY COMP1 FOR COMP2"]
    out.append(title.ljust(72)[:72] + "24IDFILE")
    out.append("%4d%4d%4d" % (nv, nf, 0) + " " * 60 + "PARAMTRS")
    for j in range(nf):
        out += cards([punched(v) for v in a[:, j]], 8, 9, 8, j + 1, lambda v: "%8d" % v)
    out += cards(names, 20, 3, 17, 0, lambda v: v.ljust(20))
    out += cards([len(d) for d in defs], 4, 18, 9, 0, lambda v: "%4d" % v)
    for j, d in enumerate(defs):
        out += cards([abs(v) for v in d], 4, 18, 9, j + 1, lambda v: "%4d" % v)
    return out


def gist_load(title, a, defs):
    """The GIST cards that load IDFILE, RFACT1, VNAMS1 and REFLX1 of one group."""
    nv, nf = a.shape
    out = ["*GIST", "IDFILE     1", title, "RFACT1     1", "%4d%4d" % (nv, nf)]
    for j in range(nf):
        col = ["%8.5f" % v for v in a[:, j]]
        out += ["".join(col[s:s + 9]) for s in range(0, nv, 9)]
    out += ["VNAMS1     1", "%4d" % nv]
    out += ["".join(n.ljust(20) for n in names[s:s + 3]) for s in range(0, nv, 3)]
    out += ["REFLX1     1", "%4d" % nf, "".join("%4d" % len(d) for d in defs)]
    out += ["".join("%4d" % v for v in d) for d in defs]
    out += [""]
    return out


def read_back(a):
    return np.array([[punched(v) for v in col] for col in a.T], dtype=np.float64).T / 10000.0


def main():
    with open("comp_decks.out", "w") as f:
        for name, a in (("g1", g1), ("g2", g2)):
            f.write("# %s coefficients (columns), as loaded by GIST with (9F8.5)\n" % name)
            for j in range(a.shape[1]):
                f.write(" ".join("%.5f" % v for v in a[:, j]) + "\n")
        for name, t, a, d in (("g1", "GROUP ONE OF THE COMPARISON", g1, defs1),
                              ("g2", "GROUP TWO OF THE COMPARISON", g2, defs2)):
            f.write("# %s deck\n" % name)
            f.write("\n".join(deck(t, a, d)) + "\n")
        for name, t, a, d in (("g1", "GROUP ONE OF THE COMPARISON", g1, defs1),
                              ("g2", "GROUP TWO OF THE COMPARISON", g2, defs2)):
            f.write("# %s GIST load cards\n" % name)
            f.write("\n".join(gist_load(t, a, d)) + "\n")
        m = np.hstack([read_back(g1), read_back(g2)])
        P = m.T @ m
        A = np.diag(P)
        phi = P / np.sqrt(np.outer(A, A))
        with np.errstate(divide="ignore", invalid="ignore"):
            cos = np.where(P == 0, 0.0, (1 - np.sqrt(np.clip(1 - phi ** 2, 0, None))) / phi)
        psq = np.sign(phi) * phi ** 2
        cor = np.corrcoef(m.T)
        for label, s in (("cosine", cos), ("psq", psq), ("correlation", cor)):
            f.write("# %s index among G01D01..G02D04\n" % label)
            for row in s:
                f.write(" ".join("%.7f" % v for v in row) + "\n")
        f.write("# pairwise correlation of G02D01, G01D01, G01D03 (lower triangle by rows)\n")
        defs = [[abs(v) for v in d] for d in defs1 + defs2]
        sel = [3, 0, 2]
        for r in range(1, 3):
            row = []
            for k in range(r):
                a, b = sel[k], sel[r]
                u = defs[a] + [v for v in defs[b] if v not in defs[a]]
                row.append(indices(m[[x - 1 for x in u], a], m[[x - 1 for x in u], b])[2])
            f.write(" ".join("%.7f" % v for v in row) + "\n")
    write_inc(m)


def indices(x, y):
    """Cosine index, signed PSQ and correlation of two coefficient vectors."""
    p, a, b = x @ y, x @ x, y @ y
    cos = 0.0 if p == 0 else p / np.sqrt(a * b) / (1 + np.sqrt(max(0.0, 1 - p * p / (a * b))))
    psq = np.sign(p) * p * p / (a * b)
    cor = np.corrcoef(x, y)[0, 1]
    return cos, psq, cor


def write_inc(m):
    defs = [[abs(v) for v in d] for d in defs1 + defs2]
    keyed = sorted(set(v for d in defs for v in d))
    nd = m.shape[1]
    key = np.zeros((3, nd, nd))
    pair = np.zeros((3, nd, nd))
    for j in range(nd):
        for k in range(nd):
            key[:, j, k] = indices(m[[i - 1 for i in keyed], j], m[[i - 1 for i in keyed], k])
            lo, hi = min(j, k), max(j, k)
            u = defs[lo] + [v for v in defs[hi] if v not in defs[lo]]
            pair[:, j, k] = indices(m[[i - 1 for i in u], j], m[[i - 1 for i in u], k])

    def arr(name, values, fmt):
        return "inline constexpr %s %s[] = {%s};\n" % (
            "int" if fmt == "%d" else "double", name, ", ".join(fmt % v for v in values))

    with open("comp_reference_values.inc", "w") as f:
        f.write("// Written by tests/reference/comp_decks.py; do not edit.\n#pragma once\n")
        f.write("namespace comp_reference {\n")
        f.write("inline constexpr int nv = %d;\ninline constexpr int nd = %d;\n" % (NV, nd))
        f.write(arr("punched1", [punched(v) for v in g1.T.ravel()], "%d"))
        f.write(arr("punched2", [punched(v) for v in g2.T.ravel()], "%d"))
        f.write(arr("keyed", keyed, "%d"))
        for r, name in enumerate(("cosine", "psq", "correlation")):
            p = m.T @ m
            full = [indices(m[:, j], m[:, k])[r] for j in range(nd) for k in range(nd)]
            f.write(arr("all_" + name, full, "%.9f"))
            f.write(arr("key_" + name, key[r].ravel(), "%.9f"))
            f.write(arr("pair_" + name, pair[r].ravel(), "%.9f"))
        f.write("}  // namespace comp_reference\n")


if __name__ == "__main__":
    main()
