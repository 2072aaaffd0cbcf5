#!/usr/bin/python3
"""Independent reference for tests/decks/rscat_years: raw data whose mean is large against
its spread (2,000 years of mean about 1990 and SD about 5, two composites).

  rscat_years.py deck DIR      writes DIR/MONIN (*GIST load of FSCOR1, *RSCAT with NSIN 2000,
                               SPOT 1, NOLIST 1)
  rscat_years.py values        prints the reference values (rscat_years.txt)
  rscat_years.py check MONOUT  compares a listing with them: the SDs within 1e-4 relative of
                               numpy std(ddof=0) (0.0005 on the printed three decimals), r within
                               1e-4, and the other pair statistics as rscat_scores.py checks them
"""
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rscat_scores  # noqa: E402

N = 2000


def scores():
    rng = np.random.default_rng(1990)
    z = rng.standard_normal((N, 2))
    y1 = 1990.0 + 5.0 * z[:, 0]
    y2 = 1990.0 + 5.0 * (0.8 * z[:, 0] + 0.6 * z[:, 1])
    text = [["%8.3f" % v for v in row] for row in np.column_stack([y1, y2])]
    return text, np.array([[float(np.float32(t)) for t in row] for row in text])


def reference():
    _, v = scores()
    return {"means": v.mean(axis=0), "sds": v.std(axis=0, ddof=0),
            "pairs": [rscat_scores.pair_values(v[:, 0], v[:, 1], 17)]}


if __name__ == "__main__":
    if sys.argv[1] == "deck":
        text, _ = scores()
        lines = ["*GIST", "FSCOR1     1", "   22000"] + ["".join(r) for r in text]
        lines += ["", "*RSCAT", " " * 12 + "   1" + " " * 4 + "   1" + "2000", "*END"]
        open(sys.argv[2] + "/MONIN", "w").write("\n".join(lines) + "\n")
    elif sys.argv[1] == "values":
        ref = reference()
        for j in range(2):
            print("C%d mean %.5f sd %.6f" % (j + 1, ref["means"][j], ref["sds"][j]))
        p = ref["pairs"][0]
        print("r %.6f eta_yx %.5f ueta_yx %.5f eta_xy %.5f ueta_xy %.5f" %
              (p["r"], p["eta_yx"], p["ueta_yx"], p["eta_xy"], p["ueta_xy"]))
        print("A_yx %.4f B_yx %.4f A_xy %.4f B_xy %.4f se_yx %.4f se_xy %.4f" %
              (p["A_yx"], p["B_yx"], p["A_xy"], p["B_xy"], p["se_yx"], p["se_xy"]))
    else:
        sys.exit(rscat_scores.check(sys.argv[2], reference(), 17, 0.0005))
