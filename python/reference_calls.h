// compute(..., reference=True): the independent reference models beside a
// point, or beside every point of arrays.
#pragma once

#include <pybind11/pybind11.h>

namespace elprops::python {

namespace py = pybind11;

// reference_one and reference_arrays, the compiled parts of the reference
// records of compute().
void DefineReferenceFunctions(py::module_& m);

}  // namespace elprops::python
