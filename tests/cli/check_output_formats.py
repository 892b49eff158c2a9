#!/usr/bin/env python3
"""The output of elprops-cli batch read back by Python's own CSV and JSON
readers: every CSV record has the header's cells and is looked up by column
name, every JSON line is well-formed UTF-8 and valid JSON with the same
fields. The input mixes computed points, refused points, an arithmetic
fault, rows that are not points, bytes that are not UTF-8, control
characters and a point above the solubility of its salt (a warning, not an
error). With a unit column the unit columns follow the input columns. The
answers of solve read back the same way, each with its warnings."""

import csv
import io
import json
import subprocess
import sys

COLUMNS = ["substance", "concentration", "temperature", "density", "viscosity", "surface_tension",
           "heat_capacity", "thermal_conductivity", "error", "warning"]
PROPERTIES = COLUMNS[3:8]
UNIT_COLUMNS = COLUMNS[:3] + ["unit", "mass_fraction", "molality", "molarity"] + COLUMNS[3:]
# Sodium chloride dissolves to a mass fraction of 0.2641 at 20 °C.
SOLUBILITY_WARNING = "above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)"

INPUT = (b"substance,concentration,temperature\n"
         b"NaCl,0.1,20\n"            # computed
         b"K2CO3,0.99,20\n"          # arithmetic fault
         b"NaCl,0.1,270\n"           # refused: on the limit
         b"H2O,,100\n"               # computed
         b"NaCl,nan,20\n"            # not a number
         b"NaCl,0.1\n"               # two cells
         b"\"Na\"\"Cl,0.1,20\n"      # quote not closed
         b"N\xffa\xc3Cl,0.1,20\n"    # not UTF-8
         b"Na\tCl\x01\x1b,0.1,20\n"  # control characters
         b"CaCl2,\"0,3\",60\n"        # computed
         b"NaCl,0.3,20\n")           # computed, above the solubility
COMPUTED = [True, False, False, True, False, False, False, False, False, True, True]
WARNED = 10  # the index of the row with a warning


def run(program, fmt, data=INPUT):
    result = subprocess.run([program, "batch", "--format", fmt], input=data, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, check=False)
    if result.returncode != 1:
        sys.exit(f"{fmt}: exit status {result.returncode}, expected 1: {result.stderr!r}")
    return result.stdout


def check_csv(program):
    text = run(program, "csv").decode("utf-8", errors="surrogateescape")
    reader = csv.DictReader(io.StringIO(text, newline=""), restkey="<extra>", restval="<missing>")
    if reader.fieldnames != COLUMNS:
        sys.exit(f"csv: header {reader.fieldnames}")
    rows = list(reader)
    if len(rows) != len(COMPUTED):
        sys.exit(f"csv: {len(rows)} records, expected {len(COMPUTED)}")
    for n, (row, computed) in enumerate(zip(rows, COMPUTED), start=1):
        if "<extra>" in row or "<missing>" in row.values():
            sys.exit(f"csv record {n}: not the header's {len(COLUMNS)} cells: {row}")
        if computed:
            if row["error"] != "" or not all(float(row[p]) > 0 for p in PROPERTIES):
                sys.exit(f"csv record {n}: expected a computed point: {row}")
        elif row["error"] == "" or any(row[p] != "" for p in PROPERTIES):
            sys.exit(f"csv record {n}: expected empty properties and an error: {row}")
    if not rows[1]["error"].startswith("arithmetic error"):
        sys.exit(f"csv: the arithmetic fault is not under error: {rows[1]}")
    if rows[4]["error"] != 'line 6: concentration "nan" is not a number':
        sys.exit(f"csv: {rows[4]['error']!r}")
    for n, row in enumerate(rows):
        expected = SOLUBILITY_WARNING if n == WARNED else ""
        if row["warning"] != expected:
            sys.exit(f"csv record {n + 1}: warning {row['warning']!r}, expected {expected!r}")


def check_json(program):
    data = run(program, "json")
    try:
        text = data.decode("utf-8", errors="strict")
    except UnicodeDecodeError as e:
        sys.exit(f"json: not UTF-8: {e}")
    lines = text.split("\n")
    if lines[-1] != "":
        sys.exit("json: the output does not end with a line feed")
    objects = [json.loads(line) for line in lines[:-1]]
    if len(objects) != len(COMPUTED):
        sys.exit(f"json: {len(objects)} objects, expected {len(COMPUTED)}")
    for n, (obj, computed) in enumerate(zip(objects, COMPUTED), start=1):
        if list(obj) != COLUMNS:
            sys.exit(f"json object {n}: fields {list(obj)}")
        if computed != (obj["error"] is None) or computed != all(isinstance(obj[p], float) for p in PROPERTIES):
            sys.exit(f"json object {n}: {obj}")
    for n, obj in enumerate(objects):
        expected = SOLUBILITY_WARNING if n == WARNED else None
        if obj["warning"] != expected:
            sys.exit(f"json object {n + 1}: warning {obj['warning']!r}, expected {expected!r}")
    if objects[7]["substance"] != "N\ufffda\ufffdCl":
        sys.exit(f"json: bytes that are not UTF-8: {objects[7]['substance']!r}")
    if objects[8]["substance"] != "Na\tCl\x01\x1b" or "\t" in lines[8] or "\x1b" in lines[8]:
        sys.exit(f"json: control characters: {lines[8]!r}")


def check_unit_column(program):
    # 1 mol/kg of NaCl (58.44 g/mol) is 58.44 g in 1058.44 g of solution.
    data = ("substance,concentration,temperature,unit\n"
            "NaCl,1,25,molality\n"
            "NaCl,10,25,percent\n").encode()
    result = subprocess.run([program, "batch"], input=data, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            check=False)
    if result.returncode != 0:
        sys.exit(f"unit column: exit status {result.returncode}: {result.stderr!r}")
    reader = csv.DictReader(io.StringIO(result.stdout.decode("utf-8"), newline=""))
    if reader.fieldnames != UNIT_COLUMNS:
        sys.exit(f"unit column: header {reader.fieldnames}")
    rows = list(reader)
    expected = [("1", "molality", 58.44 / 1058.44), ("10", "percent", 0.1)]
    for row, (given, unit, w) in zip(rows, expected):
        if row["concentration"] != given or row["unit"] != unit or abs(float(row["mass_fraction"]) - w) > 1e-6:
            sys.exit(f"unit column: {row}")


def check_solve(program):
    # The heat capacity of NaCl at 20 °C turns: two answers, the second above the solubility; a
    # density of 5000 is out of reach.
    args = [program, "solve", "-s", "sodium chloride", "-t", "20", "--heat-capacity", "3500", "--format"]
    text = subprocess.run(args + ["csv"], stdout=subprocess.PIPE, check=True).stdout.decode("utf-8")
    rows = list(csv.DictReader(io.StringIO(text, newline="")))
    if len(rows) != 2 or list(rows[0])[-5:] != ["error", "run_first", "run_last", "plateau", "warning"] or rows[1]["warning"] != SOLUBILITY_WARNING:
        sys.exit(f"solve csv: {rows}")
    line = subprocess.run(args + ["json"], stdout=subprocess.PIPE, check=True).stdout.decode("utf-8")
    roots = json.loads(line)["roots"]
    if [r["warning"] for r in roots] != [None, SOLUBILITY_WARNING] or [r["mass_fraction"] for r in roots] != [
            float(r["mass_fraction"]) for r in rows]:
        sys.exit(f"solve json: {line!r}")
    far = subprocess.run(args[:6] + ["--density", "5000", "--format", "json"], stdout=subprocess.PIPE, check=False)
    if far.returncode != 1 or "out of reach" not in json.loads(far.stdout)["error"]:
        sys.exit(f"solve json out of reach: {far.stdout!r}")


def main():
    program = sys.argv[1]
    check_csv(program)
    check_json(program)
    check_unit_column(program)
    check_solve(program)
    print("CSV and JSON output read back by Python's readers")


if __name__ == "__main__":
    main()
