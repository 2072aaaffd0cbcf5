#!/usr/bin/python3
"""Independent reference for the scatterplot deck tests/decks/rscat_scores.

  rscat_scores.py deck DIR     writes DIR/MONIN: a *GIST load of FSCOR1 (3 composites,
                               200 subjects, fixed seed) and a *RSCAT control card blank but
                               for NSIN 200 in columns 25-28.
  rscat_scores.py values       prints the reference values (rscat_scores.txt holds them).
  rscat_scores.py check MONOUT compares a listing with the reference values and exits 1 on
                               any difference beyond the tolerances.

The values are computed with numpy in double precision from the single-precision scores the
deck carries: means and std(ddof=0), np.corrcoef, np.polyfit, and a plain replica of the
slice statistics (slice = min(S, floor(max(1, S*(x - L)/(U - L) + 1))),
eta^2 = 1 - SS_within / (N * sd^2)) and of the percentile ranks under the grid.
"""
import sys

import numpy as np

N_SUBJECTS = 200
SLICES = 12


def scores():
    rng = np.random.default_rng(25)
    z = rng.standard_normal((N_SUBJECTS, 3))
    c1 = 50.0 + 10.0 * z[:, 0]
    c2 = 50.0 + 10.0 * (0.6 * z[:, 0] + 0.8 * z[:, 1])
    # a curved relation, so that eta and r differ
    c3 = 100.0 + 8.0 * (z[:, 0] ** 2) + 5.0 * z[:, 2]
    text = [["%8.3f" % v for v in row] for row in np.column_stack([c1, c2, c3])]
    values = np.array([[float(np.float32(t)) for t in row] for row in text])
    return text, values


def write_deck(folder):
    text, _ = scores()
    lines = ["*GIST", "FSCOR1     1", "   3 200"]
    lines += ["".join(row) for row in text]
    lines += ["", "*RSCAT", " " * 24 + " 200", "*END"]
    with open(folder + "/MONIN", "w") as f:
        f.write("\n".join(lines) + "\n")


def pair_values(x, y, slices=SLICES):
    n = len(x)
    mx, my = x.mean(), y.mean()
    sx, sy = x.std(ddof=0), y.std(ddof=0)
    r = np.corrcoef(x, y)[0, 1]
    out = {"r": r}
    for name, p, q, sp, sq, mp in (("yx", x, y, sx, sy, mx), ("xy", y, x, sy, sx, my)):
        lo, hi = mp - 2.55 * sp, mp + 2.55 * sp
        k = np.minimum(slices, np.floor(np.maximum(1, slices * (p - lo) / (hi - lo) + 1))).astype(int)
        within = sum(((q[k == s] - q[k == s].mean()) ** 2).sum() for s in range(1, slices + 1) if (k == s).any())
        ratio = within / (n * sq * sq)
        out["eta_" + name] = np.sqrt(1 - ratio)
        out["ueta_" + name] = np.sqrt(max(0.0, 1 - (n - 1) / (n - slices) * ratio))
        b, a = np.polyfit(p, q, 1)
        out["A_" + name], out["B_" + name] = a, b
        out["se_" + name] = sq * np.sqrt(1 - r * r)
    # lower edges of the slices: LOWER + k * SD * 5.1 / S, k = S - 1 .. 1 as the table lists them
    out["bounds_x"] = [mx - 2.55 * sx + k * sx * 5.1 / slices for k in range(slices - 1, 0, -1)]
    out["bounds_y"] = [my - 2.55 * sy + k * sy * 5.1 / slices for k in range(slices - 1, 0, -1)]
    # percentile ranks of the 51 x 51 grid
    cx = np.floor(np.minimum(50, np.maximum(0, (x - (mx - 2.55 * sx)) / (0.1 * sx)))).astype(int)
    cy = np.floor(np.minimum(50, np.maximum(0, (y - (my - 2.55 * sy)) / (0.1 * sy)))).astype(int)
    colcount = np.bincount(cx, minlength=51)
    out["col_ranks"] = np.floor(100 * np.cumsum(colcount)[0::2] / n + 0.50001).astype(int)
    rowcount = np.bincount(50 - cy, minlength=51)  # index 0 = row 1 (top)
    from_bottom = np.cumsum(rowcount[::-1])[::-1]  # rows r..51
    out["row_ranks"] = np.floor(100 * from_bottom[0::2] / n + 0.5001).astype(int)
    return out


def reference():
    _, v = scores()
    ref = {"means": v.mean(axis=0), "sds": v.std(axis=0, ddof=0), "pairs": []}
    for i, j in ((0, 1), (0, 2), (1, 2)):
        ref["pairs"].append(pair_values(v[:, i], v[:, j]))
    return ref


def print_values():
    ref = reference()
    for j in range(3):
        print("C%d mean %.4f sd %.4f" % (j + 1, ref["means"][j], ref["sds"][j]))
    for (i, j), p in zip(((1, 2), (1, 3), (2, 3)), ref["pairs"]):
        print("pair (%d,%d) r %.5f eta_yx %.5f ueta_yx %.5f eta_xy %.5f ueta_xy %.5f" %
              (i, j, p["r"], p["eta_yx"], p["ueta_yx"], p["eta_xy"], p["ueta_xy"]))
        print("   A_yx %.4f B_yx %.4f A_xy %.4f B_xy %.4f se_yx %.4f se_xy %.4f" %
              (p["A_yx"], p["B_yx"], p["A_xy"], p["B_xy"], p["se_yx"], p["se_xy"]))
        print("   col ranks", " ".join(str(k) for k in p["col_ranks"]))
        print("   row ranks", " ".join(str(k) for k in p["row_ranks"]))


def numbers_after(line, key, count):
    return [float(t) for t in line.split(key, 1)[1].replace("B=", " ").split()[:count]]


def check(path, ref=None, slices=SLICES, sd_tol=0.001):
    ref = ref or reference()
    lines = open(path).read().split("\n")
    bad = []

    def near(what, got, want, tol):
        if abs(got - want) > tol:
            bad.append("%s: listing %r, numpy %r" % (what, got, want))

    stats = [l for l in lines if "MEAN =" in l and "STAN.DEV.=" in l]
    nvar = len(ref["means"])
    if len(stats) < nvar:
        bad.append("%d statistics lines" % len(stats))
    for j, l in enumerate(stats[:nvar]):
        mean = float(l.split("MEAN =")[1].split()[0])
        sd = float(l.split("STAN.DEV.=")[1].split()[0])
        near("mean C%d" % (j + 1), mean, ref["means"][j], 0.001)
        near("sd C%d" % (j + 1), sd, ref["sds"][j], sd_tol)
    heads = [i for i, l in enumerate(lines) if "strips used for eta computations" in l]
    if len(heads) != len(ref["pairs"]):
        bad.append("%d slice tables" % len(heads))
    for k, (h, p) in enumerate(zip(heads, ref["pairs"])):
        if "(%2d strips used for eta computations)" % slices not in lines[h]:
            bad.append("pair %d: strips line %r" % (k + 1, lines[h]))
        yx = lines[h + 1]
        xy = lines[h + 2]
        near("eta_yx %d" % k, float(yx.split("eta(yx)=")[1].split()[0]), p["eta_yx"], 1e-4)
        near("ueta_yx %d" % k, float(yx.split("ETA(YX)=")[1].split()[0]), p["ueta_yx"], 1e-4)
        near("eta_xy %d" % k, float(xy.split("eta(xy)=")[1].split()[0]), p["eta_xy"], 1e-4)
        near("ueta_xy %d" % k, float(xy.split("ETA(XY)=")[1].split()[0]), p["ueta_xy"], 1e-4)
        r_line = next(l for l in lines[h:] if "PRODUCT MOMENT CORRELATION =" in l)
        near("r %d" % k, float(r_line.split("=")[1]), p["r"], 1e-4)
        se = next(l for l in lines[h:] if "SE YX  LINEAR =" in l)
        near("se_yx %d" % k, float(se.split("SE YX  LINEAR =")[1].split()[0]), p["se_yx"], 0.01)
        near("se_xy %d" % k, float(se.split("SE XY  LINEAR =")[1].split()[0]), p["se_xy"], 0.01)
        ab = next(l for l in lines[h:] if "IN LINEAR PREDICTED Y,  A=" in l)
        a_yx, b_yx = numbers_after(ab.split("IN LINEAR PREDICTED X")[0], "A=", 2)
        a_xy, b_xy = numbers_after(ab.split("IN LINEAR PREDICTED X")[1], "A=", 2)
        near("A_yx %d" % k, a_yx, p["A_yx"], 0.01)
        near("B_yx %d" % k, b_yx, p["B_yx"], 0.01)
        near("A_xy %d" % k, a_xy, p["A_xy"], 0.01)
        near("B_xy %d" % k, b_xy, p["B_xy"], 0.01)
        top = next(i for i in range(h, len(lines)) if lines[i].startswith(" Marginal"))
        bound_lines = [l for l in lines[h:top] if l.startswith(" -----|")]
        if len(bound_lines) != slices - 1:
            bad.append("pair %d: %d bound records" % (k + 1, len(bound_lines)))
        for l, bx, by in zip(bound_lines, p["bounds_x"], p["bounds_y"]):
            near("bound x %d" % k, float(l[7:16]), bx, 0.01)
            near("bound y %d" % k, float(l[63:72]), by, 0.01)
        grid = lines[top + 2: top + 53]
        rows = [int(grid[2 * m][:4]) for m in range(26)]
        if rows != list(p["row_ranks"]):
            bad.append("pair %d row ranks %s, numpy %s" % (k + 1, rows, list(p["row_ranks"])))
        cols = [int(t) for t in lines[top + 54].split()]
        if cols != list(p["col_ranks"]):
            bad.append("pair %d column ranks %s, numpy %s" % (k + 1, cols, list(p["col_ranks"])))
    for b in bad:
        print("FAIL", b)
    print("OK" if not bad else "%d differences" % len(bad))
    return 1 if bad else 0


if __name__ == "__main__":
    if sys.argv[1] == "deck":
        write_deck(sys.argv[2])
    elif sys.argv[1] == "values":
        print_values()
    else:
        sys.exit(check(sys.argv[2]))
