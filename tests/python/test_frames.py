"""The array results as pandas and notebook users meet them: named columns,
the index of a Series, dtype=, units, water's default concentration and the
ValidityWarning of a call."""
import unittest
import warnings

import numpy as np

from support import PROPERTIES, elprops

try:
    import pandas as pd
except ImportError:
    pd = None

COLUMNS = list(PROPERTIES) + ["error", "warning"]
NACL_MOLAR_MASS = 58.44  # g/mol, IUPAC standard atomic weights


def calls(*arguments, **keywords):
    """The ValidityWarnings of a compute() call shown always, and its result."""
    with warnings.catch_warnings(record=True) as seen:
        warnings.simplefilter("always")
        result = elprops.compute(*arguments, **keywords)
    return result, [w for w in seen if issubclass(w.category, elprops.ValidityWarning)]


@unittest.skipUnless(pd, "pandas is not installed")
class Frames(unittest.TestCase):
    def test_a_series_keeps_its_index(self):
        r = elprops.compute("NaCl", pd.Series([0.1, 0.2], index=["a", "b"]), 20)
        frame = r.to_dataframe()
        self.assertEqual(list(frame.index), ["a", "b"])
        self.assertEqual(list(frame.columns), COLUMNS)
        self.assertEqual(list(r.density.index), ["a", "b"])
        self.assertEqual(list(pd.DataFrame(r).index), ["a", "b"])

    def test_one_row_per_point(self):
        cases = [
            ("three points", [0.1, 0.2, 0.3], 20, (3, 7)),
            ("one point as an array", [0.1], 20, (1, 7)),
            ("rows against columns", [0.1, 0.2, 0.3], [[20], [40]], (6, 7)),
        ]
        for label, x, t, shape in cases:
            with self.subTest(label):
                r = elprops.compute("KCl", x, t)
                self.assertEqual(len(r), shape[0])
                self.assertEqual(r.to_dataframe().shape, shape)
                self.assertEqual(list(r.keys()), COLUMNS)
                self.assertIs(r["density"], r.density)
        self.assertEqual(pd.DataFrame(elprops.compute("KCl", [0.1, 0.2, 0.3], 20)).shape, (3, 7))


class Columns(unittest.TestCase):
    def test_dtype_float64_widens_the_singles(self):
        single = elprops.compute("CaCl2", [0.1, 0.3, 1.5], [20, 60, 20])
        double = elprops.compute("CaCl2", [0.1, 0.3, 1.5], [20, 60, 20], dtype=np.float64)
        for name in PROPERTIES:
            self.assertEqual(double[name].dtype, np.float64)
            np.testing.assert_array_equal(double[name], single[name].astype(np.float64))
        self.assertEqual(double.error.tolist(), single.error.tolist())

    def test_units_convert_as_chemists_do(self):
        # w = m*M / (1000 + m*M) for a molality m; w = p/100 for a percent p.
        def w(m):
            return m * NACL_MOLAR_MASS / (1000 + m * NACL_MOLAR_MASS)

        cases = [
            ("1 mol/kg", 1.0, "molality", w(1.0)),
            ("2 mol/kg", 2.0, "molality", w(2.0)),
            ("10 percent", 10.0, "percent", 0.1),
        ]
        for label, value, unit, fraction in cases:
            with self.subTest(label):
                expected = elprops.compute("NaCl", np.float32(fraction), 20)
                self.assertEqual(elprops.compute("NaCl", value, 20, unit=unit), expected)
                many = elprops.compute("NaCl", [value, value], 20, unit=unit)
                self.assertEqual(many.density.tolist(), [expected.density] * 2)

    def test_a_refused_conversion_says_why(self):
        r = elprops.compute("NaCl", [1.0, -1.0], 20, unit="molality")
        self.assertEqual(r.error[0], "")
        self.assertIn("negative", r.error[1])
        self.assertTrue(np.isnan(r.density[1]))
        with self.assertRaises(elprops.InadmissibleError):
            elprops.compute("NaCl", -1.0, 20, unit="molality")

    def test_water_needs_no_concentration(self):
        self.assertEqual(elprops.compute("water", temperature=20), elprops.compute(19, 0.0, 20))
        self.assertEqual(elprops.compute("H2O", temperature=[20, 40]).density.tolist(),
                         [elprops.compute(19, 0.0, t).density for t in (20, 40)])


class ValidityWarnings(unittest.TestCase):
    def test_one_warning_per_call_counts_the_points(self):
        # NaCl dissolves to 26.4 % at 20 degrees: 0.3 and 0.35 lie above.
        r, seen = calls("NaCl", [0.1, 0.2, 0.3, 0.35], 20)
        self.assertEqual(len(seen), 1)
        self.assertTrue(issubclass(elprops.ValidityWarning, UserWarning))
        self.assertTrue(str(seen[0].message).startswith("2 of 4 points: above the solubility; "))
        self.assertIn("above the solubility of NaCl at 20 °C", str(seen[0].message))
        self.assertEqual(np.count_nonzero(r.warning != ""), 2)

    def test_the_count_is_that_of_the_warning_texts(self):
        # The call counts its warned points without making their texts: the
        # texts made afterwards must agree, over salts, water, notes, points
        # above 100 degrees and failed points.
        r, seen = calls(np.arange(1, 20, dtype=np.int32)[:, None, None],
                        np.float32(np.linspace(0, 0.9, 10))[None, :, None],
                        np.float32(np.linspace(1, 260, 14))[None, None, :])
        self.assertEqual(len(seen), 1)
        warned = np.count_nonzero(r.warning != "")
        self.assertTrue(str(seen[0].message).startswith(f"{warned} of {len(r)} points: "), seen[0].message)
        self.assertGreater(warned, 0)

    def test_a_point_and_a_quiet_call(self):
        _, seen = calls("NaCl", 0.3, 20)
        self.assertEqual(len(seen), 1)
        self.assertIn("above the solubility", str(seen[0].message))
        self.assertEqual(calls("NaCl", [0.1, 0.2], 20)[1], [])


if __name__ == "__main__":
    unittest.main()
