#!/usr/bin/python3
"""Independent check of the deck ref_take_dap: after *TAKE of another analysis, *DAP reads
the five variables of MTXIN1 (format 5F7.2) again and *COR2 correlates them. Pearson
correlations of the raw values, in double precision, to three decimals.

Run: python3 ref_take_dap.py ../decks/ref_take_dap/MTXIN1   (prints ref_take_dap.out)"""
import math
import sys

rows = [[float(line[7 * k:7 * k + 7]) for k in range(5)] for line in open(sys.argv[1]) if line.strip()]
n = len(rows)
cols = list(zip(*rows))
mean = [sum(c) / n for c in cols]


def r(a, b):
    sab = sum((x - mean[a]) * (y - mean[b]) for x, y in zip(cols[a], cols[b]))
    saa = sum((x - mean[a]) ** 2 for x in cols[a])
    sbb = sum((y - mean[b]) ** 2 for y in cols[b])
    return sab / math.sqrt(saa * sbb)


print("subjects", n)
for i in range(5):
    print(" ".join("%6.3f" % r(i, j) for j in range(i + 1)))
