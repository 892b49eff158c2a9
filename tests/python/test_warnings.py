"""Warnings of computed points: scalar results carry .warnings, arrays a
`warning` array beside `error`."""
import pickle
import threading
import unittest

import numpy as np

from support import elprops

# The texts elprops-cli prints for these points (sodium chloride dissolves
# to 0.2641 at 20 °C, the solid being the anhydrous salt).
ABOVE_SOLUBILITY = "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)"
BOILING = ("above 100 °C the solution boils at atmospheric pressure unless it is kept under pressure, "
           "and the correlations are less accurate (/usr/share/doc/elprops/accuracy.md)")
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


def scalar_texts(substances, fractions, temperatures):
    """The warnings of each point of the broadcast arguments as the scalar call
    gives them, joined as the array form joins them; '' where the point fails."""
    if isinstance(substances, str):
        substances = elprops.find_substance(substances).index
    s, x, t = np.broadcast_arrays(np.asarray(substances), np.asarray(fractions, dtype=np.float32),
                                  np.asarray(temperatures, dtype=np.float32))
    texts = np.empty(s.shape, dtype=object)
    for index in np.ndindex(s.shape):
        point = int(s[index]), float(x[index]), float(t[index])
        try:
            one = elprops.compute(*point)
        except ValueError:
            texts[index] = ""
        else:
            texts[index] = "; ".join(w.message for w in one.warnings)
    return texts


class MixedGrid(unittest.TestCase):
    def test_points_above_the_solubility_above_100_and_failed(self):
        # Every substance; mass fractions below and above the solubilities and
        # outside 0 to 1; temperatures from outside the range through 0 to
        # 100 °C up to beyond the limits (water fails at 200 and above).
        substances = np.arange(1, 20, dtype=np.int32)[:, None, None]
        fractions = np.float32([-0.1, 0.0, 0.05, 0.25, 0.3, 0.5, 0.95, 1.5])[None, :, None]
        temperatures = np.float32([0.0, 0.5, 20, 60, 100, 100.5, 150, 199.9, 250, 270])[None, None, :]
        r = elprops.compute(substances, fractions, temperatures)
        expected = scalar_texts(substances, fractions, temperatures)
        self.assertEqual(r.warning.shape, expected.shape)
        mismatches = [(index, r.warning[index], expected[index]) for index in np.ndindex(expected.shape)
                      if r.warning[index] != expected[index]]
        self.assertEqual(mismatches, [])
        # The grid reaches every case: failed points (no warning), points
        # above a solubility, above 100 °C, with a value that cannot be true,
        # and with no warning.
        failed = r.error != ""
        self.assertGreater(int(np.count_nonzero(failed)), 100)
        self.assertTrue(np.all(r.warning[failed] == ""))
        texts = r.warning[~failed].tolist()
        self.assertIn(ABOVE_SOLUBILITY, texts)
        self.assertTrue(any(w.startswith("above the solubility") for w in texts))
        self.assertTrue(any(BOILING in w for w in texts))
        self.assertTrue(any("cannot be true" in w for w in texts))  # a value at or below zero
        self.assertIn("", texts)
        self.assertEqual(r.warning[16, 4, 2], ABOVE_SOLUBILITY)  # NaCl, 0.3, 20 °C


class WarningsOfTheCall(unittest.TestCase):
    """The warnings are worked out when first read, from the points as they
    were at the call."""

    def test_changing_the_arguments_after_the_call_changes_no_warning(self):
        def native():
            return (np.array([17, 17, 19, 5, 17], dtype=np.int32), np.float32([0.1, 0.3, 0.0, 0.2, 1.5]),
                    np.float32([20, 20, 150, 20, 20]))

        def converted():
            return (np.array([17, 17, 19], dtype=np.int64), np.array([0.1, 0.3, 0.0]), np.array([20.0, 20.0, 150.0]))

        def broadcast():
            return "NaCl", np.float32([0.1, 0.2, 0.3]), np.float32([[20], [60], [150]])

        def one_element_spread():
            return np.array([17], dtype=np.int32), np.float32([0.1]), np.float32([20, 40, 60, 150])

        def views_of_larger_arrays():
            x = np.float32([0.9, 0.1, 0.3, 0.2, 0.9])
            t = np.float32([[5, 20, 20, 150, 5]])
            return np.int32([17]), x[1:4], t[0, 1:4]

        cases = [("native dtypes", native), ("converted dtypes", converted), ("broadcast", broadcast),
                 ("one element for all points", one_element_spread), ("views", views_of_larger_arrays)]
        for label, make in cases:
            with self.subTest(label):
                substances, fractions, temperatures = make()
                expected = scalar_texts(substances, fractions, temperatures)
                r = elprops.compute(substances, fractions, temperatures)
                # Change every argument array in place, through the view's base
                # where it is one: sodium chloride at 0.5 and 150 °C would warn
                # of both at every point.
                for a in (substances, fractions, temperatures):
                    if isinstance(a, np.ndarray):
                        (a.base if a.base is not None else a)[...] = 0
                if isinstance(substances, np.ndarray):
                    substances[...] = 17
                fractions[...] = 0.5
                temperatures[...] = 150
                changed = scalar_texts(substances, fractions, temperatures)
                self.assertFalse(np.array_equal(changed, expected))
                self.assertEqual(r.warning.tolist(), expected.tolist())

    def test_changing_the_results_before_reading_changes_no_warning(self):
        # A value at or below zero cannot be true and is warned of; one made so
        # in the result afterwards is not the call's.
        r = elprops.compute("NaCl", np.float32([0.2, 0.3]), 20)
        r.surface_tension[:] = -1
        self.assertEqual(r.warning.tolist(), ["", ABOVE_SOLUBILITY])

    def test_reading_twice_gives_the_same_array(self):
        r = elprops.compute("NaCl", np.float32([0.2, 0.3]), 20)
        first = r.warning
        self.assertIs(r.warning, first)
        self.assertIs(r["warning"], first)
        self.assertIs(list(r.values())[6], first)
        self.assertIs(dict(r)["warning"], first)
        self.assertIs(r._asdict()["warning"], first)
        self.assertEqual(first.tolist(), ["", ABOVE_SOLUBILITY])

    def test_threads_reading_at_once_get_the_same_array(self):
        r = elprops.compute(np.arange(1, 20, dtype=np.int32)[:, None], np.float32([0.2, 0.5]),
                            np.float32(np.linspace(1, 190, 2000))[:, None, None])
        start = threading.Barrier(4)
        seen = [None] * 4

        def read(k):
            start.wait()
            seen[k] = r.warning

        threads = [threading.Thread(target=read, args=(k,)) for k in range(4)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        for k in range(4):
            self.assertIs(seen[k], seen[0])
        self.assertEqual(seen[0].shape, (2000, 19, 2))

    def test_the_record_of_an_unread_result(self):
        # Columns, values, repr, pickling and _asdict before `warning` was read
        # all show the warnings.
        def fresh():
            return elprops.compute("NaCl", np.float32([0.2, 0.3]), 20)

        r = fresh()
        self.assertEqual(r._fields[-1], "warning")
        self.assertEqual(list(r)[-1], "warning")
        self.assertEqual(len(r), 2)
        *_, error, warning = fresh().values()
        self.assertEqual(warning.tolist(), ["", ABOVE_SOLUBILITY])
        self.assertIn(ABOVE_SOLUBILITY[:30], repr(fresh()))
        self.assertTrue(repr(fresh()).startswith("PropertyArrays: 2 points"))
        again = pickle.loads(pickle.dumps(fresh()))
        self.assertIs(type(again), elprops.PropertyArrays)
        self.assertEqual(again.warning.tolist(), ["", ABOVE_SOLUBILITY])
        self.assertEqual(fresh()._asdict()["warning"].tolist(), ["", ABOVE_SOLUBILITY])
        self.assertEqual(fresh()._replace(density=None).warning.tolist(), ["", ABOVE_SOLUBILITY])
        self.assertTrue(elprops.PropertyArrays.warning.__doc__)

    def test_shapes_of_the_warning_array(self):
        cases = [
            ("three 1-d of one length", np.int32([17, 17, 5]), np.float32([0.3, 0.1, 0.1]), np.float32([20, 20, 20]),
             (3,)),
            ("row against column", "NaCl", [0.2, 0.3, 1.5], [[20], [150]], (2, 3)),
            ("three axes", np.int32([17, 19])[:, None, None], np.float32([0.0, 0.3])[None, :, None],
             np.float32([20, 150, 60])[None, None, :], (2, 2, 3)),
            ("0-d array", "NaCl", np.array(0.3, dtype=np.float32), 20, ()),
            ("one element", "NaCl", [0.3], 20, (1,)),
            ("no points", "NaCl", np.float32([]), 20, (0,)),
            ("no points on an axis", "NaCl", np.zeros((2, 0), dtype=np.float32), 20, (2, 0)),
        ]
        for label, substance, x, t, shape in cases:
            with self.subTest(label):
                r = elprops.compute(substance, x, t)
                self.assertEqual(r.warning.shape, shape)
                self.assertEqual(r.warning.dtype, np.dtype(object))
                self.assertEqual(r.warning.tolist(), scalar_texts(substance, x, t).tolist())


if __name__ == "__main__":
    unittest.main()
