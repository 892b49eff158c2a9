"""Bad points in array calls: what their messages cost, values beyond a single,
masked arrays, and the warnings and refusals of the unit conversions."""
import unittest
import warnings

import numpy as np

from support import elprops

MASKED = np.ma.masked_array([0.1, 0.2], mask=[False, True])
NO_MOLALITY = "mass fraction {} has no molality: give one from 0 up to, not including, 1"

# Array calls with point 1 hidden by a mask: the call, and its result's value array.
MASKED_CALLS = [
    ("compute fraction", lambda: elprops.compute(17, MASKED, 20), "density"),
    ("compute substance", lambda: elprops.compute(np.ma.masked_array([17, 99], mask=[0, 1]), 0.1, 20), "density"),
    ("compute temperature", lambda: elprops.compute(17, 0.1, np.ma.masked_array([20, 30], mask=[0, 1])), "density"),
    ("to_mass_fraction", lambda: elprops.to_mass_fraction(17, MASKED, "percent"), "mass_fraction"),
    ("solve", lambda: elprops.solve(17, 20, "density", MASKED + 1070), "mass_fraction"),
    ("molality", lambda: elprops.molality(17, MASKED), None),
    ("molarity", lambda: elprops.molarity(17, 0.1, MASKED * 1e4), None),
]

# Array calls given 1e300, beyond a single: no NumPy warning, the point refused.
HUGE_CALLS = [
    ("compute", lambda: elprops.compute(17, [0.1, 1e300], 20).error[1], "concentration inf is not between"),
    ("to_mass_fraction", lambda: elprops.to_mass_fraction(17, 1, "molarity", [20, 1e300]).error[1], "at inf °C"),
    ("solve", lambda: elprops.solve(17, [20, 1e300], "density", 1070).error[1], "temperature"),
    ("molarity", lambda: elprops.molarity(17, 0.1, [1e300, 1e3]).error[0], "density inf kg/m3 has no molarity"),
    ("saturation", lambda: str(elprops.calcium_chloride_saturation([20, 1e300])[1]), "inf"),
]


class BadPoints(unittest.TestCase):
    def test_messages_cost_by_the_messages_present(self):
        fractions = np.full(200_000, 0.1, np.float32)
        fractions[[7, 9]] = np.nan
        long_name = np.array(["NaCl"] * 200_000, dtype=object)
        long_name[3] = "x" * 5000
        for label, r in (("NaN", elprops.compute(17, fractions, 20)), ("name", elprops.compute(long_name, 0.1, 20))):
            with self.subTest(label):
                self.assertLessEqual(r.error.nbytes, 8 * r.error.size)
                self.assertEqual(np.count_nonzero(r.error != ""), 2 if label == "NaN" else 1)
        shared = elprops.compute(17, fractions, 20).error
        self.assertIs(shared[7], shared[9])

    def test_values_beyond_a_single_warn_nothing(self):
        for label, call, message in HUGE_CALLS:
            with self.subTest(label), warnings.catch_warnings():
                warnings.simplefilter("error")
                self.assertIn(message, call())

    def test_masked_points_are_nan_with_the_message_masked(self):
        for label, call, field in MASKED_CALLS:
            with self.subTest(label):
                r = call()
                values = getattr(r, field) if field else r
                self.assertTrue(np.isnan(values[1]))
                self.assertFalse(np.isnan(values[0]))
                self.assertEqual(r.error.tolist(), ["", "masked"])

    def test_conversions_warn_as_compute_at_the_converted_point(self):
        w = elprops.to_mass_fraction("NaCl", 10, "molality", 20)  # 0.3688: above the solubility
        self.assertEqual(w.warnings, elprops.compute("NaCl", w, 20).warnings)
        self.assertEqual(w.warnings[0].kind, "above_solubility")
        self.assertEqual(elprops.to_mass_fraction("NaCl", 10, "molality").warnings, ())  # no temperature
        r = elprops.to_mass_fraction("NaCl", [1, 10], "molality", 20)
        self.assertEqual(r.warning.tolist(), ["", "; ".join(x.message for x in w.warnings)])

    def test_impossible_fractions_and_densities_are_refused(self):
        for label, call, message in (
                ("fraction 1", lambda x: elprops.molality("NaCl", x), NO_MOLALITY.format(1)),
                ("fraction 2", lambda x: elprops.molality("NaCl", 2 * x), NO_MOLALITY.format(2)),
                ("negative density", lambda x: elprops.molarity("NaCl", 0.1, -5 * x),
                 "density -5 kg/m3 has no molarity: give a positive density")):
            with self.subTest(label):
                with self.assertRaisesRegex(elprops.InadmissibleError, f"^{message}$"):
                    call(1.0)
                values = call(np.array([1.0]))
                self.assertTrue(np.isnan(values[0]))
                self.assertEqual(values.error.tolist(), [message])


if __name__ == "__main__":
    unittest.main()
