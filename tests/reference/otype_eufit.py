#!/usr/bin/env python3
"""Independent reference for the otype_eufit_kmeans deck (6 raw variables, KOTYPE 3, nothing
rejected, deleted or condensed): the core sectors from a numpy binning (cuts mean -/+ SD with
divisor N; the wanted-number rule on the sector counts), their means as starting centres,
then Lloyd's k-means (nearest centre, ties to the lower one; means recomputed) until no object
moves. Prints the final centres, each object's cluster and distance to its centre (the OOTYPE
lines), and eta = sqrt(R^2) of each variable on the clusters."""
import sys
import numpy as np

x = np.array([[float(l[6 * k:6 * k + 6]) for k in range(6)]
              for l in open(sys.argv[1] if len(sys.argv) > 1 else "MTXIN1") if l.strip()],
             dtype=np.float32).astype(np.float64)
n, p = x.shape
mean, sd = x.mean(axis=0), x.std(axis=0)
idx = np.where(x < mean - sd, 0, np.where(x >= mean + sd, 2, 1))
idx[x == mean - sd] = 0
sector = (idx * 3 ** np.arange(p - 1, -1, -1)).sum(axis=1)
occupied, counts = np.unique(sector, return_counts=True)
kotype, t = 3, 1
while True:  # the wanted-number rule: raise t while KOTYPE or more sectors hold more than t
    keep = counts >= t
    above = counts[keep] > t
    if above.sum() >= kotype or keep.sum() > 40:
        t = counts[keep][counts[keep] > t].min()
    else:
        break
core = occupied[counts >= t]
centres = np.array([x[sector == s].mean(axis=0) for s in core])
print("core sectors", ["".join(str(int(s) // 3 ** (p - 1 - j) % 3) for j in range(p)) for s in core])
print("core means\n", np.round(centres, 2))
label = None
for it in range(20):
    d2 = ((x[:, None, :] - centres[None, :, :]) ** 2).sum(axis=2)
    new = d2.argmin(axis=1)
    if label is not None and (new == label).all():
        break
    label = new
    centres = np.array([x[label == k].mean(axis=0) for k in range(len(core))])
print("final centres\n", np.round(centres, 2))
dist = np.sqrt(((x - centres[label]) ** 2).sum(axis=1))
for i in range(n):
    print("%4d %2d %8.2f" % (i + 1, label[i] + 1, dist[i]))
sst = ((x - mean) ** 2).sum(axis=0)
ssw = sum(((x[label == k] - centres[k]) ** 2).sum(axis=0) for k in range(len(core)))
print("eta", np.round(np.sqrt(1 - ssw / sst), 2))
