#include "python/concentration_calls.h"

#include "python/arguments.h"
#include "python/arrays.h"
#include "python/records.h"

#include <elprops/elprops.hpp>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace elprops::python {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A mass fraction of a salt at a temperature in the unit; NaN when the
// unit needs the density and the point cannot be computed.
double InUnit(LibrarySubstance substance, elprops::concentration_unit unit, float w, float t) {
  switch (unit) {
    case elprops::concentration_unit::mass_fraction:
      return static_cast<double>(w);
    case elprops::concentration_unit::mass_percent:
      return static_cast<double>(w) * 100.0;
    case elprops::concentration_unit::molality:
      return elprops::molality(substance, w);
    case elprops::concentration_unit::molarity:
    case elprops::concentration_unit::mass_concentration: {
      const elprops::result r = elprops::compute(substance, w, t);
      if (!r) return kNaN;
      const double molar = elprops::molarity(substance, w, r->density);
      return unit == elprops::concentration_unit::molarity ? molar : molar * elprops::standard_molar_mass(substance);
    }
  }
  return kNaN;
}

const char* SideName(elprops::concentration_root::side side) {
  switch (side) {
    case elprops::concentration_root::side::exact:
      return "exact";
    case elprops::concentration_root::side::lower:
      return "lower";
    case elprops::concentration_root::side::upper:
      return "upper";
  }
  return "";
}

// The values (float64) and temperatures (float32) of solve() and
// to_mass_fraction() broadcast together.
Broadcast ValuesAndTemperatures(py::handle value, py::handle temperature) {
  const py::module_ np = NumPy();
  return BroadcastArguments({{NumberArray(value, "value"), np.attr("float64")},
                             {NumberArray(temperature, "temperature"), np.attr("float32")}});
}

// --- solve() -------------------------------------------------------------------

struct SolveQuestion {
  LibrarySubstance substance = 0;
  elprops::property_kind property = elprops::property_kind::density;
  elprops::concentration_unit unit = elprops::concentration_unit::mass_fraction;
};

py::list SolveOne(const SolveQuestion& q, float t, double target) {
  const elprops::concentration_solution solution = elprops::solve_concentration(q.substance, t, q.property, target);
  if (solution.roots.empty()) {
    const bool reached = solution.reachable_min != 0.0 || solution.reachable_max != 0.0;
    if (reached) throw OutOfReach(solution.error);
    throw InadmissibleInput(solution.error);
  }
  py::list answers;
  for (const elprops::concentration_root& root : solution.roots) {
    answers.append(Record(Types().answer, Single(root.mass_fraction),
                          InUnit(q.substance, q.unit, root.mass_fraction, t), root.achieved, Single(root.below),
                          Single(root.above), SideName(root.chosen)));
  }
  return answers;
}

py::object SolveArrays(const SolveQuestion& q, py::handle temperature, py::handle value) {
  const Broadcast b = ValuesAndTemperatures(value, temperature);
  py::array_t<float> fractions(b.dims);
  py::array_t<double> concentrations(b.dims);
  py::array_t<std::int32_t> counts(b.dims);
  std::vector<std::pair<std::size_t, std::string>> failures;
  if (b.count > 0) {
    const auto values = Elements<double>(b.arrays[0]);
    const auto temperatures = Elements<float>(b.arrays[1]);
    float* w = fractions.mutable_data();
    double* c = concentrations.mutable_data();
    std::int32_t* n = counts.mutable_data();
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < b.count; ++i) {
      const float t = At(temperatures, i);
      const elprops::concentration_solution solution =
          elprops::solve_concentration(q.substance, t, q.property, At(values, i));
      n[i] = static_cast<std::int32_t>(solution.roots.size());
      if (solution.roots.empty()) {
        w[i] = std::numeric_limits<float>::quiet_NaN();
        c[i] = kNaN;
        failures.emplace_back(i, solution.error);
      } else {
        w[i] = solution.roots.front().mass_fraction;
        c[i] = InUnit(q.substance, q.unit, w[i], t);
      }
    }
  }
  return Record(Types().solutions, fractions, concentrations, counts, MessageArray(b.shape, failures));
}

py::object Solve(py::handle substance, py::handle temperature, py::handle property, py::handle value,
                 py::handle unitName) {
  const SolveQuestion q{OneSubstance(substance), PropertyArgument(property), UnitArgument(unitName)};
  if (IsSingleValue(temperature) && IsSingleValue(value)) {
    const float t = ScalarNumber(temperature, "temperature");
    return SolveOne(q, t, ScalarDouble(value, "value"));
  }
  return SolveArrays(q, temperature, value);
}

// --- to_mass_fraction() --------------------------------------------------------

py::object ConvertArrays(LibrarySubstance s, elprops::concentration_unit unit, py::handle value,
                         py::handle temperature) {
  const Broadcast b = ValuesAndTemperatures(value, temperature);
  py::array_t<float> fractions(b.dims);
  py::array_t<double> achieved(b.dims);
  std::vector<std::pair<std::size_t, std::string>> failures;
  if (b.count > 0) {
    const auto values = Elements<double>(b.arrays[0]);
    const auto temperatures = Elements<float>(b.arrays[1]);
    float* w = fractions.mutable_data();
    double* a = achieved.mutable_data();
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < b.count; ++i) {
      const elprops::conversion c = elprops::to_mass_fraction(s, unit, At(values, i), At(temperatures, i));
      if (c.ok) {
        w[i] = c.mass_fraction;
        a[i] = c.achieved;
      } else {
        w[i] = std::numeric_limits<float>::quiet_NaN();
        a[i] = kNaN;
        failures.emplace_back(i, c.error);
      }
    }
  }
  return Record(Types().conversions, fractions, achieved, MessageArray(b.shape, failures));
}

py::object ToMassFraction(py::handle substance, py::handle value, py::handle unitName, py::handle temperature) {
  const LibrarySubstance s = OneSubstance(substance);
  const elprops::concentration_unit unit = UnitArgument(unitName);
  const bool needsDensity =
      unit == elprops::concentration_unit::molarity || unit == elprops::concentration_unit::mass_concentration;
  if (temperature.is_none() && needsDensity) {
    throw py::type_error("a molarity or a concentration in g/L needs the temperature: it depends on the density");
  }
  // Mass percent and molality do not depend on the temperature.
  const py::object t =
      temperature.is_none() ? py::object(py::float_(20.0)) : py::reinterpret_borrow<py::object>(temperature);
  if (!IsSingleValue(value) || !IsSingleValue(t)) return ConvertArrays(s, unit, value, t);
  const double target = ScalarDouble(value, "value");
  const elprops::conversion c = elprops::to_mass_fraction(s, unit, target, ScalarNumber(t, "temperature"));
  if (!c.ok) {
    if (c.error.find(" is out of reach ") != std::string::npos) throw OutOfReach(c.error);
    throw InadmissibleInput(c.error);
  }
  return Single(c.mass_fraction);
}

// --- molality(), molarity() ----------------------------------------------------

py::object Molality(py::handle substance, py::handle massFraction) {
  const LibrarySubstance s = OneSubstance(substance);
  if (IsSingleValue(massFraction)) return py::float_(elprops::molality(s, ScalarNumber(massFraction, "mass_fraction")));
  const Broadcast b = BroadcastArguments({{NumberArray(massFraction, "mass_fraction"), NumPy().attr("float32")}});
  py::array_t<double> out(b.dims);
  const auto w = Elements<float>(b.arrays[0]);
  double* m = out.mutable_data();
  for (std::size_t i = 0; i < b.count; ++i) m[i] = elprops::molality(s, At(w, i));
  return out;
}

py::object Molarity(py::handle substance, py::handle massFraction, py::handle density) {
  const LibrarySubstance s = OneSubstance(substance);
  if (IsSingleValue(massFraction) && IsSingleValue(density)) {
    return py::float_(
        elprops::molarity(s, ScalarNumber(massFraction, "mass_fraction"), ScalarNumber(density, "density")));
  }
  const py::module_ np = NumPy();
  const Broadcast b = BroadcastArguments({{NumberArray(massFraction, "mass_fraction"), np.attr("float32")},
                                          {NumberArray(density, "density"), np.attr("float32")}});
  py::array_t<double> out(b.dims);
  const auto w = Elements<float>(b.arrays[0]);
  const auto rho = Elements<float>(b.arrays[1]);
  double* c = out.mutable_data();
  for (std::size_t i = 0; i < b.count; ++i) c[i] = elprops::molarity(s, At(w, i), At(rho, i));
  return out;
}

}  // namespace

void DefineConcentrationFunctions(py::module_& m) {
  m.def("solve", &Solve, "The compiled part of solve().");
  m.def("to_mass_fraction", &ToMassFraction, "The compiled part of to_mass_fraction().");
  m.def("molality", &Molality, "The compiled part of molality().");
  m.def("molarity", &Molarity, "The compiled part of molarity().");
  m.def(
      "standard_molar_mass", [](py::handle substance) { return elprops::standard_molar_mass(OneSubstance(substance)); },
      "The compiled part of standard_molar_mass().");
}

}  // namespace elprops::python
