#include "python/concentration_calls.h"

#include "python/arguments.h"
#include "python/arrays.h"
#include "python/records.h"

#include <elprops/elprops.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace elprops::python {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kNaNSingle = std::numeric_limits<float>::quiet_NaN();

// The values (float64) and temperatures (float32) of solve() and
// to_mass_fraction() broadcast together.
Broadcast ValuesAndTemperatures(py::handle value, py::handle temperature) {
  const py::module_ np = NumPy();
  return BroadcastArguments({{NumberArray(value, "value"), np.attr("float64")},
                             {NumberArray(temperature, "temperature"), np.attr("float32")}},
                            {MaskOf(value), MaskOf(temperature)});
}

// Walks the points a mask hides, ascending, beside a loop over all points.
class MaskCursor {
 public:
  explicit MaskCursor(std::span<const std::size_t> masked) : masked_(masked) {}

  // Whether point i is hidden; asked for ascending i.
  bool Hides(std::size_t i) {
    while (!masked_.empty() && masked_.front() < i) masked_ = masked_.subspan(1);
    return !masked_.empty() && masked_.front() == i;
  }

 private:
  std::span<const std::size_t> masked_;
};

// --- solve() -------------------------------------------------------------------

struct SolveQuestion {
  elprops::substance_id substance{};
  elprops::quantity_kind property = elprops::quantity_kind::density;
  elprops::concentration_unit unit = elprops::concentration_unit::mass_fraction;
  elprops::derived_options options;
};

// A mass fraction in the unit asked for; NaN where it has none (a molarity
// where the point cannot be computed).
double InUnit(const SolveQuestion& q, float massFraction, float t) {
  return elprops::from_mass_fraction(q.substance, q.unit, massFraction, t).value_or(kNaN);
}

// A Single when the double holds a single's value exactly (a property the
// model computed, a mass fraction), so that it prints with the single's
// shortest digits rather than the double's long tail; a float otherwise.
py::object SingleWhereExact(double value) {
  const auto single = static_cast<float>(value);
  if (static_cast<double>(single) == value) return Single(single);
  return py::float_(value);
}

py::object AnswerRecord(const SolveQuestion& q, float t, const elprops::concentration_root& root) {
  py::object concentration = q.unit == elprops::concentration_unit::mass_fraction
                                 ? Single(root.mass_fraction)
                                 : py::float_(InUnit(q, root.mass_fraction, t));
  py::object answer = Record(Types().answer, Single(root.mass_fraction), concentration, SingleWhereExact(root.achieved),
                             Single(root.below), Single(root.above), std::string(elprops::side_name(root.chosen)));
  answer.attr("warnings") = WarningRecords(root.warnings);
  answer.attr("run_first") = Single(root.run_first);
  answer.attr("run_last") = Single(root.run_last);
  answer.attr("plateau") = py::bool_(root.plateau);
  return answer;
}

py::list SolveOne(const SolveQuestion& q, float t, double target) {
  const auto solution = elprops::solve_concentration(q.substance, t, q.property, target, q.options);
  if (!solution) Raise(solution.error());
  py::list answers;
  for (const elprops::concentration_root& root : solution->roots) answers.append(AnswerRecord(q, t, root));
  return answers;
}

py::object SolveArrays(const SolveQuestion& q, py::handle temperature, py::handle value) {
  const Broadcast b = ValuesAndTemperatures(value, temperature);
  py::array_t<float> fractions(b.dims);
  py::array_t<double> concentrations(b.dims);
  py::array_t<std::int32_t> counts(b.dims);
  TextCollector failures;
  if (b.count > 0) {
    const auto values = Elements<double>(b.arrays[0]);
    const auto temperatures = Elements<float>(b.arrays[1]);
    float* w = fractions.mutable_data();
    double* c = concentrations.mutable_data();
    std::int32_t* n = counts.mutable_data();
    MaskCursor mask(b.masked);
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < b.count; ++i) {
      const float t = At(temperatures, i);
      const bool hidden = mask.Hides(i);
      const auto solution = hidden ? elprops::expected<elprops::concentration_solution>(elprops::failure{})
                                   : elprops::solve_concentration(q.substance, t, q.property, At(values, i), q.options);
      if (!solution || solution->roots.empty()) {
        n[i] = 0;
        w[i] = kNaNSingle;
        c[i] = kNaN;
        failures.Add(i, hidden ? kMaskedMessage : std::string_view(solution.error().message));
      } else {
        n[i] = static_cast<std::int32_t>(solution->roots.size());
        w[i] = solution->roots.front().mass_fraction;
        c[i] = InUnit(q, w[i], t);
      }
    }
  }
  return Record(Types().solutions, fractions, concentrations, counts, SharedTextArray(b.shape, failures.Take()));
}

py::object Solve(py::handle substance, py::handle temperature, py::handle property, py::handle value,
                 py::handle unitName, py::handle reference) {
  const SolveQuestion q{OneSubstance(substance),
                        QuantityArgument(property),
                        UnitArgument(unitName),
                        {ScalarNumber(reference, "reference_temperature")}};
  if (IsSingleValue(temperature) && IsSingleValue(value)) {
    const float t = ScalarNumber(temperature, "temperature");
    return SolveOne(q, t, ScalarDouble(value, "value"));
  }
  return SolveArrays(q, temperature, value);
}

// --- to_mass_fraction() --------------------------------------------------------

// Conversions of arrays: the record with the warnings of the converted
// points (when the temperature is known: the solubility depends on it) as
// its attribute `warning`, their messages joined as compute()'s are.
py::object ConvertArrays(elprops::substance_id s, elprops::concentration_unit unit, py::handle value,
                         py::handle temperature, bool temperatureKnown) {
  const Broadcast b = ValuesAndTemperatures(value, temperature);
  py::array_t<float> fractions(b.dims);
  py::array_t<double> achieved(b.dims);
  TextCollector failures;
  TextCollector warned;
  if (b.count > 0) {
    const auto values = Elements<double>(b.arrays[0]);
    const auto temperatures = Elements<float>(b.arrays[1]);
    float* w = fractions.mutable_data();
    double* a = achieved.mutable_data();
    MaskCursor mask(b.masked);
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < b.count; ++i) {
      const bool hidden = mask.Hides(i);
      const auto c = hidden ? elprops::expected<elprops::conversion>(elprops::failure{})
                            : elprops::to_mass_fraction(s, unit, At(values, i), At(temperatures, i));
      w[i] = c ? c->mass_fraction : kNaNSingle;
      a[i] = c ? c->achieved : kNaN;
      if (!c) failures.Add(i, hidden ? kMaskedMessage : std::string_view(c.error().message));
      if (c && temperatureKnown && !c->warnings.empty()) warned.Add(i, elprops::join_warnings(c->warnings));
    }
  }
  py::object record = Record(Types().conversions, fractions, achieved, SharedTextArray(b.shape, failures.Take()));
  record.attr("warning") = SharedTextArray(b.shape, warned.Take());
  return record;
}

py::object ToMassFraction(py::handle substance, py::handle value, py::handle unitName, py::handle temperature) {
  const elprops::substance_id s = OneSubstance(substance);
  const elprops::concentration_unit unit = UnitArgument(unitName);
  if (temperature.is_none() && elprops::describe(unit).needs_density) {
    throw py::type_error("a molarity or a concentration in g/L needs the temperature: it depends on the density");
  }
  // Mass percent and molality do not depend on the temperature.
  const bool known = !temperature.is_none();
  const py::object t = known ? py::reinterpret_borrow<py::object>(temperature) : py::object(py::float_(20.0));
  if (!IsSingleValue(value) || !IsSingleValue(t)) return ConvertArrays(s, unit, value, t, known);
  const double target = ScalarDouble(value, "value");
  const auto c = elprops::to_mass_fraction(s, unit, target, ScalarNumber(t, "temperature"));
  if (!c) Raise(c.error());
  return py::make_tuple(Single(c->mass_fraction),
                        WarningRecords(known ? c->warnings : std::vector<elprops::warning>{}));
}

// --- compute() with a unit ----------------------------------------------------

// The mass fraction at which compute() with a unit computes a point, as the
// library converts it (elprops-cli's --unit): a Single, or the failure of the
// point raised.
py::object MassFractionOne(py::handle substance, py::handle concentration, py::handle temperature,
                           elprops::concentration_unit unit) {
  const elprops::expected<elprops::substance_id> id = ScalarSubstance(substance);
  const double c = ScalarDouble(concentration, "concentration");
  const float t = ScalarNumber(temperature, "temperature");
  if (!id) Raise(id.error());
  const elprops::result r = elprops::compute(*id, c, t, unit);
  if (!r) Raise(r.error());
  return Single(r->mass_fraction);
}

// The mass fractions of arrays of points (broadcast as compute() broadcasts
// them) and the messages of the points the conversion refused: NaN there,
// its message beside. Points whose substance names none are left to
// compute(), which says so: NaN and no message.
py::tuple MassFractionArrays(py::handle substance, py::handle concentration, py::handle temperature,
                             elprops::concentration_unit unit) {
  std::optional<std::string> allPointsError;
  const py::array substances = SubstanceArray(substance, allPointsError);
  const py::module_ np = NumPy();
  const Broadcast b = BroadcastArguments({{substances, py::none()},
                                          {NumberArray(concentration, "concentration"), np.attr("float64")},
                                          {NumberArray(temperature, "temperature"), np.attr("float32")}});
  py::array_t<float> fractions(b.dims);
  std::fill_n(fractions.mutable_data(), b.count, kNaNSingle);
  TextCollector failures;
  if (b.count > 0 && !allPointsError) {
    std::vector<elprops::substance_id> ids(static_cast<std::size_t>(b.arrays[0].size()));
    std::map<std::size_t, std::string> unknown;
    SubstanceIds(b.arrays[0], ids, unknown);
    const elprops::concentration_unit units[] = {unit};
    std::vector<elprops::error_kind> errors(b.count);
    std::vector<std::string> messages(b.count);
    const std::span<float> w(fractions.mutable_data(), b.count);
    elprops::point_outputs out;
    out.errors = errors;
    out.messages = messages;
    out.mass_fractions = w;
    {
      py::gil_scoped_release unlocked;
      elprops::compute_many(ids, Elements<double>(b.arrays[1]), Elements<float>(b.arrays[2]), units, out);
    }
    for (std::size_t i = 0; i < b.count; ++i) {
      const bool known = elprops::is_known(At(std::span<const elprops::substance_id>(ids), i));
      if (errors[i] != elprops::error_kind::none && std::isnan(w[i]) && known) failures.Add(i, messages[i]);
    }
  }
  return py::make_tuple(fractions, SharedTextArray(b.shape, failures.Take()));
}

py::object MassFractions(py::handle substance, py::handle concentration, py::handle temperature, py::handle unitName) {
  const elprops::concentration_unit unit = UnitArgument(unitName);
  if (IsSingleValue(substance) && IsSingleValue(concentration) && IsSingleValue(temperature)) {
    return MassFractionOne(substance, concentration, temperature, unit);
  }
  return MassFractionArrays(substance, concentration, temperature, unit);
}

// --- molality(), molarity(), standard_molar_mass() -----------------------------

// The value of one answer, or its failure raised.
py::float_ ValueOf(const elprops::expected<double>& answer) {
  if (!answer) Raise(answer.error());
  return py::float_(*answer);
}

// The values of an array call and the messages of the points that have
// none (NaN there): "masked" where a mask hides the point, else the
// library's.
template <typename Answer>
py::tuple ValueArrays(const Broadcast& b, Answer answer) {
  py::array_t<double> out(b.dims);
  double* values = out.mutable_data();
  TextCollector failures;
  MaskCursor mask(b.masked);
  for (std::size_t i = 0; i < b.count; ++i) {
    if (mask.Hides(i)) {
      values[i] = kNaN;
      failures.Add(i, kMaskedMessage);
      continue;
    }
    const elprops::expected<double> value = answer(i);
    values[i] = value.value_or(kNaN);
    if (!value) failures.Add(i, value.error().message);
  }
  return py::make_tuple(out, SharedTextArray(b.shape, failures.Take()));
}

py::object Molality(py::handle substance, py::handle massFraction) {
  const elprops::substance_id s = OneSubstance(substance);
  if (IsSingleValue(massFraction)) return ValueOf(elprops::molality(s, ScalarNumber(massFraction, "mass_fraction")));
  const Broadcast b = BroadcastArguments({{NumberArray(massFraction, "mass_fraction"), NumPy().attr("float32")}},
                                         {MaskOf(massFraction)});
  const auto w = Elements<float>(b.arrays[0]);
  return ValueArrays(b, [&](std::size_t i) { return elprops::molality(s, At(w, i)); });
}

py::object Molarity(py::handle substance, py::handle massFraction, py::handle density) {
  const elprops::substance_id s = OneSubstance(substance);
  if (IsSingleValue(massFraction) && IsSingleValue(density)) {
    return ValueOf(elprops::molarity(s, ScalarNumber(massFraction, "mass_fraction"), ScalarNumber(density, "density")));
  }
  const py::module_ np = NumPy();
  const Broadcast b = BroadcastArguments({{NumberArray(massFraction, "mass_fraction"), np.attr("float32")},
                                          {NumberArray(density, "density"), np.attr("float32")}},
                                         {MaskOf(massFraction), MaskOf(density)});
  const auto w = Elements<float>(b.arrays[0]);
  const auto rho = Elements<float>(b.arrays[1]);
  return ValueArrays(b, [&](std::size_t i) { return elprops::molarity(s, At(w, i), At(rho, i)); });
}

py::object StandardMolarMass(py::handle substance) {
  return ValueOf(elprops::standard_molar_mass(OneSubstance(substance)));
}

}  // namespace

void DefineConcentrationFunctions(py::module_& m) {
  m.def("solve", &Solve, "The compiled part of solve().");
  m.def("to_mass_fraction", &ToMassFraction, "The compiled part of to_mass_fraction().");
  m.def("mass_fractions", &MassFractions,
        "The mass fractions of compute() with a unit: a Single, or the float32 array and the messages of the "
        "points the conversion refused.");
  m.def("molality", &Molality, "The compiled part of molality().");
  m.def("molarity", &Molarity, "The compiled part of molarity().");
  m.def("standard_molar_mass", &StandardMolarMass, "The compiled part of standard_molar_mass().");
}

}  // namespace elprops::python
