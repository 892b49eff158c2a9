#!/usr/bin/env python3
"""The C interface through Python's ctypes, without the Python module: every
point of the golden table (made independently of the library) to the bit.

c_interface_test.py LIBRARY GOLDEN_CSV
"""
import ctypes
import struct
import sys
import unittest

LIBRARY, GOLDEN = sys.argv[1:3]
OK, INADMISSIBLE, ARITHMETIC_FAULT = 0, 1, 2


def admissible(substance, x, t):
    """The documented input rules: a salt strictly between 0 and 1, water (19) at 0; a temperature strictly
    between 1e-20 and 270 degrees Celsius (200 for water)."""
    if substance == 19:
        return x == 0 and 1e-20 < t < 200
    return 0 < x < 1 and 1e-20 < t < 270


def bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


class CInterface(unittest.TestCase):
    def test_golden_points_to_the_bit(self):
        with open(GOLDEN, encoding="utf-8") as f:
            rows = [line.rstrip("\n").split(",") for line in f if not line.startswith("#")][1:]
        n = len(rows)
        inputs = [(int(r[0]), float.fromhex(r[1]), float.fromhex(r[2])) for r in rows]
        columns = [(ctypes.c_float * n)() for _ in range(5)]
        statuses = (ctypes.c_int * n)()
        lib = ctypes.CDLL(LIBRARY)
        status = lib.elprops_compute_many(
            ctypes.c_size_t(n), (ctypes.c_int * n)(*[i[0] for i in inputs]), ctypes.c_size_t(n),
            (ctypes.c_double * n)(*[i[1] for i in inputs]), ctypes.c_size_t(n),
            (ctypes.c_float * n)(*[i[2] for i in inputs]), ctypes.c_size_t(n), 0, *columns, statuses, None,
            ctypes.c_size_t(0), None)
        self.assertEqual(status, OK)
        computed = 0
        for i, (row, (substance, x, t)) in enumerate(zip(rows, inputs)):
            with self.subTest(substance=substance, mass_fraction=x, temperature=t):
                if not admissible(substance, x, t):
                    self.assertEqual(statuses[i], INADMISSIBLE)
                elif row[8]:
                    self.assertEqual(statuses[i], ARITHMETIC_FAULT)
                else:
                    self.assertEqual(statuses[i], OK)
                    self.assertEqual([bits(c[i]) for c in columns], [bits(float.fromhex(v)) for v in row[3:8]])
                    computed += 1
        self.assertGreater(computed, n // 2)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
