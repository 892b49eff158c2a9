"""Warnings of computed points: scalar results carry .warnings, arrays a
`warning` array beside `error`."""
import pickle
import unittest

import numpy as np

from support import elprops

# The texts elprops-cli prints for these points (sodium chloride dissolves
# to 0.2641 at 20 °C, the solid being the anhydrous salt).
ABOVE_SOLUBILITY = "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)"
BOILING = ("above 100 °C the solution boils at atmospheric pressure unless it is kept under pressure, "
           "and the correlations are less accurate (docs/accuracy.md)")
NO_DATA_AT_150 = "no solubility data at this temperature (150 °C) for NaCl"


class ScalarWarnings(unittest.TestCase):
    def test_points_and_their_warnings(self):
        cases = [
            ("sodium chloride above its solubility", "NaCl", 0.30, 20, [("above_solubility", ABOVE_SOLUBILITY, False)]),
            ("sodium chloride below its solubility", "NaCl", 0.2, 20, []),
            ("water above its boiling point", "H2O", 0, 150, [("above_boiling", BOILING, False)]),
            ("water at 20", "H2O", 0, 20, []),
            ("sodium chloride at 150", "NaCl", 0.1, 150,
             [("no_solubility_data", NO_DATA_AT_150, True), ("above_boiling", BOILING, False)]),
        ]
        for label, substance, x, t, expected in cases:
            with self.subTest(label):
                r = elprops.compute(substance, x, t)
                self.assertEqual([tuple(w) for w in r.warnings], expected)
                for w in r.warnings:
                    self.assertIsInstance(w, elprops.PointWarning)

    def test_warnings_are_no_field_and_survive_pickling(self):
        r = elprops.compute("NaCl", 0.30, 20)
        self.assertEqual(len(tuple(r)), 5)
        again = pickle.loads(pickle.dumps(r))
        self.assertEqual(again.warnings, r.warnings)
        self.assertEqual(elprops.Properties(1, 2, 3, 4, 5).warnings, ())

    def test_a_warning_never_changes_a_value(self):
        # The density of 0.30 at 20 °C is the same with and without a warning
        # in the array form too.
        r = elprops.compute("NaCl", 0.30, 20)
        a = elprops.compute("NaCl", [0.30], 20)
        self.assertEqual(a.density[0], r.density)


class ArrayWarnings(unittest.TestCase):
    def test_warning_array_beside_error(self):
        r = elprops.compute("NaCl", [0.2, 0.30, 1.5], [[20], [150]])
        self.assertEqual(r.warning.shape, (2, 3))
        # An array of str objects: each distinct text is one object shared by
        # its points.
        self.assertEqual(r.warning.dtype, np.dtype(object))
        self.assertTrue(all(isinstance(w, str) for w in r.warning.ravel()))
        both = NO_DATA_AT_150 + "; " + BOILING
        self.assertEqual(r.warning.tolist(), [["", ABOVE_SOLUBILITY, ""], [both, both, ""]])
        # The failed point has its error, and no warning.
        self.assertNotEqual(r.error[0, 2], "")

    def test_array_texts_are_the_scalar_messages_joined(self):
        substances = np.array([17, 19, 11, 5, 1], dtype=np.int32)
        fractions = np.float32([0.30, 0.0, 0.5, 0.1, 0.3])
        temperatures = np.float32([20, 150, 20, 105, 60])
        r = elprops.compute(substances, fractions, temperatures)
        for k in range(len(substances)):
            one = elprops.compute(int(substances[k]), float(fractions[k]), float(temperatures[k]))
            with self.subTest(k):
                self.assertEqual(r.warning[k], "; ".join(w.message for w in one.warnings))

    def test_a_grid_has_the_warnings_of_its_single_points(self):
        # Every substance, mass fractions on both sides of the solubilities,
        # temperatures from below 0 to above 100 °C; each point's text is its
        # scalar warnings joined.
        substances = np.arange(1, 20, dtype=np.int32)[:, None, None]
        fractions = np.float32([0.0, 0.02, 0.1, 0.2, 0.26, 0.3, 0.45, 0.6])[None, :, None]
        temperatures = np.float32([0.5, 20, 36, 60, 99.5, 100, 105, 190])[None, None, :]
        r = elprops.compute(substances, fractions, temperatures)
        mismatches = []
        for index in np.ndindex(r.warning.shape):
            s, x, t = int(substances.ravel()[index[0]]), float(fractions.ravel()[index[1]]), float(
                temperatures.ravel()[index[2]])
            try:
                expected = "; ".join(w.message for w in elprops.compute(s, x, t).warnings)
            except ValueError:
                expected = ""
            if r.warning[index] != expected:
                mismatches.append((s, x, t, r.warning[index], expected))
        self.assertEqual(mismatches, [])
        self.assertGreater(int(np.count_nonzero(r.warning != "")), 100)

    def test_no_warnings_give_empty_texts(self):
        r = elprops.compute("KCl", np.float32([0.05, 0.1]), 20)
        self.assertEqual(r.warning.tolist(), ["", ""])


if __name__ == "__main__":
    unittest.main()
