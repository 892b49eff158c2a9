#include "python/arguments.h"

#include "python/arrays.h"
#include "python/records.h"

#include <cmath>
#include <limits>
#include <utility>

namespace elprops::python {

namespace {

bool IsInstance(py::handle obj, PyObject* type) {
  const int is = PyObject_IsInstance(obj.ptr(), type);
  if (is < 0) throw py::error_already_set();
  return is == 1;
}

bool IsText(py::handle obj) { return PyUnicode_Check(obj.ptr()) || PyBytes_Check(obj.ptr()); }

bool IsBool(py::handle obj) { return PyBool_Check(obj.ptr()) || IsInstance(obj, Types().numpyBool); }

[[noreturn]] void NotANumber(py::handle obj, const char* what) {
  throw py::type_error(std::string(what) + " must be a number or an array of numbers, not " + TypeName(obj));
}

[[noreturn]] void NotASubstance(py::handle obj) {
  throw py::type_error("substance must be a name, an index 1 to 19, a Substance or an array of indices, not " +
                       TypeName(obj));
}

// The single a double rounds to, as IEEE 754 rounds it
// (a value too large for a single becomes an infinity).
float ToSingle(double value) {
  constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
  // Halfway between the largest single and the next power of two: from
  // here on the nearest single is infinite.
  constexpr double kOverflow = kMax + 0x1p103;
  const float sign = value < 0.0 ? -1.0f : 1.0f;
  if (std::fabs(value) >= kOverflow) return sign * std::numeric_limits<float>::infinity();
  if (std::fabs(value) > kMax) return sign * std::numeric_limits<float>::max();
  return static_cast<float>(value);
}

std::string UnknownSubstanceText(std::string_view shown) {
  return "unknown substance " + std::string(shown) +
         ": give its index 1 to 19 or its formula (see elprops.substances())";
}

std::string UnknownIndexText(std::string_view digits) {
  // The library's words for an index outside 1 to 19.
  return "unknown substance index " + std::string(digits) + ": give 1 to 19";
}

std::string QuotedName(py::handle name) { return "\"" + std::string(py::str(name)) + "\""; }

// Nested lists and tuples with Substance records replaced by their indices,
// so that NumPy does not take a record for a row of six values.
py::object WithoutRecords(py::handle obj) {
  if (IsSubstanceRecord(obj)) return obj.attr("index");
  if (PyList_Check(obj.ptr()) || PyTuple_Check(obj.ptr())) {
    py::list items;
    for (const py::handle item : obj) items.append(WithoutRecords(item));
    return items;
  }
  return py::reinterpret_borrow<py::object>(obj);
}

// Element i of a contiguous integer array as an index, with the message of
// an index that does not fit an int.
template <typename T>
void IntegerIndices(const py::array& a, std::span<std::int32_t> out, std::map<std::size_t, std::string>& errors) {
  const auto* values = static_cast<const T*>(a.data());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const T v = values[i];
    if (std::in_range<std::int32_t>(v)) {
      out[i] = static_cast<std::int32_t>(v);
    } else {
      out[i] = 0;
      errors[i] = UnknownIndexText(std::to_string(v));
    }
  }
}

// The substance indices of a contiguous array of names, Substance records
// or integers; what names no substance is the point's error.
void ObjectIndices(const py::array& a, std::span<std::int32_t> out, std::map<std::size_t, std::string>& errors) {
  const py::array objects = a.attr("astype")(py::dtype("O"));
  const auto* items = static_cast<PyObject* const*>(objects.data());
  std::map<std::string, int> known;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const py::handle item(items[i]);
    out[i] = 0;
    if (PyUnicode_Check(item.ptr())) {
      const std::string text = py::str(item);
      auto [at, fresh] = known.try_emplace(text, 0);
      if (fresh) {
        const auto found = FindByText(text);
        at->second = found ? found->index : 0;
      }
      if (at->second != 0) {
        out[i] = at->second;
      } else {
        errors[i] = UnknownSubstanceText(QuotedName(item));
      }
    } else if (IsSubstanceRecord(item)) {
      out[i] = item.attr("index").cast<std::int32_t>();
    } else if (IsInteger(item)) {
      const SingleSubstance s = ScalarSubstance(item);
      out[i] = s.index;
      if (s.error) errors[i] = *s.error;
    } else {
      errors[i] = UnknownSubstanceText(std::string(py::repr(item)));
    }
  }
}

std::string TextArgument(py::handle obj, const char* what) {
  if (!PyUnicode_Check(obj.ptr())) throw py::type_error(std::string(what) + " must be a str, not " + TypeName(obj));
  return py::str(obj);
}

}  // namespace

std::string TypeName(py::handle obj) { return py::str(py::type::handle_of(obj).attr("__name__")); }

bool IsInteger(py::handle obj) {
  return !IsBool(obj) && (PyLong_Check(obj.ptr()) || IsInstance(obj, Types().numpyInteger));
}

bool IsSubstanceRecord(py::handle obj) { return IsInstance(obj, Types().substance); }

bool IsSingleValue(py::handle obj) {
  return PyFloat_Check(obj.ptr()) || PyLong_Check(obj.ptr()) || IsText(obj) || IsInstance(obj, Types().numpyGeneric) ||
         IsSubstanceRecord(obj);
}

float ScalarNumber(py::handle obj, const char* what) { return ToSingle(ScalarDouble(obj, what)); }

double ScalarDouble(py::handle obj, const char* what) {
  if (IsText(obj) || IsBool(obj)) NotANumber(obj, what);
  const double value = PyFloat_AsDouble(obj.ptr());
  if (value == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return value;
}

py::array NumberArray(py::handle obj, const char* what) {
  if (IsText(obj)) NotANumber(obj, what);
  py::array a = AsArray(obj);
  const char kind = KindOf(a);
  if (kind != 'f' && kind != 'i' && kind != 'u') {
    throw py::type_error(std::string(what) + " must be a number or an array of numbers, not an array of dtype " +
                         std::string(py::str(a.dtype())));
  }
  return a;
}

std::optional<elprops::substance_info> FindByText(std::string_view text) { return elprops::find_substance(text); }

std::optional<elprops::substance_info> FindByIndex(int index) { return elprops::find_substance(std::to_string(index)); }

SingleSubstance ScalarSubstance(py::handle obj) {
  if (PyUnicode_Check(obj.ptr())) {
    const auto found = FindByText(std::string(py::str(obj)));
    if (!found) throw InadmissibleInput(UnknownSubstanceText(QuotedName(obj)));
    return {found->index, std::nullopt};
  }
  if (IsSubstanceRecord(obj)) return {obj.attr("index").cast<int>(), std::nullopt};
  if (!IsInteger(obj)) NotASubstance(obj);
  const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(obj.ptr()));
  if (!number) throw py::error_already_set();
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
  if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow == 0 && std::in_range<int>(value)) return {static_cast<int>(value), std::nullopt};
  return {0, UnknownIndexText(py::str(number.ptr()).cast<std::string>())};
}

LibrarySubstance OneSubstance(py::handle obj) {
  if (!IsSingleValue(obj)) throw py::type_error("substance must be one name, index or Substance, not an array");
  const SingleSubstance s = ScalarSubstance(obj);
  if (s.error) throw InadmissibleInput(*s.error);
  if (!FindByIndex(s.index)) throw InadmissibleInput(UnknownIndexText(std::to_string(s.index)));
  return s.index;
}

py::array SubstanceArray(py::handle obj, std::optional<std::string>& allPointsError) {
  if (IsSingleValue(obj)) {
    SingleSubstance s = ScalarSubstance(obj);
    allPointsError = std::move(s.error);
    return py::array_t<std::int32_t>(std::vector<py::ssize_t>{}, &s.index);
  }
  const py::object given = WithoutRecords(obj);
  py::array a = AsArray(given);
  if (KindOf(a) == 'U' && !py::isinstance<py::array>(obj)) {
    // A list of names and indices: NumPy would make the indices texts.
    a = NumPy().attr("array")(given, py::dtype("O"));
  }
  const char kind = KindOf(a);
  if (kind == 'i' || kind == 'u' || kind == 'U' || (kind == 'O' && a.ndim() > 0)) return a;
  if (a.ndim() == 0) NotASubstance(obj);
  throw py::type_error(
      "substance must be a name, an index 1 to 19, a Substance or an array of integer indices, not "
      "an array of dtype " +
      std::string(py::str(a.dtype())));
}

void SubstanceIndices(const py::array& source, std::span<std::int32_t> out,
                      std::map<std::size_t, std::string>& errors) {
  const py::module_ np = NumPy();
  if (KindOf(source) == 'u') {
    IntegerIndices<std::uint64_t>(np.attr("ascontiguousarray")(source, np.attr("uint64")), out, errors);
  } else if (KindOf(source) == 'i') {
    IntegerIndices<std::int64_t>(np.attr("ascontiguousarray")(source, np.attr("int64")), out, errors);
  } else {
    ObjectIndices(source, out, errors);
  }
}

elprops::concentration_unit UnitArgument(py::handle obj) {
  const std::string text = TextArgument(obj, "unit");
  const auto unit = elprops::parse_concentration_unit(text);
  if (!unit) throw py::value_error("unknown unit \"" + text + "\": give fraction, percent, molality, molarity or g/L");
  return *unit;
}

elprops::property_kind PropertyArgument(py::handle obj) {
  const std::string text = TextArgument(obj, "property");
  const auto property = elprops::parse_property(text);
  if (!property) {
    throw py::value_error("unknown property \"" + text +
                          "\": give density, viscosity, surface_tension, heat_capacity or thermal_conductivity");
  }
  return *property;
}

}  // namespace elprops::python
