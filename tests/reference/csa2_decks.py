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


if __name__ == "__main__":
    main()
