"""The Calc extension in a real headless LibreOffice Calc.

    calc_test.py OXT ELPROPS_CLI EXAMPLE

Adds the extension to a private profile, recalculates a sheet of formulas
(each function, refused and failing points, ranges), saves it as CSV and
compares every cell with elprops-cli's answer for the point: the same single,
the same text, or an error cell where elprops-cli refuses. The example
spreadsheet must recalculate without an error with the extension unpacked
among the bundled extensions, as the Debian package installs it. Exit 77
without LibreOffice.
"""
import contextlib
import csv
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile

import numpy as np

try:
    import uno
    import unohelper
    from com.sun.star.beans import PropertyValue
    from com.sun.star.task import XInteractionHandler
    from com.sun.star.ucb import XCommandEnvironment
except ImportError as missing:
    print(f"SKIPPED: LibreOffice's Python bridge is not installed ({missing}); scripts/install-deps.sh installs it")
    sys.exit(77)

OFFICE = shutil.which("soffice") or "/usr/lib/libreoffice/program/soffice"
START_SECONDS, STOP_SECONDS = 120, 30
ERROR_CELL = "Err:502"

# Single points: the formula, the elprops-cli call and the column of its CSV
# that the cell must show (for a property: an error cell where it refuses).
POINTS = [
    ('ELPROPS_DENSITY("NaCl";0.1;20)', "compute -s NaCl -c 0.1 -t 20", "density"),
    ('ELPROPS_VISCOSITY("NaCl";0.1;20)', "compute -s NaCl -c 0.1 -t 20", "viscosity"),
    ('ELPROPS_SURFACE_TENSION("nacl";0.1;20)', "compute -s NaCl -c 0.1 -t 20", "surface_tension"),
    ('ELPROPS_HEAT_CAPACITY(17;0.2;60)', "compute -s 17 -c 0.2 -t 60", "heat_capacity"),
    ('ELPROPS_THERMAL_CONDUCTIVITY("H2O";0;150)', "compute -s H2O -c 0 -t 150", "thermal_conductivity"),
    ('ELPROPS_DENSITY("CaCl2";2;30;"molarity")', "compute -s CaCl2 -c 2 -u molarity -t 30", "density"),
    ('ELPROPS_WARNING("NaCl";0.3;120)', "compute -s NaCl -c 0.3 -t 120", "warning"),
    ('ELPROPS_WARNING("NaCl";0.1;20)', "compute -s NaCl -c 0.1 -t 20", "warning"),
    ('ELPROPS_ERROR("NaCl";0.1;20)', "compute -s NaCl -c 0.1 -t 20", "error"),
    ('ELPROPS_DENSITY("NaCl";1.2;20)', "compute -s NaCl -c 1.2 -t 20", "density"),  # refused
    ('ELPROPS_ERROR("NaCl";1.2;20)', "compute -s NaCl -c 1.2 -t 20", "error"),
    ('ELPROPS_SURFACE_TENSION("K2CO3";0.99;20)', "compute -s K2CO3 -c 0.99 -t 20", "surface_tension"),  # fails
    ('ELPROPS_ERROR("K2CO3";0.99;20)', "compute -s K2CO3 -c 0.99 -t 20", "error"),
    ('ELPROPS_SOLVE("NaCl";"density";1070.6378;20)', "solve -s NaCl -t 20 --density 1070.6378", "concentration"),
    ('ELPROPS_SOLVE("KCl";"heat_capacity";3600;50;"molality")',
     "solve -s KCl -t 50 --heat-capacity 3600 -u molality", "concentration"),
    ('ELPROPS_SOLVE("NaCl";"density";5000;20)', "solve -s NaCl -t 20 --density 5000", "concentration"),
    ('ELPROPS_PRANDTL_NUMBER("NaCl";0.1;20)', "compute -s NaCl -c 0.1 -t 20", "prandtl_number"),
    ('ELPROPS_KINEMATIC_VISCOSITY("CaCl2";20;50;"percent")', "compute -s CaCl2 -c 20 -u percent -t 50",
     "kinematic_viscosity"),
    ('ELPROPS_PRANDTL_NUMBER("NaCl";1.2;20)', "compute -s NaCl -c 1.2 -t 20", "prandtl_number"),
]
# Derived quantities worked out here from elprops-cli's properties (the
# singles widened to double, as the library takes them).
DERIVED = {"prandtl_number": lambda p: p("viscosity") * p("heat_capacity") / p("thermal_conductivity"),
           "kinematic_viscosity": lambda p: p("viscosity") / p("density")}
# Ranges as array formulas: the formula, its rows and columns, the
# elprops-cli calls that give its cells row by row, the column. The sheet
# holds the temperatures 20 to 80 in B1:E1 and the concentrations 0.05 to 0.2
# and 1.2 (refused) in A2:A6.
KCL_COLUMN = ["compute -s KCl -c 0.05:0.2:0.05 -t 20", "compute -s KCl -c 1.2 -t 20"]
RANGES = [
    ('ELPROPS_VISCOSITY("KCl";A2:A5;B1:E1)', (4, 4), ["compute -s KCl -c 0.05:0.2:0.05 -t 20:80:20"], "viscosity"),
    ('ELPROPS_DENSITY("KCl";A2:A6;20)', (5, 1), KCL_COLUMN, "density"),
    ('ELPROPS_ERROR("KCl";A2:A6;20)', (5, 1), KCL_COLUMN, "error"),
]


def cli_rows(cli, calls):
    """elprops-cli's CSV rows of the calls (of solve, the first root)."""
    rows = []
    for call in calls:
        out = subprocess.run([cli, *call.split(), "-f", "csv"], capture_output=True, text=True, timeout=60)
        rows += [row for row in csv.DictReader(out.stdout.splitlines()) if row.get("root") in (None, "", "1")]
    for row in (row for row in rows if "viscosity" in row):
        for name, formula in DERIVED.items():
            row[name] = "" if row["error"] else formula(lambda field: float(np.float32(row[field])))
    return rows


def matches(cell, row, column):
    """Whether a cell shows what elprops-cli wrote for the point."""
    if column in ("warning", "error"):
        return cell == row[column]
    if row["error"]:
        return cell == ERROR_CELL
    return cell != ERROR_CELL and np.float32(float(cell.replace(",", "."))) == np.float32(row[column])


def property_value(name, value):
    prop = PropertyValue()
    prop.Name, prop.Value = name, value
    return prop


class Approve(unohelper.Base, XCommandEnvironment, XInteractionHandler):
    """The command environment of adding the extension: approves what it is asked."""

    def getInteractionHandler(self):
        return self

    def getProgressHandler(self):
        return None

    def handle(self, request):
        for choice in request.getContinuations():
            if choice.queryInterface(uno.getTypeByName("com.sun.star.task.XInteractionApprove")):
                choice.select()


def start_office(folder, name, *options):
    pipe = f"elprops_calc_test_{os.getpid()}_{name}"
    profile = uno.systemPathToFileUrl(os.path.join(folder, name))
    office = subprocess.Popen(
        [OFFICE, "--headless", "--invisible", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
         f"-env:UserInstallation={profile}", f"--accept=pipe,name={pipe};urp;", *options],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True,
        env=dict(os.environ, SAL_USE_VCLPLUGIN="svp"))
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.monotonic() + START_SECONDS
    while True:
        try:
            return office, resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
        except Exception:  # not listening yet
            if office.poll() is not None or time.monotonic() > deadline:
                stop_office(office, None)
                raise RuntimeError(f"LibreOffice did not start within {START_SECONDS} s (exit {office.poll()})")
            time.sleep(0.2)


def stop_office(office, desktop):
    """Asks the office to end, then kills what is left of its process group."""
    with contextlib.suppress(Exception):  # the bridge goes down with the office
        desktop.terminate()
    with contextlib.suppress(subprocess.TimeoutExpired):
        office.wait(STOP_SECONDS)
    with contextlib.suppress(ProcessLookupError):
        os.killpg(office.pid, signal.SIGKILL)
    office.wait()


def fill_sheet(sheet):
    for column, temperature in enumerate((20, 40, 60, 80), start=1):
        sheet.getCellByPosition(column, 0).setValue(temperature)
    for row, concentration in enumerate((0.05, 0.1, 0.15, 0.2, 1.2), start=1):
        sheet.getCellByPosition(0, row).setValue(concentration)
    for row, (formula, _, _) in enumerate(POINTS, start=10):
        sheet.getCellByPosition(0, row).setFormula("=" + formula)
    places, column = [], 6
    for formula, (rows, columns), _, _ in RANGES:
        sheet.getCellRangeByPosition(column, 0, column + columns - 1, rows - 1).setArrayFormula(formula)
        places.append(column)
        column += columns + 1
    return places


def compare(table, cli, places):
    """The cells that differ from elprops-cli, described."""
    failures = []
    for row, (formula, call, column) in enumerate(POINTS, start=10):
        expected = cli_rows(cli, [call])[0]
        if not matches(table[row][0], expected, column):
            failures.append(f"{formula}: cell {table[row][0]!r}, elprops-cli {expected[column]!r} {expected['error']!r}")
    for place, (formula, (_, columns), calls, column) in zip(places, RANGES):
        for index, expected in enumerate(cli_rows(cli, calls)):
            cell = table[index // columns][place + index % columns]
            if not matches(cell, expected, column):
                failures.append(f"{formula}, cell {index}: {cell!r}, elprops-cli {expected[column]!r}")
    return failures


def recalculated_csv(desktop, url, folder):
    """The first sheet of a document after a full recalculation, as CSV rows."""
    document = desktop.loadComponentFromURL(url, "_blank", 0, (property_value("Hidden", True),))
    try:
        document.calculateAll()
        out = os.path.join(folder, "sheet.csv")
        # Tab-separated UTF-8 cells, all digits rather than as shown.
        document.storeToURL(uno.systemPathToFileUrl(out), (
            property_value("FilterName", "Text - txt - csv (StarCalc)"),
            property_value("FilterOptions", "9,34,76,1,,0,false,false,false,false")))
    finally:
        document.close(True)
    with open(out, encoding="utf-8", newline="") as text:
        rows = list(csv.reader(text, delimiter="\t"))
    width = max(len(row) for row in rows)
    return [row + [""] * (width - len(row)) for row in rows]


FUNCTIONS = ("ELPROPS_DENSITY", "ELPROPS_VISCOSITY", "ELPROPS_SURFACE_TENSION", "ELPROPS_HEAT_CAPACITY",
             "ELPROPS_THERMAL_CONDUCTIVITY", "ELPROPS_WARNING", "ELPROPS_ERROR", "ELPROPS_SOLVE", "ELPROPS_VERSION")


def wizard_failures(office_context):
    """What the function wizard lacks: every function, its arguments named with their units."""
    descriptions = office_context.ServiceManager.createInstanceWithContext(
        "com.sun.star.sheet.FunctionDescriptions", office_context)
    failures = [f"the function wizard has no {name}" for name in FUNCTIONS if not descriptions.hasByName(name)]
    if not failures:
        density = {item.Name: item.Value for item in descriptions.getByName("ELPROPS_DENSITY")}
        names = [argument.Name for argument in density["Arguments"]]
        if names != ["substance", "concentration kg/kg", "temperature °C", "unit"] or not density["Description"]:
            failures.append(f"ELPROPS_DENSITY in the wizard: arguments {names}, {density['Description']!r}")
    return failures


def functions_failures(office_context, desktop, oxt, cli, folder):
    """The extension added to the user profile as unopkg adds it; the sheet of formulas against elprops-cli."""
    manager = office_context.getValueByName("/singletons/com.sun.star.deployment.ExtensionManager")
    added = manager.addExtension(uno.systemPathToFileUrl(oxt), (), "user", manager.createAbortChannel(), Approve())
    if added is None:
        return ["the extension could not be added to the profile"]
    failures = wizard_failures(office_context)
    document = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (property_value("Hidden", True),))
    places = fill_sheet(document.Sheets.getByIndex(0))
    sheet_url = uno.systemPathToFileUrl(os.path.join(folder, "functions.ods"))
    document.storeToURL(sheet_url, ())
    document.close(True)
    return failures + compare(recalculated_csv(desktop, sheet_url, folder), cli, places)


def example_failures(desktop, example, folder):
    """The example recalculated (by the extension, or every formula is an error): no cell an error."""
    return [f"{os.path.basename(example)} row {number}: {cell}"
            for number, row in enumerate(recalculated_csv(desktop, uno.systemPathToFileUrl(example), folder), start=1)
            for cell in row if cell.startswith(("Err:", "#"))]


def session(folder, name, work, *options):
    """work(context, desktop) in an office of a profile of its own, stopped whatever happens."""
    office, office_context = start_office(folder, name, *options)
    desktop = None
    try:
        desktop = office_context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop",
                                                                          office_context)
        return work(office_context, desktop)
    finally:
        stop_office(office, desktop)


def main(oxt, cli, example):
    if not os.path.exists(OFFICE):
        print("SKIPPED: LibreOffice Calc is not installed; scripts/install-deps.sh installs it")
        return 77
    folder = tempfile.mkdtemp(prefix="elprops-calc-")
    try:
        failures = session(folder, "user", lambda context, desktop: functions_failures(context, desktop, oxt, cli,
                                                                                       folder))
        # As the Debian package installs it: unpacked among the bundled extensions.
        bundled = os.path.join(folder, "extensions")
        with zipfile.ZipFile(oxt) as archive:
            archive.extractall(os.path.join(bundled, "elprops"))
        failures += session(folder, "bundled", lambda _context, desktop: example_failures(desktop, example, folder),
                            f"-env:BUNDLED_EXTENSIONS={uno.systemPathToFileUrl(bundled)}")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(POINTS)} formulas and {len(RANGES)} ranges compared with elprops-cli, the example recalculated: "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*(os.path.abspath(path) for path in sys.argv[1:4])))
