"""What the Python tests share: the module under test and exact single-precision helpers."""
import os
import struct
import sys
from fractions import Fraction

import numpy as np

# The package of the build, not one installed on the system.
_PACKAGE_DIR = os.environ.get("ELPROPS_PYTHON_PACKAGE_DIR")
if _PACKAGE_DIR:
    sys.path.insert(0, os.path.dirname(os.path.abspath(_PACKAGE_DIR)))

import elprops  # noqa: E402  (after the path of the build)

if _PACKAGE_DIR and os.path.dirname(os.path.abspath(elprops.__file__)) != os.path.abspath(_PACKAGE_DIR):
    raise ImportError(f"imported {elprops.__file__}, not the package of the build in {_PACKAGE_DIR}")

PROPERTIES = ("density", "viscosity", "surface_tension", "heat_capacity", "thermal_conductivity")


def bits(value):
    """The 32 bits of a single-precision value (a float holding one exactly, or a float32)."""
    return struct.unpack("<I", struct.pack("<f", float(value)))[0]


def _neighbours(single):
    down = np.nextafter(single, np.float32(-np.inf), dtype=np.float32)
    up = np.nextafter(single, np.float32(np.inf), dtype=np.float32)
    return down, single, up


def parse_single(text):
    """The float32 nearest to a decimal text, ties to even: exact, with no rounding through a double."""
    lowered = text.strip().lower()
    if lowered in ("nan", "-nan"):
        return np.float32("nan")
    if lowered in ("inf", "+inf", "-inf"):
        return np.float32(lowered)
    exact = Fraction(text)
    with np.errstate(over="ignore"):
        guess = np.float32(float(exact))
    best = None
    for candidate in _neighbours(guess):
        if not np.isfinite(candidate):
            continue
        distance = abs(Fraction(float(candidate)) - exact)
        if best is None or distance < best[0] or (distance == best[0] and bits(candidate) % 2 == 0):
            best = (distance, candidate)
    return best[1]


def single(value):
    """A float rounded to the nearest float32, as the module rounds its arguments."""
    return np.float32(value)
