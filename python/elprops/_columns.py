"""What the array results of elprops share: one row per point with named
columns, a pandas index kept from Series arguments, to_dataframe(), and
their text and HTML tables.

pandas is optional: it is imported only by to_dataframe() and where a caller
passed a Series (and so has imported it already).
"""
import html as _html
import sys as _sys
import warnings as _warnings

import numpy as _np


def pandas():
    """The pandas module, or an ImportError that says how to get it."""
    try:
        import pandas as pd
    except ImportError as error:
        raise ImportError(f"to_dataframe() needs pandas, which this Python ({_sys.executable}) cannot import: "
                          "install it (pip install pandas; on Debian apt install python3-pandas)") from error
    return pd


def index_of(*arguments):
    """The index of the pandas Series among the arguments, None when there is
    none. Series with different indexes raise: their points would not match
    up as pandas aligns them."""
    pd = _sys.modules.get("pandas")
    if pd is None:
        return None
    index = None
    for argument in arguments:
        if isinstance(argument, pd.Series):
            if index is None:
                index = argument.index
            elif not index.equals(argument.index):
                raise ValueError("the Series given have different indexes: align them first (Series.align)")
    return index


def fits(index, shape):
    """Whether an index labels the points of a result of the shape: a Series
    broadcast against a 2-d array gives points the index does not name."""
    return index is not None and tuple(shape) == (len(index),)


def series(values, index, name):
    return _sys.modules["pandas"].Series(values, index=index, name=name, copy=False)


def float_dtype(dtype):
    """The dtype= of an array call: a floating type that holds every single."""
    dtype = _np.dtype(dtype)
    if dtype.kind != "f" or dtype.itemsize < 4:
        raise ValueError(f"dtype must be a floating type at least as wide as float32 (the values are singles), "
                         f"not {dtype}")
    return dtype


def warnings_shown(category):
    """Whether warnings.warn would show a warning of the category (False only
    when a filter that matches every such warning ignores it), so that an
    array call need not work out warnings nobody sees."""
    for action, message, kind, module, _ in list(_warnings.filters):
        if not issubclass(category, kind):
            continue
        if message is None and module is None:
            return action != "ignore"
        return True  # the filter depends on the text or the caller
    return True


def warned_points_text(texts):
    """The message of the warning of an array call: how many points have
    warnings, and the commonest kind of text, or None when no point has one."""
    texts = _np.ravel(_np.asarray(texts, dtype=object))
    warned = texts[texts != ""]
    if warned.size == 0:
        return None
    first = warned[0]
    same = int(_np.count_nonzero(warned == first))
    head = f"{warned.size} of {texts.size} points"
    if same == warned.size:
        return f"{head}: {first}"
    return f"{head} have warnings (see .warning); {same} of them: {first}"


def warned_summary_text(above, other, total, first, text):
    """The message of the warning of an array call from the count of points
    above the solubility and of the others with warnings or notes, the label
    of the first such point and its text; None when there are none."""
    warned = above + other
    if warned == 0:
        return None
    if other == 0:
        what = "above the solubility"
    elif above == 0:
        what = "warnings or notes"
    else:
        what = f"warnings or notes ({above} above the solubility)"
    return f"{warned} of {total} points: {what}; the first, point {first}: {text}"


class ColumnRecord:
    """The part of an array result that presents its points: to_dataframe(),
    the text table of repr() and the HTML table notebooks show."""

    _index = None  # the pandas index of a Series argument, None without

    # Rows a table shows at most: the first and the last half of them.
    _TEXT_ROWS = 10
    _HTML_ROWS = 20
    _CELL_WIDTH = 40

    def _named_columns(self):  # [(name, array)], overridden
        raise NotImplementedError

    def _shape(self):
        return _np.shape(self._named_columns()[0][1])

    def to_dataframe(self):
        """A pandas DataFrame with one row per point and a column per field.

        The index is that of the Series the call was given; without one, the
        points' positions (a MultiIndex of the positions along each axis for
        a result of two or more axes, flattened in C order). Needs pandas."""
        pd = pandas()
        shape = self._shape()
        columns = {name: _np.ravel(_np.asarray(values)) for name, values in self._named_columns()}
        if self._index is not None:
            index = self._index
        elif len(shape) > 1:
            index = pd.MultiIndex.from_product([range(n) for n in shape])
        else:
            index = None
        return pd.DataFrame(columns, index=index)

    def _labels(self, rows):
        shape = self._shape()
        if self._index is not None:
            return [str(self._index[i]) for i in rows]
        if len(shape) > 1:
            return [", ".join(str(k) for k in _np.unravel_index(i, shape)) for i in rows]
        return [str(i) for i in rows]

    def _cells(self, limit):
        """The caption, the column names, the rows of text cells (None for the
        gap of a long table) and which columns hold texts."""
        columns = [(name, _np.ravel(_np.asarray(values))) for name, values in self._named_columns()]
        count = columns[0][1].size
        if count <= limit:
            rows = list(range(count))
        else:
            rows = list(range(limit // 2)) + [None] + list(range(count - limit // 2, count))
        shown = [i for i in rows if i is not None]
        labels = iter(self._labels(shown))
        table = [None if i is None else [next(labels)] + [self._cell(values[i]) for _, values in columns]
                 for i in rows]
        dtype = columns[0][1].dtype
        caption = f"{type(self).__name__}: {count} point{'' if count == 1 else 's'}, shape {self._shape()}, {dtype}"
        texts = [values.dtype.kind in "OUS" for _, values in columns]
        return caption, [name for name, _ in columns], table, texts

    def _cell(self, value):
        if isinstance(value, _np.float32):
            from . import _elprops  # the shortest digits of the single
            return _elprops.single_text(float(value))
        if isinstance(value, (float, _np.floating)):
            return repr(float(value))
        text = str(value)
        return text if len(text) <= self._CELL_WIDTH else text[:self._CELL_WIDTH - 3] + "..."

    def __repr__(self):
        caption, names, table, texts = self._cells(self._TEXT_ROWS)
        header = [""] + names
        widths = [max([len(header[k])] + [len(row[k]) for row in table if row is not None])
                  for k in range(len(header))]
        left = [False] + texts  # texts aligned left, numbers right

        def line(cells):
            return "  ".join(c.ljust(w) if l else c.rjust(w) for c, w, l in zip(cells, widths, left)).rstrip()

        lines = [caption, line(header)]
        lines += [line(["..."] * len(header) if row is None else row) for row in table]
        return "\n".join(lines)

    def _repr_html_(self):
        caption, names, table, _ = self._cells(self._HTML_ROWS)
        escape = _html.escape
        head = "".join(f"<th>{escape(name)}</th>" for name in names)
        body = []
        for row in table:
            if row is None:
                body.append(f"<tr><th>...</th>{'<td>...</td>' * len(names)}</tr>")
            else:
                body.append(f"<tr><th>{escape(row[0])}</th>" + "".join(f"<td>{escape(c)}</td>" for c in row[1:]) +
                            "</tr>")
        return (f"<table><caption>{escape(caption)}</caption><thead><tr><th></th>{head}</tr></thead>"
                f"<tbody>{''.join(body)}</tbody></table>")


class TupleColumns(ColumnRecord):
    """ColumnRecord for the named tuples of arrays (Solutions, Conversions,
    the derived quantities): the fields, then the attributes listed in
    _extra_columns."""

    _extra_columns = ()

    def _named_columns(self):
        columns = list(zip(self._fields, self))
        return columns + [(name, getattr(self, name)) for name in self._extra_columns
                          if getattr(self, name) is not None]

    def _with_index(self, index):
        """The record with Series for arrays when a Series argument labels its
        points; itself otherwise."""
        if not fits(index, _np.shape(self[0])):
            return self
        record = self._replace(**{name: series(v, index, name) for name, v in zip(self._fields, self)})
        for name, value in vars(self).items():
            setattr(record, name, series(value, index, name) if isinstance(value, _np.ndarray) else value)
        record._index = index
        return record
