"""The elprops Calc add-in: spreadsheet functions over the Python module
elprops.

Every function takes single values or ranges. Single values give a number
or a text (as an array of one cell, which Calc shows as its value); a point
that cannot be computed raises IllegalArgumentException, which Calc shows
as an error value, and ELPROPS_ERROR gives its message.
Ranges (in an array formula) are broadcast together as NumPy does, computed
in one call of the module, and give an array; there a point that cannot be
computed is the same error value, and an empty cell an empty result.

The functions and their texts are the table of elprops_calc_functions.
"""
import struct

import unohelper
from com.sun.star.lang import IllegalArgumentException, XServiceInfo, XServiceName
from org.elprops.calc import XElprops

import elprops_calc_functions as table

# Calc reads a NaN whose low bits hold an error code as that error: 502 is
# "invalid argument", the error an IllegalArgumentException of a single
# point gives too.
_ERROR_VALUE = struct.unpack("<d", struct.pack("<Q", 0x7FF8000000000000 | 502))[0]
_EMPTY = None  # a point with an empty cell: no result


class _Refused(Exception):
    """A call that gives no result at all: its message is the error's."""


def _module():
    try:
        import elprops
        import numpy
    except ImportError as error:
        raise _Refused(f"the Python module elprops cannot be imported ({error}); install python3-elprops") from None
    return elprops, numpy


def _is_range(value):
    return isinstance(value, tuple)


def _cells(value, np):
    """The values of an argument as a 2-D object array (one cell for a single value)."""
    if _is_range(value):
        return np.array([list(row) for row in value], dtype=object).reshape(len(value), -1)
    return np.array([[value]], dtype=object)


def _numbers(value, what, np):
    """A numeric argument: float64 values, and per cell '' (a number), None
    (an empty cell) or why it is no number."""
    cells = _cells(value, np)
    numbers = np.full(cells.shape, np.nan)
    problems = np.full(cells.shape, "", dtype=object)
    for index, cell in np.ndenumerate(cells):
        if isinstance(cell, (int, float)) and not isinstance(cell, bool):
            numbers[index] = cell
        elif cell is None or cell == "":
            problems[index] = _EMPTY
        else:
            problems[index] = f"the {what} {cell!r} is not a number"
    return numbers, problems


def _substances(value, np):
    """The substance argument: names or indices, and per cell its problem."""
    cells = _cells(value, np)
    names = np.empty(cells.shape, dtype=object)
    problems = np.full(cells.shape, "", dtype=object)
    for index, cell in np.ndenumerate(cells):
        if isinstance(cell, str) and cell.strip():
            names[index] = cell.strip()
        elif isinstance(cell, float) and cell.is_integer():
            names[index] = int(cell)
        elif cell is None or cell == "":
            names[index], problems[index] = "", _EMPTY
        else:
            names[index], problems[index] = str(cell), f"the substance {cell!r} is neither a name nor an index"
    return names, problems


def _text(value, what, default):
    if value is None or value == "":
        if default is None:
            raise _Refused(f"the {what} is missing")
        return default
    if _is_range(value) or not isinstance(value, str):
        raise _Refused(f"the {what} must be one text, such as \"{default or 'density'}\"")
    return value.strip()


def _first_problem(*problems):
    """Per cell: None when any argument's cell is empty, else the first message."""
    merged = problems[0].copy()
    for later in problems[1:]:
        take = (merged == "") & (later != "")
        merged[take] = later[take]
    for each in problems:
        merged[_empty(each)] = _EMPTY
    return merged


def _empty(problems):
    """Where the cells of a problem array are empty (an elementwise `is None`)."""
    return problems == _EMPTY  # noqa: E711  (elementwise on an object array)


def _each_substance(np, names, call):
    """call(name, cells) for each substance among the points (cells: where it
    is), which fills in their values and answers their messages; a substance
    the module refuses gives its message to all its cells. The messages."""
    errors = np.full(names.shape, "", dtype=object)
    for name in set(names.flat):
        cells = names == name
        try:
            errors[cells] = call(name, cells)
        except ValueError as error:
            errors[cells] = str(error)
    return errors


def _mass_fractions(elprops, np, names, concentration, temperature, unit):
    """The mass fractions of the concentrations in the unit, and per cell why none."""
    if unit.lower() == "fraction":
        return concentration, np.full(concentration.shape, "", dtype=object)
    fractions = np.full(concentration.shape, np.nan)

    def convert(name, cells):
        converted = elprops.to_mass_fraction(name, concentration[cells], unit, temperature[cells])
        fractions[cells] = converted.mass_fraction
        return converted.error
    return fractions, _each_substance(np, names, convert)


def _shape(np, *arrays):
    try:
        return np.broadcast_shapes(*(a.shape for a in arrays))
    except ValueError:
        raise _Refused("the ranges do not fit together: give ranges of one size, or a row and a column") from None


def _points(elprops, np, substance, concentration, temperature, unit):
    """The points of the arguments, broadcast together: substances, mass
    fractions, temperatures, the problems per cell, and whether every
    argument was a single value."""
    unit = _text(unit, "unit", "fraction")
    names, name_problems = _substances(substance, np)
    concentrations, concentration_problems = _numbers(concentration, "concentration", np)
    temperatures, temperature_problems = _numbers(temperature, "temperature", np)
    shape = _shape(np, names, concentrations, temperatures)
    names, concentrations, temperatures = (np.broadcast_to(a, shape) for a in (names, concentrations, temperatures))
    fractions, conversion_errors = _mass_fractions(elprops, np, names, concentrations, temperatures, unit)
    problems = _first_problem(*(np.broadcast_to(p, shape) for p in
                                (name_problems, concentration_problems, temperature_problems)), conversion_errors)
    return names, fractions, temperatures, problems, not any(map(_is_range, (substance, concentration, temperature)))


def _compute_point(arguments):
    """compute_many over the points: the record, the problems per cell and
    whether every argument was a single value."""
    elprops, np = _module()
    names, fractions, temperatures, problems, single = _points(elprops, np, *arguments)
    one_name = names.flat[0] if (names == names.flat[0]).all() else names
    try:
        result = elprops.compute_many(one_name, fractions, temperatures)
    except ValueError as error:  # one unknown substance for all points
        raise _Refused(str(error)) from None
    return result, _first_problem(problems, result.error), single


def _answer(values, problems, single, fault_value):
    """One value (raising for a refused point) or the array of a range."""
    if single:
        problem = problems.flat[0]
        if problem is _EMPTY:
            raise _Refused("a value is missing (an empty cell?)")
        if problem:
            raise _Refused(problem)
        return ((values.flat[0],),)
    rows = [tuple(_EMPTY if problem is _EMPTY else fault_value if problem else value
                  for value, problem in zip(value_row, problem_row))
            for value_row, problem_row in zip(values.tolist(), problems.tolist())]
    return tuple(rows)


def _property(field):
    def call(*arguments):
        result, problems, single = _compute_point(arguments)
        values = getattr(result, field).astype(float)
        return _answer(values, problems, single, _ERROR_VALUE)
    return call


def _derived(field):
    def call(substance, concentration, temperature, unit, reference=None):
        elprops, np = _module()
        names, fractions, temperatures, problems, single = _points(elprops, np, substance, concentration,
                                                                   temperature, unit)
        if reference is None:
            reference = 20.0
        elif not isinstance(reference, float):
            raise _Refused("the reference temperature must be one number")
        values = np.full(fractions.shape, np.nan)

        def derive(name, cells):
            derived = elprops.compute_derived(name, fractions[cells], temperatures[cells], reference)
            values[cells] = getattr(derived, field)
            return derived.error
        return _answer(values, _first_problem(problems, _each_substance(np, names, derive)), single, _ERROR_VALUE)
    return call


def _warning(*arguments):
    result, problems, single = _compute_point(arguments)
    return _answer(result.warning, problems, single, _ERROR_VALUE)


def _error(*arguments):
    try:
        _result, problems, single = _compute_point(arguments)
    except _Refused as refused:
        return ((str(refused),),)
    _elprops, np = _module()
    messages = np.where(_empty(problems), "", problems)
    return _answer(messages, np.full(messages.shape, "", dtype=object), single, "")


def _solve(substance, quantity, value, temperature, unit):
    elprops, np = _module()
    if _is_range(substance):
        raise _Refused("the salt must be one name or index")
    names, name_problems = _substances(substance, np)
    problem = name_problems.flat[0]
    if problem != "":
        raise _Refused(problem or "the salt is missing")
    quantity = _text(quantity, "property", None)
    unit = _text(unit, "unit", "fraction")
    values, value_problems = _numbers(value, "value", np)
    temperatures, temperature_problems = _numbers(temperature, "temperature", np)
    shape = _shape(np, values, temperatures)
    values, temperatures = (np.broadcast_to(a, shape) for a in (values, temperatures))
    try:
        solutions = elprops.solve(names.flat[0], temperatures, quantity, values, unit)
    except ValueError as error:
        raise _Refused(str(error)) from None
    problems = _first_problem(np.broadcast_to(value_problems, shape), np.broadcast_to(temperature_problems, shape),
                              solutions.error)
    single = not (_is_range(value) or _is_range(temperature))
    return _answer(solutions.concentration, problems, single, _ERROR_VALUE)


def _version():
    elprops, _np = _module()
    return elprops.version()


_KINDS = {"warning": _warning, "error": _error, "solve": _solve, "version": _version}


class ElpropsAddIn(unohelper.Base, XElprops, XServiceName, XServiceInfo):
    """The add-in's service: one method per row of the table."""

    def __init__(self, context):
        self.context = context

    def getServiceName(self):
        return table.SERVICE

    def getImplementationName(self):
        return table.SERVICE

    def supportsService(self, name):
        return name in self.getSupportedServiceNames()

    def getSupportedServiceNames(self):
        return (table.SERVICE, "com.sun.star.sheet.AddIn")


def _method(function):
    if function.kind in ("property", "derived"):
        compute = (_property if function.kind == "property" else _derived)(function.field)
    else:
        compute = _KINDS[function.kind]

    def method(self, *arguments):
        try:
            return compute(*arguments)
        except _Refused as refused:
            raise IllegalArgumentException(str(refused), self, 0) from None
    method.__name__ = function.method
    return method


for _function in table.FUNCTIONS:
    setattr(ElpropsAddIn, _function.method, _method(_function))

g_ImplementationHelper = unohelper.ImplementationHelper()
g_ImplementationHelper.addImplementation(ElpropsAddIn, table.SERVICE, (table.SERVICE, "com.sun.star.sheet.AddIn"))
