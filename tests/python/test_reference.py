"""compute(..., reference=True): the independent models beside our values,
pinned to the published worked example of sodium chloride at w = 0.1 and
20 degrees Celsius."""
import math
import unittest

import numpy as np

from support import elprops

# (property, source, value in SI units, half a unit of the last printed digit)
PUBLISHED = [
    ("density", "Laliberté 2009", 1070.75, 0.005),
    ("viscosity", "Laliberté 2009", 1.1905e-3, 0.00005e-3),
    ("surface_tension", "Dutcher 2010", 0.07575, 0.000005),
    ("heat_capacity", "Laliberté 2009", 3728.1, 0.05),
    ("thermal_conductivity", "Melinder 2010", 0.5887, 0.00005),
]


class Reference(unittest.TestCase):
    def test_one_point_and_arrays_give_the_published_values(self):
        one = elprops.compute("NaCl", 0.1, 20, reference=True)
        many = elprops.compute(["NaCl", "BaS", "NaCl"], [0.1, 0.1, 2.0], 20, reference=True)
        for name, source, value, tolerance in PUBLISHED:
            with self.subTest(name):
                ref = getattr(one.reference, name)
                self.assertAlmostEqual(ref.value, value, delta=tolerance)
                self.assertEqual((ref.source, ref.within_span), (source, True))
                self.assertAlmostEqual(ref.deviation, (getattr(one, name) - ref.value) / ref.value, delta=1e-6)
                arrays = getattr(many.reference, name)
                self.assertAlmostEqual(arrays.value[0], value, delta=tolerance)
                self.assertEqual(list(arrays.source), [source, "", ""])
                self.assertEqual(list(arrays.within_span), [True, False, False])
                self.assertTrue(math.isnan(arrays.value[1]) and math.isnan(arrays.deviation[2]))
        self.assertEqual(one.notes, ())
        self.assertEqual(list(many.notes), ["", "BaS: no reference data for any property", ""])
        # The values themselves are those of a call without the reference.
        self.assertEqual(tuple(one), tuple(elprops.compute("NaCl", 0.1, 20)))
        np.testing.assert_array_equal(many.density, elprops.compute(["NaCl", "BaS", "NaCl"], [0.1, 0.1, 2.0], 20).density)


if __name__ == "__main__":
    unittest.main()
