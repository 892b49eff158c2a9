// The concentration in other units and the inverse question: solve(),
// to_mass_fraction(), molality(), molarity() and standard_molar_mass().
#pragma once

#include <pybind11/pybind11.h>

namespace elprops::python {

namespace py = pybind11;

void DefineConcentrationFunctions(py::module_& m);

}  // namespace elprops::python
