#!/usr/bin/env python3
"""Reference statistics for the deck tests/decks/dap_small: three F5.1 fields per record,
MVAL 9 (a field of five 9s is missing), an entirely blank record set discarded. Values are
read as single-precision numbers, as the component reads them, then summarised in double
precision with numpy: means, standard deviations with divisor N, non-missing counts.
Run with Debian's python3 (package python3-numpy): python3 dap_small_deck.py > dap_small_deck.out"""
import os

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "decks", "dap_small", "MTXIN1")


def field_value(text, decimals):
    """Fixed-point input: blanks ignored; without a point the last digits are decimals."""
    s = text.replace(" ", "")
    if "." not in s:
        s = s[:-decimals] + "." + s[-decimals:] if len(s) > decimals else "0." + s.rjust(decimals, "0")
    return np.float32(s)


def main():
    columns = [[], [], []]
    with open(DATA) as f:
        for line in f:
            line = line.rstrip("\n").ljust(25)
            if line[:15].strip() == "" and line[17:25].strip() == "":
                continue  # an entirely blank record set
            for v in range(3):
                text = line[5 * v:5 * v + 5]
                columns[v].append(np.nan if text == "99999" else field_value(text, 1))
    for v, values in enumerate(columns, start=1):
        x = np.array(values, dtype=np.float32).astype(np.float64)
        x = x[~np.isnan(x)]
        print("VAR%d N=%d SUM=%.9g MEAN=%.9g STDEV=%.9g MIN=%.9g MAX=%.9g SIGMA3=%.3f MEAN3=%.3f"
              % (v, x.size, x.sum(), x.mean(), x.std(ddof=0), x.min(), x.max(),
                 x.std(ddof=0), x.mean()))


if __name__ == "__main__":
    main()
