"""Properties of aqueous electrolyte solutions.

For eighteen salts and water, elprops computes from built-in empirical
correlations the density (kg/m3), dynamic viscosity (Pa*s), surface
tension (N/m), specific heat capacity (J/(kg*K)) and thermal conductivity
(W/(m*K)) of a solution of given mass fraction (kg/kg) and temperature
(degrees Celsius). The results are single-precision numbers, the same bits
as the window program and elprops-cli give.

One point gives its five properties, or raises when the point cannot be
computed:

    >>> import elprops
    >>> r = elprops.compute("NaCl", 0.1, 20)
    >>> r.density, r.viscosity
    (1070.6378, 0.0012080587)
    >>> elprops.compute("NaCl", 1.2, 20)
    Traceback (most recent call last):
    ...
    elprops.InadmissibleError: concentration 1.2 is not between 0 and 1 (both excluded)

Arrays of points (NumPy broadcasting between the three arguments) give a
float32 array per property; a point that cannot be computed is NaN there
and its reason is in the array `error`:

    >>> import numpy as np
    >>> r = elprops.compute("KCl", [0.05, 0.1, 0.2], np.arange(20, 100, 20)[:, None])
    >>> r.density.shape
    (4, 3)

A concentration may be given in another unit, as elprops-cli's --unit
takes it, and water needs none:

    >>> elprops.compute("NaCl", 1, 20, unit="molality").density
    1037.6436
    >>> elprops.compute("water", temperature=20).density
    998.3648

Array results are records of named columns with one row per point, which
pandas takes as they are (pd.DataFrame(r), r.to_dataframe(); a Series
argument's index is kept); dtype=numpy.float64 widens the values. Points
beyond the correlations' sure ground issue one elprops.ValidityWarning per
call. The type stubs (__init__.pyi) describe every call.

Substances are named by their index 1 to 19 (the order of the window's
list, 19 is water), their formula ("NaCl", any case), their English name
("sodium chloride") or their Russian name as listed; substances() lists
them. For a salt the mass fraction must be above 0 and below 1, for water
it must be 0; the temperature above 0 °C and below the substance's limit
(270 °C, 200 °C for water): 0 °C and below are not covered (to be exact, a
temperature must be above 1e-20 °C).

Every function may be called from several threads at once; the array form
releases the interpreter's lock while it computes.
"""
import sys as _sys
import warnings as _warnings

try:
    import numpy as _np
except ImportError as _error:
    raise ImportError(f"elprops needs NumPy, which this Python ({_sys.executable}) cannot import: install it "
                      "(pip install numpy; on Debian apt install python3-numpy)") from _error

from . import _columns, _elprops

__all__ = ("compute", "compute_many", "solve", "compute_derived", "solve_temperature", "quantities", "to_mass_fraction",
           "molality", "molarity", "standard_molar_mass", "substances", "find_substance", "calcium_chloride_saturation",
           "version", "Properties", "PropertyArrays", "PropertyArraysWithReference", "PointWarning", "Reference",
           "References", "ReferenceArrays", "Answer", "Solutions", "Derived", "TemperatureAnswer", "Quantity",
           "Conversions", "ValueArray", "Substance", "Single", "InadmissibleError", "OutOfReachError",
           "ArithmeticFault", "ValidityWarning")

__version__ = _elprops.version()
from ._errors import ArithmeticFault, InadmissibleError, OutOfReachError, ValidityWarning  # noqa: F401
from ._records import (  # noqa: F401
    Answer, Conversions, Derived, PointWarning, Properties, Quantity, Reference, ReferenceArrays, References, Single,
    Solutions, Substance, TemperatureAnswer, ValueArray, _ConvertedSingle, _record)
from ._arrays import PropertyArrays, PropertyArraysWithReference, _PENDING  # noqa: F401

_elprops.use_types(Single=Single, Properties=Properties, PointWarning=PointWarning, PropertyArrays=PropertyArrays,
                   Substance=Substance, Answer=Answer, Solutions=Solutions, Conversions=Conversions,
                   InadmissibleError=InadmissibleError, ArithmeticFault=ArithmeticFault,
                   OutOfReachError=OutOfReachError)


# --- Functions -------------------------------------------------------------------

def _with_reference(result, substance, mass_fraction, temperature):
    """The result with its attributes reference and notes (see compute())."""
    if isinstance(result, Properties):
        values, notes = _elprops.reference_one(substance, mass_fraction, temperature)
        result.reference = References(*(None if v is None else Reference(*v) for v in values))
        result.notes = notes
        return result
    values, sources, deviations, within, notes = _elprops.reference_arrays(substance, mass_fraction, temperature)
    # A point that was not computed (a mask hid it) has no reference.
    failed = result.error != ""
    if failed.any():
        values[:, failed] = _np.nan
        deviations[:, failed] = _np.nan
        within[:, failed] = False
        sources[:, failed] = ""
        notes[failed] = ""
    arrays = PropertyArraysWithReference(*(dict.__getitem__(result, name) for name in result._fields))
    arrays.reference = References(*(ReferenceArrays(values[p], sources[p], deviations[p], within[p])
                                    for p in range(5)))
    arrays.notes = notes
    return arrays


def _in_mass_fraction(substance, concentration, temperature, unit):
    """The mass fractions of concentrations in a unit, as the library converts
    them for compute(), and the messages of the points it refused (None when
    there are none to report)."""
    if isinstance(unit, str) and unit == "fraction":
        return concentration, None
    converted = _elprops.mass_fractions(substance, concentration, temperature, unit)
    if type(converted) is not tuple:
        return converted, None
    fractions, messages = converted
    if isinstance(concentration, _np.ma.MaskedArray):
        mask = _np.broadcast_to(_np.ma.getmaskarray(concentration), fractions.shape)
        fractions = _np.ma.masked_array(fractions, mask=mask)
    return fractions, messages


def _refused(result, messages):
    """The conversion's messages in `error` where it refused a point (such a
    point was computed at NaN, which says nothing of the concentration)."""
    if messages is None:
        return
    refused = (messages != "") & (result.error != "masked")
    if refused.any():
        error = result.error.copy()
        error[refused] = messages[refused]
        dict.__setitem__(result, "error", error)


def _warn(text):
    # The caller of compute(), solve(), ...: warn() <- _warn <- the function.
    _warnings.warn(text, ValidityWarning, stacklevel=3)


def _finish(result, arguments, dtype):
    """An array result with its dtype and index, and the text of its warning
    (None when no point has warnings or nobody would see it)."""
    if dtype is not None:
        result._widen(_columns.float_dtype(dtype))
    result._label(_columns.index_of(*arguments))
    if not _columns.warnings_shown(ValidityWarning):
        return None
    pending = dict.__getitem__(result, "warning")
    summary = pending.summary() if type(pending) is _elprops.PendingWarnings else None
    if summary is None:  # the texts are made: they say it
        return _columns.warned_points_text(result["warning"])
    above, other, first, text = summary
    label = None if first is None else result._labels([first])[0]
    return _columns.warned_summary_text(above, other, len(result), label, text)


def _point_warning(warnings):
    return "; ".join(w.message for w in warnings) if warnings else None


def _concentration(concentration, mass_fraction, temperature, function):
    if temperature is None:
        raise TypeError(f"{function}() needs the temperature (degrees Celsius)")
    if mass_fraction is None:
        return concentration
    if not (isinstance(concentration, (int, float)) and concentration == 0):
        raise TypeError(f"{function}() takes the concentration or mass_fraction (its former name), not both")
    return mass_fraction


def compute(substance, concentration=0.0, temperature=None, *, unit="fraction", reference=False, dtype=None,
            mass_fraction=None):
    """The five properties of a solution at one point, or of arrays of points.

    substance      a name or formula ("NaCl", "sodium chloride"), an index 1 to
                   19, a Substance record, or an array of indices (or of names)
    concentration  in `unit`; 0 (the default) for water
    temperature    degrees Celsius
    unit           'fraction' (kg of salt per kg of solution, the default),
                   'percent' (or '%'), 'molality' (mol/kg of water),
                   'molarity' (mol/L of solution) or 'g/L', as elprops-cli's
                   --unit: the concentration is turned into the mass fraction
                   first (molarity and g/L on the model's density at the
                   temperature), and a point the conversion refuses fails with
                   its message
    dtype          for arrays, a floating dtype for the five property arrays
                   (numpy.float64: the same values, widened)
    mass_fraction  the former name of concentration (keyword only)

    Numbers are rounded to the nearest single-precision value first; so is a
    mass fraction a unit gives. elprops.compute("water", temperature=20)
    computes water.

    When all three are single values, the result is a Properties record of
    Python floats, and a point that cannot be computed raises:
    InadmissibleError when the substance is unknown or a value lies outside the
    admissible ranges, ArithmeticFault when the correlations leave the number
    range (near saturation, e.g. potassium carbonate at 0.99 and 20 degrees).
    The messages are those of elprops-cli.

    When any argument is an array (or a list or tuple), the three are broadcast
    together as NumPy does and the result is a PropertyArrays record of float32
    arrays of the broadcast shape, the same as compute_many gives. A point
    that cannot be computed never raises: its properties are NaN and its
    message is in the array `error` (empty where the point was computed), an
    array of str objects that each distinct message is shared by. A point
    that the mask of a NumPy masked array hides is not computed: NaN and the
    message 'masked'. A value too large for a single is an infinity, which its
    point refuses with its message. Only arguments of the wrong type, shapes that do not broadcast and an
    unknown name given for every point raise.

    The record maps the column names to the arrays, one row per point:
    len(r) points, r.keys(), r["density"] or r.density; pd.DataFrame(r) or
    r.to_dataframe() give a DataFrame. Given a pandas Series, the columns are
    Series with its index:

        x = pd.Series([0.1, 0.2], index=["a", "b"])
        elprops.compute("NaCl", x, 20).to_dataframe()    # rows 'a' and 'b'

    Points with warnings (see Properties.warnings and PropertyArrays.warning)
    issue one ValidityWarning per call through warnings.warn, counting the
    points of an array call.

    With reference=True the result carries two more attributes (no fields:
    unpacking and comparing are unchanged):

    reference  a References record: for each property the independent
               published model's value beside ours (Laliberté 2009, Melinder
               2010, Dutcher 2010, Conde 2004, Talreja-Muthreja 2022,
               Magomedov 2001), its source, the relative deviation of ours
               from it and whether the point lies within the span of the
               model's measurements; None for a property no model covers.
               For arrays, each is a ReferenceArrays record of per-point
               arrays.
    notes      where no measurement stands behind the point, a note per
               property naming the span of the data: a tuple of str for one
               point, an array of str objects (joined by '; ', '' where
               none) for arrays. Notes, like warnings, never change a number.

        >>> r = elprops.compute("NaCl", 0.1, 20, reference=True)
        >>> r.reference.density.source, round(r.reference.density.value, 2)
        ('Laliberté 2009', 1070.75)
        >>> elprops.compute("KOH", 0.6, 20, reference=True).notes[0]
        'density of KOH: no reference data beyond w = 0.518 at 20 °C'
    """
    concentration = _concentration(concentration, mass_fraction, temperature, "compute")
    fractions, messages = _in_mass_fraction(substance, concentration, temperature, unit)
    result = _elprops.compute(substance, fractions, temperature)
    if reference:
        result = _with_reference(result, substance, fractions, temperature)
    if isinstance(result, Properties):
        text = _point_warning(result.warnings)
    else:
        _refused(result, messages)
        text = _finish(result, (substance, concentration, temperature), dtype)
    if text:
        _warn(text)
    return result


def compute_many(substance, concentration=0.0, temperature=None, *, unit="fraction", dtype=None, mass_fraction=None):
    """The five properties of arrays of points, as float32 arrays.

    The arguments are those of compute(), as arrays or single values, broadcast
    together as NumPy does. The result is a PropertyArrays record: one float32
    array of the broadcast shape per property and the array `error` of
    messages, an empty string where the point was computed. A point that
    cannot be computed has NaN properties and its message (the words of
    elprops-cli) in `error`; it never raises. The computation runs without the
    interpreter's lock, so other Python threads go on meanwhile.

    A substance given once by name must be known (else InadmissibleError);
    names, indices and Substance records inside an array mark only their own
    points when they are unknown. unit= and dtype= are compute()'s; single
    values too give arrays (of no axes), and a concentration the unit's
    conversion refuses marks only its point.

        >>> r = elprops.compute_many(17, np.float32([0.1, 1.5]), 20)
        >>> r.density
        array([1070.6378,       nan], dtype=float32)
        >>> r.error[1]
        'concentration 1.5 is not between 0 and 1 (both excluded)'
    """
    concentration = _concentration(concentration, mass_fraction, temperature, "compute_many")
    # One point too is converted as an array of one, which never raises.
    given = concentration if isinstance(concentration, _np.ndarray) else _np.asarray(concentration)
    fractions, messages = _in_mass_fraction(substance, given, temperature, unit)
    result = _elprops.compute_many(substance, fractions, temperature)
    _refused(result, messages)
    text = _finish(result, (substance, concentration, temperature), dtype)
    if text:
        _warn(text)
    return result


def solve(substance, temperature, property, value, unit="fraction",  # noqa: A002  (the argument's public name)
          reference_temperature=20.0):
    """The mass fractions at which a property of a salt solution has a value.

    substance    one salt: a name, formula, index 1 to 18 or Substance record
    temperature  degrees Celsius
    property     'density', 'viscosity', 'surface_tension', 'heat_capacity' or
                 'thermal_conductivity' (a hyphen may stand for the underscore),
                 or a derived quantity (see quantities()), e.g. 'prandtl_number'
    value        the property in the module's units (kg/m3, Pa*s, N/m,
                 J/(kg*K), W/(m*K); for a derived quantity its own unit)
    unit         the unit of Answer.concentration: 'fraction' (kg/kg),
                 'percent', 'molality' (mol/kg water), 'molarity' (mol/L) or
                 'g/L'
    reference_temperature  where 'heat_taken_up' is counted from, degrees
                 Celsius

    The search runs over the admissible mass fractions on the model's own
    single-precision property. Where the property is monotonic in the
    concentration there is one answer; where it turns, more, ascending.

    With single values the result is a list of Answer records. Each answer is
    the single-precision mass fraction whose property is nearest to the value,
    with the two neighbouring singles that straddle it (below, above) and which
    one was chosen. Like a point of compute(), an answer carries its warnings
    (.warnings, a tuple of PointWarning records: above the solubility, above
    100 degrees, notes), and it says the run of mass fractions that give the
    same value (.run_first, .run_last; .plateau where the property levels off
    and one answer stands for a wide run). When no admissible mass fraction gives the value,
    OutOfReachError (an InadmissibleError, so a ValueError) says the range the
    property reaches at that temperature; an unknown substance, water or a
    temperature at which nothing can be computed raise InadmissibleError.

        >>> [a.mass_fraction for a in elprops.solve("NaCl", 20, "density", 1070.6378)]
        [0.1]
        >>> len(elprops.solve("NaCl", 20, "heat_capacity", 3500))
        2

    When value or temperature is an array, the two are broadcast together and
    the result is a Solutions record of arrays of the broadcast shape:
    mass_fraction (float32, the lowest answer, NaN where none), concentration
    (float64, it in the unit), count (int32, the number of answers) and error
    (str, why there is none, '' where there is). A point without an answer
    never raises; take single values for every answer of a point where count
    is above 1, and for the answers' warnings. The substance, property and unit are one for all points.
    Given a pandas Series, the arrays are Series with its index;
    to_dataframe() gives a DataFrame of one row per point.

    Answers with warnings (single values) issue one ValidityWarning.
    """
    answers = _elprops.solve(substance, temperature, property, value, unit, reference_temperature)
    if isinstance(answers, Solutions):
        return answers._with_index(_columns.index_of(temperature, value))
    texts = [f"the answer {a.mass_fraction}: {_point_warning(a.warnings)}" for a in answers if a.warnings]
    if texts and _columns.warnings_shown(ValidityWarning):
        _warn("; ".join(texts))
    return answers


def compute_derived(substance, mass_fraction, temperature, reference_temperature=20.0):
    """Quantities derived from the five properties of a point (see Derived).

    They come from elprops's own values at the point, in double precision; the
    five properties themselves are unchanged. reference_temperature (degrees
    Celsius) is where heat_taken_up is counted from. One point gives a Derived
    record of floats, or raises as compute() does; arrays of mass fractions and
    temperatures (broadcast together, one substance) give a Derived record of
    float64 arrays with the reasons of points that have none in `.error`.

        >>> round(elprops.compute_derived("NaCl", 0.1, 20).prandtl_number, 3)
        7.716
    """
    values = _elprops.compute_derived(substance, mass_fraction, temperature, reference_temperature)
    if len(values) == 2 and isinstance(values[0], tuple):
        record = _DerivedArrays(*values[0])
        record.error = values[1]
        return record._with_index(_columns.index_of(mass_fraction, temperature))
    return Derived(*values)


class _DerivedArrays(_columns.TupleColumns, Derived):
    """Derived quantities of many points: float64 arrays, the reasons in .error;
    to_dataframe() gives a DataFrame of one row per point."""
    error = None
    _extra_columns = ("error",)


def solve_temperature(substance, mass_fraction, property, value,  # noqa: A002  (the argument's public name)
                      reference_temperature=20.0):
    """The temperatures at which a property or derived quantity has a value.

    At the mass fraction (0 for water), over every admissible temperature; a
    list of TemperatureAnswer records, ascending. OutOfReachError names the
    range the quantity reaches when no temperature gives the value.

        >>> [round(a.temperature, 2) for a in elprops.solve_temperature("CaCl2", 0.25, "viscosity", 0.003)]
        [8.08]
    """
    return [TemperatureAnswer(*a) for a in
            _elprops.solve_temperature(substance, mass_fraction, property, value, reference_temperature)]


def quantities():
    """The five properties and the derived quantities, as Quantity records."""
    return [Quantity(*row) for row in _elprops.quantities()]


def to_mass_fraction(substance, value, unit, temperature=None):
    """A concentration of a salt in a unit, as the mass fraction compute() takes.

    substance    one salt: a name, formula, index or Substance record
    value        the concentration
    unit         'fraction' (kg/kg), 'percent' (or '%'), 'molality' (mol/kg of
                 water), 'molarity' (mol/L of solution) or 'g/L' (g of salt per
                 litre of solution)
    temperature  degrees Celsius; needed for molarity and g/L only, which
                 depend on the solution's own density

    Mass percent and molality convert directly, w = m*M / (1000 + m*M) with the
    standard molar mass M in g/mol; molarity and g/L are solved on the model's
    density, c = w*rho(w, T) / M. Single values give the mass fraction as a
    Single (a float holding the single-precision value) whose .warnings, a
    tuple of PointWarning records, are those compute() gives at that mass
    fraction and the temperature (empty when no temperature is given: the
    solubility depends on it); a negative value
    raises InadmissibleError, a molarity beyond what the admissible mass
    fractions reach OutOfReachError with the reachable range.

        >>> elprops.to_mass_fraction("NaCl", 1, "molality")
        0.055213332

    Arrays of value or temperature (broadcast together) give a Conversions
    record: mass_fraction (float32, NaN where the conversion failed), achieved
    (float64, the concentration computed back from the mass fraction) and
    error (str objects, '' where it worked; 'masked' where a mask hides the
    point), and as its attribute `warning` the warnings of the converted
    points joined by '; '; a bad point never raises.
    """
    answer = _elprops.to_mass_fraction(substance, value, unit, temperature)
    if isinstance(answer, Conversions):
        return answer._with_index(_columns.index_of(value, temperature))
    mass_fraction, warnings = answer
    converted = _ConvertedSingle(mass_fraction)
    converted.warnings = warnings
    return converted


def _values(answer):  # a float, or the values and messages of arrays
    if type(answer) is not tuple:
        return answer
    values, error = answer
    values = values.view(ValueArray)
    values.error = error
    return values


def molality(substance, mass_fraction):
    """The molality (mol of salt per kg of water) of a mass fraction of a salt.

    m = 1000 * w / ((1 - w) * M), M the standard molar mass in g/mol. A single
    value gives a float, an array of mass fractions a ValueArray (float64). A
    mass fraction outside 0 up to (not including) 1 has none: InadmissibleError
    for a single value, NaN in an array with the message in its `error`.

        >>> round(elprops.molality("NaCl", 0.1), 4)
        1.9013
    """
    return _values(_elprops.molality(substance, mass_fraction))


def molarity(substance, mass_fraction, density):
    """The molarity (mol of salt per litre of solution) of a mass fraction.

    c = w * density / M, with the density in kg/m3 (compute() gives it) and the
    standard molar mass M in g/mol. Single values give a float; arrays,
    broadcast together, a ValueArray (float64). A mass fraction outside 0 up to
    (not including) 1 or a density that is not positive has none:
    InadmissibleError for single values, NaN in an array with the message in
    its `error`.

        >>> r = elprops.compute("NaCl", 0.1, 20)
        >>> round(elprops.molarity("NaCl", 0.1, r.density), 4)
        1.832
    """
    return _values(_elprops.molarity(substance, mass_fraction, density))


def standard_molar_mass(substance):
    """The standard molar mass of a substance in g/mol.

    Computed from its formula with the IUPAC standard atomic weights (abridged),
    as the unit conversions use it. It may differ slightly from
    Substance.molar_mass, the value the correlations were made with.

        >>> elprops.standard_molar_mass("NaCl")
        58.44
    """
    return _elprops.standard_molar_mass(substance)


def substances():
    """The nineteen substances as a list of Substance records in index order:
    eighteen aqueous electrolytes and water (index 19).

        >>> elprops.substances()[16]
        Substance(index=17, formula='NaCl', english_name='sodium chloride', russian_name='НАТРИЯ ХЛОРИД', molar_mass=58.44, temperature_limit=270.0)
    """
    return _elprops.substances()


def find_substance(name_or_index):
    """The Substance record named by its index (17 or "17"), its formula in any
    case ("NaCl", "nacl"), its English name in any case ("sodium chloride") or
    its Russian name as listed ("НАТРИЯ ХЛОРИД"); blanks around a name are
    ignored. None when no substance matches.
    """
    return _elprops.find_substance(name_or_index)


def calcium_chloride_saturation(temperature):
    """The saturation mass fraction of calcium chloride (kg/kg) at a temperature
    in degrees Celsius: 0.52551 * exp(0.00156214 * T), rounded to single
    precision. The fit was made for 0 to 100 degrees; beyond, the value is an
    extrapolation. The window warns when a calcium chloride concentration lies
    above it. A single temperature gives a float, an array a float32 array.

        >>> elprops.calcium_chloride_saturation(20)
        0.5421876
    """
    return _elprops.calcium_chloride_saturation(temperature)


def version():
    """The version of the elprops library the module runs on, "MAJOR.MINOR.PATCH"."""
    return _elprops.version()
