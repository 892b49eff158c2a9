// The compiled part of the package elprops: the module elprops._elprops.
//
// The package (elprops/__init__.py) holds the documentation, the records
// and the functions users call; they hand their arguments to the functions
// of the same name here. The module sees the model only through
// <elprops/elprops.hpp>.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "python/arguments.h"
#include "python/arrays.h"
#include "python/compute_calls.h"
#include "python/concentration_calls.h"
#include "python/derived_calls.h"
#include "python/records.h"
#include "python/reference_calls.h"

#include <elprops/elprops.hpp>

#include <limits>
#include <string>
#include <vector>

namespace py = pybind11;

namespace elprops::python {
namespace {

py::list Substances() {
  py::list list;
  for (const elprops::substance_info& s : elprops::substances()) list.append(MakeSubstance(s));
  return list;
}

py::object FindSubstance(py::handle nameOrIndex) {
  if (PyUnicode_Check(nameOrIndex.ptr())) {
    const auto found = elprops::find_substance(std::string(py::str(nameOrIndex)));
    return found ? MakeSubstance(*found) : py::none();
  }
  if (!IsSubstanceRecord(nameOrIndex) && !IsInteger(nameOrIndex)) {
    throw py::type_error("name_or_index must be a name (str) or an index (int), not " + TypeName(nameOrIndex));
  }
  const elprops::expected<elprops::substance_id> id = ScalarSubstance(nameOrIndex);
  if (!id) return py::none();
  return MakeSubstance(*elprops::find_substance(*id));
}

py::object Saturation(py::handle temperature) {
  if (IsSingleValue(temperature)) {
    return Single(elprops::calcium_chloride_saturation(ScalarNumber(temperature, "temperature")));
  }
  const py::array t = Contiguous(NumberArray(temperature, "temperature"), NumPy().attr("float32"));
  std::vector<py::ssize_t> dims(t.shape(), t.shape() + t.ndim());
  py::array_t<float> out(dims);
  const auto* in = static_cast<const float*>(t.data());
  float* values = out.mutable_data();
  for (py::ssize_t i = 0; i < t.size(); ++i) values[i] = elprops::calcium_chloride_saturation(in[i]);
  // A temperature a mask hides has no value.
  for (const std::size_t i : MaskedPoints(ShapeOf(t), {MaskOf(temperature)})) {
    values[i] = std::numeric_limits<float>::quiet_NaN();
  }
  return out;
}

void DefineCatalogueFunctions(py::module_& m) {
  m.def("substances", &Substances, "The compiled part of substances().");
  m.def("find_substance", &FindSubstance, "The compiled part of find_substance().");
  m.def("calcium_chloride_saturation", &Saturation, "The compiled part of calcium_chloride_saturation().");
  m.def(
      "version", [] { return std::string(elprops::version()); }, "The compiled part of version().");
}

}  // namespace
}  // namespace elprops::python

PYBIND11_MODULE(_elprops, m) {
  m.doc() = "The compiled part of the package elprops; use the package.";
  elprops::python::DefineRecordFunctions(m);
  elprops::python::DefineCatalogueFunctions(m);
  elprops::python::DefineComputeFunctions(m);
  elprops::python::DefineConcentrationFunctions(m);
  elprops::python::DefineDerivedFunctions(m);
  elprops::python::DefineReferenceFunctions(m);
}
