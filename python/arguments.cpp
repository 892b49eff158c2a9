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

// The failure of an integer that is no substance's index.
elprops::failure UnknownIndex(const std::string& digits) {
  return {elprops::error_kind::inadmissible_input, elprops::unknown_substance_message(digits)};
}

template <typename T>
std::optional<elprops::substance_id> KnownIndex(T value) {
  if (value < 1 || value > static_cast<T>(elprops::substance_count)) return std::nullopt;
  return elprops::substance_id{static_cast<std::uint8_t>(value)};
}

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

// The substances of a contiguous integer array; an element that is no
// index is the failure of its point.
template <typename T>
void IntegerIds(const py::array& a, std::span<elprops::substance_id> out, std::map<std::size_t, std::string>& errors) {
  const auto* values = static_cast<const T*>(a.data());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::optional<elprops::substance_id> id = KnownIndex(values[i]);
    out[i] = id.value_or(elprops::substance_id{0});
    if (!id) errors[i] = UnknownIndex(std::to_string(values[i])).message;
  }
}

// The substances of a contiguous array of names, Substance records or
// integers; what names no substance is the failure of its point.
void ObjectIds(const py::array& a, std::span<elprops::substance_id> out, std::map<std::size_t, std::string>& errors) {
  const py::array objects = a.attr("astype")(py::dtype("O"));
  const auto* items = static_cast<PyObject* const*>(objects.data());
  std::map<std::string, elprops::expected<elprops::substance_info>> known;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const py::handle item(items[i]);
    out[i] = elprops::substance_id{0};
    if (PyUnicode_Check(item.ptr())) {
      const std::string text = py::str(item);
      auto found = known.find(text);
      if (found == known.end()) found = known.emplace(text, elprops::find_substance(text)).first;
      if (found->second) {
        out[i] = found->second->id();
      } else {
        errors[i] = found->second.error().message;
      }
    } else if (IsSubstanceRecord(item) || IsInteger(item)) {
      const elprops::expected<elprops::substance_id> id = ScalarSubstance(item);
      if (id) {
        out[i] = *id;
      } else {
        errors[i] = id.error().message;
      }
    } else {
      errors[i] = elprops::unknown_substance_message(std::string(py::str(item)));
    }
  }
}

std::string TextArgument(py::handle obj, const char* what) {
  if (!PyUnicode_Check(obj.ptr())) throw py::type_error(std::string(what) + " must be a str, not " + TypeName(obj));
  return py::str(obj);
}

// The names of a vocabulary table as a choice: "a, b or c".
template <typename Row>
std::string Choices(std::span<const Row> table) {
  std::string text;
  for (std::size_t k = 0; k < table.size(); ++k) {
    if (k > 0) text += k + 1 == table.size() ? " or " : ", ";
    text += table[k].name;
  }
  return text;
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

elprops::expected<elprops::substance_id> ScalarSubstance(py::handle obj) {
  if (PyUnicode_Check(obj.ptr())) {
    const auto found = elprops::find_substance(std::string(py::str(obj)));
    if (!found) throw InadmissibleInput(found.error().message);
    return found->id();
  }
  if (IsSubstanceRecord(obj)) return ScalarSubstance(obj.attr("index"));
  if (!IsInteger(obj)) NotASubstance(obj);
  const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(obj.ptr()));
  if (!number) throw py::error_already_set();
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
  if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow == 0) {
    if (const auto id = KnownIndex(value)) return *id;
  }
  return UnknownIndex(py::str(number.ptr()).cast<std::string>());
}

elprops::substance_id OneSubstance(py::handle obj) {
  if (!IsSingleValue(obj)) throw py::type_error("substance must be one name, index or Substance, not an array");
  const elprops::expected<elprops::substance_id> id = ScalarSubstance(obj);
  if (!id) throw InadmissibleInput(id.error().message);
  return *id;
}

py::array SubstanceArray(py::handle obj, std::optional<std::string>& allPointsError) {
  if (IsSingleValue(obj)) {
    const elprops::expected<elprops::substance_id> id = ScalarSubstance(obj);
    if (!id) allPointsError = id.error().message;
    const std::int32_t index = id ? elprops::index_of(*id) : 0;
    return py::array_t<std::int32_t>(std::vector<py::ssize_t>{}, &index);
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

void SubstanceIds(const py::array& source, std::span<elprops::substance_id> out,
                  std::map<std::size_t, std::string>& errors) {
  const py::module_ np = NumPy();
  const bool nativeInt32 = py::dtype::of<std::int32_t>().attr("__eq__")(source.dtype()).cast<bool>();
  if (nativeInt32) {
    IntegerIds<std::int32_t>(np.attr("ascontiguousarray")(source), out, errors);
  } else if (KindOf(source) == 'u') {
    IntegerIds<std::uint64_t>(np.attr("ascontiguousarray")(source, np.attr("uint64")), out, errors);
  } else if (KindOf(source) == 'i') {
    IntegerIds<std::int64_t>(np.attr("ascontiguousarray")(source, np.attr("int64")), out, errors);
  } else {
    ObjectIds(source, out, errors);
  }
}

elprops::concentration_unit UnitArgument(py::handle obj) {
  const std::string text = TextArgument(obj, "unit");
  const auto unit = elprops::parse_concentration_unit(text);
  if (!unit) throw py::value_error("unknown unit \"" + text + "\": give " + Choices(elprops::unit_table()));
  return *unit;
}

elprops::quantity_kind QuantityArgument(py::handle obj) {
  const std::string text = TextArgument(obj, "property");
  const auto quantity = elprops::parse_quantity(text);
  if (!quantity) throw py::value_error("unknown property \"" + text + "\": give " + Choices(elprops::quantity_table()));
  return *quantity;
}

elprops::property_kind PropertyArgument(py::handle obj) {
  const std::string text = TextArgument(obj, "property");
  const auto property = elprops::parse_property(text);
  if (!property) throw py::value_error("unknown property \"" + text + "\": give " + Choices(elprops::property_table()));
  return *property;
}

}  // namespace elprops::python
