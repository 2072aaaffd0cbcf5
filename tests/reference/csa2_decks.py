#!/usr/bin/python3
"""Writes the MONIN decks of the cluster structure deck tests (tests/decks/csa2_*) from the
fixture of csa2_reference.py: ten variables loaded by *GIST, then the component's cards.
Run from tests/reference; the expected values are those csa2_reference.py prints."""
import importlib.util
import os

spec = importlib.util.spec_from_file_location("ref", os.path.join(os.path.dirname(__file__), "csa2_reference.py"))
ref = importlib.util.module_from_spec(spec)
spec.loader.exec_module(ref)

NAMES = ["Verbal", "Reading", "Vocabulary", "Spatial", "Rotation", "Memory", "Speed", "Spelling",
         "Grammar", "Comprehension"]


def gist(definers="   1   2  -3", title=True):
    out = ["*GIST"]
    if title:
        out += ["IDFILE     1", "CLUSTER STRUCTURE ON TEN ABILITY TESTS"]
    out += ["VNAMS1     1", "  10"]
    nm = [n.ljust(20) for n in NAMES]
    out += ["".join(nm[i:i + 3]) for i in range(0, 10, 3)]
    out += ["CORRM1     1", "  10 250"]
    out += ["".join("%8.4f" % ref.R[i, j] for j in range(i)) for i in range(1, 10)]
    h = ["%8.4f" % x for x in ref.H]
    out += ["DIAGV1     1", "  10", "".join(h[:9]), "".join(h[9:])]
    out += ["REFLX1     1", "   3", "   3   2   1", definers, "   4   5", "   7", ""]
    return out


def cards(values, layout, per_card):
    """values written per_card to a card with the layout of one value ("%8.4f", "%4d")."""
    return ["".join(layout % v for v in values[i:i + per_card]) for i in range(0, len(values), per_card)]


def reorder_gist(nv, ndef, nclusters):
    """nv variables named Item001 ..., every correlation 0.3 and every communality 0.3 but
    the last, 0.1 (so it is excluded); nclusters clusters, each defined by variables 1..ndef.
    Every oblique coefficient is then the same sum, so all variables above the limit join
    cluster 1 in increasing order and every other cluster lists its definers in their order:
    the reordered matrix has nv + (nclusters - 1) * ndef rows, the excluded variable last."""
    out = ["*GIST", "IDFILE     1", "REORDERED CORRELATION MATRIX OF MORE ROWS THAN VARIABLES"]
    names = ["Item%03d" % i for i in range(1, nv + 1)]
    out += ["VNAMS1     1", "%4d" % nv]
    out += ["".join(n.ljust(20) for n in names[i:i + 3]) for i in range(0, nv, 3)]
    out += ["CORRM1     1", "%4d 250" % nv]
    for i in range(2, nv + 1):
        out += cards([0.3] * (i - 1), "%8.4f", 9)
    out += ["DIAGV1     1", "%4d" % nv] + cards([0.3] * (nv - 1) + [0.1], "%8.4f", 9)
    out += ["REFLX1     1", "%4d" % nclusters] + cards([ndef] * nclusters, "%4d", 18)
    for _ in range(nclusters):
        out += cards(list(range(1, ndef + 1)), "%4d", 18)
    return out + [""]


def write(deck, lines):
    path = os.path.join(os.path.dirname(__file__), "..", "decks", deck)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, "MONIN"), "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    write("csa2_observed", gist() + ["*CSA2", "   0   0   1   1   0   1", "0.5", "*END"])
    write("csa2_titles", gist() + ["*ASSIGN MTXIN2 titles.txt",
                                   "*CSA2", "   0   2   0   0   0   0   1  10", "0.5",
                                   "*CSA2", "   0   2   0   0   0   0   1  10", "0.5", "*END"])
    write("csa2_bad_definer", gist(definers="   1  11  -3") + ["*CSA2", "", "", "*END"])
    write("csa2_all_excluded", gist() + ["*CSA2", "", "0.99", "*END"])
    write("csa2_no_idfile", gist(title=False) + ["*CSA2", "", "", "*END"])
    write("csa2_narrow_short", ["*SET_NC 50", "*SET_NL 20"] + gist() +
          ["*CSA2", "   0   0   1   1   1   1", "0.5", "*END"])
    # 101 + 10 x 90 = 1001 rows, more than the 999 names a table holds.
    write("csa2_reorder_1001", reorder_gist(101, 90, 11) +
          ["*CSA2", "   0   0   0   0   0   0", "0.2", "*END"])


if __name__ == "__main__":
    main()
