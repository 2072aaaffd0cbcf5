#!/usr/bin/python3
"""Data of tests/decks/rscat_bounds: a value exactly at mean + 2.55 SD and one just above.

  rscat_bounds.py deck DIR   writes DIR/MONIN (a *GIST load of FSCOR1, 2 composites of 20
                             subjects, and a *RSCAT card with NSIN 20, SPOT 1, NOLIST 1)
  rscat_bounds.py values     prints the bounds as RSCAT forms them

The bounds are formed the way the scatterplot component forms them: sums over the subjects
in double precision, mean and SD rounded to single precision, then UPPER = mean + 2.55 * SD
in single precision. Composite 1 ends with 12.3941, which equals its UPPER exactly (found by
searching 4-decimal values); composite 2 ends with 12.3951, 0.001 higher, which lies above
its own UPPER.
"""
import sys

import numpy as np

f32 = np.float32
BASE = [float(i % 9) for i in range(18)] + [6.2926]
C1 = BASE + [12.3941]
C2 = BASE + [12.3951]


def bounds(values):
    n = s = q = 0.0
    for v in values:
        v = float(f32(v))
        n += 1
        s += v
        q += v * v
    mean = f32(s / n)
    sd = f32(np.sqrt(max(n * q - s * s, 0.0)) / n)
    return mean, sd, f32(mean - f32(f32(2.55) * sd)), f32(mean + f32(f32(2.55) * sd))


if __name__ == "__main__":
    if sys.argv[1] == "deck":
        lines = ["*GIST", "FSCOR1     1", "   2  20"]
        lines += ["%8.4f%8.4f" % (a, b) for a, b in zip(C1, C2)]
        lines += ["", "*RSCAT", " " * 12 + "   1" + " " * 4 + "   1" + "  20", "*END"]
        open(sys.argv[2] + "/MONIN", "w").write("\n".join(lines) + "\n")
    else:
        for name, v in (("C1", C1), ("C2", C2)):
            mean, sd, lo, up = bounds(v)
            print("%s mean %r sd %r LOWER %r UPPER %r last value %r at UPPER %s above %s" %
                  (name, float(mean), float(sd), float(lo), float(up), float(f32(v[-1])),
                   f32(v[-1]) == up, f32(v[-1]) > up))
