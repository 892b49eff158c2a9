#include "python/records.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <string>

namespace elprops::python {

namespace {

PackageTypes& MutableTypes() {
  static PackageTypes types;
  return types;
}

PyObject* Kept(const py::object& type) { return py::object(type).release().ptr(); }

PyObject* Given(const py::kwargs& types, const char* name) {
  if (!types.contains(name)) throw py::type_error(std::string("use_types() needs the type ") + name);
  return Kept(types[name]);
}

// The package's types, once, when it is imported.
void UseTypes(const py::kwargs& given) {
  PackageTypes& types = MutableTypes();
  if (types.single != nullptr) throw py::type_error("use_types() was called before");
  types.single = Given(given, "Single");
  types.properties = Given(given, "Properties");
  types.pointWarning = Given(given, "PointWarning");
  types.propertyArrays = Given(given, "PropertyArrays");
  types.substance = Given(given, "Substance");
  types.answer = Given(given, "Answer");
  types.solutions = Given(given, "Solutions");
  types.conversions = Given(given, "Conversions");
  types.inadmissible = Given(given, "InadmissibleError");
  types.outOfReach = Given(given, "OutOfReachError");
  types.arithmetic = Given(given, "ArithmeticFault");
  const py::module_ np = py::module_::import("numpy");
  types.numpyGeneric = Kept(np.attr("generic"));
  types.numpyInteger = Kept(np.attr("integer"));
  types.numpyBool = Kept(np.attr("bool_"));
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

void DefineRecordFunctions(py::module_& m) {
  m.def("use_types", &UseTypes, "Takes the package's records, Single and exceptions, once.");
  m.def("single_text", &SingleText, "The text of a Single: the shortest digits of its single-precision value.");
  py::register_exception_translator(&RaiseInPython);
}

}  // namespace elprops::python
