"""The arrays of points of the package elprops: PropertyArrays and the
result with reference values. Defined here, shown as elprops.<name>."""
import threading as _threading

import numpy as _np

from . import _columns, _elprops
from ._records import ReferenceArrays, References


# --- The arrays of points --------------------------------------------------------

# The warnings and the messages of an array call until they are first read
# (made by the compiled part); calling one gives the text array, the same
# one every time.
_PENDING = (_elprops.PendingWarnings, _elprops.PendingMessages)
_settling = _threading.Lock()
_PROPERTY_NAMES = ("density", "viscosity", "surface_tension", "heat_capacity", "thermal_conductivity")


def _rebuild(cls, columns, attributes):  # unpickling an array result
    record = cls(*columns)
    vars(record).update(attributes)
    return record


def _column(name, doc):
    return property(lambda self: self[name], doc=doc)


def _read_only(self, *args, **kwargs):
    raise TypeError(f"{type(self).__name__} is read-only: change its arrays, or make a dict of them (dict(r))")


class PropertyArrays(_columns.ColumnRecord, dict):
    """The five properties of arrays of points: float32 arrays of the broadcast
    shape of the arguments, NaN where a point failed, and the messages.

    density               kg/m3
    viscosity             dynamic viscosity, Pa*s
    surface_tension       N/m
    heat_capacity         specific heat capacity, J/(kg*K)
    thermal_conductivity  W/(m*K)
    error                 array of str objects (dtype object): why a point failed
                          ('masked' where a mask hides it: it is not computed),
                          '' where it was computed; failed = r.error != ''
    warning               array of str objects (dtype object): the warnings and
                          notes of a computed point joined by '; ' as elprops-cli
                          writes them, '' where none (and where the point failed);
                          warned = r.warning != ''

    A read-only mapping of these seven names to their arrays, one row per
    point: len(r) is the number of points, r.keys() the names, r["density"]
    or r.density a column; pd.DataFrame(r) and r.to_dataframe() give a
    DataFrame with one row per point (the latter also for results of two or
    more axes). When the call was given a pandas Series, the columns are
    Series with its index. With dtype=numpy.float64 the five properties are
    float64 arrays of the same values.

    The warnings are worked out when `warning` is first read (or the record
    is printed or pickled; the call's ValidityWarning only counts the points
    and makes the first one's text), from the call's
    own copy of the points and of their computed values: changing the
    argument or result arrays afterwards changes no warning, and later reads
    give the same array. The array `error` too is made when first read, from
    the messages of the failed points only.
    """

    _fields = _PROPERTY_NAMES + ("error", "warning")

    def __init__(self, density, viscosity, surface_tension, heat_capacity, thermal_conductivity, error, warning):
        dict.__init__(self, zip(self._fields,
                                (density, viscosity, surface_tension, heat_capacity, thermal_conductivity, error,
                                 warning)))

    density = _column("density", "float32 array: density, kg/m3")
    viscosity = _column("viscosity", "float32 array: dynamic viscosity, Pa*s")
    surface_tension = _column("surface_tension", "float32 array: surface tension, N/m")
    heat_capacity = _column("heat_capacity", "float32 array: specific heat capacity, J/(kg*K)")
    thermal_conductivity = _column("thermal_conductivity", "float32 array: thermal conductivity, W/(m*K)")
    error = _column("error", "array of str objects: why a point failed, '' where it was computed")
    warning = _column("warning", "array of str (dtype object): a computed point's warnings, '' where none; "
                                 "worked out when first read")

    def __getitem__(self, name):
        value = dict.__getitem__(self, name)
        return self._settle(name) if type(value) in _PENDING else value

    def _settle(self, name):
        # Threads that read at once get the same array.
        with _settling:
            value = dict.__getitem__(self, name)
            if type(value) in _PENDING:
                value = value()
                if self._index is not None:
                    value = _columns.series(value, self._index, name)
                dict.__setitem__(self, name, value)
        return value

    def _named_columns(self):
        return self.items()

    def _shape(self):
        return _np.shape(dict.__getitem__(self, "density"))

    def __len__(self):
        return int(_np.prod(self._shape(), dtype=_np.int64))

    def __iter__(self):
        return iter(self._fields)

    def keys(self):
        """The names of the columns."""
        return list(self._fields)

    def values(self):
        """The columns, in the order of keys()."""
        return [self[name] for name in self._fields]

    def items(self):
        """(name, column) pairs, in the order of keys()."""
        return [(name, self[name]) for name in self._fields]

    def get(self, name, default=None):
        return self[name] if name in self._fields else default

    def _asdict(self):
        """A dict of the columns."""
        return dict(self.items())

    def _replace(self, **columns):
        record = type(self)(*(columns.pop(name) if name in columns else dict.__getitem__(self, name)
                              for name in self._fields))
        if columns:
            raise ValueError(f"no such columns: {sorted(columns)}")
        vars(record).update(vars(self))
        return record

    def copy(self):
        return self._replace()

    def __or__(self, other):  # a dict of the columns and the other's items
        return self._asdict() | other if isinstance(other, dict) else NotImplemented

    __setitem__ = __delitem__ = clear = pop = popitem = setdefault = update = __ior__ = _read_only

    def __eq__(self, other):
        if not isinstance(other, PropertyArrays):
            return NotImplemented
        return all(_same(a, b) for a, b in zip(self.values(), other.values()))

    def __ne__(self, other):
        equal = self.__eq__(other)
        return equal if equal is NotImplemented else not equal

    __hash__ = None

    def __reduce__(self):
        return _rebuild, (type(self), tuple(self.values()), dict(vars(self)))

    def _widen(self, dtype):
        for name in _PROPERTY_NAMES:
            dict.__setitem__(self, name, dict.__getitem__(self, name).astype(dtype))

    def _label(self, index):
        """Series for the columns when a Series argument labels the points."""
        if not _columns.fits(index, self._shape()):
            return
        self._index = index
        for name in self._fields:
            value = dict.__getitem__(self, name)
            if type(value) not in _PENDING:
                dict.__setitem__(self, name, _columns.series(value, index, name))


def _same(a, b):
    a, b = _np.asarray(a), _np.asarray(b)
    return _np.array_equal(a, b, equal_nan=a.dtype.kind == "f" and b.dtype.kind == "f")


class PropertyArraysWithReference(PropertyArrays):
    """PropertyArrays of compute(..., reference=True) with the attributes
    `reference` (a References record of ReferenceArrays) and `notes` (str
    objects: the notes of each point joined by '; ', '' where none)."""
    reference = None
    notes = None

    def _named_columns(self):
        return super()._named_columns() + [("notes", self.notes)]


# The compiled part makes its results and raises its errors with the types
# above.


# Shown, pickled and documented as the package's own (elprops.<name>).
for _type in [_value for _value in list(globals().values()) if isinstance(_value, type)]:
    if _type.__module__ == __name__:
        _type.__module__ = "elprops"
