// The derived quantities and the temperature question: compute_derived(),
// solve_temperature() and quantities().
#pragma once

#include <pybind11/pybind11.h>

namespace elprops::python {

namespace py = pybind11;

void DefineDerivedFunctions(py::module_& m);

}  // namespace elprops::python
