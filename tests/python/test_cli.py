"""The module gives the bits and the refusals of elprops-cli: the real program
computes a mixed grid with its batch command, and every value of its CSV is
compared with the module's, in the array form and point by point."""
import csv
import io
import os
import subprocess
import unittest

import numpy as np

from support import PROPERTIES, bits, elprops, parse_single

CLI = os.environ.get("ELPROPS_CLI")

# Mass fractions and temperatures around and beyond every limit, with
# points far above saturation where the correlations fail.
FRACTIONS = ["-0.1", "0", "1e-06", "0.01", "0.05", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9",
             "0.95", "0.99", "0.999", "1", "1.5"]
TEMPERATURES = ["-5", "1e-20", "1e-10", "0.5", "20", "25", "37.5", "50", "80", "100", "150", "199.9", "200", "250",
                "269.9", "270", "300"]


def grid():
    """Every substance at every fraction and temperature, as texts and as float32."""
    rows = [(s, x, t) for s in range(1, 20) for x in FRACTIONS for t in TEMPERATURES]
    substances = np.array([r[0] for r in rows], dtype=np.int32)
    fractions = np.array([parse_single(r[1]) for r in rows], dtype=np.float32)
    temperatures = np.array([parse_single(r[2]) for r in rows], dtype=np.float32)
    return rows, substances, fractions, temperatures


def run_batch(rows):
    text = "substance,concentration,temperature\n" + "".join(f"{s},{x},{t}\n" for s, x, t in rows)
    env = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")
    run = subprocess.run([CLI, "batch", "--format", "csv"], input=text.encode("utf-8"), capture_output=True,
                         env=env, check=False)
    return run.returncode, run.stdout.decode("utf-8"), run.stderr.decode("utf-8", "replace")


@unittest.skipUnless(CLI, "elprops-cli is not built (ELPROPS_CLI not set)")
class SameAsTheCli(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.rows, cls.substances, cls.fractions, cls.temperatures = grid()
        cls.status, out, cls.err = run_batch(cls.rows)
        cls.table = list(csv.DictReader(io.StringIO(out)))

    def test_the_cli_answers_every_row(self):
        self.assertEqual(self.status, 1, self.err)  # some points are refused
        self.assertEqual(len(self.table), len(self.rows))

    def test_the_grid_reaches_results_refusals_and_faults(self):
        errors = [row["error"] for row in self.table]
        computed = sum(1 for e in errors if not e)
        faults = sum(1 for e in errors if e.startswith("arithmetic error"))
        self.assertGreater(computed, 2000)
        self.assertGreater(faults, 0)
        self.assertGreater(len(errors) - computed - faults, 0)
        # Potassium carbonate at 0.99 and 20 degrees is one of the faults.
        k2co3 = elprops.find_substance("K2CO3").index
        row = self.table[self.rows.index((k2co3, "0.99", "20"))]
        self.assertTrue(row["error"].startswith("arithmetic error"), row)

    def test_array_form_bit_for_bit(self):
        r = elprops.compute(self.substances, self.fractions, self.temperatures)
        mismatches = []
        for k, row in enumerate(self.table):
            if row["error"]:
                if r.error[k] != row["error"] or not all(np.isnan(getattr(r, n)[k]) for n in PROPERTIES):
                    mismatches.append((self.rows[k], row["error"], str(r.error[k])))
                continue
            expected = tuple(bits(parse_single(row[n])) for n in PROPERTIES)
            got = tuple(bits(getattr(r, n)[k]) for n in PROPERTIES)
            if r.error[k] != "" or got != expected:
                mismatches.append((self.rows[k], expected, got, str(r.error[k])))
        self.assertEqual(mismatches, [])

    def test_one_point_at_a_time_bit_for_bit(self):
        mismatches = []
        for k, row in enumerate(self.table):
            s, x, t = int(self.substances[k]), float(self.fractions[k]), float(self.temperatures[k])
            try:
                one = elprops.compute(s, x, t)
            except elprops.ArithmeticFault as e:
                if str(e) != row["error"] or not row["error"].startswith("arithmetic error"):
                    mismatches.append((self.rows[k], "ArithmeticFault", str(e), row["error"]))
                continue
            except elprops.InadmissibleError as e:
                if str(e) != row["error"] or row["error"].startswith("arithmetic error"):
                    mismatches.append((self.rows[k], "InadmissibleError", str(e), row["error"]))
                continue
            expected = tuple(bits(parse_single(row[n])) for n in PROPERTIES)
            if row["error"] or tuple(bits(v) for v in one) != expected:
                mismatches.append((self.rows[k], expected, tuple(bits(v) for v in one), row["error"]))
        self.assertEqual(mismatches, [])


class SingleParsing(unittest.TestCase):
    """The exact reading of the CLI's texts the comparison relies on."""

    def test_nearest_single_ties_to_even(self):
        cases = [
            ("0.1", 0x3DCCCCCD), ("1070.6378", bits(np.float32(1070.6378))), ("1e-20", 0x1E3CE508),
            ("16777217", 0x4B800000),  # halfway between 2^24 and 2^24 + 2: to the even one
            ("16777219", 0x4B800002),  # halfway between 2^24 + 2 and 2^24 + 4: to the even one
            ("-2.5", 0xC0200000),
        ]
        for text, expected in cases:
            with self.subTest(text):
                self.assertEqual(bits(parse_single(text)), expected)


if __name__ == "__main__":
    unittest.main()
