#!/usr/bin/env python3
"""Reference statistics for the DAP accuracy test (tests/unit/test_dap_run.cpp, DapAccuracy):
100,000 subjects of two variables. The first is 1000 plus the sum of twelve uniform numbers
less six (mean 1000, standard deviation 1), written with 4 decimals in columns 1-10; the
second a uniform number 0..100 with 2 decimals in columns 11-20. Both come from one 64-bit
linear congruential generator, so the C++ test writes the very same records. Values are
taken in single precision, as the component reads them, and summarised with numpy in double
precision (standard deviation with divisor N).
Run with Debian's python3 (package python3-numpy): python3 dap_accuracy.py > dap_accuracy.out"""
import numpy as np

MASK = (1 << 64) - 1


class Lcg:
    def __init__(self, seed):
        self.state = seed

    def next24(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) & MASK
        return self.state >> 40


def records(n):
    g = Lcg(20240613)
    for _ in range(n):
        total = sum(g.next24() for _ in range(12))
        scaled = 10000000 - 60000 + (total * 10000 + (1 << 23)) // (1 << 24)
        second = g.next24() % 10001
        yield "%5d.%04d%7d.%02d" % (scaled // 10000, scaled % 10000, second // 100, second % 100)


def main():
    n = 100000
    lines = list(records(n))
    first = np.array([np.float32(line[0:10]) for line in lines], dtype=np.float32).astype(np.float64)
    second = np.array([np.float32(line[10:20]) for line in lines], dtype=np.float32).astype(np.float64)
    print("FIRST_RECORD=%r" % lines[0])
    print("LAST_RECORD=%r" % lines[-1])
    for name, x in (("VAR1", first), ("VAR2", second)):
        print("%s MEAN=%.9g STDEV=%.9g SUM=%.9g SIGMA3=%.3f MEAN3=%.3f MIN3=%.3f MAX3=%.3f"
              % (name, x.mean(), x.std(ddof=0), x.sum(), x.std(ddof=0), x.mean(), x.min(), x.max()))


if __name__ == "__main__":
    main()
