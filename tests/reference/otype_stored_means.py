#!/usr/bin/python3
"""Reference for the decks otype_stored_means_fscor and otype_stored_means_dscor: a first
*OTYPE types the scores from equal partitions (score means 0, standard deviations 1, so
cuts at -1 and +1); a second *OTYPE starts from the stored means (KINPUT 2) without any
pass (KITER 0), so it stores those same means again as OMEAN1 and, as no object is a member
of a stored-means O-type before a pass, OTYPE1 with a count of 0 for every O-type. Reading
the objects back for that store reports the object that holds the missing-score value of
the second card (-1.2), by its ordinal.
The O-types of the first *OTYPE come from the replica in otype_deletion.py.
Run: /usr/bin/python3 otype_stored_means.py  (writes otype_stored_means.out)."""
import os
import numpy as np

from otype_deletion import Replica, F

HERE = os.path.dirname(os.path.abspath(__file__))

TWO = [(-1.5, -1.4), (-1.3, -1.6), (-1.6, -1.2), (1.4, 1.5), (1.6, 1.3), (1.2, 1.6)]
THREE = [(-1.5, -1.4, -1.6), (-1.3, -1.6, -1.4), (-1.6, -1.2, -1.5), (-1.4, -1.5, -1.3),
         (1.4, 1.5, 1.3), (1.6, 1.4, 1.5), (1.2, 1.6, 1.4)]
out = []
# (scores, KCRIT of the first card, missing-score value of the second card or None)
for title, scores, kcrit, amis in (("fscor, 2 scores", TWO, 1, None),
                                   ("fscor and dscor, 3 scores", THREE, 2, -1.2)):
    x = np.array(scores, dtype=F)
    p = x.shape[1]
    r = Replica(x, np.zeros(p, dtype=F), np.ones(p, dtype=F), kcrit, 1.0, 0.5, 2, 20)
    stored = r.run()
    out.append("%s: first *OTYPE makes %d passes" % (title, len(r.passes)))
    for num, name, ords, m in stored:
        out.append("  %s (number %d), members %s" % (name, num, ords))
        out.append("    ISF dump row:" + "".join("%11.3f" % v for v in m))
        out.append("    means card:  " + "".join("%8.4f" % v for v in m))
    if amis is not None:
        hit = [k + 1 for k in range(len(x)) if (x[k] == F(amis)).any()]
        out.append("  objects holding %.1f: %s" % (amis, hit))
open(os.path.join(HERE, "otype_stored_means.out"), "w").write("\n".join(out) + "\n")
print("\n".join(out))
