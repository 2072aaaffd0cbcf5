#!/usr/bin/python3
"""Reference values for DAP on values near the ends of the single-precision range
(tests/unit/test_dap_run.cpp): the sum that lies beyond the range, which the data-error
table expects in its message, and the sum, mean and standard deviation (divisor N) of values
whose sum stays within it, which DAP must store.
Computed independently of KORVEX: each value is rounded once to single precision, as DAP
reads it, then numpy sums and summarises them in double precision.

Run from the repository root:
    /usr/bin/python3 tests/reference/dap_sums_range.py > tests/reference/dap_sums_range.out
"""
import numpy as np

FLT_MAX = float(np.finfo(np.float32).max)


def f32(values):
    return np.array(values, dtype=np.float32).astype(np.float64)


def main():
    for name, values in [("beyond_high", [3.0e38, 2.5e38, 3.0e38]),
                         ("beyond_low", [-3.0e38, -3.0e38, -3.0e38]),
                         ("within", [3.0e38, -3.0e38, 3.0e38])]:
        x = f32(values)
        s = x.sum()
        print("%s sum %.6E (%s) mean %.9e sd %.9e"
              % (name, s, "fits" if abs(s) <= FLT_MAX else "beyond", x.mean(), x.std(ddof=0)))


if __name__ == "__main__":
    main()
