"""The inverse question and the units: elprops.solve, to_mass_fraction,
molality, molarity and standard_molar_mass, on single values and arrays."""
import doctest
import unittest

import numpy as np

from support import bits, elprops


class SolveOnePoint(unittest.TestCase):
    def test_density_of_the_worked_example_gives_back_0_1(self):
        # The sodium chloride worked example: 1070.6378 kg/m3 at 0.1 and 20 °C.
        answers = elprops.solve("NaCl", 20, "density", 1070.6378)
        self.assertEqual(len(answers), 1)
        self.assertIsInstance(answers[0], elprops.Answer)
        self.assertEqual(bits(answers[0].mass_fraction), bits(np.float32(0.1)))
        self.assertIn(answers[0].chosen, ("exact", "lower", "upper"))
        self.assertLessEqual(answers[0].below, answers[0].above)

    def test_a_property_that_turns_has_two_answers(self):
        # The heat capacity of sodium chloride solutions falls and rises again
        # over the admissible range: 3500 J/(kg*K) at 20 °C twice.
        answers = elprops.solve("NaCl", 20, "heat_capacity", 3500)
        self.assertEqual(len(answers), 2)
        self.assertAlmostEqual(answers[0].mass_fraction, 0.171, delta=0.001)
        self.assertAlmostEqual(answers[1].mass_fraction, 0.784, delta=0.001)
        for a in answers:
            self.assertAlmostEqual(a.achieved, 3500, delta=0.01)

    def test_out_of_reach_raises_with_the_reachable_range(self):
        with self.assertRaises(elprops.OutOfReachError) as raised:
            elprops.solve("NaCl", 20, "density", 5000)
        message = str(raised.exception)
        self.assertIn("out of reach", message)
        # The range starts at the density of (nearly) pure water at 20 °C.
        self.assertRegex(message, r"give 998\.\d+ to \d+")
        self.assertIsInstance(raised.exception, elprops.InadmissibleError)
        self.assertIsInstance(raised.exception, ValueError)

    def test_concentration_in_the_units(self):
        # At w = 0.1: 10 % (the single nearest to 100 w, as percent is given
        # everywhere), 1000*0.1/(0.9*58.44) mol/kg, 0.1*rho g/L and
        # 0.1*rho/58.44 mol/L, with rho the worked example's 1070.6378.
        w = float(np.float32(0.1))
        rho = float(np.float32(1070.6378))
        expected = {"fraction": w, "percent": float(np.float32(100 * w)), "molality": 1000 * w / ((1 - w) * 58.44),
                    "g/L": w * rho, "molarity": w * rho / 58.44}
        for unit, value in expected.items():
            with self.subTest(unit):
                answer, = elprops.solve("NaCl", 20, "density", 1070.6378, unit=unit)
                self.assertAlmostEqual(answer.concentration, value, delta=1e-9 * value)

    def test_concentration_is_a_float_in_every_unit(self):
        # Answer.concentration is a float whatever the unit; in the fraction it
        # is the mass fraction itself, a Single (the float subclass holding a
        # single-precision value), which prints without a double's tail.
        for unit in ("fraction", "percent", "molality", "molarity", "g/L"):
            with self.subTest(unit):
                answer, = elprops.solve("NaCl", 20, "density", 1070.6378, unit=unit)
                self.assertIs(type(answer.concentration), elprops.Single if unit == "fraction" else float)
                self.assertIs(type(answer.mass_fraction), elprops.Single)

    def test_bad_arguments(self):
        with self.assertRaises(ValueError):
            elprops.solve("NaCl", 20, "colour", 1)
        with self.assertRaises(ValueError):
            elprops.solve("NaCl", 20, "density", 1000, unit="ppm")
        with self.assertRaises(elprops.InadmissibleError):
            elprops.solve("H2O", 20, "density", 1000)
        with self.assertRaises(elprops.InadmissibleError):
            elprops.solve("unobtainium", 20, "density", 1000)


# Answers at the mass fraction whose property is asked for: the kinds of
# their warnings and whether the property levels off there (the surface
# tension of concentrated ammonium sulfate does).
ANSWERS_WITH_WARNINGS = [
    ("above the solubility", "NaCl", 20, "density", 0.3, ("above_solubility",), False),
    ("below the solubility", "NaCl", 20, "density", 0.1, (), False),
    ("above 100 °C", "NaCl", 150, "density", 0.1, ("no_solubility_data", "above_boiling"), False),
    ("a plateau", "(NH4)2SO4", 20, "surface_tension", 0.9, ("above_solubility",), True),
]


class AnswersOfThePoint(unittest.TestCase):
    def test_warnings_and_the_run_of_equal_values(self):
        for label, substance, t, name, w, kinds, plateau in ANSWERS_WITH_WARNINGS:
            value = getattr(elprops.compute(substance, w, t), name)
            answer = [a for a in elprops.solve(substance, t, name, value) if a.run_first <= w <= a.run_last]
            with self.subTest(label):
                self.assertEqual(len(answer), 1)
                a = answer[0]
                self.assertEqual(tuple(k.kind for k in a.warnings), kinds)
                self.assertEqual(a.warnings, elprops.compute(substance, a.mass_fraction, t).warnings)
                self.assertIs(a.plateau, plateau)
                # Both ends of the run compute the value itself.
                for end in (a.run_first, a.run_last):
                    self.assertEqual(getattr(elprops.compute(substance, end, t), name), value)


class SolveArrays(unittest.TestCase):
    def test_broadcast_over_value_and_temperature(self):
        values = [1070.6378, 5000.0]
        temperatures = np.float32([[20], [40], [60]])
        r = elprops.solve("NaCl", temperatures, "density", values)
        self.assertIsInstance(r, elprops.Solutions)
        for name in r._fields:
            self.assertEqual(getattr(r, name).shape, (3, 2))
        self.assertEqual(r.mass_fraction.dtype, np.float32)
        self.assertEqual(r.count.dtype, np.int32)
        for i, t in enumerate([20, 40, 60]):
            for j, v in enumerate(values):
                with self.subTest(t=t, value=v):
                    try:
                        one = elprops.solve("NaCl", t, "density", v)
                    except elprops.OutOfReachError as e:
                        self.assertTrue(np.isnan(r.mass_fraction[i, j]))
                        self.assertEqual(r.count[i, j], 0)
                        self.assertEqual(r.error[i, j], str(e))
                    else:
                        self.assertEqual(bits(r.mass_fraction[i, j]), bits(one[0].mass_fraction))
                        self.assertEqual(r.count[i, j], len(one))
                        self.assertEqual(r.error[i, j], "")
        self.assertEqual(bits(r.mass_fraction[0, 0]), bits(np.float32(0.1)))

    def test_counts_two_where_the_property_turns(self):
        r = elprops.solve("NaCl", 20, "heat_capacity", [3500.0])
        self.assertEqual(r.count.tolist(), [2])
        self.assertAlmostEqual(float(r.mass_fraction[0]), 0.171, delta=0.001)


class Units(unittest.TestCase):
    def test_one_molal_sodium_chloride(self):
        w = elprops.to_mass_fraction("NaCl", 1, "molality")
        self.assertEqual(bits(w), bits(np.float32(58.44 / 1058.44)))

    def test_percent(self):
        self.assertEqual(bits(elprops.to_mass_fraction("NaCl", 10, "percent")), bits(np.float32(0.1)))

    def test_molarity_round_trip_through_the_density(self):
        rho = elprops.compute("NaCl", 0.1, 20).density
        target = 0.1 * rho / 58.44  # mol/L, hand-worked from c = w*rho/M
        w = elprops.to_mass_fraction("NaCl", target, "molarity", 20)
        self.assertAlmostEqual(w, 0.1, delta=1e-6)
        # molarity() takes the mass fraction as a single: 0.1 is 0.100000001490116.
        w = float(np.float32(0.1))
        self.assertAlmostEqual(elprops.molarity("NaCl", 0.1, rho), w * rho / 58.44, delta=1e-12)

    def test_errors(self):
        with self.assertRaises(elprops.InadmissibleError):
            elprops.to_mass_fraction("NaCl", -1, "molality")
        with self.assertRaises(elprops.OutOfReachError):
            elprops.to_mass_fraction("NaCl", 1000, "molarity", 20)
        with self.assertRaises(TypeError):
            elprops.to_mass_fraction("NaCl", 1, "molarity")
        # No water is left at a mass fraction of 1: no molality.
        with self.assertRaises(elprops.InadmissibleError):
            elprops.molality("NaCl", 1.0)
        self.assertTrue(np.isnan(elprops.molality("NaCl", [0.1, 1.0])[1]))

    def test_arrays(self):
        r = elprops.to_mass_fraction("NaCl", [1.0, -1.0, 2.0], "molality")
        self.assertIsInstance(r, elprops.Conversions)
        self.assertEqual(bits(r.mass_fraction[0]), bits(np.float32(58.44 / 1058.44)))
        self.assertEqual(bits(r.mass_fraction[2]), bits(np.float32(2 * 58.44 / (1000 + 2 * 58.44))))
        self.assertTrue(np.isnan(r.mass_fraction[1]))
        self.assertNotEqual(r.error[1], "")
        self.assertEqual(r.error[0], "")
        m = elprops.molality("NaCl", np.float32([0.1, 0.2]))
        np.testing.assert_allclose(m, [1000 * w / ((1 - w) * 58.44) for w in np.float32([0.1, 0.2]).tolist()],
                                   rtol=1e-12)

    def test_standard_molar_masses_against_published_values(self):
        for formula, published in (("NaCl", 58.44), ("CaCl2", 110.98), ("NH4HCO3", 79.06)):
            with self.subTest(formula):
                self.assertAlmostEqual(elprops.standard_molar_mass(formula), published, delta=0.005)

    def test_numbers_print_as_their_shortest_text(self):
        # Molar masses summed by hand from the atomic weights (N 14.007, H 1.008,
        # S 32.06, O 15.999, Ca 40.078, Cl 35.45); the worked example's answer.
        (answer,) = elprops.solve("NaCl", 20, "density", 1070.6378)
        for value, text in ((elprops.standard_molar_mass("(NH4)2SO4"), "132.134"),
                            (elprops.standard_molar_mass("CaCl2"), "110.978"), (answer.concentration, "0.1"),
                            (answer.achieved, "1070.6378")):
            self.assertEqual(repr(value), text)


class Documentation(unittest.TestCase):
    def test_new_functions_have_docstrings_and_examples_that_run(self):
        for name in ("solve", "to_mass_fraction", "molality", "molarity", "standard_molar_mass"):
            with self.subTest(name):
                function = getattr(elprops, name)
                self.assertTrue(function.__doc__ and len(function.__doc__) > 100)
                self.assertIn(name, elprops.__all__)
                finder = doctest.DocTestFinder()
                runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
                for test in finder.find(function, name, globs={"elprops": elprops, "np": np}):
                    runner.run(test)
                self.assertEqual(runner.failures, 0)


class DerivedAndTemperature(unittest.TestCase):
    # The worked example as published to seven digits: rho, mu, c_p, lambda.
    RHO, MU, CP, LAMBDA = 1070.638, 0.001208059, 3747.392, 0.5867352

    def test_derived_quantities_of_the_worked_example_by_hand(self):
        d = elprops.compute_derived("NaCl", 0.1, 20)
        for got, by_hand in ((d.prandtl_number, self.MU * self.CP / self.LAMBDA),
                             (d.kinematic_viscosity, self.MU / self.RHO),
                             (d.volumetric_heat_capacity, self.RHO * self.CP)):
            self.assertAlmostEqual(got / by_hand, 1.0, delta=2e-6)
        arrays = elprops.compute_derived("NaCl", [0.1, 1.5], 20)
        self.assertEqual(arrays.prandtl_number[0], d.prandtl_number)
        self.assertTrue(np.isnan(arrays.prandtl_number[1]))
        self.assertIn("not between 0 and 1", arrays.error[1])

    def test_temperature_and_derived_solves_find_the_point_again(self):
        mu = elprops.compute("CaCl2", 0.25, 30).viscosity
        answers = elprops.solve_temperature("CaCl2", 0.25, "viscosity", mu)
        self.assertTrue(any(a.run_first <= 30 <= a.run_last for a in answers))
        pr = elprops.compute_derived("NaCl", 0.1, 20).prandtl_number
        self.assertAlmostEqual(elprops.solve("NaCl", 20, "prandtl", pr)[0].mass_fraction, 0.1, delta=1e-4)
        with self.assertRaises(ValueError):
            elprops.solve_temperature("NaCl", 0.1, "enthalpy", 1.0)


if __name__ == "__main__":
    unittest.main()
