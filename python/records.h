// The Python types of the package elprops as the compiled part uses them.
//
// The package defines its records, Single and its exceptions in Python and
// hands them over when it is imported (use_types); the compiled part makes
// its results and raises its errors with them.
#pragma once

#include <pybind11/pybind11.h>

#include <elprops/elprops.hpp>

#include <stdexcept>
#include <vector>

namespace elprops::python {

namespace py = pybind11;

// The errors of a point, raised in Python as InadmissibleError,
// OutOfReachError and ArithmeticFault.
class InadmissibleInput : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

class OutOfReach : public InadmissibleInput {
  using InadmissibleInput::InadmissibleInput;
};

class ArithmeticFailure : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Throws the failure as the error of its kind.
[[noreturn]] void Raise(const elprops::failure& f);

// Owned for the life of the process: an extension module is never unloaded,
// and releasing these at the interpreter's exit would run after it is gone.
struct PackageTypes {
  PyObject* single = nullptr;
  PyObject* properties = nullptr;
  PyObject* pointWarning = nullptr;
  PyObject* propertyArrays = nullptr;
  PyObject* substance = nullptr;
  PyObject* answer = nullptr;
  PyObject* solutions = nullptr;
  PyObject* conversions = nullptr;
  PyObject* inadmissible = nullptr;
  PyObject* outOfReach = nullptr;
  PyObject* arithmetic = nullptr;
  PyObject* numpyGeneric = nullptr;
  PyObject* numpyInteger = nullptr;
  PyObject* numpyBool = nullptr;
};

const PackageTypes& Types();

// A record of one of the package's types.
template <typename... Fields>
py::object Record(PyObject* type, Fields&&... fields) {
  return py::reinterpret_borrow<py::object>(type)(std::forward<Fields>(fields)...);
}

// A Single of the value: a Python float holding it exactly.
py::object Single(float value);

py::object MakeSubstance(const elprops::substance_info& s);

// The warnings and notes of a point as a tuple of PointWarning records.
py::tuple WarningRecords(const std::vector<elprops::warning>& warnings);

// use_types(), single_text() and the translation of the errors above into
// the package's exceptions.
void DefineRecordFunctions(py::module_& m);

}  // namespace elprops::python
