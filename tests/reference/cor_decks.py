#!/usr/bin/python3
"""Writes the control decks (MONIN) and raw data files (MTXIN1) of the correlation deck tests
tests/decks/cor_*/ from the reference data sets of cor_reference.py, so the decks run on the
same numbers whose correlations that script computes. Values are written with two decimals
in 7-column fields; a missing value is a blank field (missing data allowed, MVAL blank).

Run from the repository root:  /usr/bin/python3 tests/reference/cor_decks.py
The expected outputs under each deck's expected/ are not written here.
"""
import sys
from pathlib import Path

import numpy as np

HERE = Path(__file__).resolve().parent
sys.dont_write_bytecode = True
sys.path.insert(0, str(HERE))
import cor_reference as ref  # noqa: E402

DECKS = HERE.parent / "decks"


def data_lines(X):
    lines = []
    for row in X:
        lines.append("".join(" " * 7 if np.isnan(v) else f"{float(v):7.2f}" for v in row))
    return lines


def dap_cards(title, X, nomiss, names):
    nv, nsub = X.shape[1], X.shape[0]
    cards = ["*DAP", title, f"{nv:4d}{nsub:6d}{nomiss:2d}{0:4d}", f"({nv}F7.2)"]
    if names:
        cards += ["VARIABLES", ",".join(names) + "."]
    cards.append("DATA")
    return cards


def write_deck(name, X, title, nomiss, names, tail):
    folder = DECKS / name
    folder.mkdir(parents=True, exist_ok=True)
    cards = dap_cards(title, X, nomiss, names) + tail + ["*END"]
    (folder / "MONIN").write_text("\n".join(cards) + "\n")
    (folder / "MTXIN1").write_text("\n".join(data_lines(X)) + "\n")


def main():
    five = ref.latent_data(11, [0.8, 0.7, 0.6, 0.3, 0.0], 50, 50.0, 10.0)
    names5 = ["ALPHA", "BETA", "GAMMA", "DELTA", "EPSILON"]
    write_deck("cor_five", five, "FIVE VARIABLES BY FIFTY SUBJECTS", 1, names5, ["*COR2"])

    const = ref.latent_data(23, [0.9, 0.5, 0.7, 0.4], 20, 20.0, 3.0)
    const[:, 1] = np.float32(3.3)
    write_deck("cor_constant", const, "A CONSTANT VARIABLE", 1, [], ["*COR2"])

    miss = ref.latent_data(37, [0.8, 0.7, 0.6, 0.5, 0.2], 60, 30.0, 5.0)
    g = ref.Lcg(41)
    for s in range(miss.shape[0]):
        for j in range(miss.shape[1]):
            if g.uniform() < 0.1:
                miss[s, j] = np.nan
    every_option = "   1   1   1   1   1" + " " * 24 + "   1   1   1   1   1"
    write_deck("cor_pairwise", miss, "TEN PERCENT MISSING", 0, names5,
               ["*COR3", "", "*COR3", every_option])
    write_deck("cor_missing_refused", miss, "TEN PERCENT MISSING", 0, names5, ["*COR2"])
    write_deck("cor_bad_option", miss, "TEN PERCENT MISSING", 0, [], ["*COR3", "      1X"])

    apart = ref.latent_data(53, [0.7, 0.7, 0.7], 12, 10.0, 2.0)
    apart[0::2, 1] = np.nan
    apart[1::2, 2] = np.nan
    write_deck("cor_apart", apart, "NEVER TOGETHER", 0, [], ["*COR3", "                   1"])


if __name__ == "__main__":
    main()
