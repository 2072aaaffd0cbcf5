#!/usr/bin/python3
"""Independent check of the deck ref_otype_restart: the second *OTYPE starts from the
membership that the first stored (KINPUT 1) and, without iteration, lists the means of the
core O-types of the first. Those are the means of the occupied sectors with at least
KCRIT = max(2, 45 / 50) = 2 complete objects, the sectors cut at mean - SD and mean + SD of
each variable (NPARTS 2 equal cuts over mean +- 3 SD). A field of 9s is missing (MVAL 9).
The sectors are the same with either divisor of the SD.

Run: python3 otype_restart.py ../decks/ref_otype_restart/MTXIN1   (prints otype_restart.out)"""
import math
import sys
from collections import defaultdict

rows = []
for line in open(sys.argv[1]):
    fields = [line[5 * k:5 * k + 5] for k in range(3)]
    rows.append([None if f.strip() in ("", "99999") else float(f) for f in fields])
for ddof in (0, 1):
    mean, sd = [], []
    for d in range(3):
        v = [r[d] for r in rows if r[d] is not None]
        mu = sum(v) / len(v)
        mean.append(mu)
        sd.append(math.sqrt(sum((x - mu) ** 2 for x in v) / (len(v) - ddof)))
    sectors = defaultdict(list)
    for r in rows:
        if None in r:
            continue
        label = "".join(str(int(r[d] > mean[d] - sd[d]) + int(r[d] > mean[d] + sd[d])) for d in range(3))
        sectors[label].append(r)
    print("SD divisor N - %d" % ddof)
    for label in sorted(sectors):
        members = sectors[label]
        if len(members) >= 2:
            means = ["%.3f" % (sum(r[d] for r in members) / len(members)) for d in range(3)]
            print(label, len(members), *means)
