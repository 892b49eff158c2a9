"""The Python module on single points and small arrays: worked examples,
substances, errors, broadcasting and the argument types."""
import doctest
import pickle
import sys
import threading
import time
import unittest

import numpy as np

from support import PROPERTIES, bits, elprops, parse_single, single

# The sodium chloride worked example, 7 significant digits as published.
SODIUM_CHLORIDE = ("1070.638", "0.001208059", "0.07964794", "3747.392", "0.5867352")

# Further points, 6 significant digits as published:
# substance, mass fraction, temperature, then the five properties.
FURTHER_POINTS = [
    ("sodium chloride", 17, "0.1", "20", "1070.64", "0.00120806", "0.0796479", "3747.39", "0.586735"),
    ("water at 20", 19, "0", "20", "998.365", "0.000998348", "0.0727071", "4182.62", "0.599014"),
    ("water at 100", 19, "0", "100", "958.096", "0.000282995", "0.0588512", "4215.45", "0.682150"),
    ("ammonium bicarbonate", 1, "0.1", "20", "1046.91", "0.00129419", "0.0762351", "3889.78", "0.591527"),
    ("ammonium sulfate", 2, "0.2", "50", "1096.68", "0.000843097", "0.0763824", "3449.91", "0.573960"),
    ("ammonium chloride", 3, "0.1", "20", "1028.33", "0.00109860", "0.0760089", "3729.60", "0.578829"),
    ("barium chloride", 6, "0.15", "25", "1152.51", "0.00108770", "0.0739827", "3450.67", "0.588110"),
    ("calcium chloride", 11, "0.3", "60", "1261.73", "0.00180166", "0.0720157", "2838.36", "0.614814"),
    ("sodium hydroxide", 14, "0.2", "80", "1171.38", "0.00107906", "0.0752341", "3700.88", "0.706108"),
    ("sodium sulfate", 16, "0.1", "20", "1091.63", "0.00141168", "0.0739927", "3761.04", "0.575475"),
]


def unknown(name):
    """The one wording of an unknown substance, of a name or an index alike."""
    return f'unknown substance "{name}": give its index 1 to 19, its formula (NaCl) or its name (sodium chloride)'


def digits(value, count):
    """The value to `count` significant digits, trailing zeros kept, as the tables print them."""
    return f"{float(value):#.{count}g}"


class WorkedExamples(unittest.TestCase):
    def test_sodium_chloride_to_seven_digits(self):
        r = elprops.compute("NaCl", 0.1, 20)
        for name, published in zip(PROPERTIES, SODIUM_CHLORIDE):
            with self.subTest(name):
                self.assertEqual(digits(getattr(r, name), 7), published)

    def test_further_points_to_six_digits(self):
        for label, index, x, t, *published in FURTHER_POINTS:
            with self.subTest(label):
                r = elprops.compute(index, float(x), float(t))
                self.assertEqual(tuple(digits(v, 6) for v in r), tuple(published))

    def test_same_bits_as_an_array_of_the_points(self):
        indices = np.array([row[1] for row in FURTHER_POINTS], dtype=np.int32)
        fractions = np.array([single(float(row[2])) for row in FURTHER_POINTS], dtype=np.float32)
        temperatures = np.array([single(float(row[3])) for row in FURTHER_POINTS], dtype=np.float32)
        arrays = elprops.compute(indices, fractions, temperatures)
        for k, row in enumerate(FURTHER_POINTS):
            one = elprops.compute(row[1], float(row[2]), float(row[3]))
            for name in PROPERTIES:
                with self.subTest(f"{row[0]} {name}"):
                    self.assertEqual(bits(getattr(arrays, name)[k]), bits(getattr(one, name)))
                    self.assertEqual(getattr(arrays, name)[k], getattr(one, name))
            self.assertEqual(arrays.error[k], "")

    def test_water_heat_capacity_at_100_is_exactly_the_single_of_4215_45(self):
        r = elprops.compute("H2O", 0, 100)
        self.assertEqual(bits(r.heat_capacity), bits(np.float32(4215.45)))


class Results(unittest.TestCase):
    def test_properties_are_python_floats_holding_the_single_exactly(self):
        r = elprops.compute("NaCl", 0.1, 20)
        self.assertIsInstance(r, elprops.Properties)
        for name in PROPERTIES:
            value = getattr(r, name)
            with self.subTest(name):
                self.assertIsInstance(value, float)
                self.assertEqual(float(np.float32(value)), float(value))

    def test_a_single_prints_its_shortest_digits(self):
        r = elprops.compute("NaCl", 0.1, 20)
        self.assertEqual(str(r.density), "1070.6378")
        self.assertEqual(repr(r.density), "1070.6378")
        self.assertEqual(float(r.density), 1070.6378173828125)
        self.assertEqual(parse_single(str(r.density)), np.float32(float(r.density)))
        self.assertEqual(repr(elprops.find_substance("H2O").temperature_limit), "200.0")

    def test_named_tuple_unpacks_and_pickles(self):
        r = elprops.compute("KCl", 0.1, 30)
        density, viscosity, *rest = r
        self.assertEqual((density, viscosity), (r.density, r.viscosity))
        self.assertEqual(len(rest), 3)
        self.assertEqual(r._fields, PROPERTIES)
        again = pickle.loads(pickle.dumps(r))
        self.assertEqual(again, r)
        self.assertIs(type(again.density), elprops.Single)

    def test_array_result_is_float32_with_an_error_array_of_str_objects(self):
        r = elprops.compute("NaCl", [0.1, 0.2], 20)
        self.assertIsInstance(r, elprops.PropertyArrays)
        self.assertEqual(r._fields, PROPERTIES + ("error", "warning"))
        for name in PROPERTIES:
            self.assertEqual(getattr(r, name).dtype, np.float32)
        self.assertEqual(r.error.dtype, np.dtype(object))
        self.assertEqual(r.error.tolist(), ["", ""])


class Substances(unittest.TestCase):
    def test_nineteen_in_index_order(self):
        listed = elprops.substances()
        self.assertEqual(len(listed), 19)
        self.assertEqual([s.index for s in listed], list(range(1, 20)))
        self.assertIsInstance(listed[0], elprops.Substance)

    def test_sodium_chloride_and_water(self):
        nacl = elprops.substances()[16]
        self.assertEqual((nacl.index, nacl.formula, nacl.english_name, nacl.russian_name),
                         (17, "NaCl", "sodium chloride", "НАТРИЯ ХЛОРИД"))
        self.assertEqual(nacl.molar_mass, np.float32(58.44))
        self.assertEqual(nacl.temperature_limit, 270.0)
        water = elprops.substances()[18]
        self.assertEqual((water.index, water.formula, water.temperature_limit), (19, "H2O", 200.0))

    def test_find_by_index_formula_and_names(self):
        cases = [
            ("index", 17, 17), ("index as text", "17", 17), ("formula", "NaCl", 17), ("formula in lower case", "nacl", 17),
            ("formula with brackets", "(nh4)2so4", 2), ("English name", "Sodium Chloride", 17),
            ("Russian name", "НАТРИЯ ХЛОРИД", 17), ("blanks around", "  KCl\t", elprops.find_substance("KCl").index),
            ("NumPy integer", np.int64(19), 19), ("a record", elprops.substances()[4], 5),
        ]
        for label, name, index in cases:
            with self.subTest(label):
                self.assertEqual(elprops.find_substance(name).index, index)

    def test_none_when_nothing_matches(self):
        for name in ("", "sodium", "NaCl2", 0, 20, -1, 2**70, "0"):
            with self.subTest(repr(name)):
                self.assertIsNone(elprops.find_substance(name))

    def test_wrong_type(self):
        for name in (1.5, None, b"NaCl", [17]):
            with self.subTest(repr(name)):
                self.assertRaises(TypeError, elprops.find_substance, name)

    def test_compute_takes_every_form_of_a_substance(self):
        expected = elprops.compute(17, 0.1, 20)
        for form in ("NaCl", "sodium chloride", "НАТРИЯ ХЛОРИД", elprops.find_substance("NaCl"), np.int32(17),
                     np.uint8(17)):
            with self.subTest(repr(form)):
                self.assertEqual(elprops.compute(form, 0.1, 20), expected)


# Points that cannot be computed: the exception and the message of elprops-cli.
INADMISSIBLE = [
    ("concentration above 1", "NaCl", 1.2, 20, "concentration 1.2 is not between 0 and 1 (both excluded)"),
    ("concentration 0 for a salt", "NaCl", 0, 20, "concentration 0 is not between 0 and 1 (both excluded)"),
    ("negative concentration", "KCl", -0.3, 20, "concentration -0.3 is not between 0 and 1 (both excluded)"),
    ("concentration for water", "H2O", 0.1, 20, "water takes no concentration: leave it empty or 0"),
    ("temperature at the limit", "NaCl", 0.1, 270, "temperature 270 °C is outside the range: above 0 °C and below 270 °C; 270 °C and above are not covered"),
    ("water at its limit", "H2O", 0, 200, "temperature 200 °C is outside the range: above 0 °C and below 200 °C; 200 °C and above are not covered"),
    ("temperature 0", "NaCl", 0.1, 0, "temperature 0 °C is outside the range: above 0 °C and below 270 °C; 0 °C and below are not covered"),
    ("unknown index", 25, 0.1, 20, unknown(25)),
    ("index 0", 0, 0.1, 20, unknown(0)),
    ("index beyond an int", 2**40, 0.1, 20, unknown(1099511627776)),
    ("unknown name", "Nope", 0.1, 20, unknown("Nope")),
]


class ErrorsOfOnePoint(unittest.TestCase):
    def test_inadmissible_points_raise_with_the_message(self):
        for label, substance, x, t, message in INADMISSIBLE:
            with self.subTest(label):
                with self.assertRaises(elprops.InadmissibleError) as raised:
                    elprops.compute(substance, x, t)
                self.assertEqual(str(raised.exception), message)

    def test_arithmetic_fault_of_potassium_carbonate_near_1(self):
        with self.assertRaises(elprops.ArithmeticFault) as raised:
            elprops.compute("K2CO3", 0.99, 20)
        self.assertTrue(str(raised.exception).startswith("arithmetic error"), str(raised.exception))

    def test_both_are_value_errors_of_the_module(self):
        for kind in (elprops.InadmissibleError, elprops.ArithmeticFault):
            with self.subTest(kind.__name__):
                self.assertTrue(issubclass(kind, ValueError))
                self.assertEqual(kind.__module__, "elprops")
                self.assertTrue(kind.__doc__)
        self.assertFalse(issubclass(elprops.InadmissibleError, elprops.ArithmeticFault))

    def test_arguments_of_the_wrong_type_raise_type_error(self):
        cases = [
            ("concentration as text", ("NaCl", "0.1", 20)),
            ("temperature as text", ("NaCl", 0.1, "20")),
            ("substance as float", (17.0, 0.1, 20)),
            ("substance as bool", (True, 0.1, 20)),
            ("substance as bytes", (b"NaCl", 0.1, 20)),
            ("substance None", (None, 0.1, 20)),
            ("concentration None", ("NaCl", None, 20)),
            ("concentration complex", ("NaCl", 0.1j, 20)),
        ]
        for label, args in cases:
            with self.subTest(label):
                self.assertRaises(TypeError, elprops.compute, *args)

    def test_numbers_beyond_a_single_become_infinite_and_are_refused(self):
        with self.assertRaises(elprops.InadmissibleError) as raised:
            elprops.compute("NaCl", 0.1, 1e300)
        self.assertEqual(str(raised.exception), "temperature inf °C is outside the range: above 0 °C and below 270 °C; 270 °C and above are not covered")


class ErrorsInArrays(unittest.TestCase):
    def test_bad_points_are_nan_with_the_message_of_one_point(self):
        substances = [row[1] for row in INADMISSIBLE] + [17, "K2CO3"]
        fractions = [row[2] for row in INADMISSIBLE] + [0.1, 0.99]
        temperatures = [row[3] for row in INADMISSIBLE] + [20, 20]
        r = elprops.compute(substances, fractions, temperatures)
        self.assertEqual(r.density.shape, (len(substances),))
        for k, (s, x, t) in enumerate(zip(substances, fractions, temperatures)):
            with self.subTest(f"{s!r} {x} {t}"):
                try:
                    one = elprops.compute(s, x, t)
                except ValueError as e:
                    self.assertEqual(r.error[k], str(e))
                    self.assertTrue(all(np.isnan(getattr(r, name)[k]) for name in PROPERTIES))
                else:
                    self.assertEqual(r.error[k], "")
                    self.assertEqual(tuple(getattr(r, name)[k] for name in PROPERTIES), tuple(one))
        self.assertEqual(r.error[-2], "")
        self.assertTrue(r.error[-1].startswith("arithmetic error"), r.error[-1])

    def test_unknown_names_inside_an_array_mark_their_points(self):
        r = elprops.compute(["NaCl", "Nope", "НАТРИЙ", 17, "19", elprops.find_substance(3)], [0.1, 0.1, 0.1, 0.1, 0, 0.1],
                            20)
        self.assertEqual(r.error.tolist(), ["", unknown("Nope"), unknown("НАТРИЙ"), "", "", ""])
        self.assertTrue(np.isnan(r.density[1]) and np.isnan(r.density[2]))
        self.assertEqual(r.density[3], elprops.compute(17, 0.1, 20).density)
        self.assertEqual(r.density[5], elprops.compute(3, 0.1, 20).density)

    def test_one_unknown_index_for_every_point(self):
        r = elprops.compute(25, [0.1, 0.2], 20)
        self.assertEqual(r.error.tolist(), [unknown(25)] * 2)
        self.assertTrue(np.all(np.isnan(r.viscosity)))

    def test_unsigned_indices_beyond_an_int(self):
        r = elprops.compute(np.array([17, 2**63 + 5], dtype=np.uint64), 0.1, 20)
        self.assertEqual(r.error.tolist(), ["", unknown(2**63 + 5)])

    def test_one_unknown_name_for_every_point_raises(self):
        with self.assertRaises(elprops.InadmissibleError):
            elprops.compute("Nope", [0.1, 0.2], 20)

    def test_arguments_of_the_wrong_type_raise_type_error(self):
        cases = [
            ("float indices", (np.array([17.0]), 0.1, 20)),
            ("bool indices", (np.array([True]), 0.1, 20)),
            ("concentrations as text", ("NaCl", ["0.1"], 20)),
            ("complex temperatures", ("NaCl", 0.1, np.array([20j]))),
            ("objects as concentrations", ("NaCl", [None], 20)),
        ]
        for label, args in cases:
            with self.subTest(label):
                self.assertRaises(TypeError, elprops.compute, *args)

    def test_shapes_that_do_not_broadcast_raise_value_error(self):
        with self.assertRaises(ValueError) as raised:
            elprops.compute("NaCl", [0.1, 0.2], [20, 30, 40])
        self.assertNotIsInstance(raised.exception, (elprops.InadmissibleError, elprops.ArithmeticFault))


def broadcast_points(substance, x, t):
    """The points of a call as NumPy broadcasts them: substance, x and t per point, and the shape."""
    s = np.asarray([elprops.find_substance(v).index if isinstance(v, str) else v for v in np.ravel(substance)]
                   if not isinstance(substance, (str, int)) else
                   (elprops.find_substance(substance).index if isinstance(substance, str) else substance))
    s = s.reshape(np.shape(substance)) if not isinstance(substance, (str, int)) else s
    s, x, t = np.broadcast_arrays(s, np.asarray(x, dtype=np.float32), np.asarray(t, dtype=np.float32))
    return s, x, t


# Calls with the shape NumPy's broadcasting gives their arguments.
BROADCASTING = [
    ("all single values in compute_many", 17, 0.1, 20, ()),
    ("0-d arrays", np.array(17), np.array(0.1), np.array(20.0), ()),
    ("concentrations in a row", "NaCl", [0.05, 0.1, 0.2], 20, (3,)),
    ("row by column", 17, [0.05, 0.1, 0.2], [[20], [40], [60], [80]], (4, 3)),
    ("three axes", np.array([[[17]], [[3]]]), [[0.1], [0.2], [0.3]], [10, 20, 30, 40], (2, 3, 4)),
    ("names by temperature", ["NaCl", "KCl", "CaCl2"], 0.1, [[20], [50]], (2, 3)),
    ("indices and water", np.array([17, 19]), np.array([0.1, 0.0]), np.float32(25), (2,)),
    ("a column of one", np.array([17]), [[0.1], [0.2]], [20], (2, 1)),
    ("empty", 17, np.zeros((0,)), [[20], [30], [40]], (3, 0)),
]


class Broadcasting(unittest.TestCase):
    def test_shapes_and_every_point(self):
        for label, substance, x, t, shape in BROADCASTING:
            with self.subTest(label):
                r = elprops.compute_many(substance, x, t)
                self.assertEqual(r.density.shape, shape)
                self.assertEqual(r.error.shape, shape)
                for name in PROPERTIES:
                    self.assertEqual(getattr(r, name).shape, shape)
                    self.assertEqual(getattr(r, name).dtype, np.float32)
                s, xs, ts = broadcast_points(substance, x, t)
                for at in np.ndindex(*shape):
                    try:
                        one = elprops.compute(int(s[at]), float(xs[at]), float(ts[at]))
                    except ValueError as e:
                        self.assertEqual(r.error[at], str(e))
                    else:
                        self.assertEqual(r.error[at], "")
                        self.assertEqual(tuple(bits(getattr(r, name)[at]) for name in PROPERTIES),
                                         tuple(bits(v) for v in one))

    def test_compute_with_an_array_gives_what_compute_many_gives(self):
        a = elprops.compute("KCl", [0.05, 0.1], [[20], [60]])
        b = elprops.compute_many("KCl", [0.05, 0.1], [[20], [60]])
        for name in PROPERTIES:
            np.testing.assert_array_equal(getattr(a, name), getattr(b, name))

    def test_inputs_of_any_layout_and_dtype(self):
        x = np.linspace(0.01, 0.3, 40)
        expected = elprops.compute(np.full(20, 17, dtype=np.int32), x[::2].astype(np.float32),
                                   np.full(20, 35, dtype=np.float32))
        cases = [
            ("float64 strided", 17, x[::2], 35.0),
            ("big-endian", np.array(17, dtype=">i4"), x[::2].astype(">f4"), np.array([35], dtype=">f8")),
            ("int temperatures, uint8 index", np.uint8(17), list(x[::2]), np.full(20, 35, dtype=np.int16)),
            ("Fortran order", np.asfortranarray(np.full((1, 20), 17)), np.asfortranarray(x[::2].reshape(1, 20)), 35),
            ("tuple", 17, tuple(x[::2]), 35),
        ]
        for label, s, xs, t in cases:
            with self.subTest(label):
                r = elprops.compute(s, xs, t)
                np.testing.assert_array_equal(r.density.ravel(), expected.density)
                np.testing.assert_array_equal(r.thermal_conductivity.ravel(), expected.thermal_conductivity)

    def test_results_do_not_share_memory_with_the_arguments(self):
        x = np.full(5, 0.1, dtype=np.float32)
        r = elprops.compute(17, x, 20)
        x[:] = 0.2
        self.assertTrue(np.all(r.density == elprops.compute(17, 0.1, 20).density))


class Threads(unittest.TestCase):
    def test_the_array_call_lets_other_threads_run(self):
        # While a worker computes a large array, this thread keeps running
        # Python code. The interpreter is told not to switch threads by
        # itself, so this thread runs meanwhile only if the call lets go of
        # the interpreter's lock.
        points = 1 << 20
        x = np.full(points, 0.1, dtype=np.float32)
        started = threading.Event()
        results = []

        def work():
            started.set()
            results.append(elprops.compute(17, x, 20))

        interval = sys.getswitchinterval()
        sys.setswitchinterval(30.0)
        try:
            worker = threading.Thread(target=work)
            worker.start()
            started.wait()
            turns = 0
            while worker.is_alive():
                turns += 1
                time.sleep(0)  # hands the lock back at once when the worker wants it
            worker.join()
        finally:
            sys.setswitchinterval(interval)
        self.assertEqual(results[0].density.shape, (points,))
        self.assertGreater(turns, 100)

    def test_threads_at_once_give_the_same_bits(self):
        x = np.linspace(0.01, 0.5, 20000, dtype=np.float32)
        expected = elprops.compute("CaCl2", x, 40).density
        outcomes = [None] * 4

        def work(k):
            outcomes[k] = elprops.compute("CaCl2", x, 40).density

        threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        for outcome in outcomes:
            np.testing.assert_array_equal(outcome, expected)


class Documentation(unittest.TestCase):
    def test_every_public_name_has_a_docstring(self):
        self.assertTrue(elprops.__doc__)
        for name in elprops.__all__:
            with self.subTest(name):
                self.assertTrue(getattr(elprops, name).__doc__, name)

    def test_the_examples_of_the_docstrings(self):
        result = doctest.testmod(elprops, extraglobs={"np": np, "elprops": elprops}, report=True)
        self.assertGreater(result.attempted, 5)
        self.assertEqual(result.failed, 0)

    def test_version(self):
        self.assertRegex(elprops.version(), r"^\d+\.\d+\.\d+$")
        self.assertEqual(elprops.__version__, elprops.version())

    def test_calcium_chloride_saturation(self):
        # 0.52551 * exp(0.00156214 * T) in double, rounded to single.
        for t in (0.0, 20.0, 100.0):
            expected = np.float32(0.52551 * np.exp(0.00156214 * t))
            with self.subTest(t):
                self.assertEqual(bits(elprops.calcium_chloride_saturation(t)), bits(expected))
        many = elprops.calcium_chloride_saturation([0, 20, 100])
        self.assertEqual(many.dtype, np.float32)
        self.assertEqual(many[1], elprops.calcium_chloride_saturation(20))


if __name__ == "__main__":
    unittest.main()
