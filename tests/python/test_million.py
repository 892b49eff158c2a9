"""A million points in one call: it completes, and a sample of its points
equals the scalar calls on them, failed points included."""
import unittest

import numpy as np

from support import PROPERTIES, bits, elprops

POINTS = 1_000_000
SAMPLE = 5_000


def arithmetic(errors):
    """Where the messages (an array of str objects) are arithmetic faults."""
    return np.frompyfunc(lambda e: e.startswith("arithmetic error"), 1, 1)(errors).astype(bool)


class MillionPoints(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        rng = np.random.default_rng(20261208)
        cls.substances = rng.integers(1, 20, size=POINTS, dtype=np.int32)
        # Mostly admissible, with refused and failing points among them:
        # fractions up to 1.05, temperatures up to 280, water at any fraction.
        cls.fractions = rng.uniform(-0.02, 1.05, size=POINTS).astype(np.float32)
        cls.fractions[cls.substances == 19] = np.where(rng.random(np.count_nonzero(cls.substances == 19)) < 0.9, 0.0,
                                                       0.2)
        cls.temperatures = rng.uniform(-5.0, 280.0, size=POINTS).astype(np.float32)
        cls.result = elprops.compute(cls.substances.reshape(1000, 1000), cls.fractions.reshape(1000, 1000),
                                     cls.temperatures.reshape(1000, 1000))
        # A random sample, and the first points the call says failed, of
        # either kind, so that the sample surely holds some.
        errors = cls.result.error.ravel()
        faults = np.flatnonzero(arithmetic(errors))[:20]
        refused = np.flatnonzero((errors != "") & ~arithmetic(errors))[:20]
        cls.sample = np.union1d(rng.choice(POINTS, size=SAMPLE, replace=False), np.concatenate([faults, refused]))

    def test_completes_with_the_shape_of_the_arguments(self):
        for name in PROPERTIES:
            self.assertEqual(getattr(self.result, name).shape, (1000, 1000))
        self.assertEqual(self.result.error.shape, (1000, 1000))

    def test_reaches_results_refusals_and_faults(self):
        errors = self.result.error.ravel()
        failed = errors != ""
        faults = arithmetic(errors)
        self.assertGreater(np.count_nonzero(~failed), POINTS // 2)
        self.assertGreater(np.count_nonzero(faults), 0)
        self.assertGreater(np.count_nonzero(failed & ~faults), 0)
        # NaN exactly where a point failed.
        np.testing.assert_array_equal(np.isnan(self.result.density.ravel()), failed)

    def test_sample_equals_the_scalar_calls(self):
        mismatches = []
        arrays = {name: getattr(self.result, name).ravel() for name in PROPERTIES}
        errors = self.result.error.ravel()
        kinds = set()
        for i in self.sample:
            s, x, t = int(self.substances[i]), float(self.fractions[i]), float(self.temperatures[i])
            try:
                one = elprops.compute(s, x, t)
            except ValueError as e:
                kinds.add(type(e).__name__)
                if errors[i] != str(e) or not np.isnan(arrays["density"][i]):
                    mismatches.append((s, x, t, str(e), errors[i]))
                continue
            kinds.add("computed")
            got = tuple(bits(arrays[name][i]) for name in PROPERTIES)
            if errors[i] != "" or got != tuple(bits(v) for v in one):
                mismatches.append((s, x, t, got, errors[i]))
        self.assertEqual(mismatches, [])
        self.assertEqual(kinds, {"computed", "InadmissibleError", "ArithmeticFault"})


if __name__ == "__main__":
    unittest.main()
