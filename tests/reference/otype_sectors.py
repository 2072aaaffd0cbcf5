#!/usr/bin/env python3
"""Independent reference for the otype_sectors deck: the objects of MTXIN1 binned into the
sectors of the profile space with the default two cuts per dimension (mean - SD, mean + SD;
SD with divisor N over the values present; a value on a cut goes away from the mean), the
sector label, count and mean profile of every occupied sector, and the core sectors chosen
by the default KCRIT (max(2, N // 50)) as the listing must print them."""
import sys
import numpy as np

path = sys.argv[1] if len(sys.argv) > 1 else "MTXIN1"
rows = []
for line in open(path):
    vals = []
    for k in range(3):
        f = line[5 * k:5 * k + 5]
        vals.append(np.nan if f == "99999" else float(f))
    rows.append(vals)
x = np.array(rows, dtype=np.float32)
present = ~np.isnan(x)
mean = np.array([x[present[:, j], j].astype(np.float64).mean() for j in range(3)])
sd = np.array([x[present[:, j], j].astype(np.float64).std() for j in range(3)])
cuts = [(mean[j] - sd[j], mean[j] + sd[j]) for j in range(3)]
sectors = {}
for i, r in enumerate(x):
    if np.isnan(r).any():
        print("missing: subject", i + 1)
        continue
    idx = []
    for j in range(3):
        lo, hi = cuts[j]
        v = float(r[j])
        p = 0 if v < lo else (2 if v > hi else 1)
        if v == lo:
            p = 1 if v >= mean[j] else 0
        if v == hi:
            p = 2 if v >= mean[j] else 1
        idx.append(p)
    s = idx[0] * 9 + idx[1] * 3 + idx[2]
    sectors.setdefault(s, []).append(r.astype(np.float64))
for s in sorted(sectors):
    m = np.mean(sectors[s], axis=0)
    lab = "%d%d%d" % (s // 9, s // 3 % 3, s % 3)
    print("%10s %8d " % (lab, len(sectors[s])) + " ".join("%20.3f" % v for v in m))
kcrit = max(2, len(x) // 50)
print("core (count >= %d):" % kcrit, ["%d%d%d" % (s // 9, s // 3 % 3, s % 3)
                                      for s in sorted(sectors) if len(sectors[s]) >= kcrit])
