#!/usr/bin/env python3
"""Compares elprops's correlations with independent published models.

Every salt: against the reference models of the public library
(elprops::reference_values), over the grid that the program
elprops_accuracy_grid walks (1 °C and 5 to 100 °C in steps of 5 °C, mass
fractions 0.01, 0.02, ... up to the solubility), at the points inside the
span of the measurements behind the reference.

Water: density and heat capacity from IAPWS-95, viscosity from IAPWS 2008,
thermal conductivity from IAPWS 2011 and surface tension from IAPWS 2014
(Debian python3-iapws). Liquid water at atmospheric pressure up to 99 °C and
the saturated liquid above, where water at atmospheric pressure would boil.

  accuracy-report.py --grid PROGRAM --write docs/accuracy.md   writes the page,
      and beside it the figures: accuracy-water.png, and per salt with a
      reference accuracy-<formula>.png (Debian python3-matplotlib)
  accuracy-report.py --grid PROGRAM --check docs/accuracy.md   compares again;
      exit 1 when a figure (a median or largest deviation of a salt, a largest
      deviation of water) grew by more than a tenth of itself

PROGRAM is the built elprops_accuracy_grid, which gives elprops's values
through the public C++ library.
"""
import argparse
import math
import os
import re
import statistics
import subprocess
import sys
import tempfile

from iapws import IAPWS95
from iapws._iapws import _Tension

ATMOSPHERE_MPA = 0.101325
PROPERTIES = [
    ("density", "density", "IAPWS-95", "kg/m³"),
    ("viscosity", "viscosity", "IAPWS 2008", "Pa·s"),
    ("surface_tension", "surface tension", "IAPWS 2014", "N/m"),
    ("heat_capacity", "heat capacity", "IAPWS-95", "J/(kg·K)"),
    ("thermal_conductivity", "thermal conductivity", "IAPWS 2011", "W/(m·K)"),
]
RANGES = [("1–100 °C", 1, 100), ("100–199 °C", 100, 199)]
# The temperatures of the grid whose deviations the figure of a salt shows.
FIGURE_TEMPERATURES = [5, 25, 50, 75, 100]
# Colours told apart also with the common colour-vision deficiencies, as the
# plots of elprops-cli draw them.
PALETTE = ["#0072B2", "#D55E00", "#009E73", "#CC79A7", "#E69F00", "#56B4E9", "#000000"]


def reference(t):
    """The IAPWS values of liquid water at t °C."""
    kelvin = t + 273.15
    state = IAPWS95(T=kelvin, P=ATMOSPHERE_MPA)
    if state.phase != "Liquid" and state.x != 0:
        state = IAPWS95(T=kelvin, x=0)  # the saturated liquid
    return {
        "density": state.rho,
        "viscosity": state.mu,
        "surface_tension": _Tension(kelvin),
        "heat_capacity": state.cp * 1000.0,
        "thermal_conductivity": state.k,
    }


def deviations(water):
    """Relative deviations (elprops − IAPWS) / IAPWS at 1, 2, ..., 199 °C,
    from elprops's water values by temperature."""
    table = {}
    for t in range(1, 200):
        ref = reference(float(t))
        table[t] = {key: (water[t][key] - ref[key]) / ref[key] for key, *_ in PROPERTIES}
    return table


def largest(table):
    out = {}
    for label, low, high in RANGES:
        for key, *_ in PROPERTIES:
            out[(label, key)] = max(abs(table[t][key]) for t in range(low, high + 1))
    return out


def percent(value):
    return f"{value * 100:+.2f} %"


def salt_grid(program):
    """The salts, the references used and the grid's points, from the program."""
    try:
        run = subprocess.run([program], capture_output=True, text=True, encoding="utf-8", check=False)
    except OSError as error:
        raise SystemExit(f"accuracy-report: cannot run {program}: {error.strerror}")
    if run.returncode != 0:
        raise SystemExit(f"accuracy-report: {program} failed: {run.stderr.strip()}")
    salts, used, points, water = [], {}, {}, {}
    for line in run.stdout.splitlines():
        kind, *cells = line.split("\t")
        if kind == "water":
            water[int(cells[0])] = {key: float(v) for (key, *_), v in zip(PROPERTIES, cells[1:])}
        elif kind == "salt":
            salts.append((cells[0], cells[1]))
        elif kind == "cover":
            used.setdefault((cells[0], cells[1]), []).append(cells[2])
        elif kind == "point":
            formula, key, w, t, ours, ref, source = cells
            points.setdefault((formula, key), []).append(
                (float(w), float(t), float(ours), float(ref), source))
    if sorted(water) != list(range(1, 200)):
        raise SystemExit(f"accuracy-report: {program} gave no water values from 1 to 199 °C")
    return salts, used, points, water


def salt_figures(points):
    """Per salt and property: the point count, the median deviation, the
    largest (by magnitude) and the point where it lies."""
    figures = {}
    for key, rows in points.items():
        deviations = [(ours - ref) / ref for _, _, ours, ref, _ in rows]
        worst = max(range(len(rows)), key=lambda i: abs(deviations[i]))
        figures[key] = {
            "count": len(rows),
            "median": statistics.median(deviations),
            "largest": deviations[worst],
            "where": rows[worst],
            "sources": sorted({row[4] for row in rows}),
        }
    return figures


def summary_cell(figure, used):
    if figure is not None:
        return f"{percent(figure['median'])} / {percent(figure['largest'])} ({', '.join(figure['sources'])})"
    if used:
        return f"outside the data ({', '.join(used)})"
    return "no reference"


def summary_lines(salts, used, figures):
    lines = [
        "| salt | " + " | ".join(name for _, name, *_ in PROPERTIES) + " |",
        "|---|" + "---|" * len(PROPERTIES),
    ]
    for formula, _ in salts:
        cells = [summary_cell(figures.get((formula, key)), used.get((formula, key), [])) for key, *_ in PROPERTIES]
        lines.append(f"| {formula} | " + " | ".join(cells) + " |")
    return lines


def salt_sections(salts, used, figures, drawn):
    lines = []
    for formula, name in salts:
        lines += ["", f"### {formula} ({name})", ""]
        rows = [(key, words, unit, figures.get((formula, key))) for key, words, _, unit in PROPERTIES]
        if all(figure is None for *_, figure in rows):
            lines.append("No independent model covers this salt: nothing to compare with.")
            continue
        lines += ["| property | reference | points | median | largest | where (w, t) | elprops / reference |",
                  "|---|---|---|---|---|---|---|"]
        for key, words, unit, figure in rows:
            if figure is None:
                lines.append(f"| {words} | {summary_cell(None, used.get((formula, key), []))} | 0 | | | | |")
                continue
            w, t, ours, ref, _ = figure["where"]
            lines.append(f"| {words} | {', '.join(figure['sources'])} | {figure['count']} | "
                         f"{percent(figure['median'])} | {percent(figure['largest'])} | {w:.2f}, {t:g} °C | "
                         f"{ours:.5g} / {ref:.5g} {unit} |")
        if formula in drawn:
            lines += ["", f"![The deviations of {formula} from the references in percent against the mass fraction "
                          f"at {', '.join(str(t) for t in FIGURE_TEMPERATURES)} °C]({figure_name(formula)})"]
    return lines


def water_lines(table):
    worst = largest(table)
    lines = [
        "## Water",
        "",
        "Every property of a solution is the water value at the temperature",
        "corrected by a concentration term, so the water correlations bound the",
        "accuracy of everything elprops computes. They are compared here with the",
        "IAPWS formulations (Debian `python3-iapws`): density and heat capacity from",
        "IAPWS-95, viscosity from IAPWS 2008, thermal conductivity from IAPWS 2011 and",
        "surface tension from IAPWS 2014; liquid water at atmospheric pressure up to",
        "99 °C, the saturated liquid above. A deviation is (elprops − IAPWS) / IAPWS.",
        "",
        "### Largest deviation of water",
        "",
        "| range | " + " | ".join(name for _, name, *_ in PROPERTIES) + " |",
        "|---|" + "---|" * len(PROPERTIES),
    ]
    for label, *_ in RANGES:
        lines.append(f"| {label} | " + " | ".join(f"{worst[(label, key)] * 100:.2f} %" for key, *_ in PROPERTIES) + " |")
    lines += [
        "",
        "### Water every 10 °C",
        "",
        "| t, °C | " + " | ".join(name for _, name, *_ in PROPERTIES) + " |",
        "|---|" + "---|" * len(PROPERTIES),
    ]
    for t in [1] + list(range(10, 200, 10)) + [199]:
        lines.append(f"| {t} | " + " | ".join(percent(table[t][key]) for key, *_ in PROPERTIES) + " |")
    lines += [
        "",
        "Above 100 °C water boils at atmospheric pressure; elprops warns about every",
        "point there (see [validity.md](validity.md)).",
        "",
        "![The deviations of water from IAPWS in percent, 1 to 199 °C](accuracy-water.png)",
    ]
    return lines


def figure_name(formula):
    """The file of a salt's figure: accuracy-NH42SO4.png for (NH4)2SO4."""
    return "accuracy-" + re.sub(r"[^A-Za-z0-9]", "", formula) + ".png"


def pyplot():
    """matplotlib's pyplot, drawing into files only, with fixed metadata."""
    import matplotlib

    matplotlib.use("Agg")
    from matplotlib import pyplot as plt

    plt.rcParams.update({"font.family": "DejaVu Sans", "font.size": 8, "axes.grid": True, "grid.color": "#dddddd",
                         "svg.hashsalt": "elprops"})
    return plt


def save(plt, figure, path):
    """The figure as a PNG without a time stamp or a version, so that the
    same figures make the same file."""
    folder = os.path.dirname(os.path.abspath(path))
    with tempfile.NamedTemporaryFile(dir=folder, suffix=".png", delete=False) as out:
        temporary = out.name
    figure.savefig(temporary, dpi=80, metadata={"Software": None})
    plt.close(figure)
    os.replace(temporary, path)


def water_figure(table, path):
    """The deviations of water from IAPWS in percent, 1 to 199 °C."""
    plt = pyplot()
    figure, axes = plt.subplots(figsize=(8, 3.6))
    temperatures = sorted(table)
    for colour, (key, words, source, _) in zip(PALETTE, PROPERTIES):
        axes.plot(temperatures, [table[t][key] * 100 for t in temperatures], color=colour, label=f"{words} ({source})")
    axes.axvline(100, color="#888888", linestyle=":", linewidth=1)
    axes.set_xlabel("Temperature, °C")
    axes.set_ylabel("(elprops − IAPWS) / IAPWS, %")
    axes.set_title("Water: elprops against the IAPWS formulations (boiling above 100 °C)")
    axes.legend(fontsize=7, loc="lower left")
    figure.tight_layout()
    save(plt, figure, path)


def salt_figure(formula, name, points, path):
    """A salt's deviations in percent against the mass fraction, one panel
    per property with a reference, one line per temperature of
    FIGURE_TEMPERATURES, over the grid's points inside the reference's span."""
    keys = [(key, words) for key, words, *_ in PROPERTIES if points.get((formula, key))]
    if not keys:
        return False
    plt = pyplot()
    columns = min(3, len(keys))
    rows = (len(keys) + columns - 1) // columns
    figure, grid = plt.subplots(rows, columns, figsize=(3.2 * columns, 2.5 * rows + 0.5), squeeze=False)
    for cell, (key, words) in zip(grid.flat, keys):
        for colour, t in zip(PALETTE, FIGURE_TEMPERATURES):
            line = sorted((w, (ours - ref) / ref * 100) for w, at, ours, ref, _ in points[(formula, key)] if at == t)
            if line:
                cell.plot([w for w, _ in line], [d for _, d in line], color=colour, marker=".", markersize=3,
                          label=f"{t} °C")
        cell.axhline(0, color="#444444", linewidth=0.8)
        sources = ", ".join(sorted({row[4] for row in points[(formula, key)]}))
        cell.set_title(f"{words} ({sources})", fontsize=8)
        cell.set_xlabel("Mass fraction w, kg/kg")
        cell.set_ylabel("Deviation, %")
    for cell in list(grid.flat)[len(keys):]:
        cell.set_visible(False)
    handles, labels = [], []
    for cell in grid.flat:
        for handle, label in zip(*cell.get_legend_handles_labels()):
            if label not in labels:
                handles.append(handle)
                labels.append(label)
    order = sorted(range(len(labels)), key=lambda i: int(labels[i].split()[0]))
    figure.legend([handles[i] for i in order], [labels[i] for i in order], loc="upper right", ncol=len(labels),
                  fontsize=7, frameon=False)
    figure.suptitle(f"{formula} ({name}): (elprops − reference) / reference", x=0.01, ha="left", fontsize=9)
    figure.tight_layout(rect=(0, 0, 1, 0.93))
    save(plt, figure, path)
    return True


def write_figures(folder, table, grid):
    """The figures of the page; the names of the salts that have one."""
    salts, _, points, _ = grid
    water_figure(table, os.path.join(folder, "accuracy-water.png"))
    return {formula for formula, name in salts if salt_figure(formula, name, points,
                                                                os.path.join(folder, figure_name(formula)))}


def write_page(path, table, grid):
    salts, used, points, _ = grid
    figures = salt_figures(points)
    folder = os.path.dirname(os.path.abspath(path))
    drawn = write_figures(folder, table, grid)
    lines = [
        "# Accuracy",
        "",
        "Generated by `scripts/accuracy-report.py`; do not edit by hand.",
        "",
        "How far elprops's values lie from independent published models, inside the",
        "span of the measurements those models were fitted to. A deviation is",
        "(elprops − reference) / reference; each cell gives the median and the largest",
        "(by magnitude) deviation over the grid, and the reference used. The models,",
        "their sources and the rule that picks one per point are in",
        "[correlations.md](correlations.md).",
        "",
        "## Summary: every salt",
        "",
    ]
    lines += summary_lines(salts, used, figures)
    lines += [
        "",
        "The grid: 1 °C and 5 to 100 °C in steps of 5 °C; mass fractions 0.01, 0.02, ...",
        "up to the solubility at that temperature (data/solubility.csv); of these the",
        "points inside the span (temperatures and largest mass fraction) of the",
        "measurements behind the reference for that salt and property. \"No reference\":",
        "no independent model covers the property; \"outside the data\": the models that",
        "cover it have no measurements on the grid. Nothing covers barium sulfide.",
        "",
    ]
    lines += water_lines(table)
    lines += ["", "## Salt by salt", "",
              "Where the largest deviation lies, and elprops's value beside the reference's there. The figure",
              "of each salt shows the deviation in percent against the mass fraction at "
              f"{', '.join(str(t) for t in FIGURE_TEMPERATURES[:-1])} and {FIGURE_TEMPERATURES[-1]} °C,",
              "at the points of the grid inside the span of the reference's measurements."]
    lines += salt_sections(salts, used, figures, drawn)
    lines.append("")
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", dir=folder, delete=False) as out:
        out.write("\n".join(lines))
        temporary = out.name
    os.replace(temporary, path)


PERCENT = re.compile(r"([-+]?\d+\.\d+) %")


def read_page(path):
    """The committed figures, as fractions: water's largest deviations by
    (range, property), and each salt's (median, largest) by (salt, property)."""
    water, salts = {}, {}
    in_summary = False
    with open(path, encoding="utf-8") as page:
        for line in page:
            if line.startswith("## "):
                in_summary = line.startswith("## Summary")
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            for label, *_ in RANGES:
                if line.startswith(f"| {label} |"):
                    for (key, *_), cell in zip(PROPERTIES, cells[1:]):
                        water[(label, key)] = float(re.sub(r"[ %]", "", cell)) / 100.0
            if in_summary and line.startswith("| ") and not line.startswith("| salt |"):
                for (key, *_), cell in zip(PROPERTIES, cells[1:]):
                    found = PERCENT.findall(cell)
                    if len(found) == 2:
                        salts[(cells[0], key)] = tuple(float(f) / 100.0 for f in found)
    return water, salts


def grew(now, committed):
    """Larger in magnitude than the committed figure by more than a tenth of
    it and the rounding of the page."""
    return abs(now) > abs(committed) * 1.10 + 5e-5


def check(path, table, grid):
    committed_water, committed_salts = read_page(path)
    if len(committed_water) != len(RANGES) * len(PROPERTIES):
        print(f"{path}: the table of largest deviations of water is incomplete")
        return 1
    failures = passed = 0
    for (label, key), now in largest(table).items():
        bad = grew(now, committed_water[(label, key)])
        failures += bad
        passed += not bad
        print(f"water {label:>11} {key:<21} {now * 100:7.3f} % (committed {committed_water[(label, key)] * 100:.2f} %)"
              f" {'GREW' if bad else 'ok'}")
    figures = salt_figures(grid[2])
    for (formula, key), (median, worst) in sorted(committed_salts.items()):
        figure = figures.get((formula, key))
        if figure is None:
            failures += 1
            print(f"{formula:>10} {key:<21} no longer compared (committed {median * 100:.2f} % / {worst * 100:.2f} %) GONE")
            continue
        bad = grew(figure["median"], median) or grew(figure["largest"], worst)
        failures += bad
        passed += not bad
        print(f"{formula:>10} {key:<21} {figure['median'] * 100:+7.3f} % / {figure['largest'] * 100:+7.3f} % "
              f"(committed {median * 100:+.2f} % / {worst * 100:+.2f} %) {'GREW' if bad else 'ok'}")
    if not committed_salts:
        print(f"{path}: no summary table of the salts")
        failures += 1
    print(f"{passed} passed, {failures} failed")
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--grid", metavar="PROGRAM", required=True, help="the built elprops_accuracy_grid")
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("--write", metavar="PAGE")
    group.add_argument("--check", metavar="PAGE")
    args = parser.parse_args()
    grid = salt_grid(args.grid)
    table = deviations(grid[3])
    if args.write:
        write_page(args.write, table, grid)
        return 0
    return check(args.check, table, grid)


if __name__ == "__main__":
    sys.exit(main())
