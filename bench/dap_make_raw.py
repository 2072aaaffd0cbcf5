#!/usr/bin/env python3
"""Writes a synthetic raw-data deck for timing *DAP: N subjects by V variables in fixed
F8.3 columns (one record per subject), an optional share of blank (missing) fields, plus
the MONIN that reads it.  Usage: dap_make_raw.py FOLDER N V [MISSING_SHARE]"""
import os
import random
import sys


def main():
    folder, n, v = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    missing = float(sys.argv[4]) if len(sys.argv) > 4 else 0.0
    rng = random.Random(12345)
    pool = ["%8.3f" % (rng.gauss(50.0, 10.0)) for _ in range(4096)]
    if missing > 0:
        blanks = int(len(pool) * missing)
        pool[:blanks] = [" " * 8] * blanks
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "MTXIN1"), "w") as out:
        for _ in range(n):
            out.write("".join(rng.choices(pool, k=v)))
            out.write("\n")
    nomiss = 0 if missing > 0 else 1
    with open(os.path.join(folder, "MONIN"), "w") as out:
        out.write("*DAP\n")
        out.write("SYNTHETIC BENCHMARK DATA\n")
        out.write("%4d%6d%2d%4d\n" % (v, n, nomiss, 0))
        out.write("(%dF8.3)\n" % v)
        out.write("DATA\n")
        out.write("*END\n")


if __name__ == "__main__":
    main()
