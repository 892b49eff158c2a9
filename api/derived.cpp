// The derived quantities and the solves for any quantity: the model's, in
// the public library's types.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <elprops/derived.hpp>
#include <elprops/text.hpp>

#include "api/evaluate.h"
#include "model/admissible.h"
#include "model/catalogue.h"
#include "model/correlations.h"
#include "model/derived.h"
#include "model/inverse.h"

namespace elprops {
namespace {

constexpr std::array<quantity_info, derived_count> kDerived{{
    {quantity_kind::kinematic_viscosity, "kinematic_viscosity", "kinematic viscosity", "ν", "m²/s", "m2/s", "ν = μ/ρ",
     "КИНЕМАТИЧЕСКАЯ ВЯЗКОСТЬ", "м²/с"},
    {quantity_kind::thermal_diffusivity, "thermal_diffusivity", "thermal diffusivity", "a", "m²/s", "m2/s",
     "a = λ/(ρ·c_p)", "ТЕМПЕРАТУРОПРОВОДНОСТЬ", "м²/с"},
    {quantity_kind::prandtl_number, "prandtl_number", "Prandtl number", "Pr", "", "", "Pr = μ·c_p/λ", "ЧИСЛО ПРАНДТЛЯ",
     ""},
    {quantity_kind::specific_volume, "specific_volume", "specific volume", "v", "m³/kg", "m3/kg", "v = 1/ρ",
     "УДЕЛЬНЫЙ ОБЪЁМ", "м³/кг"},
    {quantity_kind::volumetric_heat_capacity, "volumetric_heat_capacity", "volumetric heat capacity", "ρc_p",
     "J/(m³·K)", "J/(m3*K)", "ρ·c_p", "ОБЪЁМНАЯ ТЕПЛОЁМКОСТЬ", "Дж/(м³·К)"},
    {quantity_kind::thermal_expansion, "thermal_expansion", "thermal expansion coefficient", "β", "1/K", "1/K",
     "β = −(1/ρ)(∂ρ/∂T)", "КОЭФФИЦИЕНТ ОБЪЁМНОГО РАСШИРЕНИЯ", "1/К"},
    {quantity_kind::heat_taken_up, "heat_taken_up", "heat taken up", "Δh", "J/kg", "J/kg", "Δh = ∫c_p dT",
     "ПОГЛОЩЁННАЯ ТЕПЛОТА", "Дж/кг"},
}};

std::array<quantity_info, quantity_count> MakeQuantities() {
  std::array<quantity_info, quantity_count> out{};
  for (std::size_t i = 0; i < static_cast<std::size_t>(property_count); ++i) {
    const property_info& p = property_table()[i];
    out[i] = {as_quantity(p.kind), p.name, p.words,           p.symbol,      p.unit,
              p.ascii_unit,        {},     p.russian_caption, p.russian_unit};
  }
  for (std::size_t i = 0; i < kDerived.size(); ++i) out[property_count + i] = kDerived[i];
  return out;
}

const std::array<quantity_info, quantity_count>& Quantities() {
  static const std::array<quantity_info, quantity_count> table = MakeQuantities();
  return table;
}

model::Derived ModelDerived(quantity_kind quantity) {
  return static_cast<model::Derived>(static_cast<int>(quantity) - property_count);
}
static_assert(static_cast<int>(quantity_kind::heat_taken_up) - property_count ==
              static_cast<int>(model::Derived::HeatTakenUp));

// The one rule for a reference temperature: admissible for the substance.
std::optional<failure> BadReference(std::uint8_t substance, float reference) {
  const float limit = model::TemperatureLimitOf(substance);
  if (reference > model::kLowestTemperature && reference < limit) return std::nullopt;
  return failure{error_kind::inadmissible_input, "reference temperature " + std::string(shortest_text(reference)) +
                                                     " °C is not admissible: give one above 0 and below " +
                                                     std::string(shortest_text(limit)) + " °C"};
}

// The quantity to match for a derived quantity at any point.
model::Quantity DerivedQuantity(std::uint8_t substance, model::Derived derived, float reference) {
  return [substance, derived, reference](float w, float t, const model::PropertySet& p) {
    return model::DerivedValue(api::Tables(), substance, w, t, p, derived, reference);
  };
}

}  // namespace

std::span<const quantity_info> quantity_table() noexcept { return Quantities(); }

const quantity_info& describe(quantity_kind quantity) noexcept {
  return Quantities()[static_cast<std::size_t>(quantity)];
}

std::optional<quantity_kind> parse_quantity(std::string_view text) noexcept {
  if (const std::optional<property_kind> p = parse_property(text)) return as_quantity(*p);
  static constexpr std::array<std::pair<std::string_view, quantity_kind>, 6> kShort{{
      {"prandtl", quantity_kind::prandtl_number},
      {"pr", quantity_kind::prandtl_number},
      {"nu", quantity_kind::kinematic_viscosity},
      {"alpha", quantity_kind::thermal_diffusivity},
      {"beta", quantity_kind::thermal_expansion},
      {"dh", quantity_kind::heat_taken_up},
  }};
  std::string name(text);
  for (char& c : name) {
    if (c == '-') c = '_';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const quantity_info& q : kDerived) {
    if (q.name == name) return q.kind;
  }
  for (const auto& [word, kind] : kShort) {
    if (word == name) return kind;
  }
  return std::nullopt;
}

double quantity_value(const properties& values, const derived_properties& d, quantity_kind quantity) noexcept {
  if (const std::optional<property_kind> p = base_property(quantity)) {
    return static_cast<double>(property_value(values, *p));
  }
  switch (quantity) {
    case quantity_kind::kinematic_viscosity:
      return d.kinematic_viscosity;
    case quantity_kind::thermal_diffusivity:
      return d.thermal_diffusivity;
    case quantity_kind::prandtl_number:
      return d.prandtl_number;
    case quantity_kind::specific_volume:
      return d.specific_volume;
    case quantity_kind::volumetric_heat_capacity:
      return d.volumetric_heat_capacity;
    case quantity_kind::thermal_expansion:
      return d.thermal_expansion;
    default:
      return d.heat_taken_up;
  }
}

expected<derived_properties> compute_derived(substance_id substance, float mass_fraction, float temperature_celsius,
                                             const derived_options& options) {
  const result r = api::EvaluatePoint(substance, static_cast<double>(mass_fraction), temperature_celsius,
                                      concentration_unit::mass_fraction, false);
  if (!r) return r.error();
  const std::uint8_t index = *api::ModelIndex(substance);
  if (auto bad = BadReference(index, options.reference_temperature)) return *bad;
  model::PropertySet p{r->density, r->viscosity, r->surface_tension, r->heat_capacity, r->thermal_conductivity};
  const float w = r->mass_fraction;
  using model::Derived;
  const std::optional<double> beta = model::ThermalExpansion(api::Tables(), index, w, temperature_celsius);
  const std::optional<double> heat =
      model::HeatTakenUp(api::Tables(), index, w, options.reference_temperature, temperature_celsius);
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  return derived_properties{model::FromProperties(Derived::KinematicViscosity, p),
                            model::FromProperties(Derived::ThermalDiffusivity, p),
                            model::FromProperties(Derived::PrandtlNumber, p),
                            model::FromProperties(Derived::SpecificVolume, p),
                            model::FromProperties(Derived::VolumetricHeatCapacity, p),
                            beta.value_or(kNaN),
                            heat.value_or(kNaN)};
}

expected<double> heat_taken_up(substance_id substance, float mass_fraction, float from_celsius, float to_celsius) {
  const result r = api::EvaluatePoint(substance, static_cast<double>(mass_fraction), to_celsius,
                                      concentration_unit::mass_fraction, false);
  if (!r) return r.error();
  const std::uint8_t index = *api::ModelIndex(substance);
  if (auto bad = BadReference(index, from_celsius)) return *bad;
  const std::optional<double> heat =
      model::HeatTakenUp(api::Tables(), index, r->mass_fraction, from_celsius, to_celsius);
  if (!heat) return failure{error_kind::arithmetic_fault, "a heat capacity between the two temperatures faults"};
  return *heat;
}

expected<concentration_solution> solve_concentration(substance_id substance, float temperature_celsius,
                                                     quantity_kind quantity, double value,
                                                     const derived_options& options) {
  if (const std::optional<property_kind> p = base_property(quantity)) {
    return solve_concentration(substance, temperature_celsius, *p, value);
  }
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  if (auto bad = BadReference(*index, options.reference_temperature)) return *bad;
  if (*index == model::kWater)
    return failure{error_kind::inadmissible_input, "water has no concentration to solve for"};
  if (auto reason = model::InadmissibleReason(*index, 0.5f, temperature_celsius)) {
    return failure{error_kind::inadmissible_input, std::move(*reason)};
  }
  const model::Solution s = model::SolveQuantity(
      api::Tables(), *index, temperature_celsius,
      DerivedQuantity(*index, ModelDerived(quantity), options.reference_temperature), value, describe(quantity).words);
  return api::ConcentrationSolution(s, substance, temperature_celsius);
}

expected<temperature_solution> solve_temperature(substance_id substance, float mass_fraction, quantity_kind quantity,
                                                 double value, const derived_options& options) {
  const expected<std::uint8_t> index = api::ModelIndex(substance);
  if (!index) return index.error();
  // Only the concentration can be refused here.
  if (auto reason = model::InadmissibleReason(*index, mass_fraction, 20.0f)) {
    return failure{error_kind::inadmissible_input, std::move(*reason)};
  }
  model::Quantity q;
  bool single = false;
  if (const std::optional<property_kind> p = base_property(quantity)) {
    q = [p = static_cast<model::Property>(*p)](float, float, const model::PropertySet& set) -> std::optional<double> {
      return static_cast<double>(model::PropertyValue(set, p));
    };
    single = true;
  } else {
    if (auto bad = BadReference(*index, options.reference_temperature)) return *bad;
    q = DerivedQuantity(*index, ModelDerived(quantity), options.reference_temperature);
  }
  const model::Solution s =
      model::SolveTemperature(api::Tables(), *index, mass_fraction, q, value, describe(quantity).words, single);
  if (s.roots.empty())
    return failure{s.outOfReach ? error_kind::out_of_reach : error_kind::inadmissible_input, s.error};
  temperature_solution out;
  for (const model::Root& r : s.roots) {
    out.roots.push_back({r.massFraction, r.achieved, r.below, r.above,
                         static_cast<concentration_root::side>(static_cast<std::uint8_t>(r.chosen)), r.runFirst,
                         r.runLast, r.plateau, api::AnswerWarnings(substance, mass_fraction, r.massFraction)});
  }
  out.reachable_min = s.reachableMin;
  out.reachable_max = s.reachableMax;
  return out;
}

}  // namespace elprops
