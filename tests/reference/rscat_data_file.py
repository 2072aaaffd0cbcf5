#!/usr/bin/python3
"""Independent reference for tests/decks/rscat_data_file (scatterplots of the variables of
the data storage file, 4 slices, missing values left out pair by pair).

  rscat_data_file.py values        prints the reference values (rscat_data_file.txt)
  rscat_data_file.py check MONOUT  compares a listing with them (exit 1 on a difference)

Reads the raw data of the deck (MTXIN1, fields of 5 columns, a blank field is missing) and
computes with numpy: nanmean and nanstd(ddof=0) per variable, and for each pair drawn
(SELECT 2 with COMMON 2, then the pair cards 3+1+2+4+.) the statistics of
rscat_scores.pair_values over the subjects that have both values.
"""
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rscat_scores  # noqa: E402

DECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "decks", "rscat_data_file")
PAIRS = [(2, 1), (2, 3), (2, 4), (3, 1), (2, 4)]


def data():
    rows = []
    for line in open(os.path.join(DECK, "MTXIN1")):
        fields = [line[5 * k:5 * k + 5] for k in range(4)]
        rows.append([float(np.float32(f)) if f.strip() else np.nan for f in fields])
    return np.array(rows)


def reference():
    v = data()
    ref = {"means": np.nanmean(v, axis=0), "sds": np.nanstd(v, axis=0, ddof=0), "pairs": []}
    for i, j in PAIRS:
        x, y = v[:, i - 1], v[:, j - 1]
        keep = ~np.isnan(x) & ~np.isnan(y)
        ref["pairs"].append(rscat_scores.pair_values(x[keep], y[keep], 4))
    return ref


if __name__ == "__main__":
    ref = reference()
    if sys.argv[1] == "values":
        for j in range(4):
            print("V%d mean %.4f sd %.4f" % (j + 1, ref["means"][j], ref["sds"][j]))
        for (i, j), p in zip(PAIRS, ref["pairs"]):
            print("pair (%d,%d) r %.5f eta_yx %.5f ueta_yx %.5f eta_xy %.5f ueta_xy %.5f" %
                  (i, j, p["r"], p["eta_yx"], p["ueta_yx"], p["eta_xy"], p["ueta_xy"]))
            print("   A_yx %.4f B_yx %.4f A_xy %.4f B_xy %.4f se_yx %.4f se_xy %.4f" %
                  (p["A_yx"], p["B_yx"], p["A_xy"], p["B_xy"], p["se_yx"], p["se_xy"]))
    else:
        sys.exit(rscat_scores.check(sys.argv[2], ref, 4))
