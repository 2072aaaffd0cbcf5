#!/usr/bin/python3
"""Reference values of the cluster structure component, computed independently with numpy
(double precision) from the formulas of the oblique cluster domains and the expanded
cluster structure. Writes csa2_reference_values.inc for the unit tests and prints the
values the deck tests check.

Fixture: 10 variables, observed correlations R (4 decimals) with the communalities H in the
diagonal; clusters {1, 2, -3}, {4, 5}, {7}; variable 8 has communality exactly 0.5.
With the limit 0.5: variables 7 and 8 are excluded, definer 5 of cluster 2 joins cluster 3."""
import numpy as np

R = np.array([
    [1.0000, 0.6110, -0.5480, 0.2350, 0.1460, 0.3320, 0.1200, 0.2900, 0.5200, 0.4400],
    [0.6110, 1.0000, -0.5250, 0.3000, 0.2050, 0.3530, 0.0800, 0.3100, 0.4800, 0.4100],
    [-0.5480, -0.5250, 1.0000, -0.3430, -0.2460, -0.3600, -0.1000, -0.2700, -0.4500, -0.4700],
    [0.2350, 0.3000, -0.3430, 1.0000, 0.4680, 0.4090, 0.2500, 0.2000, 0.2100, 0.1900],
    [0.1460, 0.2050, -0.2460, 0.4680, 1.0000, 0.3170, 0.4500, 0.1500, 0.1700, 0.1600],
    [0.3320, 0.3530, -0.3600, 0.4090, 0.3170, 1.0000, 0.2200, 0.4100, 0.3000, 0.2800],
    [0.1200, 0.0800, -0.1000, 0.2500, 0.4500, 0.2200, 1.0000, 0.1800, 0.1100, 0.0900],
    [0.2900, 0.3100, -0.2700, 0.2000, 0.1500, 0.4100, 0.1800, 1.0000, 0.2500, 0.2600],
    [0.5200, 0.4800, -0.4500, 0.2100, 0.1700, 0.3000, 0.1100, 0.2500, 1.0000, 0.3900],
    [0.4400, 0.4100, -0.4700, 0.1900, 0.1600, 0.2800, 0.0900, 0.2600, 0.3900, 1.0000],
])
H = np.array([0.7000, 0.6500, 0.6000, 0.6200, 0.5500, 0.5200, 0.3000, 0.5000, 0.5800, 0.5300])
CLUSTERS = [[1, 2, -3], [4, 5], [7]]
NV, NCL = 10, 3


def domains(A, clusters):
    h = np.diag(A).copy()
    W = np.zeros((A.shape[0], len(clusters)))
    for c, lst in enumerate(clusters):
        for v in lst:
            W[abs(v) - 1, c] = np.sign(v)
    S = W.T @ A @ W
    d = np.sqrt(np.diag(S))
    RDOM = S / np.outer(d, d)
    RVD = A @ W / d
    valid = np.array([np.sqrt(S[c, c] / (S[c, c] + sum(1 - h[abs(v) - 1] for v in lst)))
                      for c, lst in enumerate(clusters)])
    RSS = np.outer(valid, valid) * RDOM
    gA = h.sum()
    gB = np.mean(A ** 2)
    s = (RVD ** 2).sum(axis=0)
    C = s ** 2 / A.shape[0] ** 2
    D = C / gB
    return dict(S=S, RDOM=RDOM, RVD=RVD, valid=valid, RSS=RSS, gA=gA, gB=gB, rms=np.sqrt(gB),
                C=C, D=D, E=np.sqrt(D), F=s / gA)


def expanded(A, clusters, RVD, hlimit):
    h = np.diag(A)
    nv = A.shape[0]
    assign = np.argmax(np.abs(RVD), axis=1)  # ties go to the lower cluster
    out = []
    for c, lst in enumerate(clusters):
        d = [abs(v) - 1 for v in lst]
        members = [v for v in range(nv) if h[v] > hlimit and assign[v] == c]
        members += [v for v in d if v not in members]
        order = sorted(members, key=lambda v: -abs(RVD[v, c]))  # no ties in the fixture
        sg = np.where(RVD[:, c] >= 0, 1.0, -1.0)
        n = len(d)
        sdom = sum(abs(RVD[v, c]) for v in d)
        s2 = sum(A[v, v] for v in d)
        p = sum(sg[d[j]] * sg[d[k]] * A[d[j], d[k]] for j in range(n) for k in range(j + 1, n))
        arel = (2 * p + s2) / (2 * p + n)
        brel = {}
        for v in order:
            if v in d:
                continue
            y = abs(RVD[v, c])
            q = 2 * y * sdom + sdom ** 2
            brel[v] = (q + A[v, v]) / ((n - s2) + 1 + q)
        adds = sorted(brel, key=lambda v: -brel[v])
        num, den, cur, crel, ordadd = 2 * p + s2, 2 * p + n, list(d), {}, {}
        for t, v in enumerate(adds, 1):
            ordadd[v] = t
            r = sum(sg[u] * sg[v] * A[v, u] for u in cur)
            cur.append(v)
            num += A[v, v] + 2 * r
            den += 1 + 2 * r
            crel[v] = num / den
        lbfc = np.sqrt(sdom ** 2 * (1 - arel) ** 2 + arel) - (1 - arel) * sdom
        avgr = {v: sdom / n * abs(RVD[v, c]) for v in order}
        out.append(dict(order=[v + 1 for v in order], arel=arel, lbfc=lbfc,
                        brel={v + 1: b for v, b in brel.items()},
                        crel={v + 1: x for v, x in crel.items()},
                        ordadd={v + 1: t for v, t in ordadd.items()},
                        avgr={v + 1: x for v, x in avgr.items()}))
    excluded = [v + 1 for v in range(nv) if h[v] <= hlimit]
    return out, excluded, [int(x) + 1 for x in assign]


def cvec(name, v):
    return "inline const std::vector<double> %s = {%s};\n" % (
        name, ", ".join("%.9g" % x for x in np.ravel(v, order="F")))


def main():
    A = R.copy()
    np.fill_diagonal(A, H)
    dom = domains(A, CLUSTERS)
    exp, excluded, assign = expanded(A, CLUSTERS, dom["RVD"], 0.5)
    # KBASIS 1: UFACT1 = the first three principal axes of A scaled (any 10 x 4 works; the
    # fourth column must be ignored).
    F = np.array([[0.70, 0.10, -0.20, 0.9], [0.65, 0.20, 0.10, 0.9], [-0.60, -0.15, 0.05, 0.9],
                  [0.30, 0.60, 0.10, 0.9], [0.20, 0.55, 0.20, 0.9], [0.40, 0.35, 0.05, 0.9],
                  [0.10, 0.30, 0.45, 0.9], [0.35, 0.20, 0.30, 0.9], [0.55, 0.15, 0.10, 0.9],
                  [0.50, 0.10, 0.15, 0.9]])
    Ar = F[:, :3] @ F[:, :3].T
    domr = domains(Ar, CLUSTERS)
    with open("csa2_reference_values.inc", "w") as f:
        f.write("// Written by tests/reference/csa2_reference.py; do not edit.\n")
        f.write(cvec("ref_R", R) + cvec("ref_H", H) + cvec("ref_F", F))
        for key in ("RDOM", "RVD", "valid", "RSS"):
            f.write(cvec("ref_" + key, dom[key]))
        for key in ("C", "D", "E", "F"):
            f.write(cvec("ref_g" + key, dom[key]))
        f.write("inline const double ref_gA = %.9g, ref_gB = %.9g, ref_rms = %.9g;\n"
                % (dom["gA"], dom["gB"], dom["rms"]))
        f.write(cvec("ref_aug_co", dom["RVD"] / np.sqrt(H)[:, None]))
        f.write(cvec("ref_aug_cr", A / np.sqrt(np.outer(H, H))))
        f.write(cvec("ref_rep_RDOM", domr["RDOM"]) + cvec("ref_rep_RVD", domr["RVD"]))
        f.write(cvec("ref_assign", assign) + cvec("ref_excluded", excluded))
        for c, e in enumerate(exp, 1):
            f.write(cvec("ref_order%d" % c, e["order"]))
            f.write("inline const double ref_arel%d = %.9g, ref_lbfc%d = %.9g;\n"
                    % (c, e["arel"], c, e["lbfc"]))
            rows = []
            for v in e["order"]:
                rows.append("{%d, %.9g, %.9g, %.9g, %d}" % (
                    v, e["avgr"][v], e["brel"].get(v, 0.0), e["crel"].get(v, 0.0),
                    e["ordadd"].get(v, 0)))
            f.write("inline const std::vector<ref_member> ref_members%d = {%s};\n"
                    % (c, ", ".join(rows)))
    np.set_printoptions(precision=4, suppress=True)
    print("RDOM\n", dom["RDOM"], "\nRVD\n", dom["RVD"], "\nvalid", dom["valid"])
    print("RSS diag", np.diag(dom["RSS"]), "A", dom["gA"], "B", dom["gB"], "RMS", dom["rms"])
    print("C", dom["C"], "D", dom["D"], "E", dom["E"], "F", dom["F"])
    print("assign", assign, "excluded", excluded)
    for c, e in enumerate(exp, 1):
        print("cluster", c, e)


if __name__ == "__main__":
    main()
