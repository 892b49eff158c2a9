#include "python/records.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <string>
#include <utility>

namespace elprops::python {

namespace {

PackageTypes& MutableTypes() {
  static PackageTypes types;
  return types;
}

// Keeps a type in a slot, letting go of the one it held (a reload of the
// package hands over its types again).
void Keep(PyObject*& slot, const py::handle type) {
  PyObject* old = slot;
  slot = py::reinterpret_borrow<py::object>(type).release().ptr();
  Py_XDECREF(old);
}

// The package's types, when it is imported: every one of them, checked
// before any is kept.
void UseTypes(const py::kwargs& given) {
  const std::pair<const char*, PyObject * PackageTypes::*> slots[] = {
      {"Single", &PackageTypes::single},
      {"Properties", &PackageTypes::properties},
      {"PointWarning", &PackageTypes::pointWarning},
      {"PropertyArrays", &PackageTypes::propertyArrays},
      {"Substance", &PackageTypes::substance},
      {"Answer", &PackageTypes::answer},
      {"Solutions", &PackageTypes::solutions},
      {"Conversions", &PackageTypes::conversions},
      {"InadmissibleError", &PackageTypes::inadmissible},
      {"OutOfReachError", &PackageTypes::outOfReach},
      {"ArithmeticFault", &PackageTypes::arithmetic},
  };
  for (const auto& [name, slot] : slots) {
    if (!given.contains(name) || !PyType_Check(py::object(given[name]).ptr())) {
      throw py::type_error(std::string("use_types() needs the type ") + name);
    }
  }
  PackageTypes& types = MutableTypes();
  for (const auto& [name, slot] : slots) Keep(types.*slot, given[name]);
  const py::module_ np = py::module_::import("numpy");
  Keep(types.numpyGeneric, np.attr("generic"));
  Keep(types.numpyInteger, np.attr("integer"));
  Keep(types.numpyBool, np.attr("bool_"));
}

// The text a float32 prints as: its shortest round-trip digits, in the form
// Python gives a float of those digits (270.0, 1e-20).
py::str SingleText(double value) {
  const float single = static_cast<float>(value);  // exact for a Single
  if (!std::isfinite(single)) return py::repr(py::float_(value));
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, single);
  double shortest = 0.0;
  std::from_chars(text, written.ptr, shortest);
  return py::repr(py::float_(shortest));
}

void RaiseInPython(std::exception_ptr raised) {
  try {
    if (raised) std::rethrow_exception(raised);
  } catch (const OutOfReach& e) {
    PyErr_SetString(Types().outOfReach, e.what());
  } catch (const InadmissibleInput& e) {
    PyErr_SetString(Types().inadmissible, e.what());
  } catch (const ArithmeticFailure& e) {
    PyErr_SetString(Types().arithmetic, e.what());
  }
}

}  // namespace

void Raise(const elprops::failure& f) {
  switch (f.kind) {
    case elprops::error_kind::arithmetic_fault:
      throw ArithmeticFailure(f.message);
    case elprops::error_kind::out_of_reach:
      throw OutOfReach(f.message);
    case elprops::error_kind::none:
    case elprops::error_kind::inadmissible_input:
      break;
  }
  throw InadmissibleInput(f.message);
}

const PackageTypes& Types() { return MutableTypes(); }

py::object Single(float value) {
  auto single =
      py::reinterpret_steal<py::object>(PyObject_CallFunction(Types().single, "d", static_cast<double>(value)));
  if (!single) throw py::error_already_set();
  return single;
}

py::object MakeSubstance(const elprops::substance_info& s) {
  return Record(Types().substance, s.index, py::str(s.formula.data(), s.formula.size()),
                py::str(s.english_name.data(), s.english_name.size()),
                py::str(s.russian_name.data(), s.russian_name.size()), Single(s.molar_mass),
                Single(s.temperature_limit));
}

py::tuple WarningRecords(const std::vector<elprops::warning>& warnings) {
  py::tuple out(warnings.size());
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const elprops::warning& w = warnings[i];
    out[i] = Record(Types().pointWarning, std::string(elprops::warning_kind_name(w.kind)), w.message, w.is_note());
  }
  return out;
}

void DefineRecordFunctions(py::module_& m) {
  m.def("use_types", &UseTypes, "Takes the package's records, Single and exceptions, once.");
  m.def("single_text", &SingleText, "The text of a Single: the shortest digits of its single-precision value.");
  py::register_exception_translator(&RaiseInPython);
}

}  // namespace elprops::python
