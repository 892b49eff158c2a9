// compute() and compute_many(): one point as Python floats or an exception,
// arrays of points through the library's compute_many without the
// interpreter's lock.
#pragma once

#include <pybind11/pybind11.h>

namespace elprops::python {

namespace py = pybind11;

// compute, compute_many and the type PendingWarnings of their results.
void DefineComputeFunctions(py::module_& m);

}  // namespace elprops::python
