#include "python/derived_calls.h"

#include "python/arguments.h"
#include "python/arrays.h"
#include "python/records.h"

#include <elprops/elprops.hpp>

#include <array>
#include <limits>
#include <string>

namespace elprops::python {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::array<double, elprops::derived_count> Values(const elprops::derived_properties& d) {
  return {d.kinematic_viscosity,      d.thermal_diffusivity, d.prandtl_number, d.specific_volume,
          d.volumetric_heat_capacity, d.thermal_expansion,   d.heat_taken_up};
}

py::tuple AsTuple(const std::array<double, elprops::derived_count>& values) {
  py::tuple out(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) out[k] = py::float_(values[k]);
  return out;
}

// One point: the seven values, or the point's error raised. Many points
// (mass fraction and temperature broadcast): seven float64 arrays, NaN
// where a point has none, and the array of its messages.
py::object ComputeDerived(py::handle substance, py::handle massFraction, py::handle temperature, py::handle reference) {
  const elprops::substance_id s = OneSubstance(substance);
  const elprops::derived_options options{ScalarNumber(reference, "reference_temperature")};
  if (IsSingleValue(massFraction) && IsSingleValue(temperature)) {
    const auto d = elprops::compute_derived(s, ScalarNumber(massFraction, "mass_fraction"),
                                            ScalarNumber(temperature, "temperature"), options);
    if (!d) Raise(d.error());
    return AsTuple(Values(*d));
  }
  const py::module_ np = NumPy();
  const Broadcast b = BroadcastArguments({{NumberArray(massFraction, "mass_fraction"), np.attr("float32")},
                                          {NumberArray(temperature, "temperature"), np.attr("float32")}},
                                         {MaskOf(massFraction), MaskOf(temperature)});
  std::array<py::array_t<double>, elprops::derived_count> columns;
  std::array<double*, elprops::derived_count> out{};
  for (std::size_t k = 0; k < columns.size(); ++k) {
    columns[k] = py::array_t<double>(b.dims);
    out[k] = columns[k].mutable_data();
  }
  TextCollector failures;
  if (b.count > 0) {
    const auto w = Elements<float>(b.arrays[0]);
    const auto t = Elements<float>(b.arrays[1]);
    std::size_t nextMasked = 0;
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < b.count; ++i) {
      const bool hidden = nextMasked < b.masked.size() && b.masked[nextMasked] == i;
      if (hidden) ++nextMasked;
      const auto d = hidden ? elprops::expected<elprops::derived_properties>(elprops::failure{})
                            : elprops::compute_derived(s, At(w, i), At(t, i), options);
      if (!d) failures.Add(i, hidden ? kMaskedMessage : std::string_view(d.error().message));
      const auto values =
          d ? Values(*d) : std::array<double, elprops::derived_count>{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
      for (std::size_t k = 0; k < values.size(); ++k) out[k][i] = values[k];
    }
  }
  py::tuple arrays(columns.size());
  for (std::size_t k = 0; k < columns.size(); ++k) arrays[k] = columns[k];
  return py::make_tuple(arrays, SharedTextArray(b.shape, failures.Take()));
}

// Every temperature at which the quantity takes the value, as tuples the
// package makes its TemperatureAnswer records of.
py::list SolveTemperature(py::handle substance, py::handle massFraction, py::handle property, py::handle value,
                          py::handle reference) {
  const auto solution = elprops::solve_temperature(OneSubstance(substance), ScalarNumber(massFraction, "mass_fraction"),
                                                   QuantityArgument(property), ScalarDouble(value, "value"),
                                                   {ScalarNumber(reference, "reference_temperature")});
  if (!solution) Raise(solution.error());
  py::list answers;
  for (const elprops::temperature_root& r : solution->roots) {
    answers.append(py::make_tuple(Single(r.temperature), r.achieved, Single(r.below), Single(r.above),
                                  std::string(elprops::side_name(r.chosen)), Single(r.run_first), Single(r.run_last),
                                  r.plateau, WarningRecords(r.warnings)));
  }
  return answers;
}

py::list Quantities() {
  py::list rows;
  for (const elprops::quantity_info& q : elprops::quantity_table()) {
    rows.append(py::make_tuple(std::string(q.name), std::string(q.words), std::string(q.symbol), std::string(q.unit),
                               std::string(q.formula)));
  }
  return rows;
}

}  // namespace

void DefineDerivedFunctions(py::module_& m) {
  m.def("compute_derived", &ComputeDerived, "The compiled part of compute_derived().");
  m.def("solve_temperature", &SolveTemperature, "The compiled part of solve_temperature().");
  m.def("quantities", &Quantities, "The compiled part of quantities().");
}

}  // namespace elprops::python
