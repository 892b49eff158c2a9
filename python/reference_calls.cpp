#include "python/reference_calls.h"

#include <pybind11/numpy.h>

#include <cmath>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/elprops.hpp>

#include "python/arguments.h"
#include "python/arrays.h"
#include "python/records.h"

namespace elprops::python {
namespace {

// One property's reference as a tuple (value, source, deviation,
// within_span, t_min, t_max, w_max); None where no model covers it.
py::object ValueTuple(const reference_value& v) {
  if (!v.available) return py::none();
  return py::make_tuple(v.value, py::str(v.source.data(), v.source.size()), v.deviation, v.within_span, v.t_min,
                        v.t_max, v.w_max);
}

// The reference of one point: the five tuples and the notes. The point
// must be one compute() takes (it has been computed first).
py::tuple ReferenceOne(py::handle substance, py::handle massFraction, py::handle temperature) {
  const expected<substance_id> id = ScalarSubstance(substance);
  const float x = ScalarNumber(massFraction, "mass_fraction");
  const float t = ScalarNumber(temperature, "temperature");
  if (!id) Raise(id.error());
  const expected<reference_set> set = reference_values(*id, x, t);
  if (!set) Raise(set.error());
  const expected<std::vector<std::string>> notes = no_reference_notes(*id, x, t);
  if (!notes) Raise(notes.error());
  py::tuple values(property_count);
  for (int p = 0; p < property_count; ++p) values[p] = ValueTuple((*set)[static_cast<std::size_t>(p)]);
  py::tuple noteTuple(notes->size());
  for (std::size_t k = 0; k < notes->size(); ++k) noteTuple[k] = py::str((*notes)[k]);
  return py::make_tuple(values, noteTuple);
}

// The inputs broadcast into contiguous arrays of the shape.
struct Points {
  py::tuple shape;
  std::vector<py::ssize_t> dims;
  std::size_t count = 0;
  std::vector<substance_id> ids;
  py::array_t<float> fractions, temperatures;
};

Points BroadcastPoints(py::handle substance, py::handle massFraction, py::handle temperature) {
  Points in;
  std::optional<std::string> allPointsError;
  const py::array substances = SubstanceArray(substance, allPointsError);
  const py::array fractions = NumberArray(massFraction, "mass_fraction");
  const py::array temperatures = NumberArray(temperature, "temperature");
  in.shape = NumPy().attr("broadcast_shapes")(ShapeOf(substances), ShapeOf(fractions), ShapeOf(temperatures));
  in.count = 1;
  for (const py::handle extent : in.shape) {
    in.dims.push_back(extent.cast<py::ssize_t>());
    in.count *= static_cast<std::size_t>(in.dims.back());
  }
  const py::object broadcastTo = NumPy().attr("broadcast_to");
  const py::object float32 = NumPy().attr("float32");
  in.fractions = Contiguous(broadcastTo(fractions, in.shape), float32);
  in.temperatures = Contiguous(broadcastTo(temperatures, in.shape), float32);
  in.ids.assign(in.count, substance_id{0});
  if (!allPointsError && in.count > 0) {
    const py::array spread = Contiguous(broadcastTo(substances, in.shape), py::none());
    std::map<std::size_t, std::string> errors;
    SubstanceIds(spread, in.ids, errors);
  }
  return in;
}

// For every point: the five properties' reference values, sources,
// deviations and within-span flags (arrays of the shape with the property
// first) and the notes joined by "; ". A point that is not computed has
// NaN, '', NaN, False and ''.
py::tuple ReferenceArrays(py::handle substance, py::handle massFraction, py::handle temperature) {
  const Points in = BroadcastPoints(substance, massFraction, temperature);
  std::vector<py::ssize_t> dims{property_count};
  dims.insert(dims.end(), in.dims.begin(), in.dims.end());
  py::array_t<double> values(dims), deviations(dims);
  py::array_t<bool> within(dims);
  py::tuple shape(dims.size());
  for (std::size_t k = 0; k < dims.size(); ++k) shape[k] = py::int_(dims[k]);
  py::array sources = NumPy().attr("full")(shape, "", "object");
  py::array notes = NumPy().attr("full")(in.shape, "", "object");
  const std::size_t n = in.count;
  double* value = values.mutable_data();
  double* deviation = deviations.mutable_data();
  bool* inside = within.mutable_data();
  auto** source = static_cast<PyObject**>(sources.mutable_data());
  auto** note = static_cast<PyObject**>(notes.mutable_data());
  std::map<std::string_view, py::str> sourceTexts;
  for (std::size_t i = 0; i < n; ++i) {
    const float x = in.fractions.data()[i];
    const float t = in.temperatures.data()[i];
    const expected<reference_set> set =
        in.ids[i] == substance_id{0} ? expected<reference_set>(failure{}) : reference_values(in.ids[i], x, t);
    for (std::size_t p = 0; p < property_count; ++p) {
      const std::size_t at = p * n + i;
      value[at] = deviation[at] = std::nan("");
      inside[at] = false;
      if (!set || !(*set)[p].available) continue;
      const reference_value& v = (*set)[p];
      value[at] = v.value;
      deviation[at] = v.deviation;
      inside[at] = v.within_span;
      auto [entry, added] = sourceTexts.try_emplace(v.source);
      if (added) entry->second = py::str(v.source.data(), v.source.size());
      Py_INCREF(entry->second.ptr());
      Py_DECREF(source[at]);
      source[at] = entry->second.ptr();
    }
    if (!set) continue;
    const expected<std::vector<std::string>> texts = no_reference_notes(in.ids[i], x, t);
    if (!texts || texts->empty()) continue;
    std::string joined;
    for (const std::string& text : *texts) joined += (joined.empty() ? "" : "; ") + text;
    Py_DECREF(note[i]);
    note[i] = py::str(joined).release().ptr();
  }
  return py::make_tuple(values, sources, deviations, within, notes);
}

}  // namespace

void DefineReferenceFunctions(py::module_& m) {
  m.def("reference_one", &ReferenceOne, "The compiled part of compute(..., reference=True) for one point.");
  m.def("reference_arrays", &ReferenceArrays, "The compiled part of compute(..., reference=True) for arrays.");
}

}  // namespace elprops::python
