#!/usr/bin/env python3
"""Golden points for the electrolyte property model.

This script carries its own transcription of every coefficient table and its
own implementation of the property correlations, written independently of the
C++ model, and writes golden_points.csv: one row per grid point with the exact
single-precision results (or the step that faults).  The C++ test
tests/model/golden_test.cpp recomputes every point with the model and demands
the same bits.

Numeric rules followed here, as in the model:
  * every arithmetic operation is an IEEE double operation, evaluated one at a
    time in the written order (Python floats are doubles and Python never
    fuses a multiply and an add);
  * a stored intermediate is rounded to the nearest single-precision float;
  * table entries, inputs and the constants 1, 100, 18020, 0.049 and LnTen are
    singles widened to double; every other decimal constant is a double;
  * math.log and math.exp call the C library, as the model does.

Usage:
  make_golden.py                      check the reference points, write the CSV
  make_golden.py --check-sensitivity  also prove that every non-zero
                                      coefficient changes at least one golden
                                      result when its last digit moves by one
  make_golden.py --output FILE        write the CSV somewhere else

Only the Python standard library is used.
"""

import argparse
import decimal
import math
import os
import struct
import sys
import tempfile

WATER = 19

SUBSTANCE_NAMES = {
    1: "AmmoniumBicarbonate",
    2: "AmmoniumSulfate",
    3: "AmmoniumChloride",
    4: "BariumNitrate",
    5: "BariumSulfide",
    6: "BariumChloride",
    7: "PotassiumHydroxide",
    8: "PotassiumCarbonate",
    9: "PotassiumSulfate",
    10: "PotassiumChloride",
    11: "CalciumChloride",
    12: "MagnesiumChloride",
    13: "SodiumBicarbonate",
    14: "SodiumHydroxide",
    15: "SodiumCarbonate",
    16: "SodiumSulfate",
    17: "SodiumChloride",
    18: "IronChloride",
    19: "Water",
}

# ---------------------------------------------------------------------------
# Coefficient tables, as decimal texts, one entry per substance 1..19.  Each
# entry stands for the single-precision float nearest to the decimal.  They are
# kept as texts so that the sensitivity check can move the last written digit.
# ---------------------------------------------------------------------------

# fmt: off
DECIMAL_TABLES = {
    # Density: log10(rho) = log10(rho_water) + x*(A0 - A1*T + A2*T^2)
    "DensityA0": (
        "0.1987", "0.2267", "0.1364", "0.2768", "0.4664", "0.4196", "0.3775", "0.3865", "0.352", "0.2811",
        "0.3683", "0.3635", "0.3071", "0.4068", "0.4566", "0.3975", "0.3129", "0.3782", "0"),
    "DensityA1": (
        "0", "0", "4.9e-4", "-0.001914", "0", "0", "3.53e-4", "3.78e-4", "1.55e-4", "3.71e-4",
        "3.23e-4", "3.03e-4", "0", "1.838e-5", "0.001223", "5.68e-4", "5.58e-4", "0", "0"),
    "DensityA2": (
        "1.88e-5", "0", "4.56e-6", "-9.18e-6", "0", "0", "2.74e-6", "3.59e-6", "1e-6", "3.34e-6",
        "3.36e-6", "4.46e-6", "1.919e-5", "0", "8.99e-6", "4.33e-6", "4.48e-6", "0", "0"),
    # Viscosity: log10(eta) = log10(eta_water) + x*(B0 + B1*T + B2*T^2 + B3*x^e)
    "ViscosityB0": (
        "0.8867", "0", "0.2092", "0.4407", "2.16", "0.26", "0.8223", "1.033", "0.89", "-0.1724",
        "0.708", "2.423", "1.625", "3.2", "2.325", "1.402", "0.6808", "2.18", "0"),
    "ViscosityB1": (
        "0", "0.01003", "0.0114", "0", "0", "0.00566", "0", "0", "0", "0.00668",
        "0.0093", "-0.0563", "0", "-0.0114", "0", "-0.002159", "0", "-0.0102", "0"),
    "ViscosityB2": (
        "1.67e-4", "-7.218e-5", "-5.4e-5", "0", "0", "-1.798e-5", "0", "0", "0", "0",
        "0", "5.95e-4", "0", "0", "-1.004e-4", "0", "1.95e-5", "0", "0"),
    "ViscosityB3": (
        "1.737", "1.015", "0", "1.145", "-4.5", "0.5884", "1.626", "1.316", "0", "0.547",
        "2.276", "4.414", "0", "0.575", "2.697", "1.458", "1.395", "0.6", "1"),
    "ViscosityExponent": (
        "1", "0.3144", "1", "1", "1", "0.575", "1", "1", "1", "1",
        "1", "1", "1", "1", "1", "1", "1", "1", "1"),
    # Surface-tension factor: m = 18020*x/((1-x)*M), n = m/D,
    # log10(a) = n*(P + Q*n), P = -(P0 + P1*T + P2*T^2), Q = -(Q0 + Q1*T + Q2*T^2)
    "MolarMass": (
        "0", "132.14", "53.46", "261.35", "169.4", "208.25", "56.11", "138.21", "174.27", "74.56",
        "110.98", "95.22", "84", "40", "105.99", "142.02", "58.44", "162.21", "18"),
    "TensionP0": (
        "0", "0.001882", "0.001581", "0.001011", "8e-4", "0.001183", "0.001736", "8.8628e-4", "4.7525e-4", "0.001417",
        "8.39e-4", "4.96e-4", "0.007", "0.001239", "0.001118", "9.465e-4", "0.001473", "7.6e-4", "0"),
    "TensionP1": (
        "0", "0", "-3.39e-8", "-1.274e-6", "0", "-3.61e-6", "4.645e-6", "8.49e-8", "1.3252e-5", "3.48e-7",
        "3.29e-5", "2.86e-5", "0", "7.0975e-6", "-5.1055e-6", "-1.629e-6", "-1.5e-8", "0", "0"),
    "TensionP2": (
        "0", "0", "0", "-2.15e-9", "0", "2.1e-10", "-1.21e-8", "9.33e-10", "-1.13e-7", "5.1e-10",
        "-2e-7", "-3.1e-7", "0", "-2.92e-8", "2.24e-8", "-4.03e-7", "1.1e-9", "0", "0"),
    "TensionQ0": (
        "0", "1.592e-5", "2.925e-6", "-5.9694e-6", "0", "7.91e-6", "2.4464e-5", "-8.1651e-7", "1.239e-5", "6.5156e-6",
        "2.914e-6", "4.107e-5", "0", "2.599e-5", "-5.9478e-7", "6.417e-6", "1.438e-5", "0", "0"),
    "TensionQ1": (
        "0", "0", "-5.0353e-8", "5.5121e-8", "0", "0", "-1.4331e-7", "1.53e-9", "-1.2477e-7", "-8.3e-11",
        "-5.23e-7", "-4.7e-7", "0", "-2.153e-7", "7.0741e-8", "-9.466e-8", "-4.307e-8", "0", "0"),
    "TensionQ2": (
        "0", "0", "2.21e-10", "1.074e-11", "0", "0", "3.35e-10", "2.79e-11", "8.49e-10", "7.44e-12",
        "2.71e-9", "3.65e-9", "0", "5.06e-10", "-5.12e-10", "4.45e-10", "-9.3e-12", "0", "0"),
    "TensionDivisor": (
        "1", "1", "2", "1", "1", "1", "2", "1", "1", "2",
        "1", "1", "2", "2", "1", "1", "1", "1", "1"),
    # Heat capacity: c = c_water + x*(C1*x - C0 + C2*T - C3*T^2)
    "HeatCapacityC0": (
        "3915", "4238.7", "5098", "4000", "4804", "5220", "5543", "5229", "6048", "5671",
        "6542", "6392", "4195", "2767", "4462", "5196", "4994", "5594", "0"),
    "HeatCapacityC1": (
        "9866", "2063.86", "3925", "0", "-2289", "217.5", "3619", "2858", "5010", "3028",
        "5175", "4212", "8879", "1426", "3641", "6646", "5090", "3717", "0"),
    "HeatCapacityC2": (
        "0", "3.16", "10.2", "0", "16", "14.28", "8.72", "6.32", "32.82", "12.19",
        "16.61", "8.323", "0", "0", "28.29", "18.4", "8.347", "0", "0"),
    "HeatCapacityC3": (
        "0", "-0.0068", "0.0717", "0", "0", "0.052", "0", "0", "0.212", "0.1071",
        "0.137", "0.048", "0", "0", "0.191", "0.131", "0.0855", "-0.255", "0"),
    # Thermal conductivity: lambda = (1 - K*x)*lambda_water
    "ConductivityK": (
        "0.125", "0.571", "0.337", "0.068", "0.132", "0.225", "0.114", "0.171", "0.176", "0.171",
        "0.226", "0.475", "0.072", "-0.226", "-0.083", "0.393", "0.205", "0.361", "1"),
}
# fmt: on

# Coefficients that cannot change any result, and why.  The sensitivity check
# accepts these (and only these) as undetectable.
UNDETECTABLE = {
    ("ViscosityB3", WATER): "water's concentration is 0, so its viscosity correction is skipped",
    ("ViscosityExponent", WATER): "water's concentration is 0, so its viscosity correction is skipped",
    ("ViscosityExponent", 3): "ViscosityB3 is 0, so x^e is multiplied by 0 (and x^e cannot fault for 0 < x < 1)",
    ("ViscosityExponent", 9): "ViscosityB3 is 0, so x^e is multiplied by 0 (and x^e cannot fault for 0 < x < 1)",
    ("ViscosityExponent", 13): "ViscosityB3 is 0, so x^e is multiplied by 0 (and x^e cannot fault for 0 < x < 1)",
    ("MolarMass", WATER): "water's tension factor is 1 without reading a table",
    ("TensionDivisor", WATER): "water's tension factor is 1 without reading a table",
    ("TensionDivisor", 1): "ammonium bicarbonate's tension factor is 1 - 0.72*x without reading a table",
    ("ConductivityK", WATER): "water's concentration is 0, so K*x is 0 whatever K is",
}


def f32(value):
    """The single-precision float nearest to a double (raises OverflowError)."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


def parse_tables(decimal_tables):
    """Decimal texts -> singles, indexed 1..19 (index 0 unused)."""
    return {name: [None] + [f32(float(text)) for text in texts] for name, texts in decimal_tables.items()}


TABLES = parse_tables(DECIMAL_TABLES)

LN_TEN_SINGLE = f32(math.log(10.0))  # 2.3025851...
ONE = 1.0
HUNDRED = 100.0
WATER_MOLES = 18020.0
TENSION_SCALE = f32(0.049)

STEPS = (
    "density",
    "viscosity",
    "surface tension factor",
    "surface tension",
    "heat capacity",
    "thermal conductivity",
)


class Fault(Exception):
    """An arithmetic error (invalid operation, division by zero or overflow)."""


def store(value):
    """Round a double to the single it is stored as; a NaN or an overflow is a fault."""
    if math.isnan(value) or math.isinf(value):
        raise Fault()
    try:
        return f32(value)
    except OverflowError:
        raise Fault() from None


def ln(value):
    if math.isnan(value) or value <= 0.0:
        raise Fault()
    return math.log(value)


def exp(value):
    if math.isnan(value):
        raise Fault()
    try:
        return math.exp(value)
    except OverflowError:
        raise Fault() from None


def divide(numerator, denominator):
    if denominator == 0.0:
        raise Fault()
    return numerator / denominator


def compute(tables, substance, concentration, temperature, trace=None):
    """One point.  Returns (results, fault): results is the tuple of the five
    stored properties (density, viscosity, surface tension, heat capacity,
    thermal conductivity), or None if a step faults, and fault names that step.
    If trace is a dict, the stored intermediates are put into it."""
    if trace is None:
        trace = {}
    i = substance
    x = 0.0 if i == WATER else concentration
    t = temperature

    def row(name):
        return tables[name][i]

    step = STEPS[0]
    try:
        # Density.
        rho_w = (1002.164 - t * 0.12728) - (t * 0.003134) * t
        trace["rho_w"] = rho_w
        lw = trace["Lw"] = store(divide(ln(rho_w), LN_TEN_SINGLE))
        ls = trace["Ls"] = store(((row("DensityA0") - t * row("DensityA1")) + (t * row("DensityA2")) * t) * x)
        l_sum = trace["L"] = store(ls + lw)
        density = trace["density"] = store(exp(l_sum * math.log(10.0)))

        # Viscosity.
        step = STEPS[1]
        w = trace["W"] = store(exp(ln(t + 43.252) * (-1.5423)))
        vw = trace["Vw"] = store(divide(ln(w * 0.59849), LN_TEN_SINGLE))
        if x == 0.0:
            vs = 0.0
        else:
            p = trace["p"] = store(exp(row("ViscosityExponent") * ln(x)))
            vs = store(
                (((t * row("ViscosityB1") + row("ViscosityB0")) + (t * row("ViscosityB2")) * t) + p * row("ViscosityB3"))
                * x
            )
        trace["Vs"] = vs
        v = trace["V"] = store(vs + vw)
        viscosity = trace["viscosity"] = store(exp(v * LN_TEN_SINGLE) + 5e-8)

        # Tension factor.
        step = STEPS[2]
        if i == 1:
            a = store(ONE - x * 0.72)
        elif i == WATER:
            a = ONE
        else:
            d = row("TensionDivisor")
            m = trace["m"] = store(divide(x * WATER_MOLES, (ONE - x) * row("MolarMass")))
            p_poly = trace["P"] = store((-row("TensionP0") - t * row("TensionP1")) - (t * row("TensionP2")) * t)
            q_poly = trace["Q"] = store((-row("TensionQ0") - t * row("TensionQ1")) - (t * row("TensionQ2")) * t)
            g = trace["g"] = store(divide((divide(q_poly * m, d) + p_poly) * m, d))
            a = store(exp(g * LN_TEN_SINGLE))
        trace["a"] = a

        # Surface tension.
        step = STEPS[3]
        sigma_w = trace["sigma_w"] = store((0.0756662 - t * 0.000142937) - (t * 2.52178e-7) * t)
        sigma = trace["sigma"] = store((ONE - a) * TENSION_SCALE + sigma_w)
        surface_tension = trace["surface_tension"] = store(sigma + 5e-7)

        # Heat capacity.
        step = STEPS[4]
        cw = trace["cw"] = store((t * 1.02) * ln(divide(t, HUNDRED)) + 4215.45)
        if i == WATER:
            cs = 0.0
        else:
            cs = store(
                ((((x * row("HeatCapacityC1")) - row("HeatCapacityC0")) + t * row("HeatCapacityC2"))
                 - (t * row("HeatCapacityC3")) * t)
                * x
            )
        trace["cs"] = cs
        heat_capacity = trace["heat_capacity"] = store(cs + cw)

        # Thermal conductivity.
        step = STEPS[5]
        lambda_w = trace["lambda_w"] = store((t * 0.00246 + 0.5545) - (t * 1.184e-5) * t)
        lam = trace["lambda"] = store((ONE - x * row("ConductivityK")) * lambda_w)
        conductivity = trace["thermal_conductivity"] = store(lam + 5e-5)
    except Fault:
        return None, step
    return (density, viscosity, surface_tension, heat_capacity, conductivity), ""


# ---------------------------------------------------------------------------
# Reference points with published digits.  The transcription and the
# computation above must reproduce every one of them on every run.
# ---------------------------------------------------------------------------

# Sodium chloride, x = 0.1, T = 20: stored intermediates to 7 significant
# digits (rho_w is a double).
SODIUM_CHLORIDE_TRACE = (
    ("rho_w", "998.3648"),
    ("Lw", "2.999289"),
    ("Ls", "0.03035320"),
    ("L", "3.029643"),
    ("density", "1070.638"),
    ("W", "0.001668027"),
    ("Vw", "-3.000740"),
    ("p", "0.1"),
    ("Vs", "0.08281000"),
    ("V", "-2.917930"),
    ("viscosity", "0.001208059"),
    ("m", "34.26116"),
    ("P", "-0.001473140"),
    ("Q", "-1.351488e-5"),
    ("g", "-0.06633563"),
    ("a", "0.8583499"),
    ("sigma_w", "0.07270659"),
    ("surface_tension", "0.07964794"),
    ("cw", "4182.618"),
    ("cs", "-435.2260"),
    ("heat_capacity", "3747.392"),
    ("lambda_w", "0.5989640"),
    ("thermal_conductivity", "0.5867352"),
)

# substance, x, T, then a, density, viscosity, surface tension, heat capacity,
# thermal conductivity to 6 significant digits.
FURTHER_POINTS = (
    (17, "0.1", "20", ("0.858350", "1070.64", "0.00120806", "0.0796479", "3747.39", "0.586735")),
    (19, "0", "20", ("1.00000", "998.365", "0.000998348", "0.0727071", "4182.62", "0.599014")),
    (19, "0", "100", ("1.00000", "958.096", "0.000282995", "0.0588512", "4215.45", "0.682150")),
    (1, "0.1", "20", ("0.928000", "1046.91", "0.00129419", "0.0762351", "3889.78", "0.591527")),
    (2, "0.2", "50", ("0.826673", "1096.68", "0.000843097", "0.0763824", "3449.91", "0.573960")),
    (3, "0.1", "20", ("0.932616", "1028.33", "0.00109860", "0.0760089", "3729.60", "0.578829")),
    (6, "0.15", "25", ("0.958224", "1152.51", "0.00108770", "0.0739827", "3450.67", "0.588110")),
    (11, "0.3", "60", ("0.880958", "1261.73", "0.00180166", "0.0720157", "2838.36", "0.614814")),
    (14, "0.2", "80", ("0.742525", "1171.38", "0.00107906", "0.0752341", "3700.88", "0.706108")),
    (16, "0.1", "20", ("0.973764", "1091.63", "0.00141168", "0.0739927", "3761.04", "0.575475")),
)


def significant_digits(text):
    """How many significant digits a published decimal carries."""
    digits = decimal.Decimal(text).as_tuple().digits
    while len(digits) > 1 and digits[0] == 0:
        digits = digits[1:]
    return len(digits)


def agrees(value, text, digits):
    """True if value, rounded to the given significant digits, reads as text."""
    return float("%.*g" % (digits, value)) == float(text)


def check_reference_points():
    failures = []
    trace = {}
    results, fault = compute(TABLES, 17, f32(0.1), f32(20.0), trace)
    if fault:
        failures.append("sodium chloride 0.1 at 20 faults in %s" % fault)
    else:
        for key, text in SODIUM_CHLORIDE_TRACE:
            if not agrees(trace[key], text, 7):
                failures.append("sodium chloride 0.1 at 20: %s is %.9g, expected %s" % (key, trace[key], text))
    names = ("a", "density", "viscosity", "surface_tension", "heat_capacity", "thermal_conductivity")
    for substance, x_text, t_text, expected in FURTHER_POINTS:
        trace = {}
        results, fault = compute(TABLES, substance, f32(float(x_text)), f32(float(t_text)), trace)
        if fault:
            failures.append("%s %s at %s faults in %s" % (SUBSTANCE_NAMES[substance], x_text, t_text, fault))
            continue
        for key, text in zip(names, expected):
            if not agrees(trace[key], text, 6):
                failures.append(
                    "%s %s at %s: %s is %.9g, expected %s"
                    % (SUBSTANCE_NAMES[substance], x_text, t_text, key, trace[key], text)
                )
    # Published single facts.
    trace = {}
    compute(TABLES, WATER, 0.0, f32(100.0), trace)
    if trace["cw"] != f32(4215.45):
        failures.append("water heat capacity at 100 is %r, expected the single 4215.45" % trace["cw"])
    trace = {}
    results, fault = compute(TABLES, 8, f32(0.99), f32(20.0), trace)
    if fault != "surface tension factor":
        failures.append("potassium carbonate 0.99 at 20 should fault in the tension factor, got %r" % fault)
    trace = {}
    results, fault = compute(TABLES, 4, f32(0.95), f32(20.0), trace)
    if fault or not (agrees(trace["a"], "1.1e7", 2) and agrees(results[2], "-5.6e5", 2)):
        failures.append("barium nitrate 0.95 at 20: a = %r, surface tension = %r" % (trace.get("a"), results))
    if LN_TEN_SINGLE != f32(2.3025851):
        failures.append("LnTen is %r" % LN_TEN_SINGLE)
    if TENSION_SCALE != 0.04899999871850014:
        failures.append("0.049 as a single is %r" % TENSION_SCALE)
    return failures


# ---------------------------------------------------------------------------
# The grid.
# ---------------------------------------------------------------------------

SALT_CONCENTRATIONS = ("0.001", "0.05", "0.1", "0.2", "0.35", "0.5", "0.7", "0.9")
SALT_TEMPERATURES = ("0.5", "20", "60", "100", "180", "260")
WATER_TEMPERATURES = ("0.5", "4", "20", "37", "60", "99.5", "100", "150", "199")

# Points added beyond the regular grid: (substance, concentration, temperature).
EXTRA_POINTS = tuple((substance, "0", "20") for substance in range(1, WATER)) + (
    # Water ignores whatever concentration the caller left.
    (WATER, "0.3", "20"),
    (WATER, "0.9", "150"),
    # Edges of the input ranges.
    (WATER, "0", "1e-19"),
    (WATER, "0", "199.9"),
    (17, "0.26", "1e-19"),
    (17, "0.1", "269.9"),
    (8, "0.5", "269.9"),
    (2, "1e-6", "20"),
    (6, "1e-6", "20"),
    (1, "0.99", "20"),
    # Far beyond solubility: a tension factor of about 1.1e7, returned as it is.
    (4, "0.95", "20"),
)

# Points at which a step faults; the golden row records the step.  Those marked
# "outside" lie outside the ranges the input accepts and reach the model only
# through a caller error; they pin down the fault detection of each step.
FAULT_POINTS = (
    (8, "0.99", "20"),  # tension factor beyond the single range
    (11, "0.99", "100"),  # the same, exp in double still finite
    (4, "0.999", "20"),  # exp of the tension factor overflows a double
    (10, "1", "20"),  # outside: MoleRatio divides by zero
    (17, "0.1", "600"),  # outside: water density negative, its logarithm faults
    (5, "100", "20"),  # outside: density beyond the single range
    (17, "-0.1", "20"),  # outside: logarithm of a negative concentration
    (WATER, "0", "-50"),  # outside: logarithm of T + 43.252 < 0
    (WATER, "0", "0"),  # outside: logarithm of T / 100 = 0
    (17, "0.1", "-10"),  # outside: logarithm of T / 100 < 0
)


def grid():
    points = []
    for substance in range(1, WATER):
        for x in SALT_CONCENTRATIONS:
            for t in SALT_TEMPERATURES:
                points.append((substance, x, t))
    for t in WATER_TEMPERATURES:
        points.append((WATER, "0", t))
    points.extend(EXTRA_POINTS)
    points.extend(FAULT_POINTS)
    return [(s, f32(float(x)), f32(float(t))) for s, x, t in points]


def evaluate(tables, points):
    return [compute(tables, s, x, t) for s, x, t in points]


def bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


def signature(outcome):
    results, fault = outcome
    if results is None:
        return (None, fault)
    return (tuple(bits(v) for v in results), fault)


def hex_single(value):
    return f32(value).hex()


def write_csv(path, points, outcomes):
    lines = [
        "# Golden points of the electrolyte property model, made by make_golden.py from its own transcription of the",
        "# coefficient tables; regenerate with: python3 tests/model/golden/make_golden.py",
        "# Inputs and results are single-precision floats in C99 hexadecimal notation; a faulting point names the step",
        "# that faults and has no results.",
        "substance,concentration,temperature,density,viscosity,surface_tension,heat_capacity,thermal_conductivity,fault",
    ]
    for (substance, x, t), (results, fault) in zip(points, outcomes):
        fields = [str(substance), hex_single(x), hex_single(t)]
        if results is None:
            fields.extend([""] * 5)
        else:
            fields.extend(hex_single(v) for v in results)
        fields.append(fault)
        lines.append(",".join(fields))
    text = "\n".join(lines) + "\n"
    directory = os.path.dirname(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(prefix=".golden_points.", dir=directory)
    try:
        with os.fdopen(handle, "w", encoding="ascii", newline="\n") as stream:
            stream.write(text)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


# ---------------------------------------------------------------------------
# Sensitivity: every non-zero coefficient must move at least one golden bit.
# ---------------------------------------------------------------------------


def nudged(text, direction):
    """The decimal text with its last written digit moved by one, away from
    zero (direction +1) or towards zero (direction -1)."""
    number = decimal.Decimal(text)
    step = decimal.Decimal((0, (1,), number.as_tuple().exponent))
    magnitude = abs(number) + direction * step
    result = magnitude.copy_sign(number)
    return str(result).lower()


def check_sensitivity(points, baseline):
    """Moves the last digit of every non-zero coefficient up and down by one.
    Returns the number of changes tried, the changes no point notices, and the
    smallest number of points that notice a change (with that change)."""
    by_substance = {}
    for index, (substance, _, _) in enumerate(points):
        by_substance.setdefault(substance, []).append(index)
    uncaught = []
    weakest = None
    tried = 0
    for name, texts in DECIMAL_TABLES.items():
        for substance in range(1, WATER + 1):
            text = texts[substance - 1]
            if decimal.Decimal(text) == 0:
                continue
            for direction in (1, -1):
                changed = nudged(text, direction)
                mutated = dict(DECIMAL_TABLES)
                mutated[name] = texts[: substance - 1] + (changed,) + texts[substance:]
                tables = parse_tables(mutated)
                if tables[name][substance] == TABLES[name][substance]:
                    uncaught.append((name, substance, text, changed, "same single"))
                    continue
                tried += 1
                noticed = sum(
                    1
                    for k in by_substance.get(substance, [])
                    if signature(compute(tables, *points[k])) != signature(baseline[k])
                )
                if noticed == 0:
                    uncaught.append((name, substance, text, changed, None))
                elif weakest is None or noticed < weakest[0]:
                    weakest = (noticed, "%s(%d) %s -> %s" % (name, substance, text, changed))
    return tried, uncaught, weakest


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument(
        "--output",
        default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden_points.csv"),
        help="where to write the golden points (default: golden_points.csv next to this script)",
    )
    parser.add_argument(
        "--check-sensitivity",
        action="store_true",
        help="check that a one-digit change of any non-zero coefficient changes a golden result",
    )
    args = parser.parse_args()

    failures = check_reference_points()
    if failures:
        for failure in failures:
            print("reference point mismatch: " + failure, file=sys.stderr)
        return 1
    print("reference points: all %d agree" % (len(SODIUM_CHLORIDE_TRACE) + len(FURTHER_POINTS)))

    points = grid()
    outcomes = evaluate(TABLES, points)
    faults = sum(1 for _, fault in outcomes if fault)

    if args.check_sensitivity:
        tried, uncaught, weakest = check_sensitivity(points, outcomes)
        unexplained = 0
        for name, substance, text, changed, why in uncaught:
            reason = why or UNDETECTABLE.get((name, substance))
            if reason is None:
                unexplained += 1
                reason = "NOT CAUGHT by any grid point"
            print("%s(%d) %s -> %s: %s" % (name, substance, text, changed, reason))
        print("sensitivity: %d changed coefficients tried, %d not caught, %d without a reason" % (
            tried, len(uncaught), unexplained))
        if weakest is not None:
            print("sensitivity: every caught change moves at least %d points (fewest: %s)" % weakest)
        if unexplained:
            return 1

    try:
        write_csv(args.output, points, outcomes)
    except OSError as error:
        print("cannot write %s: %s" % (args.output, error.strerror or error), file=sys.stderr)
        return 1
    print("wrote %d points (%d faulting) to %s" % (len(points), faults, args.output))
    return 0


if __name__ == "__main__":
    sys.exit(main())
