#!/usr/bin/env python3
"""The C interface through Python's ctypes, without the Python module: every
point of the golden table (made independently of the library) to the bit,
and the worked example's published density.

c_interface_test.py LIBRARY GOLDEN_CSV VERSION
"""
import ctypes
import struct
import sys
import unittest

LIBRARY, GOLDEN, VERSION = sys.argv[1:4]
OK, INADMISSIBLE, ARITHMETIC_FAULT = 0, 1, 2
WATER = 19


def admissible(substance, x, t):
    """The input rules of the library's documentation: a salt strictly between 0 and 1, water at 0; a temperature
    strictly between 1e-20 and 270 degrees Celsius (200 for water)."""
    if substance == WATER:
        return x == 0 and 1e-20 < t < 200
    return 0 < x < 1 and 1e-20 < t < 270


def load():
    lib = ctypes.CDLL(LIBRARY)
    lib.elprops_version.restype = ctypes.c_char_p
    lib.elprops_find_substance.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_int), ctypes.c_char_p,
                                           ctypes.c_size_t, ctypes.POINTER(ctypes.c_size_t)]
    floats = ctypes.POINTER(ctypes.c_float)
    lib.elprops_compute_many.argtypes = [
        ctypes.c_size_t, ctypes.POINTER(ctypes.c_int), ctypes.c_size_t, ctypes.POINTER(ctypes.c_double),
        ctypes.c_size_t, floats, ctypes.c_size_t, ctypes.c_int, floats, floats, floats, floats, floats,
        ctypes.POINTER(ctypes.c_int), ctypes.c_char_p, ctypes.c_size_t, ctypes.POINTER(ctypes.c_size_t)]
    return lib


def golden_rows():
    """(substance, mass fraction, temperature, five result bit patterns or None, fault)."""
    with open(GOLDEN, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f if not line.startswith("#")]
    for line in lines[1:]:
        fields = line.split(",")
        results = None if fields[8] else [bits(float.fromhex(v)) for v in fields[3:8]]
        yield int(fields[0]), float.fromhex(fields[1]), float.fromhex(fields[2]), results


def bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


class CInterface(unittest.TestCase):
    lib = load()

    def test_version(self):
        self.assertEqual(self.lib.elprops_version().decode(), VERSION)

    def test_golden_points_to_the_bit(self):
        rows = list(golden_rows())
        n = len(rows)
        substances = (ctypes.c_int * n)(*[r[0] for r in rows])
        fractions = (ctypes.c_double * n)(*[r[1] for r in rows])
        temperatures = (ctypes.c_float * n)(*[r[2] for r in rows])
        columns = [(ctypes.c_float * n)() for _ in range(5)]
        statuses = (ctypes.c_int * n)()
        status = self.lib.elprops_compute_many(n, substances, n, fractions, n, temperatures, n, 0, *columns, statuses,
                                               None, 0, None)
        self.assertEqual(status, OK)
        computed = 0
        for i, (substance, x, t, results) in enumerate(rows):
            with self.subTest(substance=substance, mass_fraction=x, temperature=t):
                if not admissible(substance, x, t):
                    self.assertEqual(statuses[i], INADMISSIBLE)
                    continue
                if results is None:
                    self.assertEqual(statuses[i], ARITHMETIC_FAULT)
                    continue
                self.assertEqual(statuses[i], OK)
                self.assertEqual([bits(c[i]) for c in columns], results)
                computed += 1
        self.assertGreater(computed, n // 2)

    def test_worked_example_by_name(self):
        index = ctypes.c_int()
        message = ctypes.create_string_buffer(256)
        self.assertEqual(self.lib.elprops_find_substance(b"nacl", ctypes.byref(index), message, 256, None), OK)
        density = (ctypes.c_float * 1)()
        statuses = (ctypes.c_int * 1)()
        status = self.lib.elprops_compute_many(1, (ctypes.c_int * 1)(index.value), 1, (ctypes.c_double * 1)(0.1), 1,
                                               (ctypes.c_float * 1)(20.0), 1, 0, density, None, None, None, None,
                                               statuses, None, 0, None)
        self.assertEqual((status, statuses[0]), (OK, OK))
        self.assertEqual(bits(density[0]), bits(1070.6378))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
