"""The records of the package elprops: Single, the named tuples of points,
answers and substances. Defined here, shown as elprops.<name>."""
import collections as _collections

import numpy as _np

from . import _columns, _elprops


# --- Records -------------------------------------------------------------------

class Single(float):
    """A Python float that holds a single-precision result exactly.

    It prints with the fewest digits that identify the single-precision value
    (as elprops-cli writes it: 1070.6378), while its value is the single itself
    (float(x) shows all its digits: 1070.637939453125), so that numpy.float32(x)
    gives back the same bits and x equals the element of an array result.
    Arithmetic on it gives plain floats.
    """
    __slots__ = ()

    def __repr__(self):
        return _elprops.single_text(self)

    __str__ = __repr__


class _ConvertedSingle(Single):  # to_mass_fraction()'s: .warnings, PointWarning records
    __slots__ = ("warnings",)


class ValueArray(_np.ndarray):
    """A float64 array of molality() or molarity(): NaN where a point has no
    value, and `error`, str objects of the same shape, says why ('masked' where
    a mask hides the point, '' where it has a value). Arrays made from it
    (slices, arithmetic) have no `error` (None).
    """

    def __array_finalize__(self, obj):
        self.error = None


def _record(name, fields):
    """A named tuple of the package with a docstring for each field."""
    record = _collections.namedtuple(name, [field for field, _ in fields], module="elprops")
    for field, field_doc in fields:
        getattr(record, field).__doc__ = field_doc
    return record


class Properties(_record("Properties", [
        ("density", "density, kg/m3"),
        ("viscosity", "dynamic viscosity, Pa*s"),
        ("surface_tension", "surface tension, N/m"),
        ("heat_capacity", "specific heat capacity, J/(kg*K)"),
        ("thermal_conductivity", "thermal conductivity, W/(m*K)")])):
    """The five properties of one point, as Python floats (see Single).

    density               kg/m3
    viscosity             dynamic viscosity, Pa*s
    surface_tension       N/m
    heat_capacity         specific heat capacity, J/(kg*K)
    thermal_conductivity  W/(m*K)

    r.warnings is a tuple of PointWarning records (kind, message, note): what
    elprops-cli warns of at the point, solubility first; empty when none. It
    is no field of the tuple and never changes a value. With
    compute(..., reference=True), r.reference (a References record) and
    r.notes (a tuple of str) too: see compute().

        >>> elprops.compute('NaCl', 0.30, 20).warnings[0].message
        'above the solubility of NaCl at 20 °C (0.2641; the solid is NaCl)'

    A named tuple: r.density, or density, viscosity, *rest = r.
    """
    # Attributes of the instance beside the five fields, so that unpacking
    # and comparing still see the five properties only.
    warnings = ()
    reference = None
    notes = ()


Reference = _record("Reference", [
    ("value", "the reference model's value in SI units (the unit of the property)"),
    ("source", "a short citation, e.g. 'Laliberté 2009'"),
    ("deviation", "(ours - reference) / reference: the relative deviation of elprops's value"),
    ("within_span", "True when the point lies within the span of the model's measurements"),
    ("t_min", "the span of the measurements: lowest temperature, degrees Celsius"),
    ("t_max", "highest temperature, degrees Celsius"),
    ("w_max", "largest mass fraction")])
Reference.__doc__ = """An independent published model's value of one property at a point.

value        the model's value in SI units, a float (NaN where the model
             gives none there)
source       a short citation: 'Laliberté 2009', 'Melinder 2010',
             'Dutcher 2010', 'Conde 2004', 'Talreja-Muthreja 2022',
             'Magomedov 2001'
deviation    (ours - reference) / reference, a fraction (0.01 is 1 %)
within_span  True when the point lies within the span of the measurements
             the model was fitted to; outside it the value is the model's
             extrapolation
t_min, t_max the span's temperatures, degrees Celsius
w_max        the span's largest mass fraction
"""

References = _record("References", [
    ("density", "Reference or None"),
    ("viscosity", "Reference or None"),
    ("surface_tension", "Reference or None"),
    ("heat_capacity", "Reference or None"),
    ("thermal_conductivity", "Reference or None")])
References.__doc__ = """The reference of each of the five properties: a Reference record, or
None where no independent model covers the salt and property (nothing covers
barium sulfide or water). For arrays, ReferenceArrays records instead.
"""

ReferenceArrays = _record("ReferenceArrays", [
    ("value", "float64 array: the reference model's value, NaN where there is none"),
    ("source", "array of str objects: its citation, '' where there is none"),
    ("deviation", "float64 array: (ours - reference) / reference, NaN where there is none"),
    ("within_span", "bool array: the point lies within the span of the model's measurements")])
ReferenceArrays.__doc__ = """The reference of one property at every point of an array call, arrays of
the broadcast shape: value (float64, NaN where no model covers the property or
the point was not computed), source (str objects, '' there), deviation
(float64, (ours - reference) / reference) and within_span (bool, False
there).
"""


PointWarning = _record("PointWarning", [
    ("kind", "'above_solubility', 'ill_defined', 'no_solubility_data', 'above_boiling' or 'not_physical'"),
    ("message", "the text elprops-cli prints"),
    ("note", "True for a note (ill_defined, no_solubility_data): worth knowing, no fault of the point")])
PointWarning.__doc__ = """A warning or note of a computed point: it is still computed.

kind     'above_solubility'    more salt than dissolves at that temperature
         'ill_defined'         note: the salt hydrolyses or decomposes there
         'no_solubility_data'  note: the solubility table covers 0 to 100 degrees
         'above_boiling'       above 100 degrees: the solution boils at
                               atmospheric pressure, the correlations are
                               less accurate
         'not_physical'        a computed value at or below zero: the
                               correlation is used beyond its range (the
                               value stays as computed)
message  the text elprops-cli prints
note     True for the two kinds of note
"""

Substance = _record("Substance", [
    ("index", "1 to 19, the position in the window's list (19 is water)"),
    ("formula", "chemical formula, e.g. 'NaCl'"),
    ("english_name", "English name, e.g. 'sodium chloride'"),
    ("russian_name", "Russian name as the window's list shows it"),
    ("molar_mass", "molar mass, g/mol"),
    ("temperature_limit", "highest temperature (excluded), degrees Celsius")])
Substance.__doc__ = """One of the nineteen substances.

index              1 to 19, the position in the window's list (19 is water)
formula            'NaCl', '(NH4)2SO4', 'H2O'
english_name       'sodium chloride'
russian_name       'НАТРИЯ ХЛОРИД', as the window's list shows it
molar_mass         g/mol
temperature_limit  degrees Celsius; temperatures must be above 0 °C and
                   below it (270 for the salts, 200 for water)

A named tuple; compute() takes it as its substance.
"""

class Answer(_record("Answer", [
        ("mass_fraction", "kg/kg, the single whose property is nearest to the value"),
        ("concentration", "the mass fraction in the unit asked for"),
        ("achieved", "the property computed at mass_fraction"),
        ("below", "the neighbouring single below the value's crossing"),
        ("above", "the neighbouring single above it"),
        ("chosen", "'exact', 'lower' (below was taken) or 'upper' (above was)")])):
    """One mass fraction at which the property has the value (see solve()).

    mass_fraction  kg/kg, a Single: of the singles around the crossing, the one
                   whose computed property is nearest to the value (of a run of
                   singles that compute the same property, the one with the
                   fewest digits)
    concentration  the mass fraction in the unit asked for, a float (a Single
                   for the fraction)
    achieved       the property computed at mass_fraction, a Single
    below, above   the neighbouring singles whose properties straddle the value
    chosen         'exact' (a single gives the value itself), 'lower' or 'upper'

    Beside the six fields, as attributes that are no part of the tuple:

    warnings             a tuple of PointWarning records: what compute() warns
                         of at mass_fraction and the temperature, solubility
                         first; empty when none
    run_first, run_last  Singles: the lowest and highest mass fractions around
                         the answer at which the model gives the same value
    plateau              True where the property levels off and the two lie far
                         apart: every mass fraction between them gives the
                         value, and this one answer stands for them all

        >>> rho = elprops.compute("NaCl", 0.30, 20).density
        >>> a, = elprops.solve("NaCl", 20, "density", rho)
        >>> a.mass_fraction, a.warnings[0].kind, a.plateau
        (0.3, 'above_solubility', False)
    """
    # Attributes of the instance beside the six fields (as Properties.warnings),
    # so that unpacking and comparing still see the fields only.
    warnings = ()
    run_first = None
    run_last = None
    plateau = False


class Solutions(_columns.TupleColumns, _record("Solutions", [
    ("mass_fraction", "float32 array: the lowest answer, NaN where none"),
    ("concentration", "float64 array: it in the unit asked for, NaN where none"),
    ("count", "int32 array: the number of answers, 0 where none"),
    ("error", "array of str objects: why there is no answer, '' where there is one")])):
    """The answers of solve() for arrays: arrays of the broadcast shape of value
and temperature.

mass_fraction  float32: the lowest answer, NaN where there is none
concentration  float64: it in the unit asked for, NaN where there is none
count          int32: the number of answers (more than 1 where the property
               turns), 0 where there is none
error          str objects (dtype object): why there is no answer (the
               reachable range; 'masked' where a mask hides the point),
               '' where there is one

    to_dataframe() gives a DataFrame of one row per point (needs pandas);
    given a Series, the arrays are Series with its index.
    """

class Conversions(_columns.TupleColumns, _record("Conversions", [
        ("mass_fraction", "float32 array: kg/kg, NaN where the conversion failed"),
        ("achieved", "float64 array: the concentration computed back from it"),
        ("error", "array of str objects: why a conversion failed, '' where it did not")])):
    """The mass fractions of to_mass_fraction() for arrays.

    mass_fraction  float32: kg/kg, NaN where the conversion failed
    achieved       float64: the concentration computed back from mass_fraction
    error          str objects (dtype object): why a conversion failed
                   ('masked' where a mask hides the point), '' where it worked
    warning        (an attribute, no field) str objects: the warnings compute()
                   gives at the converted point joined by '; ', '' where none;
                   all '' when no temperature was given

    to_dataframe() gives a DataFrame of one row per point (needs pandas);
    given a Series, the arrays are Series with its index.
    """
    warning = None
    _extra_columns = ("warning",)


Derived = _record("Derived", [
    ("kinematic_viscosity", "nu = mu/rho, m2/s"),
    ("thermal_diffusivity", "a = lambda/(rho*c_p), m2/s"),
    ("prandtl_number", "Pr = mu*c_p/lambda"),
    ("specific_volume", "v = 1/rho, m3/kg"),
    ("volumetric_heat_capacity", "rho*c_p, J/(m3*K)"),
    ("thermal_expansion", "beta = -(1/rho)(d rho/dT) at constant composition, 1/K"),
    ("heat_taken_up", "the integral of c_p dT from the reference temperature, J/kg")])
Derived.__doc__ = """The derived quantities of a point (see compute_derived()), as floats.

kinematic_viscosity       nu = mu/rho, m2/s
thermal_diffusivity       a = lambda/(rho*c_p), m2/s
prandtl_number            Pr = mu*c_p/lambda
specific_volume           v = 1/rho, m3/kg
volumetric_heat_capacity  rho*c_p, J/(m3*K)
thermal_expansion         beta = -(1/rho)(d rho/dT) at constant composition,
                          1/K: from the model's densities 2.5 K either side
heat_taken_up             the integral of c_p dT from the reference
                          temperature to the point's, J/kg (four-point
                          Gauss-Legendre on parts of at most 5 K)

For arrays each field is a float64 array (NaN where the point has none) and
the attribute `error` holds the reasons ('' where there is none).
"""

TemperatureAnswer = _record("TemperatureAnswer", [
    ("temperature", "degrees Celsius, the single whose quantity is nearest to the value"),
    ("achieved", "the quantity computed at that temperature"),
    ("below", "the neighbouring single below the value's crossing"),
    ("above", "the neighbouring single above it"),
    ("chosen", "'exact', 'lower' or 'upper'"),
    ("run_first", "the lowest temperature around the answer with the same value"),
    ("run_last", "the highest"),
    ("plateau", "True where the quantity levels off"),
    ("warnings", "a tuple of PointWarning records of the point at that temperature")])
TemperatureAnswer.__doc__ = """One temperature at which a quantity has the value (see solve_temperature())."""

Quantity = _record("Quantity", [
    ("name", "the name properties are given by, e.g. 'prandtl_number'"),
    ("words", "the name in running text"),
    ("symbol", "e.g. 'Pr'"),
    ("unit", "SI unit (UTF-8), '' for a number"),
    ("formula", "e.g. 'Pr = μ·c_p/λ', '' for the five properties")])
Quantity.__doc__ = """A quantity elprops computes: one of the five properties or a derived one."""


# Shown, pickled and documented as the package's own (elprops.<name>).
for _type in [_value for _value in list(globals().values()) if isinstance(_value, type)]:
    if _type.__module__ == __name__:
        _type.__module__ = "elprops"
