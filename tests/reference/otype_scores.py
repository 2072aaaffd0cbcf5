#!/usr/bin/env python3
"""Independent reference for the otype_scores_narrow deck: the FSCOR1 cards of MONIN (4
scores per object, MEANS2 0, STDEV2 1) binned with the default cuts -1 and +1 per score
(a value on a cut goes away from the mean), objects holding -999 left out; prints label,
count and mean profile of every occupied sector, then the core sectors (KCRIT 2)."""
import sys
import numpy as np

lines = open(sys.argv[1] if len(sys.argv) > 1 else "MONIN").read().split("\n")
start = lines.index("FSCOR1     1   1") + 3
x = np.array([[float(l[8 * k:8 * k + 8]) for k in range(4)] for l in lines[start:start + 60]],
             dtype=np.float32)
sectors = {}
for r in x:
    if (r == -999.0).any():
        continue
    idx = [0 if v < -1 else (2 if v >= 1 else (1 if v > -1 else 0)) for v in r]
    s = sum(p * 3 ** (3 - j) for j, p in enumerate(idx))
    sectors.setdefault(s, []).append(r.astype(np.float64))
for s in sorted(sectors):
    lab = "".join(str(s // 3 ** (3 - j) % 3) for j in range(4))
    m = np.mean(sectors[s], axis=0)
    print("%10s %8d " % (lab, len(sectors[s])) + " ".join("%20.3f" % v for v in m))
print("core:", ["".join(str(s // 3 ** (3 - j) % 3) for j in range(4))
                for s in sorted(sectors) if len(sectors[s]) >= 2])
