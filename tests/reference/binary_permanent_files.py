#!/usr/bin/env python3
"""Writes the binary permanent files used by the GIVE/TAKE deck tests, independently of
KORVEX: unformatted sequential records (int32 little-endian byte count, the bytes, the
count again) holding, per entry, a label record, a KPAR record, a type record, the data
records and an END record, then one closing END record.

Run from the repository root:  python3 tests/reference/binary_permanent_files.py
"""
import struct
from pathlib import Path

DECKS = Path(__file__).resolve().parent.parent / "decks"


def frame(body: bytes) -> bytes:
    return struct.pack("<i", len(body)) + body + struct.pack("<i", len(body))


def words(*ws):      # kind 1
    return frame(struct.pack("<ii", 1, len(ws)) + b"".join(w.ljust(6).encode() for w in ws))


def ints(*vs):       # kind 3
    return frame(struct.pack("<ii", 3, len(vs)) + struct.pack("<%di" % len(vs), *vs))


def reals(*vs):      # kind 4
    return frame(struct.pack("<ii", 4, len(vs)) + struct.pack("<%df" % len(vs), *vs))


def names(*ns):      # kind 2
    return frame(struct.pack("<ii", 2, len(ns)) + b"".join(n.ljust(20).encode() for n in ns))


END = frame(struct.pack("<iii", 0, 0, 0) + b" " * 20)

# MEANS1: three means of ten subjects; CORRM1: the strict lower triangle of a 3 x 3
# correlation matrix, one record per column.
round_trip = (words("MEANS1") + ints(3, 1, 10) + ints(4) + reals(1.5, 2.25, -3.0) + END
              + words("CORRM1") + ints(3, 10) + ints(4) + reals(0.5, 0.25) + reals(0.125) + END
              + END)

empty = END

bad_label = ints(7) + END

oversized = words("MEANS1") + ints(3, 1, 10) + ints(4) + frame(struct.pack("<ii", 4, 5000)) + END + END

# Scores of seven objects on three dimensions as DSCOR1 (one object per record), with the
# MEANS1, STDEV1 and ONAMS1 that object typing reads beside them.
SCORES = [(-1.5, -1.4, -1.6), (-1.3, -1.6, -1.4), (-1.6, -1.2, -1.5), (-1.4, -1.5, -1.3),
          (1.4, 1.5, 1.3), (1.6, 1.4, 1.5), (1.2, 1.6, 1.4)]
dscor = (words("DSCOR1") + ints(3, 7, 3) + ints(4) + b"".join(reals(*r) for r in SCORES) + END
         + words("MEANS1") + ints(3, 1, 7) + ints(4) + reals(0.0, 0.0, 0.0) + END
         + words("STDEV1") + ints(3, 1) + ints(4) + reals(1.0, 1.0, 1.0) + END
         + words("ONAMS1") + ints(1, 7, 100) + ints(2)
         + names(*["OBJECT %d" % i for i in range(1, 8)]) + END
         + END)

FILES = {
    "give_take_round_trip/TAKE": round_trip,
    "give_take_round_trip/expected/GIVE": round_trip,
    "give_empty_isf/expected/GIVE": empty,
    "take_bad_label/TAKE": bad_label,
    "take_oversized_record/TAKE": oversized,
    "otype_stored_means_dscor/TAKE": dscor,
}

if __name__ == "__main__":
    for name, data in FILES.items():
        path = DECKS / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        print(name, len(data), "bytes")
