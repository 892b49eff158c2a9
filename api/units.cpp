// Units and the inverse search: the model's, in the public library's types.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <elprops/text.hpp>
#include <elprops/units.hpp>

#include "api/evaluate.h"
#include "model/admissible.h"
#include "model/catalogue.h"
#include "model/correlations.h"
#include "model/inverse.h"
#include "model/units.h"
#include "model/validity.h"

namespace elprops {
namespace {

static_assert(static_cast<int>(concentration_root::side::upper) == static_cast<int>(model::Root::Chosen::Upper));

// The model's index of a salt; water has no concentration in any unit.
expected<std::uint8_t> SaltIndex(substance_id substance, std::string_view what) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (index && *index == model::kWater) {
    return failure{error_kind::inadmissible_input, "water has no " + std::string(what)};
  }
  return index;
}

reachable_range RangeOf(substance_id substance, const model::Reach& reach, float temperature) {
  reachable_range range;
  if (!reach.reached) return range;
  range.known = true;
  range.min = reach.min;
  range.max = reach.max;
  range.min_at = reach.minAt;
  range.max_at = reach.maxAt;
  range.min_warnings = api::AnswerWarnings(substance, reach.minAt, temperature);
  range.max_warnings = api::AnswerWarnings(substance, reach.maxAt, temperature);
  return range;
}

// "998.2 to 2164.2 (the least at w = 1e-45, the most at w = 0.99999994
// [above the solubility ...])".
std::string RangeText(const reachable_range& range) {
  const auto at = [](float w, const std::vector<warning>& warnings) {
    std::string text = "at w = " + shortest_text(w);
    if (!warnings.empty()) text += " [" + join_warnings(warnings) + "]";
    return text;
  };
  return model::QuantityText(range.min) + " to " + model::QuantityText(range.max) + " (the least " +
         at(range.min_at, range.min_warnings) + ", the most " + at(range.max_at, range.max_warnings) + ")";
}

// The message of a value out of reach: both ranges, their ends' warnings.
std::string OutOfReachMessage(const model::Solution& s, const concentration_solution& ranges) {
  std::string message = s.outOfReachHead + ": the admissible mass fractions give " + RangeText(ranges.reachable);
  if (!std::isfinite(ranges.solubility)) return message + "; the solubility at this temperature is not known";
  message += "; up to the solubility, w = " + model::QuantityText(ranges.solubility);
  if (!ranges.soluble.known) return message + ", none can be computed";
  return message + ", they give " + RangeText(ranges.soluble);
}

// A mass fraction that has a molality or a molarity: from 0 up to, not
// including, 1 (at 1 no water is left).
std::optional<failure> ImpossibleFraction(float massFraction, std::string_view what) {
  if (massFraction >= 0.0f && massFraction < 1.0f) return std::nullopt;
  return failure{error_kind::inadmissible_input, "mass fraction " + shortest_text(massFraction) + " has no " +
                                                     std::string(what) + ": give one from 0 up to, not including, 1"};
}

}  // namespace

namespace api {

std::vector<warning> AnswerWarnings(substance_id substance, float massFraction, float temperature) {
  const result r =
      EvaluatePoint(substance, static_cast<double>(massFraction), temperature, concentration_unit::mass_fraction);
  return r ? r->warnings : std::vector<warning>{};
}

expected<concentration_solution> ConcentrationSolution(const model::Solution& s, substance_id substance,
                                                       float temperature) {
  concentration_solution out;
  out.reachable = RangeOf(substance, s.reachable, temperature);
  out.solubility = s.solubility;
  out.soluble = RangeOf(substance, s.soluble, temperature);
  if (s.roots.empty()) {
    if (!s.outOfReach) return failure{error_kind::inadmissible_input, s.error};
    return failure{error_kind::out_of_reach, OutOfReachMessage(s, out)};
  }
  for (const model::Root& r : s.roots) {
    out.roots.push_back({r.massFraction, r.achieved, r.below, r.above,
                         static_cast<concentration_root::side>(static_cast<std::uint8_t>(r.chosen)), r.runFirst,
                         r.runLast, r.plateau, AnswerWarnings(substance, r.massFraction, temperature)});
  }
  out.reachable_min = s.reachableMin;
  out.reachable_max = s.reachableMax;
  return out;
}

}  // namespace api

expected<double> standard_molar_mass(substance_id substance) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  return model::StandardMolarMass(*index);
}

expected<conversion> to_mass_fraction(substance_id substance, concentration_unit unit, double value,
                                      float temperature_celsius) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  const model::Conversion c = model::ToMassFraction(api::Tables(), *index, static_cast<model::ConcentrationUnit>(unit),
                                                    value, temperature_celsius);
  if (!c.ok) {
    // A molarity or g/L that no admissible mass fraction reaches.
    return failure{c.outOfReach ? error_kind::out_of_reach : error_kind::inadmissible_input, c.error};
  }
  conversion out{c.massFraction, c.achieved, {}};
  if (auto warnings = check_validity(substance, c.massFraction, temperature_celsius))
    out.warnings = std::move(*warnings);
  return out;
}

expected<double> from_mass_fraction(substance_id substance, concentration_unit unit, float mass_fraction,
                                    float temperature_celsius) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  switch (unit) {
    case concentration_unit::mass_fraction:
      return static_cast<double>(mass_fraction);
    case concentration_unit::mass_percent:
      // The float nearest to it: 10 percent, not 10.0000001.
      return static_cast<double>(static_cast<float>(static_cast<double>(mass_fraction) * 100.0));
    case concentration_unit::molality:
      return molality(substance, mass_fraction);
    case concentration_unit::molarity:
    case concentration_unit::mass_concentration:
      break;
  }
  // Molarity and g/L need the solution's density at the point.
  const result r = api::EvaluatePoint(substance, static_cast<double>(mass_fraction), temperature_celsius,
                                      concentration_unit::mass_fraction, false);
  if (!r) return r.error();
  if (*index == model::kWater) return 0.0;
  return unit == concentration_unit::molarity ? model::MolarityOf(*index, mass_fraction, r->density)
                                              : model::MassConcentrationOf(mass_fraction, r->density);
}

expected<double> molality(substance_id substance, float mass_fraction) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  if (auto impossible = ImpossibleFraction(mass_fraction, "molality")) return *impossible;
  return *index == model::kWater ? 0.0 : model::MolalityOf(*index, mass_fraction);
}

expected<double> molarity(substance_id substance, float mass_fraction, float density) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  if (auto impossible = ImpossibleFraction(mass_fraction, "molarity")) return *impossible;
  if (!(density > 0.0f) || !std::isfinite(density)) {
    return failure{error_kind::inadmissible_input,
                   "density " + shortest_text(density) + " kg/m3 has no molarity: give a positive density"};
  }
  return *index == model::kWater ? 0.0 : model::MolarityOf(*index, mass_fraction, density);
}

std::string_view side_name(concentration_root::side side) noexcept {
  switch (side) {
    case concentration_root::side::exact:
      return "exact";
    case concentration_root::side::lower:
      return "lower";
    case concentration_root::side::upper:
      return "upper";
  }
  return {};
}

expected<concentration_solution> solve_concentration(substance_id substance, float temperature_celsius,
                                                     property_kind property, double value) {
  const expected<std::uint8_t> index = SaltIndex(substance, "concentration to solve for");
  if (!index) return index.error();
  // Only the temperature can be refused here.
  if (auto reason = model::InadmissibleReason(*index, 0.5f, temperature_celsius)) {
    return failure{error_kind::inadmissible_input, std::move(*reason)};
  }
  const model::Solution s = model::SolveConcentration(api::Tables(), *index, temperature_celsius,
                                                      static_cast<model::Property>(property), value);
  return api::ConcentrationSolution(s, substance, temperature_celsius);
}

}  // namespace elprops
